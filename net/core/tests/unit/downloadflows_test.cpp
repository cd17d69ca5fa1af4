// The download flows without the window and without a server: a fake socket
// plays the receiver and a fake web client the FTP and HTTP servers. What
// is checked is what the flows decide: the step that follows, where a file
// goes, what stands on the status line when something fails.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/store.h"
#include "net/core/downloadflows.h"
#include "net/core/tests/recordingview.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/random.h"
#include "platform/core/textfile.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/netfakes.h"
#include "testsupport/core/seams.h"

using namespace net;

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// The window's own reports as well.
struct FlowView : testing_net::RecordingView {
  void SetTestFile(const QString& name, const QString& path, const QString& scrambled) override {
    testName = name;
    testPath = path;
    scrambledPath = scrambled;
  }
  void SetTestEntries(const QStringList& e) override { tests = e; }
  void SelectTestEntry(int row) override { selected = row; }
  void SetPartEntries(const QStringList& e) override { parts = e; }
  void SetTaskRunning(bool running) override { taskRunning = running; }
  void SetTimerRunning(bool running) override { timer = running; }
  void HideView() override { ++hides; }
  void SetWindowSize(int h, int w) override { sizes.append(QSize(w, h)); }

  QString testName, testPath, scrambledPath;
  QStringList tests, parts;
  int selected = -1, hides = 0;
  bool taskRunning = false, timer = false;
  QList<QSize> sizes;
};

plat::WebResult NotFound() {
  plat::WebResult r;
  r.failure = plat::WebFailure::BadStatus;
  r.status = 404;
  r.error = "404";
  return r;
}

plat::WebResult Served(const QByteArray& body) {
  plat::WebResult r;
  r.ok = true;
  r.status = 200;
  r.body = body;
  return r;
}

class DownloadFlowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    common::ResetCommonState();
    common::ProgramFolder.set(dir.path() + "/");
    // Texts as "<id>": a status line names the text it shows.
    for (int id = 10601; id <= 10627; ++id) common::SystemIniValue(id, QStringLiteral("<%1>").arg(id));
    auto web = std::make_unique<plat::FakeWebClient>();
    webClient = web.get();
    auto tcp = std::make_unique<plat::FakeTcpClient>();
    socket = tcp.get();
    flows = std::make_unique<DownloadFlows>(view, std::move(web), std::move(tcp));
    flows->SetTimeouts(400, 400);
    DownloadFields& f = flows->Fields();
    f.receiverHost = "127.0.0.1";
    f.receiverPort = "5566";
    f.subject = "DovoRO__";
    f.pattern = "*.TXT";
    f.attempt = "2";
    f.order = "C2A2B3";
    flows->Options() = "4312000001112";  // digit 3: hide at the end; digit 13: the receiver's transfer
    QDir().mkpath(Data());
  }
  void TearDown() override {
    flows.reset();
    common::ResetCommonState();
    plat::SetProgramFolder(QString());
  }

  QString Data() const { return dir.path() + "/Data"; }
  QString InData(const QString& name) const { return Data() + "/" + name; }
  QStringList DataFiles() const { return QDir(Data()).entryList(QDir::Files | QDir::Hidden); }
  QStringList ErrorReport() const {
    QStringList lines;
    plat::readTextLines(common::ErrorReportPath(), lines);
    return lines;
  }
  QStringList Requests(const QString& word) const { return requests.filter(QRegularExpression("^" + word)); }

  // The receiver of the usual exchange: the tests, the FTP parameters, the
  // notice page, and the files it holds.
  QByteArray Receiver(const QString& request) {
    const QStringList words = request.split(u' ');
    if (request.startsWith("GETQUS")) return testsReply;
    if (request == "GETDEF 027 028 029 030 031") return paramsReply;
    if (request == "GETDEF 005") return "DEFLST http://127.0.0.1:1/ad.htm";
    if (words.value(0) == "FILSIZ")
      return files.contains(words.value(2)) ? "FILSIZ " + QByteArray::number(files[words.value(2)].size())
                                            : QByteArray("Not Found");
    if (words.value(0) == "FILBIN") return files.value(words.value(2));
    return {};
  }

  // Plays both servers until `until` holds: every connect is accepted, every
  // request to the receiver answered, every web request finished by `web`.
  // With `ticks` the window's timer ticks whenever it runs.
  bool Run(const std::function<bool()>& until, bool ticks = false) {
    return WaitFor(
        [&] {
          if (socket->State() == plat::SockState::Connecting) socket->AcceptConnect();
          while (answered < socket->sent.size()) {
            const QString request = plat::fromCp950(socket->sent[answered++]);
            requests << request;
            const QByteArray reply = Receiver(request);
            if (!reply.isEmpty()) socket->Deliver(reply);
          }
          while (!webClient->pending.isEmpty()) {
            const plat::WebRequest r = webClient->pending.first().request;
            webUrls << QString::fromLatin1(r.url);
            webClient->Finish(web ? web(r) : NotFound());
          }
          if (ticks && view.timer && !flows->Busy()) flows->Tick(0);
          return until();
        },
        10000);
  }
  bool Settled() const { return !flows->Busy() && flows->State().userSw != mode::kFetchNamed; }

  QTemporaryDir dir;
  FlowView view;
  plat::FakeWebClient* webClient = nullptr;
  plat::FakeTcpClient* socket = nullptr;
  std::unique_ptr<DownloadFlows> flows;
  QByteArray testsReply = "QUSSET T01.TXT,T02.TXT";
  QByteArray paramsReply = "DEFLST 127.0.0.1,21,dunro,kelpa,exam";
  QHash<QString, QByteArray> files;
  std::function<plat::WebResult(const plat::WebRequest&)> web;
  QStringList requests, webUrls;
  qsizetype answered = 0;
  testsupport::Seams seams;
};

// The attempt's piece of the receiver's list is fetched into Data/; with
// scrambling on, only the scrambled copy stays and the path names it.
TEST_F(DownloadFlowsTest, NamedTestIsSavedInTheDataFolder) {
  struct Case {
    const char* scramble;
    const char* kept;
  } cases[] = {{"0", "T02.TXT"}, {"1", "T02.TTT"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scramble);
    QDir(Data()).removeRecursively();
    requests.clear();
    socket->sent.clear();
    answered = 0;
    view.hides = 0;
    common::SystemIniValue(181, c.scramble);
    files["T02.TXT"] = "second test\r\n";
    flows->FetchNamed();
    ASSERT_TRUE(Run([&] { return Settled(); }));

    EXPECT_EQ(requests, (QStringList{"GETQUS DovoRO__", "GETDEF 027 028 029 030 031", "GETDEF 005",
                                     "FILSIZ DovoRO__ T02.TXT", "FILBIN DovoRO__ T02.TXT"}));
    EXPECT_EQ(DataFiles(), QStringList{c.kept});
    EXPECT_EQ(flows->Fields().testPath, InData(c.kept));
    EXPECT_EQ(view.testPath, InData(c.kept));
    EXPECT_EQ(view.testName, "T02.TXT");
    EXPECT_EQ(flows->State().netLinkStatus, link::kIdle);
    EXPECT_FALSE(view.taskRunning);
    EXPECT_EQ(view.hides, 1);  // the caller's modal show resumes
    // The receiver's fields are the flows' own now.
    EXPECT_EQ(flows->Fields().ftp, (FtpParameters{"127.0.0.1", "21", "dunro", "kelpa", "exam"}));
    EXPECT_EQ(flows->Fields().notice, "http://127.0.0.1:1/ad.htm");
  }
}

// A name the receiver gives that would leave Data/ or match other files, or
// an attempt with no piece of the list, fetches nothing and says why.
TEST_F(DownloadFlowsTest, NoTestNamedFailsWithoutATransfer) {
  struct Case {
    QByteArray tests;
    const char* attempt;
    bool reported;  // a refused name has its error-report line
  } cases[] = {
      {"QUSSET T01.TXT,../T02.TXT", "2", true},
      {"QUSSET T01.TXT,T*.TXT", "2", true},
      {"QUSSET T01.TXT", "2", false},
      {"QUSSET T01.TXT", "0", false},
      {"QUSSET T01.TXT", "300", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tests.toStdString() + " " + c.attempt);
    QFile::remove(common::ErrorReportPath());
    testsReply = c.tests;
    flows->Fields().attempt = c.attempt;
    flows->FetchNamed();
    ASSERT_TRUE(Run([&] { return Settled(); }));
    EXPECT_TRUE(Requests("FILSIZ").isEmpty());
    EXPECT_EQ(view.status.last(), "<10605>");
    EXPECT_EQ(flows->State().netLinkStatus, link::kFailed);
    EXPECT_EQ(ErrorReport().filter("refused name").size(), c.reported ? 1 : 0);
    EXPECT_TRUE(DataFiles().isEmpty());
  }
}

// Parameters the receiver leaves out are asked for again, nine times, on
// the same connection; then the flow gives up.
TEST_F(DownloadFlowsTest, MissingServerFieldsAreAskedForAgainThenTheFlowFails) {
  paramsReply = "DEFLST 127.0.0.1,21,dunro,kelpa";  // no folder
  flows->FetchNamed();
  ASSERT_TRUE(Run([&] { return Settled(); }));
  EXPECT_EQ(Requests("GETQUS").size(), 10);
  EXPECT_EQ(socket->connects.size(), 1);
  EXPECT_EQ(view.log.filter(QRegularExpression("^<10603>\\.\\.\\.\\d$")).size(), 9);
  EXPECT_EQ(ErrorReport().filter("<10603>...").size(), 1);
  EXPECT_EQ(flows->State().netLinkStatus, link::kFailed);
  EXPECT_TRUE(Requests("FILSIZ").isEmpty());
}

// With the order of methods, a failed fetch is tried again by the next
// method at the next tick, never from inside the failing flow; after the
// order's last try the failure stands and the mode is cleared.
TEST_F(DownloadFlowsTest, AFailedFetchMovesToTheNextMethodUntilTheOrderIsUsedUp) {
  flows->Options() = "4312000001119";
  flows->Fields().order = "C1B1";  // the receiver once, then HTTP once
  flows->State().userSw = mode::kFetchNamed;
  ASSERT_TRUE(flows->Activate());
  EXPECT_EQ(view.log, QStringList{"C>1"});
  EXPECT_TRUE(view.timer);
  EXPECT_TRUE(Requests("GETQUS").isEmpty());  // the tick starts the flow

  // Neither the receiver nor the web server has the test.
  ASSERT_TRUE(Run([&] { return flows->State().userSw == mode::kNone && !flows->Busy(); }, true));
  EXPECT_EQ(Requests("FILSIZ"), QStringList{"FILSIZ DovoRO__ T02.TXT"});
  EXPECT_EQ(webUrls.filter("T02.TXT"), QStringList{"http://127.0.0.1/exam/DovoRO__/T02.TXT"});
  EXPECT_EQ(Requests("GETQUS").size(), 2);  // one exchange per try
  EXPECT_EQ(view.log.filter(QRegularExpression("^[ABC]>\\d$")), (QStringList{"C>1", "B>1"}));
  EXPECT_EQ(flows->State().netLinkStatus, link::kFailed);
  EXPECT_TRUE(flows->Fields().testPath.isEmpty());
  EXPECT_TRUE(DataFiles().isEmpty());
  EXPECT_FALSE(view.timer);
}

// The computer draws from the FTP listing and fetches what it drew; a
// listing that fails keeps its own reason on the status line; an empty one
// ends the task with its own message.
TEST_F(DownloadFlowsTest, DrawnTestComesFromTheListing) {
  flows->Options() = "4312000001110";  // FTP, listing first
  plat::FakeRandom draw({0.6});
  seams.Set(plat::SetRandom, &draw);
  web = [](const plat::WebRequest& r) {
    if (r.listNames) return Served("T01.TXT\r\nT02.TXT\r\nREADME.DOC\r\n");
    if (r.url.endsWith("/T02.TXT")) return Served("drawn\r\n");
    return NotFound();
  };
  flows->Pick(true);
  ASSERT_TRUE(Run([&] { return Settled(); }));
  EXPECT_EQ(view.tests, (QStringList{"T01.TXT", "T02.TXT"}));
  EXPECT_EQ(view.selected, 1);
  EXPECT_EQ(webUrls.last(), "ftp://127.0.0.1:21/exam/DovoRO__/T02.TXT");
  EXPECT_EQ(DataFiles(), QStringList{"T02.TXT"});
  EXPECT_EQ(view.testPath, InData("T02.TXT"));
  EXPECT_EQ(flows->State().netLinkStatus, link::kIdle);

  web = [](const plat::WebRequest&) {
    plat::WebResult r = NotFound();
    r.failure = plat::WebFailure::Transfer;
    r.code = 67;
    r.error = "login denied";
    return r;
  };
  flows->Pick(true);
  ASSERT_TRUE(Run([&] { return Settled(); }));
  EXPECT_EQ(view.status.last(), "<10623>xxxlogin denied 67");
  EXPECT_EQ(flows->State().netLinkStatus, link::kFailed);

  web = [](const plat::WebRequest&) { return Served("README.DOC\r\n"); };
  const qsizetype before = webUrls.size();
  flows->Pick(true);
  ASSERT_TRUE(Run([&] { return Settled(); }));
  EXPECT_EQ(webUrls.size(), before + 1);  // the listing only
  EXPECT_EQ(view.status.last(), "<10607>");
  EXPECT_EQ(flows->State().netLinkStatus, link::kIdle);
  EXPECT_FALSE(view.taskRunning);
}

// The parts follow the test: counting starts at the first part missing in
// any extension; with mode 1 only part 01, and the task stays open for the
// rest.
TEST_F(DownloadFlowsTest, BackgroundFetchStartsAtTheFirstMissingPart) {
  flows->Options() = "4312000001111";  // HTTP
  flows->Fields().ftp = {"127.0.0.1", "21", "dunro", "kelpa", "exam"};
  flows->Fields().testName = "T01.TXT";
  flows->Fields().testPath = InData("T01.TXT");
  plat::writeBytesAtomic(InData("T01.TXT"), "test\r\n");
  plat::writeBytesAtomic(InData("T01-01.mp3"), "part one");
  web = [](const plat::WebRequest& r) {
    if (r.url.endsWith("/T01-02.wma") || r.url.endsWith("/T01-03.wma")) return Served("part");
    return NotFound();
  };

  bool done = false;
  flows->DownloadBackground(1, [&](FlowResult r) {
    EXPECT_EQ(r, FlowResult::Done);
    done = true;
  });
  ASSERT_TRUE(Run([&] { return done; }));
  EXPECT_TRUE(webUrls.isEmpty());  // part 01 is there already

  flows->DownloadBackground(0);
  ASSERT_TRUE(Run([&] { return !flows->Busy(); }));
  ASSERT_EQ(webUrls.size(), 39);
  EXPECT_EQ(webUrls.first(), "http://127.0.0.1/exam/DovoRO__/T01-02.wma");
  EXPECT_EQ(webUrls.last(), "http://127.0.0.1/exam/DovoRO__/T01-40.wma");
  EXPECT_TRUE(QFile::exists(InData("T01-02.wma")));
  EXPECT_TRUE(QFile::exists(InData("T01-03.wma")));
  EXPECT_FALSE(QFile::exists(InData("T01-04.wma")));
  EXPECT_EQ(view.hides, 1);  // out of sight while the parts come
  EXPECT_EQ(flows->State().netLinkStatus, link::kIdle);
  EXPECT_FALSE(view.taskRunning);
}

// A stop ends the file transfer under way; the next tick finds the link
// idle and ends the task.
TEST_F(DownloadFlowsTest, StopDuringTheTransferLeavesNoFile) {
  files["T02.TXT"] = QByteArray(5000, 'x');
  bool stopped = false;
  // The receiver announces the size and sends nothing more.
  auto hold = [&](const QString& request) { return request.startsWith("FILBIN"); };
  flows->FetchNamed();
  ASSERT_TRUE(WaitFor([&] {
    if (socket->State() == plat::SockState::Connecting) socket->AcceptConnect();
    while (answered < socket->sent.size()) {
      const QString request = plat::fromCp950(socket->sent[answered++]);
      requests << request;
      if (hold(request)) {
        flows->Stop();
        stopped = true;
        break;
      }
      socket->Deliver(Receiver(request));
    }
    return stopped;
  }));
  ASSERT_TRUE(Run([&] { return !flows->Busy(); }));
  EXPECT_EQ(flows->State().userStop, -1);
  EXPECT_EQ(view.status.filter("<10608>").size(), 1);
  flows->Tick(0);
  EXPECT_EQ(flows->State().netLinkStatus, link::kIdle);
  EXPECT_FALSE(view.timer);
  EXPECT_TRUE(DataFiles().isEmpty());  // nor a work file
}

}  // namespace
