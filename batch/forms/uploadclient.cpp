#include "batch/forms/uploadclient.h"

#include <QTimer>

#include "batch/core/batch.h"
#include "batch/core/summaryfile.h"
#include "batch/forms/captions.h"
#include "batch/forms/display.h"
#include "batch/forms/formkit.h"
#include "batch/forms/scoresheet.h"
#include "batch/forms/services.h"
#include "common/store.h"
#include "platform/core/prompt.h"
#include "platform/gui/handler.h"

namespace batchui {

namespace {

batch::Batch& B() { return batch::batch(); }

frmClient::TickerMaker& tickerMaker() {
  static frmClient::TickerMaker maker;
  return maker;
}

}  // namespace

QStringList BatchUploadValues() { return batch::BatchResultFields(B().LineValues(12501)); }

void frmClient::SetTickerMaker(TickerMaker maker) { tickerMaker() = std::move(maker); }

frmClient::frmClient() : UploadWindow(kColumns, ReportToRunLog) {
  net::UploadPolicy policy;
  policy.mayEncipher = false;  // the batch scorer always sends plain
  // A fault opens no box (the run may be unattended): the status line
  // and the run log tell.
  policy.showRuntimeErrors = true;
  policy.host = [] { return B().setup.AssignedHost(); };
  policy.port = [] { return StoreText(5902); };
  policy.log = [](const QString& line) { B().WriteErrorLog(line); };
  auto ticker = tickerMaker() ? tickerMaker()() : std::make_unique<net::QtTicker>();
  session_ = std::make_unique<net::UploadSession>(*this, std::move(policy), plat::MakeTcpClient(), std::move(ticker));
}

frmClient::~frmClient() = default;

QString frmClient::StoredHost() const { return B().setup.AssignedHost(); }

void frmClient::StoreHost(const QString& host) { B().setup.AssignedHost(host); }

net::HostDialog& frmClient::HostDialogForm() { return plat::forms::get<Dialog>(); }

void frmClient::Form_Load() {
  ApplyFormText(kClientForm, this);
  UploadWindow::Form_Load();
  FillValues();
}

void frmClient::FillValues() {
  const QStringList values = BatchUploadValues();
  for (int i = 0; i < kColumns; ++i) Text1[i]->setText(values.value(i));
  FitTable();
}

void frmClient::Form_Activate() {
  plat::RunHandler(QStringLiteral("Form_Activate"), [this] { ActivateWindow(); }, ReportToRunLog);
}

void frmClient::ActivateWindow() {
  if (activated_) return;
  activated_ = true;
  finished_ = false;
  TakeHost();
  // The summary as it is now: it may have changed since the window loaded.
  FillValues();
  CrsDeliver();
  if (Session().State() == net::UploadState::Completed) {
    Hide();
    activated_ = false;
    plat::forms::get<成績單>().Show();
    if (!Session().Socket().IsClosed()) Session().Socket().Close();
  }
}

void frmClient::AttemptStarting() {
  attempting_ = true;
  gaveUp_ = false;
}

void frmClient::Command4_Click() { ShowHostDialog(true); }

void frmClient::HostDialogCancelled() {
  gaveUp_ = true;
  CheckDone();
}

void frmClient::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  if (mode == plat::UnloadMode::ControlMenu) {
    // Closing by the title bar is the cancel button; the window stays loaded.
    cancel = 1;
    Command2_Click();
  }
}

void frmClient::EndProgramWhenDone() {
  endWhenDone_ = true;
  CheckDone();
}

void frmClient::CheckDone() {
  if (!endWhenDone_) return;
  // Decided after the handler that asked has returned: a give-up may still
  // open the host dialog.
  QTimer::singleShot(0, this, [this] {
    if (!endWhenDone_ || plat::app().Ending()) return;
    const bool dialogUp = plat::forms::exists<Dialog>() && plat::forms::get<Dialog>().isVisible();
    if (finished_) {
      plat::app().EndProgram(B().writeFailed ? kExitNotDelivered : 0);
    } else if (!attempting_ && !dialogUp) {
      const bool ask = !gaveUp_;
      gaveUp_ = false;
      ExitUndelivered(ask);
    }
  });
}

void frmClient::ExitUndelivered(bool ask) {
  batch::Batch& b = B();
  const QString score = b.table.ScoreFileName();
  b.WriteErrorLog(QStringLiteral("結束時總成績沒有送達主機>") + b.setup.AssignedHost() + u'>' + score);
  // The proctor must not leave believing the summary arrived: the box
  // waits for an answer, and only the answer ends the program.
  if (ask && plat::prompt().Ask(QStringLiteral("總成績沒有送達成績主機 ") + b.setup.AssignedHost() +
                                    QStringLiteral("。\n按「重試」再送一次，按「取消」結束程式(總成績留在成績檔 ") +
                                    score + QStringLiteral(")。"),
                                StoreText(14001), plat::Buttons::RetryCancel,
                                plat::Icon::Critical) == plat::Answer::Retry) {
    CrsDeliver();
    return;
  }
  b.WriteErrorLog(QStringLiteral("程式結束,總成績沒有送達"));
  plat::app().EndProgram(kExitNotDelivered);
}

// ---- net::UploadView ----------------------------------------------------------

void frmClient::ShowWindow() {
  // Over the window the candidate's result is on: the sheet when it is up,
  // else the main window, so a click there never covers the upload.
  QWidget* owner = nullptr;
  if (plat::forms::exists<成績單>() && plat::forms::get<成績單>().isVisible()) {
    owner = &plat::forms::get<成績單>();
  } else if (plat::forms::exists<Display>() && plat::forms::get<Display>().isVisible()) {
    owner = &plat::forms::get<Display>();
  }
  Show(plat::ShowMode::Modeless, owner);
}

void frmClient::ShowVerdictError(const QString& text, const QString& title) { ShowNotice(text, title, this); }

void frmClient::Completed() {
  Hide();
  activated_ = false;
  attempting_ = false;
  finished_ = true;
  CheckDone();
}

void frmClient::AttemptEnded() {
  attempting_ = false;
  CheckDone();
}

void frmClient::ShowRuntimeError(const common::AppError& e) {
  const QString what = common::DescribeError(e);
  lblMessage->setText(StoreText(14003) + QString::number(e.number) + u' ' + what);
}

// ---- Dialog -------------------------------------------------------------------

Dialog::Dialog() : HostDialog(ReportToRunLog) {}

net::UploadWindow& Dialog::Window() { return plat::forms::get<frmClient>(); }

}  // namespace batchui
