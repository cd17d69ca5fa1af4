#include "scoring/forms/frmclient.h"

#include <QMessageBox>

#include "common/accessors.h"
#include "common/utilities.h"
#include "platform/core/prompt.h"
#include "platform/gui/twips.h"
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

// The table below the buttons: two columns of twelve rows.
constexpr int kTableTop = 1200, kRowStep = 400, kColumnWidth = 2300, kHeadingWidth = 1000;

}  // namespace

void InstallUploadWindow() {
  SetUploadStarter([] { plat::forms::get<frmClient>().Show(); });
}

net::ScoreSheetFields SheetUploadFields() {
  net::ScoreSheetFields f;
  if (!plat::forms::exists<成績單>()) return f;
  const 成績單& s = plat::forms::get<成績單>();
  f.testName = s.TEXT4->text();
  f.name = s.Text1->text();
  f.identity = s.Text2->text();
  f.classSeat = s.Text15->text();
  f.birthday = s.Text12->text();
  f.speed = s.Text11->text();
  f.minutes = s.Text5A->text();
  f.seconds = s.Text5B->text();
  f.accuracy = s.Text9->text();
  f.errorRate = s.Text10->text();
  f.netScore = s.Text8->text();
  f.deducted = s.Text7->text();
  f.totalCorrect = s.Text6->text();
  f.scoredAt = s.TEXT3->text();
  f.inputMethod = s.Text13->text();
  return f;
}

frmClient::frmClient()
    : Form(QStringLiteral("frmClient")),
      lblMessage(MakeControl<QLabel>(this, "lblMessage", {120, 600, 4440, 420})),
      Command1(MakeControl<QPushButton>(this, "Command1", {120, 120, 1020, 400})),
      Command2(MakeControl<QPushButton>(this, "Command2", {1200, 120, 1020, 400})),
      Command3(MakeControl<QPushButton>(this, "Command3", {2280, 120, 1200, 400})),
      Command4(MakeControl<QPushButton>(this, "Command4", {3540, 120, 1020, 400})),
      Timer1(new plat::FormTimer(this, QStringLiteral("Timer1"))) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("成績上傳"));
  Command1->setText(QStringLiteral("成績送出"));
  Command2->setText(QStringLiteral("取消"));
  Command3->setText(QStringLiteral("詳細資料>>"));
  Command4->setText(QStringLiteral("修改IP"));
  for (QPushButton* b : {Command1, Command2, Command3, Command4}) b->setAutoDefault(false);
  lblMessage->setTextFormat(Qt::PlainText);
  lblMessage->setWordWrap(true);
  lblMessage->setFrameShape(QFrame::Panel);
  lblMessage->setFrameShadow(QFrame::Sunken);
  for (int i = 0; i < kUploadColumns; ++i) {
    const int left = 120 + (i / 12) * kColumnWidth;
    const int top = kTableTop + (i % 12) * kRowStep;
    auto* h = MakeControl<QLabel>(this, "", {left, top, kHeadingWidth, 330});
    h->setObjectName(plat::ArrayElementName(QStringLiteral("Label1"), i));
    h->setTextFormat(Qt::PlainText);
    auto* v = MakeControl<QLineEdit>(this, "", {left + kHeadingWidth, top, kColumnWidth - kHeadingWidth - 60, 330});
    v->setObjectName(plat::ArrayElementName(QStringLiteral("Text1"), i));
    // What is sent is the sheet's result: nobody edits a score on its way.
    v->setReadOnly(true);
    Label1 << h;
    Text1 << v;
  }
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(false);
  session_ = std::make_unique<net::UploadSession>(*this, net::UploadPolicy{}, plat::MakeTcpClient(),
                                                  std::make_unique<FormTimerTicker>(Timer1));
  QObject::connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  QObject::connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  QObject::connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  QObject::connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
}

frmClient::~frmClient() {
  CloseVerdictBox();
  session_.reset();  // before Timer1 goes with the children
}

void frmClient::Form_Load() {
  ApplyFormText(kClientForm, this);
  Hide();
  SetSizeTwips(this, kClientWidth, kClientFoldedHeight);
  activated_ = false;
  session_->Timer().Stop();
  const QStringList builtIn = net::UploadBuiltInHeadings();
  for (int i = 0; i < kUploadColumns; ++i) {
    Label1[i]->setText(builtIn.value(i));
    Text1[i]->clear();
  }
  const QStringList headings = net::ScorerUploadHeadings();
  for (int i = 1; i < kUploadColumns; ++i) Label1[i]->setText(headings.value(i));
  FillValues();
}

void frmClient::FillValues() {
  // Once, at load: the boxes keep these values for every later attempt.
  const QStringList values = net::ScorerUploadValues(SheetUploadFields(), session_->Socket().LocalIP(),
                                                     session_->Socket().LocalHostName());
  for (int i = 0; i < kUploadColumns; ++i) Text1[i]->setText(values.value(i));
}

void frmClient::Form_Activate() {
  if (activated_) return;
  activated_ = true;
  const QString stored = common::AssignedHost.get();
  if (stored.isEmpty()) {
    QString host = plat::prompt().InputText(StoreText(11807), windowTitle(), QString()).trimmed();
    // Never an empty host: the connect tries then end in the host dialog.
    if (host.isEmpty()) host = kPlaceholderHost;
    common::AssignedHost.set(host);
  } else {
    plat::forms::get<Dialog>().Text1->setText(stored);
  }
  // The end of the attempt, recorded or not, comes from the session
  // (Completed, AttemptEnded); nothing is concluded from its state here.
  CrsDeliver();
}

void frmClient::CrsDeliver() {
  // A new attempt has delivered nothing yet, whatever an earlier one said.
  setWindowTitle(StoreText(11800));
  CloseVerdictBox();
  QStringList values;
  for (const QLineEdit* t : Text1) values << t->text();
  session_->SetValues(values);
  UploadAttemptStarted();
  session_->Deliver();
}

void frmClient::Command2_Click() {
  session_->Cancel();
  Hide();
}

void frmClient::Command3_Click() {
  if (Command3->text() == StoreText(11805)) {
    SetSizeTwips(this, kClientWidth, kClientUnfoldedHeight);
    Command3->setText(StoreText(11806));
  } else {
    SetSizeTwips(this, kClientWidth, kClientFoldedHeight);
    Command3->setText(StoreText(11805));
  }
}

void frmClient::Command4_Click() { ShowHostDialog(false); }

void frmClient::ShowHostDialog(bool modal) {
  // Modal to this window without a loop of its own: ticks and socket
  // events go on while it is up.
  Dialog& d = plat::forms::get<Dialog>();
  if (!d.isVisible()) d.setWindowModality(modal ? Qt::WindowModal : Qt::NonModal);
  d.Show(plat::ShowMode::Modeless, this);
}

void frmClient::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  if (mode != plat::UnloadMode::ControlMenu) return;
  // The title bar's close is the cancel button; the window stays loaded.
  // While the first attempt runs there is no cancel, so no close either.
  cancel = 1;
  if (Command2->isEnabled() || !session_->Timer().IsActive()) Command2_Click();
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

void frmClient::SetStatus(const QString& t) { lblMessage->setText(t); }
void frmClient::AppendStatus(const QString& t) { lblMessage->setText(lblMessage->text() + t); }
void frmClient::SetCaption(const QString& t) { setWindowTitle(t); }
void frmClient::EnableSend(bool on) { Command1->setEnabled(on); }
void frmClient::EnableCancel(bool on) { Command2->setEnabled(on); }
void frmClient::FocusDetails() { Command3->setFocus(); }

void frmClient::ShowVerdictError(const QString& text, const QString& title) {
  // Shown without waiting: the reply wait goes on while it is up, and a
  // later "Complete" still counts.
  CloseVerdictBox();
  auto* box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("VerdictBox"));
  box->setTextFormat(Qt::PlainText);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  verdictBox_ = box;
  box->show();
}

void frmClient::OfferHostDialog() { ShowHostDialog(true); }

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
