#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/store.h"
#include "net/core/receiverlink.h"
#include "net/core/tests/recordingview.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"
#include "testsupport/core/fakeservers.h"

using namespace net;
using testing_net::FakeReceiver;
using testing_net::RecordingView;
using testing_net::WaitFor;

namespace {

QByteArray Bytes(int n) {
  QByteArray b(n, '\0');
  for (int i = 0; i < n; ++i) b[i] = static_cast<char>(i % 251);
  return b;
}

class Receiver : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    common::ResetCommonState();
    common::ProgramFolder.set(dir.path() + "/");
    const std::pair<int, const char*> texts[] = {{10617, "connected"}, {10618, "busy"}, {10619, "refused"},
                                                 {10624, "no answer"}, {10625, "ok"}, {14005, "Receiver"}};
    for (auto [id, t] : texts) common::SystemIniValue(id, QString::fromUtf8(t));
    link.SetEndpoint("127.0.0.1", receiver.Port());
    link.SetTimeouts(600, 300);
    QDir().mkpath(Data());
  }
  void TearDown() override {
    common::ResetCommonState();
    plat::SetProgramFolder(QString());
  }
  QString Data() const { return dir.path() + "/Data"; }
  // The error report's failure lines of the receiver (host first).
  QStringList FailureLines() const {
    QStringList lines, out;
    plat::readTextLines(common::ErrorReportPath(), lines);
    for (const QString& l : lines)
      if (l.contains("Winsock>127.0.0.1:")) out << l;
    return out;
  }
  QStringList DataFiles() const {
    return QDir(Data()).entryList(QDir::Files | QDir::Hidden | QDir::System);
  }
  TransferOutcome Fetch(const QString& name, const QString& dest, int ms = 5000) {
    bool done = false;
    TransferOutcome out = TransferOutcome::Failed;
    link.DownloadFile("DovoRO__", name, dest, [&](TransferOutcome o) {
      out = o;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }, ms));
    return out;
  }
  WaitResult Wait(const std::function<void(ReceiverLink::WaitDone)>& start, int ms = 5000) {
    bool done = false;
    WaitResult out = WaitResult::Failed;
    start([&](WaitResult r) {
      out = r;
      done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done; }, ms));
    return out;
  }
  // A receiver that knows one file.
  void Serve(const QByteArray& content, const QString& sizeReply = {}) {
    receiver.script = [content, sizeReply](QTcpSocket* s, const QString& req) {
      if (req.startsWith("FILSIZ"))
        FakeReceiver::Reply(s, (sizeReply.isEmpty() ? "FILSIZ " + QByteArray::number(content.size())
                                                    : sizeReply.toLatin1()));
      else if (req.startsWith("FILBIN"))
        FakeReceiver::Reply(s, content);
    };
  }

  QTemporaryDir dir;
  FakeReceiver receiver;
  RecordingView view;
  ReceiverLink link{view};
};

}  // namespace

TEST_F(Receiver, ExchangeFillsTheFieldsAndListsEveryReply) {
  receiver.script = [](QTcpSocket* s, const QString& req) {
    if (req == "GETQUS DovoRO__") {
      FakeReceiver::Reply(s, "QUSSET T01.TXT,T0");
      FakeReceiver::Later(s, 50, [s] { FakeReceiver::Reply(s, "2.TXT"); });
    } else if (req == "GETDEF 027 028 029 030 031") {
      FakeReceiver::Reply(s, "DEFLST 127.0.0.1,2121,dunro,kelpa,exam");
    } else if (req == "GETDEF 005") {
      FakeReceiver::Reply(s, "DEFLST http://127.0.0.1/note/ad.htm");
    }
  };
  ASSERT_EQ(Wait([&](auto d) { link.Open("no connection", d); }), WaitResult::Answered);
  EXPECT_EQ(link.ReplyBuffer(), "connected");
  ASSERT_EQ(Wait([&](auto d) { link.Ask(TestListRequest(u"DovoRO__"), "t", d); }), WaitResult::Answered);
  EXPECT_EQ(view.testList, "QUSSET T01.TXT,T0");
  // The second piece of a split reply is a reply of its own.
  ASSERT_TRUE(WaitFor([&] { return view.log.size() == 2; }));
  EXPECT_EQ(view.log, (QStringList{"QUSSET T01.TXT,T0", "2.TXT"}));
  ASSERT_EQ(Wait([&](auto d) { link.Ask(ServerParametersRequest(), "t", d); }), WaitResult::Answered);
  EXPECT_EQ(view.ftp, (FtpParameters{"127.0.0.1", "2121", "dunro", "kelpa", "exam"}));
  EXPECT_EQ(view.log.last(), "DEFLST 127.0.0.1,2121,*****,*****,exam");
  ASSERT_EQ(Wait([&](auto d) { link.Ask(NoticePageRequest(), "t", d); }), WaitResult::Answered);
  EXPECT_EQ(view.notice, "http://127.0.0.1/note/ad.htm");
  EXPECT_EQ(receiver.connections, 1);  // one connection for the whole exchange
  EXPECT_EQ(receiver.Raw().value(0), "GETQUS DovoRO__");
}

TEST_F(Receiver, ErrorRepliesShowTheirMessageAndEndTheWait) {
  common::SystemIniValue(9997, "1");
  common::SystemIniValue(9998, "//help.example/busy");
  receiver.script = [](QTcpSocket* s, const QString& req) {
    FakeReceiver::Reply(s, req == "GETDEF 005" ? "error-2 maintenance" : "ERROR no subject");
  };
  ASSERT_EQ(Wait([&](auto d) { link.Open("t", d); }), WaitResult::Answered);
  EXPECT_EQ(Wait([&](auto d) { link.Ask(NoticePageRequest(), "t", d); }), WaitResult::Answered);
  EXPECT_EQ(view.messages, QStringList{"busy|Receiver"});
  EXPECT_EQ(view.pages, QStringList{"http://help.example/busy"});
  EXPECT_EQ(view.beeps, 1);
  EXPECT_EQ(Wait([&](auto d) { link.Ask(TestListRequest(u"X"), "t", d); }), WaitResult::Answered);
  EXPECT_EQ(view.messages.last(), "refused|Receiver");
  EXPECT_EQ(view.pages.size(), 1);
}

TEST_F(Receiver, WaitsEndByTimeOutStopOrRefusal) {
  // Silent: the wait gives up with its text in the status line.
  ASSERT_EQ(Wait([&](auto d) { link.Open("t", d); }), WaitResult::Answered);
  EXPECT_EQ(Wait([&](auto d) { link.Ask(NoticePageRequest(), "no answer....", d); }), WaitResult::TimedOut);
  EXPECT_EQ(view.status.last(), "no answer....");
  EXPECT_EQ(view.line, LineColour::Black);
  // The user's stop.
  bool done = false;
  WaitResult r = WaitResult::Answered;
  link.Await("t", [&](WaitResult w) {
    r = w;
    done = true;
  });
  EXPECT_EQ(view.line, LineColour::Red);
  link.Stop();
  EXPECT_TRUE(done);
  EXPECT_EQ(r, WaitResult::Stopped);
  // Refused: at once, not after the time-out.
  receiver.Refuse();
  link.SetTimeouts(20000, 20000);
  QElapsedTimer t;
  t.start();
  EXPECT_EQ(Wait([&](auto d) { link.Open("t", d); }), WaitResult::Failed);
  EXPECT_LT(t.elapsed(), 5000);
  // A bad port never reaches connect.
  link.SetEndpoint("127.0.0.1", "99999");
  EXPECT_EQ(Wait([&](auto d) { link.Open("t", d); }), WaitResult::Failed);
}

TEST_F(Receiver, EncipheredRequestsDecodeToThePlainWords) {
  common::SystemIniValue(5951, "1");
  receiver.enciphered = true;
  receiver.script = [](QTcpSocket* s, const QString&) { FakeReceiver::Reply(s, "Not Found"); };
  const QString dest = Data() + "/T01.TXT";
  EXPECT_EQ(Fetch(QString::fromUtf8("許功.TXT"), dest), TransferOutcome::NotFound);
  ASSERT_EQ(receiver.requests.size(), 1);
  EXPECT_EQ(receiver.requests[0], QString::fromUtf8("FILSIZ DovoRO__ 許功.TXT"));
  EXPECT_FALSE(receiver.Raw()[0].contains("FILSIZ"));
  EXPECT_EQ(receiver.Raw()[0].size(), receiver.Raw()[0].trimmed().size());  // nothing after it
}

TEST_F(Receiver, FileArrivesInPiecesAndIsRenamedWhole) {
  const QByteArray content = Bytes(15000);
  receiver.script = [content](QTcpSocket* s, const QString& req) {
    if (req == "FILSIZ DovoRO__ T01-01.wma") FakeReceiver::Reply(s, "FILSIZ 15000");
    if (req != "FILBIN DovoRO__ T01-01.wma") return;
    // 100-byte pieces every 5 ms: a slow link, each gap below the limit.
    auto rest = std::make_shared<QByteArray>(content);
    auto timer = new QTimer(s);
    QObject::connect(timer, &QTimer::timeout, s, [s, rest, timer] {
      s->write(rest->left(100));
      rest->remove(0, 100);
      if (rest->isEmpty()) timer->stop();
    });
    timer->start(5);
  };
  const QString dest = Data() + "/T01-01.wma";
  ASSERT_EQ(Fetch("T01-01.wma", dest, 10000), TransferOutcome::Done);
  QByteArray got;
  ASSERT_TRUE(plat::readAllBytes(dest, got));
  EXPECT_EQ(got, content);
  EXPECT_EQ(DataFiles(), QStringList{"T01-01.wma"});
  EXPECT_GT(view.replaced, 10);  // the progress line is rewritten per arrival
  EXPECT_EQ(view.log.value(view.log.size() - 2), "15000/15000");
  EXPECT_EQ(view.log.last(), "T01-01.wma>ok...");
  EXPECT_EQ(view.log.first(), "Winsock>T01-01.wma");
  EXPECT_EQ(view.links, (QList<int>{link::kRunning, link::kDone}));
  EXPECT_EQ(view.line, LineColour::Green);
  QByteArray report;
  ASSERT_TRUE(plat::readAllBytes(common::ErrorReportPath(), report));
  EXPECT_TRUE(report.contains("Winsock>T01-01.wma"));
}

TEST_F(Receiver, TooManyBytesKeepsTheAnnouncedCount) {
  Serve(Bytes(20000), "FILSIZ 15000");
  const QString dest = Data() + "/T01.TXT";
  ASSERT_EQ(Fetch("T01.TXT", dest), TransferOutcome::Done);
  QByteArray got;
  ASSERT_TRUE(plat::readAllBytes(dest, got));
  EXPECT_EQ(got, Bytes(20000).left(15000));
}

TEST_F(Receiver, ShortStalledOrRefusedTransfersLeaveTheOldFile) {
  const QString dest = Data() + "/T01-01.wma";
  struct Case {
    const char* what;
    std::function<void()> arrange;
    TransferOutcome outcome;
  };
  const QByteArray content = Bytes(15000);
  const Case cases[] = {
      {"closes early",
       [&] {
         receiver.script = [content](QTcpSocket* s, const QString& req) {
           if (req.startsWith("FILSIZ")) FakeReceiver::Reply(s, "FILSIZ 15000");
           if (req.startsWith("FILBIN")) {
             FakeReceiver::Reply(s, content.left(4096));
             s->disconnectFromHost();
           }
         };
       },
       TransferOutcome::Failed},
      {"stalls",
       [&] {
         receiver.script = [content](QTcpSocket* s, const QString& req) {
           if (req.startsWith("FILSIZ")) FakeReceiver::Reply(s, "FILSIZ 15000");
           if (req.startsWith("FILBIN")) FakeReceiver::Reply(s, content.left(10000));
         };
       },
       TransferOutcome::Failed},
      {"sends nothing", [&] { Serve({}, "FILSIZ 15000"); }, TransferOutcome::Failed},
      {"silent", [&] { receiver.script = nullptr; }, TransferOutcome::Failed},
      {"refused",
       [&] { link.SetEndpoint("127.0.0.1", QString::number(testing_net::ClosedPort())); },
       TransferOutcome::Failed},
  };
  // What the one line of the error report says of each: the request and why.
  const char* const lines[] = {
      " FILBIN DovoRO__ T01-01.wma: closed by the server after 4096/15000 bytes",
      " FILBIN DovoRO__ T01-01.wma: no data for 300 ms after 10000/15000 bytes",
      " FILBIN DovoRO__ T01-01.wma: no answer within 600 ms",
      " FILSIZ DovoRO__ T01-01.wma: no answer within 600 ms",
      " connect: ",
  };
  int i = 0;
  for (const Case& c : cases) {
    const char* line = lines[i++];
    ASSERT_TRUE(plat::writeBytesAtomic(dest, "old part"));
    QFile::remove(common::ErrorReportPath());
    view.links.clear();
    c.arrange();
    EXPECT_EQ(Fetch("T01-01.wma", dest), c.outcome) << c.what;
    const QStringList failures = FailureLines();
    ASSERT_EQ(failures.size(), 1) << c.what << ": " << failures.join(" | ").toStdString();
    EXPECT_TRUE(failures[0].contains(line)) << failures[0].toStdString();
    EXPECT_FALSE(failures[0].endsWith(": ")) << failures[0].toStdString();  // a reason is given
    QByteArray got;
    ASSERT_TRUE(plat::readAllBytes(dest, got));
    EXPECT_EQ(got, "old part") << c.what;
    EXPECT_EQ(DataFiles(), QStringList{"T01-01.wma"}) << c.what;
    EXPECT_EQ(view.links.value(view.links.size() - 1), link::kFailed) << c.what;
    EXPECT_TRUE(link.Socket().IsClosed()) << c.what;
  }
}

TEST_F(Receiver, UnusableSizeRepliesNeverAskForTheBytes) {
  const QString dest = Data() + "/T01.TXT";
  const char* replies[] = {"FILSIZ abc", "FILSIZ -1", "FILSIZ 0", "FILSIZ 99999999999", "XYZZY", "Error"};
  for (const char* reply : replies) {
    Serve("body", reply);
    receiver.requests.clear();
    QFile::remove(common::ErrorReportPath());
    EXPECT_EQ(Fetch("T01.TXT", dest), TransferOutcome::Failed) << reply;
    const QStringList failures = FailureLines();
    ASSERT_EQ(failures.size(), 1) << reply << ": " << failures.join(" | ").toStdString();
    EXPECT_TRUE(failures[0].contains(" FILSIZ DovoRO__ T01.TXT: ")) << failures[0].toStdString();
    EXPECT_EQ(receiver.requests, QStringList{"FILSIZ DovoRO__ T01.TXT"}) << reply;
    EXPECT_FALSE(QFile::exists(dest)) << reply;
  }
  // A size from an earlier transfer is never used again.
  Serve(Bytes(300));
  ASSERT_EQ(Fetch("T01.TXT", dest), TransferOutcome::Done);
  Serve("x", "Error");
  receiver.requests.clear();
  EXPECT_EQ(Fetch("T02.TXT", Data() + "/T02.TXT"), TransferOutcome::Failed);
  EXPECT_EQ(receiver.requests.size(), 1);
  EXPECT_EQ(view.messages.last(), "refused|Receiver");
}

TEST_F(Receiver, NotFoundStopAndBadNamesWriteNothing) {
  const QString dest = Data() + "/T01.TXT";
  receiver.script = [](QTcpSocket* s, const QString&) { FakeReceiver::Reply(s, "Not Found"); };
  view.links.clear();
  EXPECT_EQ(Fetch("T01.TXT", dest), TransferOutcome::NotFound);
  EXPECT_EQ(view.links, (QList<int>{link::kRunning, link::kDone}));
  EXPECT_TRUE(DataFiles().isEmpty());

  // A stop while the bytes come in.
  receiver.script = [](QTcpSocket* s, const QString& req) {
    if (req.startsWith("FILSIZ")) FakeReceiver::Reply(s, "FILSIZ 15000");
    if (req.startsWith("FILBIN")) FakeReceiver::Reply(s, Bytes(100));
  };
  link.SetTimeouts(2000, 5000);
  bool done = false;
  TransferOutcome out = TransferOutcome::Done;
  link.DownloadFile("DovoRO__", "T01.TXT", dest, [&](TransferOutcome o) {
    out = o;
    done = true;
  });
  ASSERT_TRUE(WaitFor([&] { return link.ReplyBuffer() == "received!"; })) << view.log.join("|").toStdString() << " buf=" << link.ReplyBuffer().toStdString();
  link.Stop();
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_EQ(out, TransferOutcome::Stopped);
  EXPECT_TRUE(DataFiles().isEmpty());

  receiver.requests.clear();
  for (const char* bad : {"../x.txt", "..\\x.txt", "/tmp/x", "a b.TXT"}) {
    EXPECT_EQ(Fetch(bad, Data() + "/x.txt"), TransferOutcome::Failed) << bad;
  }
  EXPECT_EQ(Fetch("T01.TXT", dir.path() + "/../x.txt\n"), TransferOutcome::Failed);
  EXPECT_TRUE(receiver.requests.isEmpty());
}
