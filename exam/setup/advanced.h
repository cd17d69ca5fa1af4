#pragma once
// 進階修定, the advanced settings: layout of the manuscript, clock direction,
// playback, wait for the play button, pause between parts, score folder,
// warning beeps and four screen colours. Every control writes its setting at
// once (for this run only; nothing goes back to the settings file).
#include <QString>
#include <array>

#include "platform/gui/form.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace setup {

class UpDown;

class 進階修定 : public plat::Form {
 public:
  進階修定();

  // Option arrays by their design indexes (element 0 of Option1 unused).
  std::array<QRadioButton*, 7> Option1{};
  std::array<QRadioButton*, 2> Option2{};
  std::array<QRadioButton*, 3> Option3{};
  std::array<QRadioButton*, 2> Option4{};
  QGroupBox *Frame1, *Frame2, *Frame3, *Frame4, *Frame5, *Frame6, *Frame7, *Frame8;
  QLineEdit *Text1, *Text2, *Text3, *Text4;
  UpDown *UpDown1, *UpDown2, *UpDown3;
  QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6, *Command7;

  void Option1_Click(int i);
  void Option2_Click(int i);
  void Option3_Click(int i);
  void Option4_Click(int i);
  void UpDown1_Change();
  void UpDown2_Change();
  void UpDown3_Change();
  // The score folder box lost the focus.
  void Text2_LostFocus();
  // Colour pick for a colour-table entry (1..4).
  void PickColour(int entry);
  void Command1_Click();

  // Sets the button of a value and runs its click; a value without a button
  // sets nothing and runs nothing.
  template <std::size_t N>
  void SetOption(std::array<QRadioButton*, N>& group, int value, void (進階修定::*click)(int));

 protected:
  void Form_Load() override;
  void Form_Unload(int& cancel) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TypedValue(QLineEdit* box, UpDown* updown, void (進階修定::*change)());
};

}  // namespace setup
