#include "scoring/forms/frmclient.h"

#include <QMessageBox>

#include "common/accessors.h"
#include "common/utilities.h"
#include "platform/gui/widgetprompt.h"
#include "scoring/forms/delivery.h"
#include "scoring/forms/formkit.h"
#include "scoring/forms/hostdialog.h"
#include "scoring/forms/scorercaptions.h"
#include "scoring/forms/scoresheet.h"

namespace scorer {

namespace {

// The session's tick on the form's Timer1, so the form layer's guard and
// virtual time apply to it like to every other form timer.
class FormTimerTicker : public net::Ticker {
 public:
  explicit FormTimerTicker(plat::FormTimer* timer) : timer_(timer) {
    timer_->Tick = [this] {
      if (onTick) onTick();
    };
  }
  ~FormTimerTicker() override {
    if (timer_) timer_->Tick = nullptr;
  }
  void Start(int intervalMs) override {
    if (!timer_) return;
    timer_->SetInterval(intervalMs);
    timer_->SetEnabled(false);  // a fresh count, also when it was running
    timer_->SetEnabled(true);
  }
  void Stop() override {
    if (timer_) timer_->SetEnabled(false);
  }
  bool IsActive() const override { return timer_ && timer_->Running(); }

 private:
  QPointer<plat::FormTimer> timer_;
};

}  // namespace

void InstallUploadWindow() {
  // Over the sheet whose result it sends (the window manager keeps it there).
  SetUploadStarter([] { plat::forms::get<frmClient>().ShowWindow(); });
}

scoring::ScorerResultValues SheetUploadFields() {
  scoring::ScorerResultValues f;
  f.setting701 = common::Setting701.get();
  f.productName = common::Setting294.get();
  if (!plat::forms::exists<成績單>()) return f;
  const 成績單& s = plat::forms::get<成績單>();
  f.testFile = s.TEXT4->text();
  f.name = s.Text1->text();
  f.identity = s.Text2->text();
  f.classSeat = s.Text15->text();
  f.birthday = s.Text12->text();
  f.speed = s.Text11->text();
  f.minutes = s.Text5A->text();
  f.seconds = s.Text5B->text();
  f.accuracy = s.Text9->text();
  f.errorRate = s.Text10->text();
  f.net = s.Text8->text();
  f.errors = s.Text7->text();
  f.correct = s.Text6->text();
  f.scoredAt = s.TEXT3->text();
  f.inputMethod = s.Text13->text();
  return f;
}

frmClient::frmClient() : UploadWindow(kUploadColumns), Timer1(new plat::FormTimer(this, QStringLiteral("Timer1"))) {
  for (QPushButton* b : {Command1, Command2, Command3, Command4}) b->setAutoDefault(false);
  // What is sent is the sheet's result: nobody edits a score on its way.
  for (QLineEdit* v : Text1) v->setReadOnly(true);
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(false);
  session_ = std::make_unique<net::UploadSession>(*this, net::UploadPolicy{}, plat::MakeTcpClient(),
                                                  std::make_unique<FormTimerTicker>(Timer1));
}

frmClient::~frmClient() { CloseVerdictBox(); }

QString frmClient::StoredHost() const { return common::AssignedHost.get(); }

void frmClient::StoreHost(const QString& host) { common::AssignedHost.set(host); }

net::HostDialog& frmClient::HostDialogForm() { return plat::forms::get<Dialog>(); }

void frmClient::Form_Load() {
  ApplyFormText(kClientForm, this);
  UploadWindow::Form_Load();
  const QStringList headings = net::ScorerUploadHeadings();
  for (int i = 1; i < kUploadColumns; ++i) Label1[i]->setText(headings.value(i));
  FillValues();
}

void frmClient::FillValues() {
  // Once, at load: the boxes keep these values for every later attempt.
  scoring::ScorerResultValues sheet = SheetUploadFields();
  sheet.localAddress = session_->Socket().LocalIP();
  sheet.hostName = session_->Socket().LocalHostName();
  const QStringList values = scoring::ScorerResultFields(sheet);
  for (int i = 0; i < kUploadColumns; ++i) Text1[i]->setText(values.value(i));
  FitTable();
}

void frmClient::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  TakeHost();
  // The end of the attempt, recorded or not, comes from the session
  // (Completed, AttemptEnded); nothing is concluded from its state here.
  CrsDeliver();
}

void frmClient::AttemptStarting() {
  // A new attempt has delivered nothing yet, whatever an earlier one said.
  setWindowTitle(StoreText(11800));
  CloseVerdictBox();
  UploadAttemptStarted();
}

void frmClient::Form_Unload(int&) {
  // Unloaded in the middle of an attempt: the attempt ends here, and the
  // sheet is not left waiting for it.
  if (session_->Timer().IsActive() || !session_->Socket().IsClosed()) session_->Cancel();
  CloseVerdictBox();
}

void frmClient::CloseVerdictBox() {
  if (verdictBox_) verdictBox_->close();
  verdictBox_.clear();
}

// ---- net::UploadView ----------------------------------------------------------

void frmClient::ShowWindow() {
  QWidget* owner = plat::forms::exists<成績單>() ? &plat::forms::get<成績單>() : nullptr;
  Show(plat::ShowMode::Modeless, owner);
}

void frmClient::ShowVerdictError(const QString& text, const QString& title) {
  // Shown without waiting: the reply wait goes on while it is up, and a
  // later "Complete" still counts.
  CloseVerdictBox();
  QMessageBox* box = plat::NewMessageBox(QMessageBox::NoIcon, title, text, this);
  box->setStandardButtons(QMessageBox::Ok);
  box->setObjectName(QStringLiteral("VerdictBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  verdictBox_ = box;
  box->show();
}

void frmClient::Completed() {
  // Recorded: an "Error" box of the same attempt would only mislead, and
  // the host dialog would only send the result a second time.
  CloseVerdictBox();
  if (plat::forms::exists<Dialog>()) plat::forms::get<Dialog>().Hide();
  Hide();
  activated_ = false;
  UploadAttemptEnded(true);
}

void frmClient::AttemptEnded() { UploadAttemptEnded(false); }

void frmClient::ShowRuntimeError(const common::AppError& e) { common::ShowErrorMessage(e); }

}  // namespace scorer
