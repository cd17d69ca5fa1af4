// The set-up screen's other buttons, its activation and the way out.
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/filenames.h"
#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "exam/record/recordmodule.h"
#include "exam/run/forms/volumetest.h"
#include "exam/setup/advanced.h"
#include "exam/setup/digpath.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/setupscreen.h"
#include "exam/setup/smallwindows.h"

namespace setup {

namespace {

bool FileThere(const QString& text) {
  QString p = plat::ToSlashes(text.trimmed());
  if (p.isEmpty()) return false;
  if (QFileInfo(p).isRelative()) p = common::ProgramFolder.get() + p;
  return QFileInfo(plat::ResolvePath(p)).isFile();
}

}  // namespace

// ---------------------------------------------------------------------------
// Leaving

void 輸入資料表面::Command2_Click() {
  using namespace common;
  rec::TestRecordModule& module = rec::testRecordModule();
  const int status = DownloadLinkStatus();
  WriteErrorLog(QString::number(status) + QStringLiteral("<NetLinkStatus "));
  if (status != 0) {
    ShowDownload(kDownloadFinish, true, this);
    if (plat::app().Ending()) return;
  }

  const bool resultKnown = !module.ScoreFileName(QString()).isEmpty();
  const int s803 = Setting803.get();
  const bool handOn = resultKnown && (s803 == 1 || (s803 == 2 && TestNumber.get() > 2));

  if (SystemIniValue(149).asInt() == 1) {
    // The batch scorer is about to read the record and the score file: the
    // clean-up must leave those for it.
    CleanSwitches s{1, handOn ? 0 : 1, handOn ? 0 : 1, handOn ? 0 : 1, handOn ? 0 : 1, 1};
    CleanTempFiles(s);
  }

  if (resultKnown) {
    if (handOn && !module.RunNextProgram(0)) WriteErrorLog(QStringLiteral("成績總表程式沒有啟動"));
  } else if (SystemIniValue(9901).asInt() == 1) {
    EnterWWW();
  }
  plat::app().EndProgram(0);
}

// ---------------------------------------------------------------------------
// Choosing the test

void 輸入資料表面::Command3_Click() {
  const QString previous = Text3->text();
  QString current = plat::ToSlashes(previous);
  if (current.endsWith(u'/')) current.chop(1);
  QString chosen;
  try {
    const QString pattern = common::TestFilePattern.get();
    const QString filter = common::StoreText(10172) + u'(' + pattern + QStringLiteral(")|") + pattern +
                           QStringLiteral("|ALL File(*.*)|*.*");
    QString start = current;
    if (start.isEmpty()) start = common::TestFolder.get().size() > 1 ? common::TestFolder.get() : common::ProgramFolder.get();
    else if (QFileInfo(start).isRelative()) start = common::ProgramFolder.get() + start;
    chosen = plat::prompt().OpenFile(common::StoreText(10172), start, filter);
  } catch (...) {
    common::LogTrappedError(QStringLiteral("Command3_Click"), common::CurrentAppError());
    Text3->clear();
    return;
  }
  Text3->setText(chosen.isEmpty() ? previous : chosen);
}

void 輸入資料表面::Command4_Click() { Text3->setText(rec::testRecordModule().ResolveTestDataPath()); }

// ---------------------------------------------------------------------------
// The dialogs

void 輸入資料表面::Command5_Click() { plat::forms::get<進階修定>().Show(plat::ShowMode::Modeless); }

void 輸入資料表面::Command6_Click() { plat::forms::get<run::音量測試>().Show(plat::ShowMode::Modal, this); }

void 輸入資料表面::Command7_Click() {
  try {
    digPath& d = plat::forms::loaded<digPath>();
    d.setWindowTitle(common::StoreText(10173));
    d.chkPathOrServer = 1;
    d.Text1->setText(common::AssignedPath.get());
    d.Label1->setText(common::StoreText(10174));
    d.chkSure = 0;
    d.Show(plat::ShowMode::Modal, this);
    if (plat::app().Ending()) return;
    if (d.chkSure) {
      common::AssignedPath.set(d.Text1->text());
      SetCheckValue(Check1, true);
    }
  } catch (...) {
    common::LogTrappedError(QStringLiteral("Command7_Click"), common::CurrentAppError());
    if (plat::forms::exists<digPath>()) plat::forms::get<digPath>().Hide();
  }
}

void 輸入資料表面::Command8_Click() {
  try {
    digPath& d = plat::forms::loaded<digPath>();
    d.setWindowTitle(common::StoreText(10175));
    d.chkPathOrServer = 2;
    d.Text1->setText(common::AssignedHost.get());
    d.Label1->setText(common::StoreText(10176));
    d.chkSure = 0;
    d.Show(plat::ShowMode::Modal, this);
    if (plat::app().Ending()) return;
    if (d.chkSure) {
      common::AssignedHost.set(d.Text1->text());
      SetCheckValue(Check2, true);
    }
    // Blue: the host answered the last test; red: it failed after an
    // earlier success.
    if (!d.chkSure) SetColour(Check2, Check2Colour == kColourBlue ? kColourRed : kSystemButtonText);
    if (d.LinkStatus == 1)
      SetColour(Check2, kColourBlue);
    else
      SetColour(Check2, Check2Colour == kColourBlue || Check2Colour == kColourRed ? kColourRed : kSystemButtonText);
  } catch (...) {
    common::LogTrappedError(QStringLiteral("Command8_Click"), common::CurrentAppError());
    if (plat::forms::exists<digPath>()) plat::forms::get<digPath>().Hide();
  }
}

void 輸入資料表面::Command9_Click() { plat::forms::get<common::frmLiaison>().Show(plat::ShowMode::Modeless); }

void 輸入資料表面::Command10_Click() {
  DownloadFieldValues& d = DownloadFields();
  d.text5 = Text5->text();
  if (Check2->isChecked()) {
    d.t5 = common::AssignedHost.get();
    d.t6 = common::SystemIniValue(5902).asText();
  }
  d.text4.clear();
  ShowDownload(kDownloadScores, true, this);
  if (plat::app().Ending()) return;
  // Nothing picked keeps the test the candidate had.
  if (!DownloadedTestPath().isEmpty()) Text3->setText(DownloadedTestPath());
}

void 輸入資料表面::Command11_Click() {
  if (setupHooks().ShowOperation) setupHooks().ShowOperation(this);
}

// ---------------------------------------------------------------------------
// Activation

void 輸入資料表面::Form_Activate() {
  using namespace common;
  Text5->setText(QString::number(TestNumber.get()));
  if (FirstActivated) return;
  // Set before the download window's modal show: its closing activates this
  // screen again while this handler is still running.
  FirstActivated = true;
  const QString digits = FeatureDigits.get();
  if (digits.mid(3, 1) != u"1") return;
  if (digits.mid(8, 1) == u"1") LockTestChoice();
  DownloadFieldValues& d = DownloadFields();
  d.text5 = Text5->text();
  d.t5 = AssignedHost.get();
  d.t6 = SystemIniValue(5902).asText();
  d.text4.clear();
  ShowDownload(kDownloadTest, true, this);
  if (plat::app().Ending()) return;
  Text3->setText(DownloadedTestPath());
  if (FileThere(Text3->text())) {
    if (Setting701.get() > 0) ShowDownload(kDownloadParts, false, this);
  } else {
    Command10->setEnabled(true);
    state_.scoresOffered = true;
  }
}

}  // namespace setup
