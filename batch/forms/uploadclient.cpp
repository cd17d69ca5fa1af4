#include "batch/forms/uploadclient.h"

#include <QStyle>
#include <QTimer>

#include "batch/core/batch.h"
#include "batch/core/summaryfile.h"
#include "batch/forms/captions.h"
#include "batch/forms/formkit.h"
#include "batch/forms/scoresheet.h"
#include "batch/forms/services.h"
#include "common/store.h"
#include "platform/core/prompt.h"

namespace batchui {

namespace {

batch::Batch& B() { return batch::batch(); }

frmClient::TickerMaker& tickerMaker() {
  static frmClient::TickerMaker maker;
  return maker;
}

constexpr int kClientWidth = 4720;
constexpr int kFoldedHeight = 1200;
constexpr int kUnfoldedHeight = 6350;
// The table below the buttons: two columns of twelve rows.
constexpr int kTableTop = 1200, kRowStep = 400, kColumnWidth = 2300;

}  // namespace

QStringList BatchUploadValues() { return batch::BatchResultFields(B().LineValues(12501)); }

void frmClient::SetTickerMaker(TickerMaker maker) { tickerMaker() = std::move(maker); }

frmClient::frmClient()
    : Form(QStringLiteral("frmClient")),
      lblMessage(MakeControl<QLabel>(this, "lblMessage", {120, 660, 4480, 420})),
      Command1(MakeControl<QPushButton>(this, "Command1", {120, 120, 1060, 420})),
      Command2(MakeControl<QPushButton>(this, "Command2", {1260, 120, 1060, 420})),
      Command3(MakeControl<QPushButton>(this, "Command3", {2400, 120, 1100, 420})),
      Command4(MakeControl<QPushButton>(this, "Command4", {3580, 120, 1020, 420})) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("成績上傳"));
  Command1->setText(QStringLiteral("成績送出"));
  Command2->setText(QStringLiteral("取消"));
  Command3->setText(QStringLiteral("詳細資料>>"));
  Command4->setText(QStringLiteral("修改IP"));
  lblMessage->setTextFormat(Qt::PlainText);
  lblMessage->setWordWrap(true);
  lblMessage->setFrameShape(QFrame::Panel);
  lblMessage->setFrameShadow(QFrame::Sunken);
  for (int i = 0; i < kColumns; ++i) {
    const int left = 120 + (i / 12) * kColumnWidth;
    const int top = kTableTop + (i % 12) * kRowStep;
    auto* h = MakeControl<QLabel>(this, "", {left, top, 1020, 330});
    h->setObjectName(plat::ArrayElementName(QStringLiteral("Label1"), i));
    auto* v = MakeControl<QLineEdit>(this, "", {left + 1020, top, kColumnWidth - 1080, 330});
    v->setObjectName(plat::ArrayElementName(QStringLiteral("Text1"), i));
    Label1 << h;
    Text1 << v;
  }
  QObject::connect(Command1, &QPushButton::clicked, this,
                   [this] { Trap("Command1_Click", [this] { Command1_Click(); }); });
  QObject::connect(Command2, &QPushButton::clicked, this,
                   [this] { Trap("Command2_Click", [this] { Command2_Click(); }); });
  QObject::connect(Command3, &QPushButton::clicked, this,
                   [this] { Trap("Command3_Click", [this] { Command3_Click(); }); });
  QObject::connect(Command4, &QPushButton::clicked, this,
                   [this] { Trap("Command4_Click", [this] { Command4_Click(); }); });
}

frmClient::~frmClient() = default;

net::UploadSession& frmClient::Session() {
  if (!session_) {
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
  return *session_;
}

void frmClient::Form_Load() {
  ApplyFormText(kClientForm, this);
  Hide();
  plat::SetTwipsSize(this, kClientWidth, kFoldedHeight);
  activated_ = false;
  Session().Timer().Stop();
  const QStringList headings = net::UploadBuiltInHeadings();
  for (int i = 0; i < kColumns; ++i) {
    Label1[i]->setText(headings.value(i));
    Text1[i]->setText(QString());
  }
  FillValues();
}

void frmClient::FillValues() {
  const QStringList values = BatchUploadValues();
  for (int i = 0; i < kColumns; ++i) Text1[i]->setText(values.value(i));
}

void frmClient::Form_Activate() {
  Trap("Form_Activate", [this] { ActivateWindow(); });
}

void frmClient::ActivateWindow() {
  if (activated_) return;
  activated_ = true;
  finished_ = false;
  QString host = B().setup.AssignedHost();
  if (host.isEmpty()) {
    host = plat::prompt().InputText(StoreText(11807), windowTitle(), QString());
    if (host.trimmed().isEmpty()) host = kPlaceholderHost;
    B().setup.AssignedHost(host);
  } else {
    plat::forms::get<Dialog>().Text1->setText(host);
  }
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

void frmClient::CrsDeliver() {
  QStringList values;
  for (QLineEdit* t : Text1) values << t->text();
  Session().SetValues(values);
  Session().Deliver();
}

void frmClient::Command2_Click() {
  Session().Cancel();
  Hide();
  CheckDone();
}

void frmClient::Command3_Click() {
  if (Command3->text() == StoreText(11805)) {
    plat::SetTwipsSize(this, kClientWidth, kUnfoldedHeight);
    Command3->setText(StoreText(11806));
  } else {
    plat::SetTwipsSize(this, kClientWidth, kFoldedHeight);
    Command3->setText(StoreText(11805));
  }
}

void frmClient::Command4_Click() { ShowHostDialog(); }

void frmClient::ShowHostDialog() {
  // Modal to this window without a loop of its own: the ticks and the
  // socket go on while it is up.
  Dialog& d = plat::forms::get<Dialog>();
  if (!d.isVisible()) d.setWindowModality(Qt::WindowModal);
  d.Show(plat::ShowMode::Modeless, this);
}

void frmClient::HostDialogCancelled() { CheckDone(); }

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
    const bool running = session_ && session_->Timer().IsActive();
    if (finished_ || (!running && !dialogUp)) plat::app().EndProgram(0);
  });
}

// ---- net::UploadView ----------------------------------------------------------

void frmClient::ShowWindow() {
  QWidget* owner = nullptr;
  if (plat::forms::exists<成績單>() && plat::forms::get<成績單>().isVisible()) owner = &plat::forms::get<成績單>();
  Show(plat::ShowMode::Modeless, owner);
}

void frmClient::SetStatus(const QString& t) { lblMessage->setText(t); }
void frmClient::AppendStatus(const QString& t) { lblMessage->setText(lblMessage->text() + t); }
void frmClient::SetCaption(const QString& t) { setWindowTitle(t); }

void frmClient::EnableSend(bool on) {
  Command1->setEnabled(on);
  if (on) CheckDone();
}

void frmClient::EnableCancel(bool on) { Command2->setEnabled(on); }
void frmClient::FocusDetails() { Command3->setFocus(); }

void frmClient::ShowVerdictError(const QString& text, const QString& title) { ShowNotice(text, title); }

void frmClient::OfferHostDialog() { ShowHostDialog(); }

void frmClient::Completed() {
  Hide();
  activated_ = false;
  finished_ = true;
  CheckDone();
}

void frmClient::ShowRuntimeError(const common::AppError& e) {
  const QString what = e.text.isEmpty() ? common::RuntimeErrorText(e.number) : e.text;
  lblMessage->setText(StoreText(14003) + QString::number(e.number) + u' ' + what);
}

// ---- Dialog -------------------------------------------------------------------

Dialog::Dialog()
    : Form(QStringLiteral("Dialog")),
      Text1(MakeControl<QLineEdit>(this, "Text1", {1200, 1500, 3900, 330})),
      Label1(MakeControl<QLabel>(this, "Label1", {1200, 180, 3900, 1200})),
      Image1(MakeControl<QLabel>(this, "Image1", {240, 240, 720, 720})),
      OKButton(MakeControl<QPushButton>(this, "OKButton", {2640, 2040, 1200, 400})),
      CancelButton(MakeControl<QPushButton>(this, "CancelButton", {3900, 2040, 1200, 400})) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("無法傳送(錯誤訊息)"));
  plat::SetTwipsSize(this, 5340, 2640);
  setFixedSize(size());
  Label1->setWordWrap(true);
  Label1->setText(
      QStringLiteral("您指定的遠端主機或IP位址目前無法儲存成績,\n"
                     "請告知考場負責人查明原因,待伺服器可正常連線運作之後再按下[確定]鈕重新傳遞您的成績。"));
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
  OKButton->setText(QStringLiteral("確定"));
  OKButton->setDefault(true);
  CancelButton->setText(QStringLiteral("放棄"));
  SetCancelButton(CancelButton);
  QObject::connect(OKButton, &QPushButton::clicked, this,
                   [this] { Trap("OKButton_Click", [this] { OKButton_Click(); }); });
  QObject::connect(CancelButton, &QPushButton::clicked, this,
                   [this] { Trap("CancelButton_Click", [this] { CancelButton_Click(); }); });
}

void Dialog::OKButton_Click() {
  Hide();
  if (!Text1->text().trimmed().isEmpty()) B().setup.AssignedHost(Text1->text().trimmed());
  plat::forms::get<frmClient>().CrsDeliver();
}

void Dialog::CancelButton_Click() {
  Hide();
  plat::forms::get<frmClient>().HostDialogCancelled();
}

void Dialog::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  if (mode == plat::UnloadMode::ControlMenu) {
    cancel = 1;
    CancelButton_Click();
  }
}

}  // namespace batchui
