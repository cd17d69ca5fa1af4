// The scorer at a real window manager: its windows closed by the window
// manager (close message and Alt+F4) while they work, against a scoring
// server on 127.0.0.1 that counts connections. The scoring window and the
// save notice stay, the sheet behind the notice stays and comes back
// enabled, and the run reaches the server once.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <thread>
#include <utility>

#include "tests/desktop/testprogram.h"
#include "exam/record/testrecord.h"

namespace desktop {
namespace {

// The scoring server: one record a connection, answered with its verdict
// ("Complete", or "Error") once the record's fields are in (24 from the
// scorer, 23 from the batch scorer). Runs on its own thread, so it answers
// while the test waits; every wait is bounded and the thread ends with the
// server.
class CountingServer {
 public:
  explicit CountingServer(QByteArray verdict = "Complete", int fields = 24)
      : verdict_(std::move(verdict)), fields_(fields) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      return;
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~CountingServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  int Port() const { return port_; }
  int Connections() const { return connections_; }
  int Records() const { return records_; }

 private:
  static bool Readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
  }
  void Serve() {
    while (!stop_) {
      if (!Readable(fd_, 100)) continue;
      const int c = ::accept(fd_, nullptr, nullptr);
      if (c < 0) continue;
      ++connections_;
      QByteArray in;
      for (int waited = 0; !stop_ && in.count('|') < fields_ && waited < 100; ++waited) {
        if (!Readable(c, 100)) continue;
        char buf[4096];
        const ssize_t n = ::recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        in.append(buf, n);
      }
      if (in.count('|') >= fields_) {
        ++records_;
        ::send(c, verdict_.constData(), static_cast<size_t>(verdict_.size()), MSG_NOSIGNAL);
      }
      for (int waited = 0; !stop_ && waited < 10; ++waited) Readable(c, 100);  // let it read the verdict
      ::close(c);
    }
  }

  const QByteArray verdict_;
  const int fields_;
  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> records_{0};
};

class ScorerDesktop : public TestProgramTest {
 protected:
  void SetUp() override {
    TestProgramTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_GT(server.Port(), 0);
    // The run is written and uploaded when the sheet first shows; the save
    // button copies to a folder standing for the removable drive.
    ASSERT_TRUE(Settings({{7999, "1"},
                          {904, "0"},
                          {908, "2"},
                          {5999, "0"},
                          {5951, "0"},
                          {7910, "111111"},
                          {149, "0"},
                          {306, "1"},
                          {293, "127.0.0.1"},
                          {5902, QString::number(server.Port())}}));
    drive = inst.Folder() + QStringLiteral("drive");
    ASSERT_TRUE(QDir().mkpath(drive));
    inst.SetEnvironment(QStringLiteral("SCORE_REMOVABLE_DRIVE"), drive);
  }


  // The window manager's two ways to close a window: its close message and
  // Alt+F4 on the window with the focus.
  void CloseBothWays(quint64 id) {
    desk.CloseByWindowManager(id);
    desk.Activate(id);
    WaitFor([&] { return desk.Active() == id; }, 1000, 50);
    desk.Key(QStringLiteral("alt+F4"));
  }

  bool Usable(const QString& path) const {
    const Widgets w = Probe();
    const auto it = w.widgets.constFind(path);
    return it != w.widgets.cend() && it->visible && it->enabled;
  }
  // The upload is over and recorded: the window hid and the sheet is back.
  bool Delivered() const { return server.Records() >= 1 && WindowId(QStringLiteral("frmClient")) == 0; }

  CountingServer server;
  QString drive;
};

TEST_F(ScorerDesktop, TheScoringWindowStaysWhenTheWindowManagerClosesIt) {
  ASSERT_TRUE(StartScorer(150));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("Form3"))) << Describe();
  const quint64 form3 = WindowId(QStringLiteral("Form3"));
  // It works about three seconds; close it as it does.
  CloseBothWays(form3);
  // Still there, unless (on a slow machine) its time was up and the sheet
  // has taken over.
  EXPECT_TRUE(WindowId(QStringLiteral("Form3")) == form3 || WindowId(QStringLiteral("成績單")) != 0) << Describe();
  if (WindowId(QStringLiteral("Form3"))) CloseBothWays(form3);
  ASSERT_TRUE(WaitForWindow(QStringLiteral("成績單"))) << Describe();
  ASSERT_TRUE(WaitFor([&] { return Delivered(); }, 20000)) << Describe();
  EXPECT_TRUE(WaitFor([&] { return Usable(QStringLiteral("成績單/Command3")); }, 5000)) << Describe();
  EXPECT_TRUE(QFileInfo::exists(inst.Folder() + QStringLiteral("A123456789.R01")));
  QThread::msleep(1500);
  EXPECT_EQ(server.Connections(), 1);
}

TEST_F(ScorerDesktop, TheSaveNoticeAndTheSheetBehindItStayAndTheSheetComesBackEnabled) {
  ASSERT_TRUE(StartScorer(150));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("成績單"), 20000)) << Describe();
  ASSERT_TRUE(WaitFor([&] { return Delivered() && Usable(QStringLiteral("成績單/Command5")); }, 20000)) << Describe();
  const quint64 sheet = WindowId(QStringLiteral("成績單"));

  ASSERT_TRUE(ClickWidget(QStringLiteral("成績單/Command5")));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("處理存檔"), 5000)) << Describe();
  const quint64 notice = WindowId(QStringLiteral("處理存檔"));
  // The notice saves two seconds after it shows: close the sheet behind it,
  // and the notice itself, before that.
  desk.CloseByWindowManager(sheet);
  CloseBothWays(notice);
  EXPECT_TRUE(WindowId(QStringLiteral("處理存檔")) == notice || QFileInfo::exists(drive + "/A123456789.R01"))
      << Describe();
  EXPECT_EQ(WindowId(QStringLiteral("成績單")), sheet) << Describe();
  EXPECT_EQ(WindowId(QStringLiteral("是否結束")), 0u) << Describe();

  ASSERT_TRUE(WaitForHidden(QStringLiteral("處理存檔"), 10000)) << Describe();
  EXPECT_TRUE(WaitFor([&] { return Usable(QStringLiteral("成績單/Command5")); }, 5000)) << Describe();
  EXPECT_EQ(WindowId(QStringLiteral("成績單")), sheet);
  EXPECT_TRUE(QFileInfo::exists(drive + QStringLiteral("/A123456789.R01")));  // the save ran
  // Nothing delivers a second time on its own.
  QThread::msleep(3000);
  EXPECT_EQ(server.Connections(), 1) << Describe();
  EXPECT_EQ(WindowId(QStringLiteral("是否結束")), 0u);
}

// The sheet after the scoring window: above the backdrops, with the focus
// and the taskbar entry; the backdrops have none and stay at a close.
TEST_F(ScorerDesktop, TheSheetComesUpOverTheBackdropsWithTheTaskbarEntry) {
  ASSERT_TRUE(Settings({{908, "0"}}));
  ASSERT_TRUE(StartScorer(150));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("成績單"), 20000)) << Describe();
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("成績單"), 1000));
  const Window sheet = desk.Describe(WindowId(QStringLiteral("成績單")));
  EXPECT_FALSE(sheet.Has(QStringLiteral("SKIP_TASKBAR"))) << sheet.states.join(u',').toStdString();
  // The disabled entry window behind the scoring is gone from the task list.
  EXPECT_EQ(WindowId(QStringLiteral("輸入資料")), 0u) << Describe();
  EXPECT_TRUE(BackdropsHoldAgainstAClose());
  EXPECT_TRUE(InFrontAndActive(QStringLiteral("成績單"), 500));
  // The keys reach it: Tab moves the focus between its buttons.
  const QString before = Probe().focus;
  desk.Key(QStringLiteral("Tab"));
  ASSERT_TRUE(WaitFor([&] { return Probe().focus != before && Probe().focus.startsWith(QStringLiteral("成績單/")); }, 3000))
      << Describe();
  // Minimised (it has the button) and brought back as a taskbar does: in
  // front, with the focus on the button that had it.
  const QString had = Probe().focus;
  const quint64 id = WindowId(QStringLiteral("成績單"));
  desk.Minimise(id);
  ASSERT_TRUE(WaitFor([&] { return desk.Describe(id).wmState == QStringLiteral("Iconic"); }, 3000)) << Describe();
  desk.Activate(id);
  EXPECT_TRUE(InFrontAndActive(QStringLiteral("成績單"), 300));
  EXPECT_TRUE(WaitFor([&] { return Probe().focus == had; }, 3000)) << "want " << had.toStdString() << "\n" << Describe();
}

// The question after leaving the sheet stays over the disabled sheet, with
// the focus, whatever a person does to the sheet or to the question.
TEST_F(ScorerDesktop, TheQuestionStaysOverTheSheetItIsAbout) {
  ASSERT_TRUE(Settings({{908, "0"}, {306, "2"}}));
  ASSERT_TRUE(StartScorer(150));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("成績單"), 20000)) << Describe();
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("成績單"), 300));
  const QRect sheetRect = Probe().Window(QStringLiteral("成績單"))->rect;
  ASSERT_TRUE(ClickWidget(QStringLiteral("成績單/Command3")));
  const QString q = QStringLiteral("直續測驗");
  ASSERT_TRUE(WaitForWindow(q, 5000)) << Describe();
  ASSERT_TRUE(WaitsOver(q, QStringLiteral("成績單"), 300));
  const quint64 sheet = WindowId(QStringLiteral("成績單"));
  struct Step {
    const char* what;
    std::function<void()> act;
  };
  const QList<Step> steps{
      {"a click on the sheet", [&] { desk.Click(sheetRect.topLeft() + QPoint(20, 20)); }},
      {"a double-click on the sheet", [&] { desk.Click(sheetRect.center(), 2); }},
      {"Alt+Tab", [&] { desk.Key(QStringLiteral("alt+Tab")); }},
      {"the taskbar's activation of the sheet", [&] { desk.Activate(sheet); }},
      {"a roll-up of the question", [&] { desk.Shade(WindowId(q)); }},
      {"a minimise of the question", [&] { desk.Minimise(WindowId(q)); }},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    QThread::msleep(400);
    ASSERT_TRUE(WaitsOver(q, QStringLiteral("成績單"), 600));
    EXPECT_FALSE(desk.Describe(WindowId(q)).Has(QStringLiteral("SHADED"))) << Describe();
  }
  // The keys reach the question: Tab moves between its buttons.
  const QString before = Probe().focus;
  ASSERT_TRUE(before.startsWith(q + u'/')) << Describe();
  desk.Key(QStringLiteral("Tab"));
  EXPECT_TRUE(WaitFor([&] { return Probe().focus != before && Probe().focus.startsWith(q + u'/'); }, 3000))
      << Describe();
}

// The batch scorer's refusal notice: the server refuses the summary it
// delivers unattended; the notice stands over the upload window, and both
// over the main window, when a person clicks the main window.
class BatchDesktop : public ScorerDesktop {
 protected:
  CountingServer refusing{"Error", 23};
};

TEST_F(BatchDesktop, TheRefusalNoticeStaysOverTheMainWindowAtAClick) {
  ASSERT_GT(refusing.Port(), 0);
  // The scorer writes the score file the batch scorer sums.
  ASSERT_TRUE(Settings({{908, "0"}}));
  ASSERT_TRUE(StartScorer(150));
  const QString folder = inst.Folder();
  ASSERT_TRUE(WaitFor([&] { return QFileInfo(folder + QStringLiteral("A123456789.R01")).size() >= 252; }, 20000))
      << Describe();
  inst.StopAll();
  ASSERT_TRUE(WaitFor([&] { return desk.Stacking().isEmpty(); }, 5000)) << Describe();

  ASSERT_TRUE(Settings({{804, "1"}, {5902, QString::number(refusing.Port())}}));
  const QString record = inst.Tmp() + QStringLiteral("~T040000.txt");
  ASSERT_TRUE(rec::WriteRecordLines(record,
                                    {QStringLiteral("[成績檔案]=") + folder + QStringLiteral("A123456789.R01"),
                                     QStringLiteral("[指定主機]=127.0.0.1"),
                                     QStringLiteral("[系統屬性]=0,0,0,0,0,0,0,0,2")},
                                    false));
  ASSERT_TRUE(StartProgram(QStringLiteral("Tallisk"), {record + u',' + folder + QStringLiteral("Tavrel")}, 90));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("Display"), 15000)) << Describe();
  ASSERT_TRUE(WaitForWindow(QStringLiteral("Notice"), 20000)) << Describe();
  const quint64 display = WindowId(QStringLiteral("Display"));
  const quint64 client = WindowId(QStringLiteral("frmClient"));
  const quint64 notice = WindowId(QStringLiteral("Notice"));
  ASSERT_NE(client, 0u) << Describe();

  // A spot of the main window that neither of the others covers.
  const Widgets w = Probe();
  const QRect main = w.Window(QStringLiteral("Display"))->rect;
  const QRect over = w.Window(QStringLiteral("frmClient"))->rect.united(w.Window(QStringLiteral("Notice"))->rect);
  QPoint spot(-1, -1);
  for (int y = main.top() + 10; y < main.bottom() && spot.x() < 0; y += 20)
    for (int x = main.left() + 10; x < main.right(); x += 20)
      if (!over.contains(x, y)) {
        spot = QPoint(x, y);
        break;
      }
  ASSERT_GE(spot.x(), 0) << "the main window is covered whole";
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    desk.Click(spot, round + 1);
    QThread::msleep(800);
    const QList<quint64> stack = desk.Stacking();
    EXPECT_GT(stack.indexOf(client), stack.indexOf(display)) << DescribeStacking().toStdString();
    EXPECT_GT(stack.indexOf(notice), stack.indexOf(client)) << DescribeStacking().toStdString();
  }
  EXPECT_EQ(refusing.Records(), 1);
}

}  // namespace
}  // namespace desktop
