#pragma once
// 成績單: the batch scorer's score sheet, one candidate of the loaded score
// file at a time: step through the candidates, pick another score file (the
// newest numbered one or by the file dialog), print the sheet or the typed
// text, view the typed text, return to the main window.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "batch/core/scoretable.h"
#include "common/gui/contactwindow.h"
#include "common/gui/printingnotice.h"
#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"

namespace batchui {

class 成績單 : public plat::Form {
 public:
  成績單();

  QPushButton *Command1, *Command2, *Command3, *Command4, *Command5, *Command7, *Command8, *Command9, *Command10;
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10, *Label11, *Label12,
      *Label15;
  QLabel *Text1, *TEXT2, *TEXT3, *TEXT4, *Text5A, *Text6, *Text7, *Text8, *Text9, *TEXT10, *TEXT11, *TEXT12, *TEXT14,
      *Text14;
  QLineEdit* Text5;

  // The ten value labels take this background (a 0x00BBGGRR value).
  void OutColor(float SetColor);

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command7_Click();
  void Command8_Click();
  void Command9_Click();
  void Command10_Click();

  // One candidate's captions, as the score table shows them.
  void ShowTexts(const batch::SheetTexts& s);
  // The score file the window last chose.
  QString FileName() const { return fileName_; }

 protected:
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload(int& cancel) override;

 private:
  QList<QPushButton*> Buttons() const;
  // Hides the sheet; the main window comes back when it is hidden too, so
  // the program never runs on without a window.
  void HideSheet();
  void LoadFile(const QString& path);
  void PlaceValues();

  QString fileName_;
};

// 處理列印中: the shared printing notice in the batch scorer's design,
// centred at each resize; a failing tick goes to the run log.
class 處理列印中 : public common::處理列印中 {
 public:
  處理列印中();

 protected:
  void Form_Load() override;
  void Form_Resize() override;
};

// frmLiaison: the shared contact window in the batch scorer's design, on
// the batch settings (the web address kept from its "//" on) and its log.
class frmLiaison : public common::frmLiaison {
 public:
  static const Design kBatchDesign;
  frmLiaison();

 protected:
  void LoadContact() override;
  QString Version() const override;
  void OpenMail(const QString& subject) override;
  void OpenWeb() override;
};

}  // namespace batchui
