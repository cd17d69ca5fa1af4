#pragma once
// 成績單: the score sheet, the scorer's hub. It shows the particulars and the
// six results of the current run, prints the sheet and the typed text,
// opens the report, saves, delivers the result by copy or upload, and is
// where the candidate leaves (to another test or to the end).
#include <QLabel>
#include <QPushButton>

#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"

namespace scorer {

// Geometry of the sheet, in twips.
inline constexpr int kSheetWidth = 9600;
inline constexpr int kSheetHeight = 5805;
inline constexpr int kSheetPrintHeight = 4800;  // the buttons stay off the print
inline constexpr unsigned kSheetBackColour = 0xE0E0E0;

class 成績單 : public plat::Form {
 public:
  成績單();

  // Headings and values, paired as the design pairs them.
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10, *Label11,
      *Label12, *Label13, *Label15;
  QLabel *Text1, *Text2, *Text12, *Text15, *Text13, *TEXT4, *TEXT4B, *TEXT3, *Text5A, *Text5B;
  QLabel *Text6, *Text7, *Text8, *Text9, *Text10, *Text11;
  QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command6;
  plat::FormTimer* Timer1;

  void Command1_Click();  // print the sheet
  void Command2_Click();  // print the typed text
  void Command3_Click();  // leave
  void Command4_Click();  // view the typed text
  void Command5_Click();  // save
  void Command5_MouseUp(int button);  // 2 (right): deliver
  void Command6_Click();  // typo practice
  void Timer1_Timer();

  // Copies the score record file and the result line file to the assigned
  // folder; true when both were copied.
  bool CopyScoreFiles();
  // Headings and layout of the four identity rows (settings 915, 916, 918).
  void ArrangeSheetItems();
  // Delivers by setting 908.
  void DeliverBySetting();

  // Enables the sheet unless an upload is in flight.
  void GiveBack();

  // Window state (public so tests can look).
  int sheetPrintCounter = 0;
  int reportPrintCounter = 0;
  bool saved = false;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, plat::UnloadMode mode) override;
  void Form_Unload(int& cancel) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillValues();
  void SetTitle();
  void ApplyButtonSwitches();
  QList<QLabel*> ResultLabels() const;
};

// Shows the sheet modeless, enabled unless an upload is
// in flight (the scoring window hands over with it).
void ShowSheet();
// The same for a window that worked for the sheet (a notice, the upload):
// only the sheet that is there; one closed on the way out is never built
// again, so its first showing cannot deliver a second time.
void GiveSheetBack();

}  // namespace scorer
