#include "net/forms/frmdownload3.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/formtext.h"
#include "common/scramble.h"
#include "common/store.h"
#include "net/core/failurelog.h"
#include "net/core/listroutines.h"
#include "net/core/receiverprotocol.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/random.h"
#include "platform/gui/controls.h"
#include "platform/gui/desktop.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "platform/media/sound.h"

namespace net {

namespace {

constexpr auto T = &common::StoreText;

QColor ColourOf(LineColour c) {
  switch (c) {
    case LineColour::Red: return QColor(255, 0, 0);
    case LineColour::Magenta: return QColor(255, 0, 255);
    case LineColour::Green: return QColor(0, 255, 0);
    case LineColour::Yellow: return QColor(255, 255, 0);
    case LineColour::Black: break;
  }
  return QColor(0, 0, 0);
}

using plat::MakeControl;

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, const plat::TwipsBox& box) {
  auto* b = MakeControl<QPushButton>(parent, name, box);
  b->setText(caption);
  b->setAutoDefault(false);
  return b;
}

QLabel* Label(QWidget* parent, const QString& name, const QString& caption, const plat::TwipsBox& box) {
  auto* l = MakeControl<QLabel>(parent, name, box);
  l->setTextFormat(Qt::PlainText);
  l->setText(caption);
  return l;
}

QLineEdit* Box(QWidget* parent, const QString& name, const QString& text, const plat::TwipsBox& box) {
  auto* e = MakeControl<QLineEdit>(parent, name, box);
  e->setText(text);
  return e;
}

// The width of the fetch buttons' band.
constexpr int kButtonsWidth = 9600;

// The publisher's server in the design's default addresses.
const QString kPublisherHost = QStringLiteral("www.example.org");

// A name a server gives us that also goes into a file pattern: no wildcard.
bool UsableName(const QString& folder, const QString& name) {
  return !name.contains(u'*') && !name.contains(u'?') && !SafeFilePath(folder, name).isEmpty();
}

// The entry of a listing that is the name itself (letter case ignored), as
// the server spells it; a longer name that only begins with it is another file.
QString ListedName(const QStringList& entries, const QString& name) {
  const QString hit = CheckListBox(entries, name);
  return hit.compare(name, Qt::CaseInsensitive) == 0 ? hit : QString();
}

QStringList Entries(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

void Fill(QListWidget* list, const QStringList& entries) {
  list->clear();
  list->addItems(entries);
}

}  // namespace

// ---- small helpers -----------------------------------------------------------

namespace {
bool testUnderWay = false;
}  // namespace

void SetTestUnderWay(bool underWay) { testUnderWay = underWay; }
bool TestUnderWay() { return testUnderWay; }

QString DownloadDataFolder() { return common::ProgramFolder.get() + QStringLiteral("Data"); }

QString StampName(const QString& nameOrUrl) {
  if (nameOrUrl.isEmpty()) return {};
  return nameOrUrl.left(nameOrUrl.size() - 1) + u'x';
}

void ShowLocalPage(QTextBrowser* browser, const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    browser->clear();
    return;
  }
  const QByteArray bytes = f.readAll();
  // Pages are Big5 unless they say otherwise.
  const QByteArray head = bytes.left(2048).toLower();
  const bool utf8 = bytes.startsWith("\xEF\xBB\xBF") || head.contains("charset=utf-8") ||
                    head.contains("charset=\"utf-8\"");
  const QString text = utf8 ? QString::fromUtf8(bytes) : plat::fromCp950(bytes);
  browser->setSearchPaths({QFileInfo(path).absolutePath()});
  if (Qt::mightBeRichText(text))
    browser->setHtml(text);
  else
    browser->setPlainText(text);
}

LineControl::LineControl(QWidget* parent, const QString& name) : QFrame(parent) {
  setObjectName(name);
  setFrameShape(QFrame::NoFrame);
  setAutoFillBackground(true);
  SetColour(LineColour::Black);
}

void LineControl::SetColour(LineColour c) {
  colour_ = c;
  QPalette p = palette();
  p.setColor(QPalette::Window, ColourOf(c));
  setPalette(p);
}

// ---- the window ----------------------------------------------------------------

FrmDownload3::FrmDownload3() : Form(QStringLiteral("FrmDownload3")) {
  setWindowTitle(QStringLiteral("連線測試"));
  // The controls stand in bands, one for each size the window takes: the
  // status and stop buttons (5600 x 1200), the fetch buttons and the test
  // list (9600 x 3250), the notice page (4250), the fields (8000). A control
  // shows only while it lies wholly inside the window (Form_Resize).
  Label1 = Label(this, "Label1", QString(), {120, 60, 5360, 300});
  Line1 = new LineControl(this, "Line1");
  plat::SetTwipsGeometry(Line1, {120, 400, 2600, 45});
  Line2 = new LineControl(this, "Line2");
  plat::SetTwipsGeometry(Line2, {2800, 400, 2600, 45});
  Command4 = Button(this, "Command4", QStringLiteral("中斷連線"), {120, 520, 1700, 400});
  Command7 = Button(this, "Command7", QStringLiteral("放棄"), {1900, 520, 1700, 400});
  Command5 = Button(this, "Command5", QStringLiteral("離開"), {3680, 520, 1700, 400});

  Command1 = Button(this, "Command1", QStringLiteral("依照接收器指定的考題"), {120, 1040, 3000, 400});
  Command2 = Button(this, "Command2", QStringLiteral("電腦抽題並下載題目"), {3200, 1040, 3000, 400});
  Command3 = Button(this, "Command3", QStringLiteral("受測者選擇題目並下載"), {6280, 1040, 3000, 400});
  Command6 = Button(this, "Command6", QStringLiteral("重試"), {120, 1520, 1500, 400});
  Check1 = MakeControl<QCheckBox>(this, "Check1", {1700, 1520, 1800, 400});
  Check1->setText(QStringLiteral("背景下載"));
  Check2 = MakeControl<QCheckBox>(this, "Check2", {3600, 1520, 2000, 400});
  Check2->setText(QStringLiteral("一次下載全部音檔"));
  Label2 = Label(this, "Label2", QString(), {5700, 1570, 3780, 300});
  List1 = MakeControl<QListWidget>(this, "List1", {120, 2000, 4600, 1130});
  List2 = MakeControl<QListWidget>(this, "List2", {4800, 2000, 4680, 1130});

  WebBrowser1 = MakeControl<QTextBrowser>(this, "WebBrowser1", {120, 3250, 9360, 900});
  WebBrowser1->setOpenLinks(false);

  Frame1 = MakeControl<QGroupBox>(this, "Frame1", {120, 4250, 4600, 2700});
  Frame1->setTitle(QStringLiteral("設定 FTP Remote 端"));
  const QString labels[] = {QStringLiteral("下載IP位址"), QStringLiteral("Port"), QStringLiteral("登入帳號"),
                            QStringLiteral("登入密碼"), QStringLiteral("成績接收IP位址"), QStringLiteral("Port")};
  QLabel** ls[] = {&L1, &L2, &L3, &L4, &L5, &L6};
  QLineEdit** ts[] = {&T1, &T2, &T3, &T4, &T5, &T6, &T7};
  for (int i = 0; i < 7; ++i) {
    const int top = 250 + i * 340;
    if (i < 6) *ls[i] = Label(Frame1, QStringLiteral("L%1").arg(i + 1), labels[i], {100, top, 1500, 330});
    *ts[i] = Box(Frame1, QStringLiteral("T%1").arg(i + 1), QString(), {1650, top, 2800, 330});
  }
  // The server's account is no candidate's to read: the user name is
  // masked like the password.
  T3->setEchoMode(QLineEdit::Password);
  T4->setEchoMode(QLineEdit::Password);
  T6->setText(QStringLiteral("5566"));

  Text1 = Box(this, "Text1", QString(), {4800, 4250, 1500, 330});
  Text1->setToolTip(QStringLiteral("科目代碼"));
  Text3 = Box(this, "Text3", QStringLiteral("*.TXT"), {6400, 4250, 1500, 330});
  Text5 = Box(this, "Text5", QStringLiteral("1"), {8000, 4250, 800, 330});
  Text2 = Box(this, "Text2", QString(), {4800, 4620, 4680, 330});
  Text2->setToolTip(QStringLiteral("取得試題檔名範例"));
  Text4 = Box(this, "Text4", QString(), {4800, 4990, 4680, 330});
  Text4->setToolTip(QStringLiteral("下載各類檔案"));
  Text4B = Box(this, "Text4B", QString(), {4800, 5360, 4680, 330});
  Text12 = Box(this, "Text12", QString(), {4800, 5730, 2300, 330});
  Text13 = Box(this, "Text13", QStringLiteral("C2A2B3"), {7180, 5730, 2300, 330});
  Text6 = Box(this, "Text6", QString(), {4800, 6100, 2300, 330});
  Text7 = Box(this, "Text7", QStringLiteral("http://") + kPublisherHost + QStringLiteral("/note/ad.htm"),
              {7180, 6100, 2300, 330});
  const QString note = QStringLiteral("http://") + kPublisherHost + QStringLiteral("/note/zet.ini");
  Text8 = Box(this, "Text8", note, {4800, 6470, 2300, 330});
  Text9 = Box(this, "Text9", note, {7180, 6470, 2300, 330});
  lstRemoteFile = MakeControl<QListWidget>(this, "lstRemoteFile", {4800, 6870, 4680, 580});
  // The FTP server text holds the account in clear: it is data for the
  // window's callers, never shown.
  const QString ftp = QStringLiteral("ftp.example.org,21,dunro,kelpa");
  Text10 = Box(this, "Text10", ftp, {120, 7000, 2300, 330});
  Text11 = Box(this, "Text11", ftp, {2420, 7000, 2300, 330});
  Text10->setVisible(false);
  Text11->setVisible(false);
  Label3 = Label(this, "Label3", QString(), {120, 7500, 9360, 250});

  Timer1 = new plat::FormTimer(this, QStringLiteral("Timer1"));
  Timer1->SetInterval(1000);
  Timer1->Tick = [this] { Timer1_Timer(); };

  auto on = [this](QPushButton* b, const char* name, void (FrmDownload3::*fn)()) {
    const QString proc = QStringLiteral("FrmDownload3.") + QLatin1String(name);
    connect(b, &QPushButton::clicked, this, [this, fn, proc] { plat::RunHandler(proc, [this, fn] { (this->*fn)(); }); });
  };
  on(Command1, "Command1_Click", &FrmDownload3::Command1_Click);
  on(Command2, "Command2_Click", &FrmDownload3::Command2_Click);
  on(Command3, "Command3_Click", &FrmDownload3::Command3_Click);
  on(Command4, "Command4_Click", &FrmDownload3::Command4_Click);
  on(Command5, "Command5_Click", &FrmDownload3::Command5_Click);
  on(Command6, "Command6_Click", &FrmDownload3::Command6_Click);
  on(Command7, "Command7_Click", &FrmDownload3::Command7_Click);
  connect(List1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int row = List1->row(item);
    plat::RunHandler(QStringLiteral("FrmDownload3.List1_Click"), [this, row] { List1_Click(row); });
  });

  OpenPage = [](const QUrl& url) {
    if (url.scheme() == u"http" || url.scheme() == u"https") plat::desktop().OpenUrl(url);
  };
  client_ = plat::MakeCurlWebClient();
  link_ = std::make_unique<ReceiverLink>(*this);
  web_ = std::make_unique<WebTransfers>(*this, *client_);
}

FrmDownload3::~FrmDownload3() {
  *alive_ = false;
  // The transfers report to this window: they go first.
  web_.reset();
  link_.reset();
}

void FrmDownload3::SetWebClient(std::unique_ptr<plat::WebClient> client) {
  web_.reset();
  client_ = std::move(client);
  web_ = std::make_unique<WebTransfers>(*this, *client_);
  SetTimeouts(replyMs_, idleMs_);
}

void FrmDownload3::SetTimeouts(int replyMs, int idleMs) {
  replyMs_ = replyMs;
  idleMs_ = idleMs;
  link_->SetTimeouts(replyMs, idleMs);
  WebLimits limits;
  limits.connectMs = replyMs;
  limits.idleMs = idleMs;
  web_->SetLimits(limits);
}

void FrmDownload3::Form_Load() {
  common::ApplyFormText(6, this);
  SetSize(1200, 5600);
  // NetLinkStatus starts at 0 with the instance: a caller may have set it on
  // the instance before its first show, and that value stands.
}

void FrmDownload3::Form_QueryUnload(int& cancel, plat::UnloadMode) { cancel = 1; }

void FrmDownload3::SetSize(int heightTwips, int widthTwips) {
  plat::SetTwipsSize(this, widthTwips, heightTwips);
  Form_Resize();  // also when the size was already this one
}

void FrmDownload3::Form_Resize() {
  // The status line spans the window; every other control shows only where
  // the window holds it whole, so nothing is cut (the screen may also have
  // made the window smaller than its mode asks).
  Label1->resize(std::max(0, width() - 2 * plat::TwipsToPixels(120)), Label1->height());
  const QRect inside = rect();
  for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (w->isWindow() || w == Text10 || w == Text11 || w->objectName().isEmpty()) continue;
    w->setVisible(inside.contains(w->geometry()));
  }
}

int FrmDownload3::Digit(int position) const {
  return static_cast<int>(plat::ValNumber(QStringView(UserSetData).mid(position - 1, 1)));
}

FtpParameters FrmDownload3::Ftp() const {
  return FtpParameters{T1->text(), T2->text(), T3->text(), T4->text(), T7->text()};
}

QString FrmDownload3::DataFolder() const { return DownloadDataFolder(); }

QString FrmDownload3::FtpEndpoint() const { return T1->text().trimmed() + u':' + T2->text().trimmed(); }
QString FrmDownload3::ReceiverEndpoint() const { return T5->text().trimmed() + u':' + T6->text().trimmed(); }

void FrmDownload3::FlowStart() { flowRunning_ = true; }

void FrmDownload3::FlowEnd() {
  flowRunning_ = false;
  if (hideAtFlowEnd_) {
    hideAtFlowEnd_ = false;
    Hide();
  }
  if (backgroundQueued_) {
    backgroundQueued_ = false;
    auto alive = alive_;
    QTimer::singleShot(0, this, [this, alive] {
      if (*alive && UserSw == mode::kBackground) DownloadBackground(0);
    });
  }
}

// ---- activation, tasks, tick -----------------------------------------------------

void FrmDownload3::Form_Activate() {
  if (UserSTOP != 0) return;
  const int d1 = Digit(1);
  if (UserSw == mode::kClosing) {
    tickState_.tickCounter = 0;
    Label1->setText(T(10615));
    SetSize(1200, 5600);
    UserSTOP = -1;
    Timer1->SetEnabled(true);
    Command6->setEnabled(false);
    Command7->setEnabled(false);
  } else if (NetLinkStatus == link::kIdle && UserSw == mode::kFetchNamed) {
    if (Digit(13) == 9) {
      order_.Reset();
      orderUsedUp_ = false;
      NextMethod();
    }
    Label1->setText(T(10616));
    SetSize(1200, 5600);
    UserSTOP = 0;
    Timer1->SetEnabled(true);
  } else if (UserSw == mode::kBackground) {
    Timer1->SetEnabled(true);
    DownloadBackground(0);
  } else if (d1 == 1) {
    SetSize(4250, 9600);
  } else if (d1 == 2) {
    SetSize(8000, 9600);
  } else if (d1 == 9) {
    SetSize(8000, 10000);
  } else {
    // The fetch buttons and the test list, whatever size the window had
    // before: what a candidate can press never depends on an earlier show.
    SetSize(3250, kButtonsWidth);
  }
  if (d1 == 4 && UserSw < 3) SetSize(8000, 10000);
  if (isVisible()) plat::CentreOnScreen(this);
}

void FrmDownload3::BeginNetTask(int) {
  for (QWidget* w : {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2),
                     static_cast<QWidget*>(Command3), static_cast<QWidget*>(Command5),
                     static_cast<QWidget*>(Command6), static_cast<QWidget*>(Frame1), static_cast<QWidget*>(List1)})
    w->setEnabled(false);
  Command4->setEnabled(true);
  Command7->setEnabled(true);
  UserSTOP = 0;
  failText_.clear();
  Timer1->SetEnabled(true);
  Label1->setText(T(10609));
  Inet1_StateChanged(0);  // nothing to report yet
}

void FrmDownload3::EndNetTask(int code) {
  StateOut();
  EndTask(code);
  StateIn();
}

void FrmDownload3::EndTask(int code) {
  Label1->setText(T(10611));
  if (code == 99) {
    NetLinkStatus = link::kFailed;
    Label1->setText(T(10612));
    // A failure with a reason of its own keeps it in view.
    if (!failText_.isEmpty()) Label1->setText(failText_);
  }
  failText_.clear();
  if (NetLinkStatus != link::kIdle && NetLinkStatus != link::kFailed) return;  // still marked running
  for (QWidget* w : {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2),
                     static_cast<QWidget*>(Command3), static_cast<QWidget*>(Command5),
                     static_cast<QWidget*>(Command6), static_cast<QWidget*>(Command7),
                     static_cast<QWidget*>(Frame1), static_cast<QWidget*>(List1)})
    w->setEnabled(true);
  Command4->setEnabled(false);
  Timer1->SetEnabled(false);
  if (UserSTOP == -1) {
    NetLinkStatus = link::kIdle;
  } else if ((UserSw == mode::kFetchStarted || UserSw == mode::kFetchNamed) && NetLinkStatus == link::kFailed &&
             Digit(13) == 9) {
    // The next method, started by the next tick: never from inside the
    // failing flow. After the order's last try the failure stands.
    if (NextMethod()) {
      if (UserSw == mode::kFetchStarted) UserSw = mode::kFetchNamed;
      NetLinkStatus = link::kIdle;
      Timer1->SetEnabled(true);
    } else {
      UserSw = mode::kNone;
    }
  }
  Line1->SetColour(LineColour::Black);
  if (UserSw == mode::kClosing) {
    UserSw = mode::kClosingDone;
    Timer1->SetEnabled(true);
    Command6->setEnabled(false);
    Command7->setEnabled(false);
  }
  if (UserSw == mode::kGiveUp) Hide();
}

void FrmDownload3::StateIn() {
  tickState_.userSw = UserSw;
  tickState_.userStop = UserSTOP;
  tickState_.netLinkStatus = NetLinkStatus;
}

void FrmDownload3::StateOut() {
  UserSw = static_cast<std::uint8_t>(tickState_.userSw);
  UserSTOP = static_cast<std::int16_t>(tickState_.userStop);
  NetLinkStatus = static_cast<std::uint8_t>(tickState_.netLinkStatus);
}

void FrmDownload3::Timer1_Timer() {
  // After the user's stop, a link still marked running or done with nothing
  // under way (a task left open for the background fetch) is idle, so the
  // task can end. (Closing mode keeps its own limit of ticks.)
  if (UserSTOP == -1 && UserSw != mode::kClosing && UserSw != mode::kClosingDone && !flowRunning_ &&
      !link_->Busy() && !web_->Busy() && (NetLinkStatus == link::kRunning || NetLinkStatus == link::kDone))
    NetLinkStatus = link::kIdle;
  StateIn();
  DownloadTick(*this, plat::clock().SecondsSinceMidnight());
  StateOut();
}

void FrmDownload3::StartNamedTestFlow() {
  StateOut();
  if (flowRunning_)
    UserSw = mode::kFetchNamed;  // another flow first; a later tick starts this one
  else
    NamedFlow();
  StateIn();
}

bool FrmDownload3::NextMethod() {
  if (orderUsedUp_) return false;
  const std::uint8_t before = UserSw;
  Revolve_Order();
  if (UserSw == mode::kNone && before != mode::kNone) {
    // The order wrapped: the method just chosen is its last try, and it
    // still runs.
    orderUsedUp_ = true;
    UserSw = before;
  }
  return true;
}

void FrmDownload3::Revolve_Order() {
  const MethodStep step = order_.Revolve(Text13->text());
  if (!step.logLine.isEmpty()) AddLog(step.logLine);
  if (step.wrapped) UserSw = mode::kNone;
}

// ---- buttons -----------------------------------------------------------------------

void FrmDownload3::Command1_Click() { NamedFlow(); }
void FrmDownload3::Command6_Click() { NamedFlow(); }
void FrmDownload3::Command2_Click() { PickFlow(true); }
void FrmDownload3::Command3_Click() { PickFlow(false); }
void FrmDownload3::Command5_Click() { Hide(); }

void FrmDownload3::Command4_Click() {
  Label1->setText(T(10608));
  UserSTOP = -1;
  Timer1->SetEnabled(true);
  link_->Stop();
  web_->Stop();
}

void FrmDownload3::Command7_Click() {
  Label1->setText(T(10608));
  UserSTOP = -1;
  // Set before the stop reaches the flow: its end hides the window.
  UserSw = mode::kGiveUp;
  Timer1->SetEnabled(true);
  link_->Stop();
  web_->Stop();
}

void FrmDownload3::List1_Click(int row) {
  if (flowRunning_ || row < 0 || row >= List1->count()) return;
  if (NetLinkStatus != link::kIdle && NetLinkStatus != link::kFailed) return;
  const QString entry = List1->item(row)->text();
  // A task of its own, so the link ends idle and the buttons come back.
  FlowStart();
  BeginNetTask(1);
  ChooseEntry(entry, [this](FlowResult r) {
    if (r == FlowResult::Done) {
      NetLinkStatus = link::kIdle;
      EndTask(1);
    }
    FlowEnd();
  });
}

// ---- the receiver exchanges ---------------------------------------------------------

void FrmDownload3::Connect(const QString& timeoutText, std::function<void(bool)> next) {
  Label1->setText(T(10601) + QStringLiteral(".."));
  link_->SetEndpoint(T5->text(), T6->text());
  link_->Open(timeoutText, [next](WaitResult r) { next(r == WaitResult::Answered); });
}

void FrmDownload3::NamedFlow() {
  if (flowRunning_ || (NetLinkStatus != link::kIdle && NetLinkStatus != link::kFailed)) return;
  FlowStart();
  BeginNetTask(1);
  Connect(T(10602) + QStringLiteral(".."), [this](bool ok) {
    if (!ok) {
      link_->Close();
      EndTask(99);
      FlowEnd();
      return;
    }
    NamedAttempt(0);
  });
}

void FrmDownload3::NamedAttempt(int retry) {
  auto fail = [this] {
    link_->Close();
    EndTask(99);
    FlowEnd();
  };
  Label1->setText(T(10601) + QStringLiteral("...."));
  auto afterList = [this, retry, fail](WaitResult r) {
    if (r != WaitResult::Answered) return fail();
    Label1->setText(T(10601) + QStringLiteral("......"));
    link_->Ask(ServerParametersRequest(), T(10602) + QStringLiteral("......"), [this, retry, fail](WaitResult r) {
      if (r != WaitResult::Answered) return fail();
      Label1->setText(T(10601) + QStringLiteral("........"));
      link_->Ask(NoticePageRequest(), T(10602) + QStringLiteral("........"), [this, retry, fail](WaitResult r) {
        if (r != WaitResult::Answered) return fail();
        Label1->setText(T(10601) + QStringLiteral(".........."));
        const bool missing = T1->text().isEmpty() || T2->text().isEmpty() || T3->text().isEmpty() ||
                             T4->text().isEmpty() || T7->text().isEmpty() || Text2->text().isEmpty();
        if (!missing) return NamedHaveFields();
        if (retry <= 8) {
          AddLog(T(10603) + QStringLiteral("...") + QString::number(retry + 1));
          return NamedAttempt(retry + 1);
        }
        common::WriteErrorLog(T(10603) + QStringLiteral("..."));
        fail();
      });
    });
  };
  // With setting 1998 the receiver speaks first: its next message is the answer.
  if (common::SystemIniValue(1998).asInt() == 1)
    link_->Await(T(10602) + QStringLiteral("...."), afterList);
  else
    link_->Ask(TestListRequest(Text1->text()), T(10602) + QStringLiteral("...."), afterList);
}

void FrmDownload3::NamedHaveFields() {
  link_->Close();
  Label1->setText(T(10604) + QStringLiteral("............."));
  // Attempt n takes piece n (piece 0 is the keyword); one that does not fit
  // a byte, or 0, names no test.
  const auto attempt = plat::RoundHalfEven(plat::ValNumber(Text5->text()));
  const int n = attempt && *attempt >= 1 && *attempt <= 255 ? static_cast<int>(*attempt) : -1;
  const QString name = n > 0 ? DivisionWordS(n, Text2->text()) : QString();
  if (name.isEmpty() || !UsableName(DataFolder(), name)) {
    if (!name.isEmpty())
      LogFailure(QStringLiteral("Winsock>"), ReceiverEndpoint(),
                 TestListRequest(Text1->text()), QStringLiteral("refused name ") + name);
    failText_ = T(10605);
    EndTask(99);
    FlowEnd();
    return;
  }
  Text12->setText(name);
  Text4->setText(SafeFilePath(DataFolder(), name));
  const int s181 = common::SystemIniValue(181).asInt();
  if (s181 == 1 || s181 == 3) {
    QString scrambled = Text4->text();
    if (scrambled.size() >= 2) scrambled[scrambled.size() - 2] = u'T';
    Text4B->setText(scrambled);
  }
  if (QFileInfo(Text4->text()).isFile()) return NamedAfterTest();
  Label1->setText(Text12->text() + T(10606));
  AutoDownload([this](FlowResult r) {
    if (r != FlowResult::Done) {
      EndTask(99);
      Text4->clear();
      FlowEnd();
      return;
    }
    NamedAfterTest();
  });
}

void FrmDownload3::NamedAfterTest() {
  const int s181 = common::SystemIniValue(181).asInt();
  if ((s181 == 1 || s181 == 3) && QFileInfo(Text4->text()).isFile()) {
    // The plain text goes only once its scrambled copy is complete.
    if (!common::ScrambleFile(Text4->text(), Text4B->text()) || !QFileInfo(Text4B->text()).isFile()) {
      common::WriteErrorLog(QStringLiteral("ScrambleFile>") + Text4B->text());
      EndTask(99);
      Text4->clear();
      FlowEnd();
      return;
    }
    QFile::remove(Text4->text());
    Text4->setText(Text4B->text());
  }
  // The caller of a modal show resumes when the window hides: only once the
  // flow has done all it does, the first audio part included.
  if (Digit(3) == 1) hideAtFlowEnd_ = true;
  if (UserSTOP == -1) {
    NetLinkStatus = link::kIdle;
    EndTask(6);
    FlowEnd();
    return;
  }
  if (Check1->isChecked()) {
    DownloadBackground(1, [this](FlowResult) { NamedFinish(); });
    return;
  }
  NetLinkStatus = link::kIdle;
  EndTask(1);
  NamedFinish();
}

void FrmDownload3::NamedFinish() {
  const QString notice = Text6->text();
  if (!notice.isEmpty()) {
    auto alive = alive_;
    web_->GetUrl(notice, [this, alive](const PageResult& page) {
      if (!*alive || !page.ok) return;
      WebBrowser1->setHtml(page.text);
    });
  }
  FlowEnd();
}

void FrmDownload3::Enter_Sc2(Done done) {
  if (NetLinkStatus != link::kIdle && NetLinkStatus != link::kFailed) {
    QTimer::singleShot(0, this, [done] { done(FlowResult::Failed); });
    return;
  }
  Connect(T(10601) + QStringLiteral(".."), [this, done](bool ok) {
    if (!ok) {
      link_->Close();
      EndTask(99);
      done(FlowResult::Failed);
      return;
    }
    ParamAttempt(0, done);
  });
}

void FrmDownload3::ParamAttempt(int retry, Done done) {
  auto fail = [this, done] {
    link_->Close();
    EndTask(99);
    done(FlowResult::Failed);
  };
  Label1->setText(T(10601) + QStringLiteral("......"));
  link_->Ask(ServerParametersRequest(), T(10601) + QStringLiteral("......"), [this, retry, done, fail](WaitResult r) {
    if (r != WaitResult::Answered) return fail();
    Label1->setText(T(10601) + QStringLiteral("........"));
    link_->Ask(NoticePageRequest(), T(10602) + QStringLiteral("........"), [this, retry, done, fail](WaitResult r) {
      if (r != WaitResult::Answered) return fail();
      Label1->setText(T(10601) + QStringLiteral(".........."));
      const bool missing = T1->text().isEmpty() || T2->text().isEmpty() || T3->text().isEmpty() ||
                           T4->text().isEmpty() || T7->text().isEmpty();
      if (missing) {
        if (retry <= 8) {
          AddLog(T(10603) + QString::number(retry + 1));
          return ParamAttempt(retry + 1, done);
        }
        common::WriteErrorLog(T(10603));
        return fail();
      }
      link_->Close();
      Label1->setText(T(10604) + QStringLiteral("............."));
      done(FlowResult::Done);
    });
  });
}

// ---- drawn or picked test ------------------------------------------------------------

void FrmDownload3::PickFlow(bool draw) {
  if (flowRunning_ || (NetLinkStatus != link::kIdle && NetLinkStatus != link::kFailed)) return;
  FlowStart();
  BeginNetTask(1);
  Enter_Sc2([this, draw](FlowResult r) {
    if (r != FlowResult::Done) return FlowEnd();  // the exchange ended the task
    // The tests on offer: the server's listing, fetched now.
    web_->ListFtp(Ftp(), Text1->text(), QStringLiteral("dir ") + Text3->text(), [this, draw](const ListResult& l) {
      if (!l.ok) {
        failText_ = Label1->text();  // the listing's own reason
        EndTask(99);
        return FlowEnd();
      }
      Fill(List1, l.entries);
      PickAfterList(draw);
    });
  });
}

void FrmDownload3::PickAfterList(bool draw) {
  if (!draw) return PickEnd();
  if (List1->count() == 0) {
    NetLinkStatus = link::kIdle;
    EndTask(1);
    Label1->setText(T(10607));  // after the end, so it stays in view
    return FlowEnd();
  }
  const int n = qBound(0, static_cast<int>(List1->count() * plat::random().Next()), List1->count() - 1);
  {
    const QSignalBlocker quiet(List1);
    List1->setCurrentRow(n);
  }
  ChooseEntry(List1->item(n)->text(), [this](FlowResult r) {
    if (r != FlowResult::Done) return FlowEnd();
    PickEnd();
  });
}

void FrmDownload3::PickEnd() {
  if (UserSTOP == -1) {
    NetLinkStatus = link::kIdle;
    EndTask(6);
    return FlowEnd();
  }
  if (Check1->isChecked()) {
    DownloadBackground(1, [this](FlowResult) { FlowEnd(); });
    return;
  }
  NetLinkStatus = link::kIdle;
  EndTask(1);
  FlowEnd();
}

void FrmDownload3::ChooseEntry(const QString& entry, Done done) {
  Text12->setText(entry);
  const QString path = UsableName(DataFolder(), entry) ? SafeFilePath(DataFolder(), entry) : QString();
  Text4->setText(path);
  Text4B->setText(path);
  if (path.isEmpty()) {
    LogFailure(QStringLiteral("FTP>"), FtpEndpoint(),
               QStringLiteral("RETR ") + entry, QStringLiteral("refused name"));
    EndTask(99);
    QTimer::singleShot(0, this, [done] { done(FlowResult::Failed); });
    return;
  }
  if (QFileInfo(path).isFile()) {
    QTimer::singleShot(0, this, [done] { done(FlowResult::Done); });
    return;
  }
  Label1->setText(entry + T(10606));
  AutoDownload([this, done](FlowResult r) {
    if (r != FlowResult::Done) {
      Text4->clear();
      EndTask(99);
    }
    done(r);
  });
}

// ---- test file and audio parts ---------------------------------------------------------

Method FrmDownload3::TransferMethod() const {
  switch (Digit(13)) {
    case 1: return Method::Http;
    case 2: return Method::Tcp;
    case 9: return order_.Current();
    default: return Method::Ftp;
  }
}

bool FrmDownload3::ListingFirst() const {
  const int d = Digit(13);
  return d == 0 || (d == 9 && order_.Current() == Method::Ftp);
}

void FrmDownload3::FetchFile(Method method, const QString& remote, const QString& destination,
                             std::function<void(TransferOutcome)> done) {
  if (UserSTOP == -1 || destination.isEmpty()) {
    const TransferOutcome o = UserSTOP == -1 ? TransferOutcome::Stopped : TransferOutcome::Failed;
    QTimer::singleShot(0, this, [done, o] { done(o); });
    return;
  }
  QDir().mkpath(QFileInfo(destination).absolutePath());
  switch (method) {
    case Method::Http:
      web_->DownloadHttp(HttpFileUrl(T1->text(), T7->text(), Text1->text(), remote), destination, std::move(done));
      break;
    case Method::Tcp:
      link_->SetEndpoint(T5->text(), T6->text());
      link_->DownloadFile(Text1->text(), remote, destination, std::move(done));
      break;
    case Method::Ftp:
      web_->SetFtpLogin(Ftp(), Text1->text());
      web_->DownloadFtp(remote, destination, std::move(done));
      break;
  }
}

void FrmDownload3::AutoDownload(Done done) {
  const QString name = Text12->text();
  const QString destination = Text4->text();
  auto finish = [this, done, destination](TransferOutcome o) {
    // "Not Found" and every other outcome without the file are failures:
    // the caller must not take a missing file for a fetched one.
    if (o == TransferOutcome::Done && QFileInfo(destination).isFile()) return done(FlowResult::Done);
    done(o == TransferOutcome::Stopped ? FlowResult::Stopped : FlowResult::Failed);
  };
  if (name.isEmpty() || destination.isEmpty()) {
    QTimer::singleShot(0, this, [finish] { finish(TransferOutcome::Failed); });
    return;
  }
  if (!ListingFirst()) return FetchFile(TransferMethod(), name, destination, finish);
  web_->ListFtp(Ftp(), Text1->text(), QStringLiteral("dir ") + Text3->text(),
                [this, name, destination, finish](const ListResult& l) {
                  if (l.ok) Fill(List1, l.entries);
                  const QString listed = l.ok ? ListedName(l.entries, name) : QString();
                  if (listed.isEmpty()) {
                    // (A failed listing has its line already.)
                    if (l.ok)
                      LogFailure(QStringLiteral("FTP>"), FtpEndpoint(),
                                 QStringLiteral("NLST ") + T7->text() + u'/' + Text1->text(),
                                 name + QStringLiteral(" is not listed"));
                    failText_ = l.ok ? T(10613) + name + T(10614) : Label1->text();
                    Text4->clear();
                    return finish(TransferOutcome::Failed);
                  }
                  FetchFile(Method::Ftp, listed, destination, finish);
                });
}

struct BackgroundRun {
  int mode = 0;
  int last = 40;
  bool own = false;  // a task of its own, not a step of another flow
  QString remoteStem;
  QString folder;
  FrmDownload3::Done done;
};

void FrmDownload3::DownloadBackground(int mode, Done done) {
  if (Check2->isChecked()) mode = 0;
  auto run = std::make_shared<BackgroundRun>();
  run->mode = mode;
  run->done = std::move(done);
  if (mode != 1) {
    if (!run->done) {
      // Started by activation: never beside another flow. A re-activation
      // while the parts come changes nothing; a flow under way hands over.
      if (backgroundRunning_) {
        if (!Check2->isChecked()) Hide();
        return;
      }
      if (flowRunning_) {
        backgroundQueued_ = true;
        return;
      }
      FlowStart();
      run->own = true;
      backgroundRunning_ = true;
    }
    if (!Check2->isChecked()) Hide();
    BeginNetTask(1);
  }
  const QString local = Text4->text();
  if (local.isEmpty() || !QFileInfo(local).isFile()) {
    QTimer::singleShot(0, this, [this, run] { BackgroundEnd(run, UserSTOP == -1); });
    return;
  }
  Label1->setText(T(10626));
  const QFileInfo fi(local);
  run->folder = fi.absolutePath();
  const QString localStem = fi.completeBaseName();
  // A part counts as present in any extension; the count stops at the
  // first number without a file.
  int first = 1;
  while (first <= 40 && !plat::FindFiles(run->folder, QStringLiteral("%1-%2.*")
                                                          .arg(localStem)
                                                          .arg(first, 2, 10, QChar(u'0')))
                             .isEmpty())
    ++first;
  run->last = mode == 1 ? 1 : 40;
  run->remoteStem = QFileInfo(Text12->text()).completeBaseName();
  if (first > run->last || !ListingFirst()) {
    QTimer::singleShot(0, this, [this, run, first] { BackgroundLoop(run, first); });
    return;
  }
  web_->ListFtp(Ftp(), Text1->text(), QStringLiteral("dir ") + run->remoteStem + QStringLiteral("*.*"),
                [this, run, first](const ListResult& l) {
                  if (l.ok) Fill(lstRemoteFile, l.entries);
                  BackgroundLoop(run, first);
                });
}

void FrmDownload3::BackgroundLoop(std::shared_ptr<BackgroundRun> run, int n) {
  if (n > run->last) return BackgroundEnd(run, UserSTOP == -1);
  if (UserSTOP == -1) return BackgroundEnd(run, true);
  const QString part = run->remoteStem + QStringLiteral("-%1.wma").arg(n, 2, 10, QChar(u'0'));
  const QString destination = UsableName(run->folder, part) ? SafeFilePath(run->folder, part) : QString();
  Label1->setText(part + T(10627));
  auto next = [this, run, n](TransferOutcome) { BackgroundLoop(run, n + 1); };
  const Method method = TransferMethod();
  if (method != Method::Ftp) return FetchFile(method, part, destination, next);
  // By FTP only what the listing holds, as the server spells it.
  const QString listed = ListedName(Entries(lstRemoteFile), part);
  if (listed.isEmpty()) {
    QTimer::singleShot(0, this, [next] { next(TransferOutcome::NotFound); });
    return;
  }
  FetchFile(Method::Ftp, listed, destination, next);
}

void FrmDownload3::BackgroundEnd(std::shared_ptr<BackgroundRun> run, bool stopped) {
  if (stopped || run->mode != 1) {
    NetLinkStatus = link::kIdle;
    EndTask(6);
  }
  if (run->own) {
    backgroundRunning_ = false;
    FlowEnd();
  }
  if (run->done) run->done(stopped ? FlowResult::Stopped : FlowResult::Done);
}

// ---- pages -------------------------------------------------------------------------------

void FrmDownload3::GetUrl(const QString& url, std::function<void(const PageResult&)> done) {
  web_->GetUrl(url, std::move(done));
}

void FrmDownload3::WriteFile(const QString& url, const QString& path, std::function<void(bool)> done) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  web_->WriteFile(url, path, std::move(done));
}

namespace {
// The extension of the last path segment of an address, with its dot; ""
// when it is not a short plain one (the note's name is built from it).
QString AddressExtension(const QString& url) {
  QString path = QUrl(url).path();
  if (path.isEmpty()) path = url;
  const QString last = path.section(u'/', -1);
  static const QRegularExpression ext(QStringLiteral("\\.([A-Za-z0-9]{1,4})$"));
  const auto m = ext.match(last);
  return m.hasMatch() ? QStringLiteral(".") + m.captured(1) : QString();
}
}  // namespace

void FrmDownload3::CheckWwwPage(std::function<void()> done) {
  Internet_PutFile = common::ProgramFolder.get() + QStringLiteral("NOTE/AD.HTM");
  QDir().mkpath(QFileInfo(Internet_PutFile).absolutePath());
  auto alive = alive_;
  auto note = [this, alive, done] {
    if (!*alive) return;
    if (Digit(8) != 0) {
      if (done) done();
      return;
    }
    auto writeNote = [this, alive, done](const QString& url) {
      const QString ext = AddressExtension(url);
      if (ext.isEmpty()) {
        common::WriteErrorLog(QStringLiteral("WWW>") + url + QStringLiteral(" no usable extension"));
        if (done) done();
        return;
      }
      WriteFile(url, common::ProgramFolder.get() + QStringLiteral("NOTE/Zet") + ext, [alive, done](bool) {
        if (*alive && done) done();
      });
    };
    GetUrl(Text8->text(), [this, alive, done, writeNote](const PageResult& p) {
      if (!*alive) return;
      if (p.ok && !p.bytes.isEmpty()) return writeNote(Text8->text());
      GetUrl(Text9->text(), [alive, done, writeNote, this](const PageResult& q) {
        if (!*alive) return;
        if (q.ok && !q.bytes.isEmpty()) return writeNote(Text9->text());
        if (done) done();
      });
    });
  };
  if (Digit(6) != 0) return note();
  auto show = [this, alive, note](const QString& url) {
    Label1->setText(T(10602));
    WriteFile(url, Internet_PutFile, [this, alive, note](bool) {
      if (!*alive) return;
      ShowLocalPage(WebBrowser1, Internet_PutFile);
      note();
    });
  };
  GetUrl(Text6->text(), [this, alive, show, note](const PageResult& p) {
    if (!*alive) return;
    if (p.ok && !p.bytes.isEmpty()) return show(Text6->text());
    Label1->setText(T(10603));
    GetUrl(Text7->text(), [this, alive, show, note](const PageResult& q) {
      if (!*alive) return;
      if (q.ok && !q.bytes.isEmpty()) return show(Text7->text());
      Label1->setText(T(10604));
      note();
    });
  });
}

// ---- what the transfers show -------------------------------------------------------------

void FrmDownload3::AddLog(const QString& line) {
  List2->addItem(line);
  List2->scrollToBottom();
}

void FrmDownload3::ReplaceLastLog(const QString& line) {
  if (List2->count() == 0)
    List2->addItem(line);
  else
    List2->item(List2->count() - 1)->setText(line);
}

void FrmDownload3::SetStatus(const QString& text) { Label1->setText(text); }

void FrmDownload3::Inet1_StateChanged(int state) {
  const QString text = TransferStateText(state);
  if (!text.isEmpty()) Label2->setText(text);
}
void FrmDownload3::SetReplyLine(LineColour c) { Line1->SetColour(c); }
void FrmDownload3::SetLinkStatus(int status) { NetLinkStatus = static_cast<std::uint8_t>(status); }
void FrmDownload3::SetTestList(const QString& reply) { Text2->setText(reply); }

void FrmDownload3::SetFtpParameters(const FtpParameters& p) {
  T1->setText(p.host);
  T2->setText(p.port);
  T3->setText(p.user);
  T4->setText(p.password);
  T7->setText(p.folder);
}

void FrmDownload3::SetNoticeAddress(const QString& url) { Text6->setText(url); }

void FrmDownload3::ShowServerMessage(const QString& text, const QString& title) {
  // A box only where the candidate is at the window: never over a test, nor
  // from a window working out of sight (one box per failed part would
  // stand in a row). The list and the status line keep the message.
  if (TestUnderWay() || !isVisible()) return ListMessage(text);
  // Shown from the loop, not from inside the socket's event: the flow goes on.
  auto alive = alive_;
  QTimer::singleShot(0, this, [this, alive, text, title] {
    if (!*alive) return;
    if (TestUnderWay()) return ListMessage(text);  // the test started in the meantime
    plat::prompt().Ask(text, title, plat::Buttons::Ok, plat::Icon::Exclamation);
  });
}

void FrmDownload3::ListMessage(const QString& text) {
  AddLog(text);
  Label1->setText(text);
}

void FrmDownload3::OpenHelpPage(const QString& url) {
  // Neither a browser nor a beep over a test: the list has the message.
  if (TestUnderWay()) return;
  if (OpenPage) OpenPage(QUrl(url));
}

void FrmDownload3::Beep() {
  if (!TestUnderWay()) plat::beeper().Beep();
}

}  // namespace net
