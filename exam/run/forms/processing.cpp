#include "exam/run/forms/processing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "common/utilities.h"
#include "common/workfolders.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/twips.h"
#include "exam/record/recordmodule.h"
#include "net/forms/frmdownload3.h"
#include "exam/run/core/run_services.h"

namespace run {

using common::AppError;

處理下::處理下() : Form(QStringLiteral("處理下")) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // Closing it would lose the record's name before the record is written.
  SetRefusesWindowManagerClose(true);
  Text1 = new QLineEdit(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->hide();
  Text2 = new QLineEdit(this);
  Text2->setObjectName(QStringLiteral("Text2"));
  Text2->hide();
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(true);
  Timer1 = new plat::FormTimer(this, QStringLiteral("Timer1"));
  Timer1->SetEnabled(false);
  Timer1->SetInterval(300);
  Timer1->Tick = [this] { Timer1_Timer(); };
}

void 處理下::Form_Load() {
  setFixedSize(plat::TwipsToPixels(4750), plat::TwipsToPixels(1360));
  plat::SetTwipsGeometry(Label1, {120, 120, 4510, 1120});
  Form_Resize();
  setWindowTitle(common::ProductTitle.get());
  common::ApplyFormText(14, this);
  Timer1->SetEnabled(false);
}

void 處理下::Form_Activate() {
  // Once started the hand-over runs to its end, whichever window has the
  // focus meanwhile; while the record's boxes are up the end must wait.
  if (!settlingRecord_) Timer1->SetEnabled(true);
}

void 處理下::Form_Resize() { plat::CentreOnScreen(this); }

void 處理下::SetStateNine() { common::TestRunState.set(9); }

void 處理下::Timer1_Timer() {
  if (waitingForDownload_) {
    // The download window finishes the link's work and closes itself.
    if (!download_ || download_->IsUnloaded() || !download_->isVisible()) {
      waitingForDownload_ = false;
      Timer1->SetEnabled(false);
      plat::app().EndProgram(0);
    }
    return;
  }
  if (Counter >= 21 && Counter <= 29) {
    Counter = 40;
    HandOver();
  } else if (Counter < 51) {
    Label1->setText(StoreText(11404));
    ++Counter;
  } else {
    Finish();
  }
}

namespace {

enum class RecordChoice { TryAgain, OtherFolder, GoOnWithout };

QString FolderOf(const QString& path) {
  const QString p = plat::ToSlashes(path);
  const qsizetype slash = p.lastIndexOf(u'/');
  return slash > 0 ? p.left(slash) : p;
}

// The box a record that could not be written brings up. It cannot be closed
// without an answer; closing it all the same counts as going on without.
RecordChoice AskAboutTheRecord(const QString& folder, const QString& reason) {
  const QString text = QStringLiteral("測驗記錄無法寫入這個資料夾:\r\n") + folder + QStringLiteral("\r\n原因:") + reason +
                       QStringLiteral("\r\n\r\n考生打的字仍保留在程式中,沒有遺失。請考場負責人處理:"
                                      "騰出磁碟空間後按「再試一次」,或按「存到別的資料夾」選一個可以寫入的資料夾。");
  const int answer = plat::prompt().Choose(
      text, QStringLiteral("警告訊息"),
      {QStringLiteral("再試一次"), QStringLiteral("存到別的資料夾"), QStringLiteral("不存記錄")}, plat::Icon::Critical);
  if (answer == 0) return RecordChoice::TryAgain;
  if (answer == 1) return RecordChoice::OtherFolder;
  return RecordChoice::GoOnWithout;
}

// Only a Yes lets the record go.
bool SureWithoutRecord() {
  return plat::prompt().Ask(QStringLiteral("確定不存測驗記錄嗎?\r\n考生打的字將會遺失,這次測驗也不會評分。"),
                            QStringLiteral("警告訊息"), plat::Buttons::YesNo,
                            plat::Icon::Critical) == plat::Answer::Yes;
}

// The folder the proctor picked, when the scorer's command line can carry
// it; else says why and gives nothing.
QString UsableFolder(const QString& picked) {
  if (picked.isEmpty() || common::PathFitsCommandLine(picked)) return picked;
  plat::prompt().Ask(QStringLiteral("不能存到這個資料夾:\r\n") + picked + QStringLiteral("\r\n") +
                         common::CommaInPathText(),
                     QStringLiteral("警告訊息"), plat::Buttons::Ok, plat::Icon::Exclamation);
  return {};
}

}  // namespace

void 處理下::HandOver() {
  // No tick while a box waits for the proctor: the end must not run before
  // the record is settled.
  Timer1->SetEnabled(false);
  rec::TestRecordModule& m = rec::testRecordModule();
  rec::ProcessingNames names{Text1->text(), Text2->text()};
  HandedOffRecord.clear();
  try {
    m.CarrySetupChoices(SetupScreenValues());
  } catch (const AppError& e) {
    common::LogTrappedError(QStringLiteral("FinishAndHandOff"), e);
  }
  // Left only with a record written whole or the proctor's second Yes. At
  // the program's end every box returns at once: the loop stops there, and
  // nothing is handed over.
  settlingRecord_ = true;
  while (!WriteRecord(names)) {
    if (plat::app().Ending()) break;
    const QString folder = FolderOf(names.recordPath);
    const RecordChoice choice = AskAboutTheRecord(folder, m.RecordWriteReason);
    if (plat::app().Ending()) break;
    if (choice == RecordChoice::TryAgain) continue;
    if (choice == RecordChoice::OtherFolder) {
      const QString picked =
          UsableFolder(plat::prompt().PickFolder(QStringLiteral("選擇存放測驗記錄的資料夾"), folder));
      if (!picked.isEmpty())
        names.recordPath =
            plat::WithoutTrailingSlash(picked) + u'/' + common::PathPart(3, plat::ToSlashes(Text1->text()));
      continue;
    }
    if (!SureWithoutRecord() || plat::app().Ending()) continue;
    common::WriteErrorLog(
        QStringLiteral("FinishAndHandOff>考場負責人確認不存測驗記錄,考生打的字沒有存檔,不啟動評分程式>") +
        names.recordPath);
    break;
  }
  settlingRecord_ = false;
  if (plat::app().Ending()) {
    common::WriteErrorLog(QStringLiteral("FinishAndHandOff>程式結束,測驗記錄沒有存檔>") + names.recordPath);
    return;
  }
  Timer1->SetEnabled(true);
}

bool 處理下::WriteRecord(const rec::ProcessingNames& names) {
  try {
    HandedOffRecord = rec::testRecordModule().WriteHandOffRecord(names, SetupScreenValues());
    if (names.recordPath != Text1->text())
      common::WriteErrorLog(QStringLiteral("FinishAndHandOff>考生檔改存於>") + HandedOffRecord);
    return true;
  } catch (const AppError& e) {
    common::LogTrappedError(QStringLiteral("FinishAndHandOff"), e);
  }
  return false;
}

void 處理下::Finish() {
  QPalette p = Label1->palette();
  p.setColor(QPalette::WindowText, QColor(255, 0, 0));
  Label1->setPalette(p);
  Label1->setText(StoreText(11402));
  Timer1->SetEnabled(false);
  try {
    // Only a record written whole is scored.
    if (!HandedOffRecord.isEmpty()) rec::testRecordModule().StartScorer(HandedOffRecord);
  } catch (const AppError& e) {
    common::LogTrappedError(QStringLiteral("StartScorer"), e);
    // The candidate's work is safe on disk: say where, then end normally.
    AppError shown = e;
    const QString where = HandedOffRecord.isEmpty() ? Text1->text() : HandedOffRecord;
    shown.text = e.text + u' ' + where;
    common::ShowErrorMessage(shown);
  }
  common::WriteErrorLog(HandedOffRecord.isEmpty() ? QStringLiteral("沒有測驗記錄,未啟動評分程式") : StoreText(11403));
  Counter = 0;
  SetStateNine();
  FrmDownload3& dl = plat::forms::get<FrmDownload3>();
  common::WriteErrorLog(QString::number(dl.NetLinkStatus) + QStringLiteral("<NetLinkStatus "));
  if (dl.NetLinkStatus != 0) {
    // Modal for the user, but no nested loop here: this timer watches for
    // the window to close and then ends the program.
    dl.UserSw = 1;
    download_ = &dl;
    dl.setWindowModality(Qt::ApplicationModal);
    dl.Show(plat::ShowMode::Modeless, this);
    waitingForDownload_ = true;
    Timer1->SetEnabled(true);
    return;
  }
  plat::app().EndProgram(0);
}

}  // namespace run
