#pragma once
// 是否暫離, the pause dialog: leave the test now, or continue it.
#include "platform/gui/form.h"

class QLabel;
class QPushButton;

namespace run {

class 是否暫離 : public plat::Form {
 public:
  是否暫離();

  QPushButton* Command1;  // leave now
  QPushButton* Command2;  // continue
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Image1;

  void Command1_Click();
  void Command2_Click();

 protected:
  void Form_Load() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
  void Form_Resize() override {}

 private:
  // The test was handed over meanwhile (time-up while the dialog was open).
  bool TooLate() const;
  void FitTexts();
};

}  // namespace run
