#include "net/forms/frmdownload3.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

#include "common/gui/formtext.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/prompt.h"
#include "platform/gui/controls.h"
#include "platform/gui/desktop.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "platform/media/sound.h"

namespace net {

namespace {

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

// The publisher's server in the design's default addresses.
const QString kPublisherHost = QStringLiteral("www.example.org");

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

FrmDownload3::FrmDownload3()
    : Form(QStringLiteral("FrmDownload3")),
      flow_(std::make_unique<DownloadFlows>(static_cast<DownloadView&>(*this), plat::MakeCurlWebClient())),
      Internet_PutFile(flow_->NoticeFile()),
      NetLinkStatus(flow_->State().netLinkStatus),
      UserSw(flow_->State().userSw),
      UserSTOP(flow_->State().userStop),
      UserSetData(flow_->Options()) {
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
}

FrmDownload3::~FrmDownload3() {
  *alive_ = false;
  // The transfers report to this window: they go first.
  flow_.reset();
}

void FrmDownload3::Form_Load() {
  common::ApplyFormText(6, this);
  SetWindowSize(1200, 5600);
  // NetLinkStatus starts at 0 with the instance: a caller may have set it on
  // the instance before its first show, and that value stands.
}

void FrmDownload3::Form_QueryUnload(int& cancel, plat::UnloadMode) { cancel = 1; }

void FrmDownload3::SetWindowSize(int heightTwips, int widthTwips) {
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

void FrmDownload3::FieldsIn() {
  DownloadFields& f = flow_->Fields();
  f.ftp = FtpParameters{T1->text(), T2->text(), T3->text(), T4->text(), T7->text()};
  f.receiverHost = T5->text();
  f.receiverPort = T6->text();
  f.subject = Text1->text();
  f.testList = Text2->text();
  f.pattern = Text3->text();
  f.testPath = Text4->text();
  f.scrambledPath = Text4B->text();
  f.attempt = Text5->text();
  f.notice = Text6->text();
  f.noticeAlt = Text7->text();
  f.note = Text8->text();
  f.noteAlt = Text9->text();
  f.testName = Text12->text();
  f.order = Text13->text();
  f.background = Check1->isChecked();
  f.allParts = Check2->isChecked();
}

// ---- the callers' entry points: the fields in, then the flow -----------------------

void FrmDownload3::Form_Activate() {
  FieldsIn();
  if (flow_->Activate() && isVisible()) plat::CentreOnScreen(this);
}

void FrmDownload3::Timer1_Timer() {
  FieldsIn();
  flow_->Tick(plat::clock().SecondsSinceMidnight());
}

void FrmDownload3::Command1_Click() {
  FieldsIn();
  flow_->FetchNamed();
}
void FrmDownload3::Command6_Click() { Command1_Click(); }
void FrmDownload3::Command2_Click() {
  FieldsIn();
  flow_->Pick(true);
}
void FrmDownload3::Command3_Click() {
  FieldsIn();
  flow_->Pick(false);
}
void FrmDownload3::Command4_Click() {
  FieldsIn();
  flow_->Stop();
}
void FrmDownload3::Command5_Click() { Hide(); }
void FrmDownload3::Command7_Click() {
  FieldsIn();
  flow_->GiveUp();
}

void FrmDownload3::List1_Click(int row) {
  if (row < 0 || row >= List1->count()) return;
  FieldsIn();
  flow_->ChooseListed(List1->item(row)->text());
}

void FrmDownload3::AutoDownload(Done done) {
  FieldsIn();
  flow_->AutoDownload(std::move(done));
}

void FrmDownload3::DownloadBackground(int mode, Done done) {
  FieldsIn();
  flow_->DownloadBackground(mode, std::move(done));
}

void FrmDownload3::Enter_Sc2(Done done) {
  FieldsIn();
  flow_->Enter_Sc2(std::move(done));
}

void FrmDownload3::CheckWwwPage(std::function<void()> done) {
  FieldsIn();
  flow_->CheckWwwPage(std::move(done));
}

void FrmDownload3::Revolve_Order() {
  FieldsIn();
  flow_->Revolve_Order();
}

void FrmDownload3::GetUrl(const QString& url, std::function<void(const PageResult&)> done) {
  flow_->GetUrl(url, std::move(done));
}

void FrmDownload3::WriteFile(const QString& url, const QString& path, std::function<void(bool)> done) {
  flow_->WriteFile(url, path, std::move(done));
}

// ---- what the flows show -------------------------------------------------------------

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
void FrmDownload3::SetTestList(const QString& reply) { Text2->setText(reply); }

void FrmDownload3::SetFtpParameters(const FtpParameters& p) {
  T1->setText(p.host);
  T2->setText(p.port);
  T3->setText(p.user);
  T4->setText(p.password);
  T7->setText(p.folder);
}

void FrmDownload3::SetNoticeAddress(const QString& url) { Text6->setText(url); }

void FrmDownload3::SetTestFile(const QString& name, const QString& path, const QString& scrambledPath) {
  Text12->setText(name);
  Text4->setText(path);
  Text4B->setText(scrambledPath);
}

void FrmDownload3::SetTestEntries(const QStringList& entries) { Fill(List1, entries); }

void FrmDownload3::SelectTestEntry(int row) {
  const QSignalBlocker quiet(List1);
  List1->setCurrentRow(row);
}

void FrmDownload3::SetPartEntries(const QStringList& entries) { Fill(lstRemoteFile, entries); }
void FrmDownload3::ShowNoticeHtml(const QString& html) { WebBrowser1->setHtml(html); }
void FrmDownload3::ShowNoticeFile(const QString& path) { ShowLocalPage(WebBrowser1, path); }

void FrmDownload3::SetTaskRunning(bool running) {
  // Only stop and give-up while a task runs.
  for (QWidget* w : {static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2),
                     static_cast<QWidget*>(Command3), static_cast<QWidget*>(Command5),
                     static_cast<QWidget*>(Command6), static_cast<QWidget*>(Frame1), static_cast<QWidget*>(List1)})
    w->setEnabled(!running);
  Command4->setEnabled(running);
  Command7->setEnabled(true);
}

void FrmDownload3::SetRetryEnabled(bool enabled) {
  Command6->setEnabled(enabled);
  Command7->setEnabled(enabled);
}

void FrmDownload3::SetTimerRunning(bool running) { Timer1->SetEnabled(running); }

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
