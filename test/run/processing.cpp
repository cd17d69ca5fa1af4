#include "test/run/processing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "common/utilities.h"
#include "platform/core/paths.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/twips.h"
#include "test/record/recordmodule.h"
#include "net/forms/frmdownload3.h"
#include "test/run/run_services.h"

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
  // focus meanwhile.
  Timer1->SetEnabled(true);
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

void 處理下::HandOver() {
  rec::TestRecordModule& m = rec::testRecordModule();
  rec::ProcessingNames names{Text1->text(), Text2->text()};
  try {
    HandedOffRecord = m.FinishAndHandOff(names, SetupScreenValues());
    return;
  } catch (const AppError& e) {
    common::LogTrappedError(QStringLiteral("FinishAndHandOff"), e);
    common::ShowErrorMessage(e);
  }
  // The temporary folder would not take the record: keep it in the data
  // folder instead and hand that one to the scorer.
  QString folder = common::DataPath.get();
  if (folder.trimmed().isEmpty()) folder = common::ProgramFolder.get();
  common::ChangeDirSafe(folder);
  QString alt = plat::ToSlashes(folder);
  if (!alt.endsWith(u'/')) alt += u'/';
  alt += common::PathPart(3, plat::ToSlashes(names.recordPath));
  if (alt == plat::ToSlashes(names.recordPath)) return;
  names.recordPath = alt;
  try {
    HandedOffRecord = m.FinishAndHandOff(names, SetupScreenValues());
    common::WriteErrorLog(QStringLiteral("FinishAndHandOff>考生檔改存於>") + HandedOffRecord);
  } catch (const AppError& e) {
    common::LogTrappedError(QStringLiteral("FinishAndHandOff"), e);
    common::ShowErrorMessage(e);
  }
}

void 處理下::Finish() {
  QPalette p = Label1->palette();
  p.setColor(QPalette::WindowText, QColor(255, 0, 0));
  Label1->setPalette(p);
  Label1->setText(StoreText(11402));
  Timer1->SetEnabled(false);
  try {
    rec::testRecordModule().StartScorer(HandedOffRecord);
  } catch (const AppError& e) {
    common::LogTrappedError(QStringLiteral("StartScorer"), e);
    // The candidate's work is safe on disk: say where, then end normally.
    AppError shown = e;
    const QString where = HandedOffRecord.isEmpty() ? Text1->text() : HandedOffRecord;
    shown.text = e.text + u' ' + where;
    common::ShowErrorMessage(shown);
  }
  common::WriteErrorLog(StoreText(11403));
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
