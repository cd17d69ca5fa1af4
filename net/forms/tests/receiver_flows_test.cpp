// The test named by the receiver, end to end against a scripted receiver on
// 127.0.0.1: the exchange, the file transfer, retries, refusals and faults.
#include "net/forms/tests/fixture.h"

#include <QTimer>

using namespace net;
using namespace testing_net;

namespace {

using Flows = WindowTest;

// Mode 2 as the set-up screen's start button uses it: the tick starts the
// flow, the window hides at its end, the test and its first part are there.
TEST_F(Flows, NamedTestAndFirstPartOverTheReceiverPlainAndEnciphered) {
  for (bool encipher : {false, true}) {
    SCOPED_TRACE(encipher ? "enciphered" : "plain");
    common::SystemIniValue(5951, encipher ? "1" : "0");
    receiver.enciphered = encipher;
    receiver.requests.clear();
    receiver.connections = 0;
    const qsizetype rawBefore = receiver.Raw().size();
    QDir(Data()).removeRecursively();
    ReceiverScript s;
    s.files["T02.TXT"] = "second test\r\n";
    s.files["T02-01.wma"] = Bytes(30000);
    Serve(s);
    w->Text5->setText("2");
    w->Check1->setChecked(true);
    w->UserSw = mode::kFetchNamed;
    w->UserSTOP = 0;
    w->Show();
    ASSERT_TRUE(WaitFor([&] { return w->UserSw == mode::kFetchStarted && Settled(); }, 10000));

    EXPECT_EQ(ReadAll(InData("T02.TXT")), "second test\r\n");
    EXPECT_EQ(ReadAll(InData("T02-01.wma")), Bytes(30000));
    EXPECT_EQ(w->Text4->text(), InData("T02.TXT"));
    EXPECT_EQ(w->Text12->text(), "T02.TXT");
    EXPECT_EQ(receiver.requests,
              (QStringList{"GETQUS DovoRO__", "GETDEF 027 028 029 030 031", "GETDEF 005", "FILSIZ DovoRO__ T02.TXT",
                           "FILBIN DovoRO__ T02.TXT", "FILSIZ DovoRO__ T02-01.wma", "FILBIN DovoRO__ T02-01.wma"}));
    EXPECT_EQ(receiver.connections, 3);  // the exchange, then one per file
    if (encipher) {
      for (const QByteArray& raw : receiver.Raw().mid(rawBefore))
        EXPECT_FALSE(raw.startsWith("GET") || raw.startsWith("FIL"));
    }
    // Hidden once the part is in (digit 3); the task stays open for the
    // background fetch, which ends it.
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->NetLinkStatus, link::kDone);
    EXPECT_TRUE(w->Command4->isEnabled());
    EXPECT_FALSE(w->Command1->isEnabled());
    EXPECT_EQ(w->T1->text(), "127.0.0.1");
    EXPECT_EQ(w->Text6->text(), "http://127.0.0.1:1/ad.htm");
    // The FTP password is not shown in the log the candidate sees.
    EXPECT_FALSE(Log().join("\n").contains("kelpa"));
    EXPECT_EQ(DataFiles(), (QStringList{"T02-01.wma", "T02.TXT"}));
    w->Command4_Click();  // the next round starts from a stopped task
    ASSERT_TRUE(WaitFor([&] { return w->NetLinkStatus == link::kIdle && !w->Timer1->Enabled(); }));
  }
}

TEST_F(Flows, ScrambledCopyReplacesThePlainTest) {
  struct Case {
    int s181;
    bool presentBefore;
  };
  for (Case c : {Case{3, false}, Case{1, true}}) {
    SCOPED_TRACE(c.s181);
    common::SystemIniValue(181, QString::number(c.s181));
    receiver.requests.clear();
    ReceiverScript s;
    s.files["T01.TXT"] = "line one\r\nline two\r\n";
    Serve(s);
    QFile::remove(InData("T01.TTT"));
    if (c.presentBefore) plat::writeBytesAtomic(InData("T01.TXT"), "line one\r\nline two\r\n");
    w->Text5->setText("1");
    w->Command1_Click();
    ASSERT_TRUE(WaitSettled());
    EXPECT_EQ(w->Text4->text(), InData("T01.TTT"));
    EXPECT_TRUE(QFileInfo(InData("T01.TTT")).isFile());
    EXPECT_FALSE(QFileInfo(InData("T01.TXT")).exists());
    EXPECT_EQ(Requests("FILSIZ").size(), c.presentBefore ? 0 : 1);  // a present test is not fetched again
    EXPECT_EQ(w->NetLinkStatus, link::kIdle);
    EXPECT_TRUE(w->Command1->isEnabled());
  }
}

// Whatever goes wrong in the transfer, no file that counts as present is left.
TEST_F(Flows, FailedTransfersLeaveNoFileAndEndTheTaskOnce) {
  struct Case {
    const char* what;
    QByteArray sizeReply;  // empty: the real size
    QByteArray content;
    std::function<void(QTcpSocket*, const QByteArray&)> send;
    bool expectBytesAsked;
  };
  const QByteArray big = Bytes(15000);
  const Case cases[] = {
      {"closes early", {}, big, [](QTcpSocket* s, const QByteArray& b) { FakeReceiver::Reply(s, b.left(4096)); s->disconnectFromHost(); }, true},
      {"stalls", {}, big, [](QTcpSocket* s, const QByteArray& b) { FakeReceiver::Reply(s, b.left(10000)); }, true},
      {"silent after the size", {}, big, [](QTcpSocket*, const QByteArray&) {}, true},
      {"size abc", "FILSIZ abc", big, nullptr, false},
      {"size -1", "FILSIZ -1", big, nullptr, false},
      {"size 0", "FILSIZ 0", big, nullptr, false},
      {"size too large", "FILSIZ 99999999999", big, nullptr, false},
      {"not found", "Not Found", big, nullptr, false},
      {"error", "Error", big, nullptr, false},
      {"garbage", "XYZZY", big, nullptr, false},
  };
  w->Show();  // in front, as the buttons are used: a server's refusal is a box
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    receiver.requests.clear();
    ReceiverScript s;
    s.files["T01.TXT"] = c.content;
    if (!c.sizeReply.isEmpty()) s.sizeReplies["T01.TXT"] = c.sizeReply;
    s.sendFile = c.send;
    Serve(s);
    w->Command1_Click();
    ASSERT_TRUE(WaitSettled());
    EXPECT_TRUE(DataFiles().isEmpty()) << DataFiles().join(",").toStdString();
    EXPECT_EQ(w->NetLinkStatus, link::kFailed);
    EXPECT_EQ(w->Text4->text(), "");
    EXPECT_EQ(w->Label1->text(), Text(10612));
    EXPECT_EQ(Requests("FILBIN").size(), c.expectBytesAsked ? 1 : 0);
    EXPECT_TRUE(w->Command1->isEnabled());
    EXPECT_FALSE(w->Command4->isEnabled());
  }
  Spin(50);
  EXPECT_TRUE(Messages().contains(Text(10619)));  // the "Error" reply was shown
}

// With the methods in turn a failure moves to the next method exactly once,
// started by the next tick; the order runs out after its last pair.
TEST_F(Flows, MethodOrderTriesTheNextMethodOncePerFailure) {
  HttpServer http;
  struct Case {
    const char* order;
    bool httpHasIt;
    QStringList tries;
    bool fetched;
  };
  for (const Case& c : {Case{"C1B1", true, {"C>1", "B>1"}, true}, Case{"C2B1", false, {"C>1", "C>2", "B>1"}, false}}) {
    SCOPED_TRACE(c.order);
    receiver.requests.clear();
    w->List2->clear();
    QDir(Data()).removeRecursively();
    ReceiverScript s;  // the receiver has no such file
    s.params = "DEFLST 127.0.0.1:" + QByteArray::number(http.Port()) + ",21,dunro,kelpa,exam";
    Serve(s);
    http.Route("/exam/DovoRO__/T01.TXT", c.httpHasIt ? HttpRoute(200, "by http\r\n") : HttpRoute(404, "<html>no</html>"));
    w->UserSetData = "4312000001119";
    w->Text13->setText(c.order);
    w->Text5->setText("1");
    w->UserSTOP = 0;
    w->UserSw = mode::kFetchNamed;
    w->Show();
    ASSERT_TRUE(WaitSettled(15000));
    QStringList tries;
    for (const QString& l : Log())
      if (l.size() == 3 && l[1] == u'>') tries << l;
    EXPECT_EQ(tries, c.tries);
    EXPECT_EQ(Requests("GETQUS").size(), c.tries.size());  // one exchange per try, none skipped or doubled
    EXPECT_EQ(QFileInfo(InData("T01.TXT")).isFile(), c.fetched);
    if (c.fetched) {
      EXPECT_EQ(w->Text4->text(), InData("T01.TXT"));
      EXPECT_TRUE(http.requests.contains("GET /exam/DovoRO__/T01.TXT HTTP/1.1"));
    } else {
      EXPECT_EQ(w->Text4->text(), "");
      EXPECT_EQ(w->UserSw, mode::kNone);  // no automatic work left
      EXPECT_EQ(w->NetLinkStatus, link::kFailed);
      EXPECT_TRUE(DataFiles().isEmpty());  // the 404 page is not a test
    }
    w->Hide();
  }
}

// Names from the receiver never leave the data folder; an attempt number that
// names no test is refused before any transfer.
TEST_F(Flows, RefusedTestNamesAndAttemptNumbers) {
  struct Case {
    QByteArray tests;
    const char* attempt;
  };
  const Case cases[] = {
      {"QUSSET ../x.txt", "1"},       {"QUSSET ..\\x.txt", "1"},   {"QUSSET /tmp/x.txt", "1"},
      {"QUSSET a\\b.TXT", "1"},       {"QUSSET T0*.TXT", "1"},      {"QUSSET ..", "1"},
      {"QUSSET T01.TXT,T02.TXT", "0"}, {"QUSSET T01.TXT,T02.TXT", "256"}, {"QUSSET T01.TXT", "3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tests.toStdString() + " #" + c.attempt);
    receiver.requests.clear();
    ReceiverScript s;
    s.tests = c.tests;
    s.files["x.txt"] = "evil";
    Serve(s);
    w->Text2->clear();
    w->Text5->setText(c.attempt);
    QFile::remove(common::ErrorReportPath());
    w->Command1_Click();
    ASSERT_TRUE(WaitSettled());
    EXPECT_EQ(w->Label1->text(), Text(10605));
    // A name refused has its line: the receiver, the request that named it.
    QStringList report;
    plat::readTextLines(common::ErrorReportPath(), report);
    const QString refused = "Winsock>127.0.0.1:" + receiver.Port() + " GETQUS DovoRO__: refused name ";
    EXPECT_EQ(report.filter(refused).size(), c.tests.contains("T01.TXT") ? 0 : 1) << report.join("\n").toStdString();
    EXPECT_EQ(w->NetLinkStatus, link::kFailed);
    EXPECT_TRUE(Requests("FILSIZ").isEmpty());
    EXPECT_TRUE(DataFiles().isEmpty());
    EXPECT_FALSE(QFileInfo(dir.path() + "/x.txt").exists());
  }
}

TEST_F(Flows, IncompleteParametersAreAskedForTenTimesOnOneConnection) {
  ReceiverScript s;
  s.params = "DEFLST h,21,u,p";  // the folder is missing every time
  Serve(s);
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled());
  EXPECT_EQ(Requests("GETQUS").size(), 10);
  EXPECT_EQ(receiver.connections, 1);
  QStringList notes;
  for (const QString& l : Log())
    if (l.startsWith(Text(10603))) notes << l;
  ASSERT_EQ(notes.size(), 9);
  EXPECT_EQ(notes.first(), Text(10603) + "...1");
  EXPECT_EQ(notes.last(), Text(10603) + "...9");
  QStringList report;
  plat::readTextLines(common::ErrorReportPath(), report);
  EXPECT_TRUE(report.join("\n").contains(Text(10603) + "..."));
  EXPECT_EQ(w->NetLinkStatus, link::kFailed);
}

TEST_F(Flows, FirstPartAlreadyThereIsNotFetchedAndTheTaskStaysOpen) {
  ReceiverScript s;
  s.files["T01.TXT"] = "test one\r\n";
  s.files["T01-01.wma"] = Bytes(3000);
  Serve(s);
  plat::writeBytesAtomic(InData("T01-01.wma"), "old");
  w->Check1->setChecked(true);
  w->Command1_Click();
  ASSERT_TRUE(WaitFor([&] { return !w->Busy(); }));
  EXPECT_EQ(Requests("FILSIZ"), QStringList{"FILSIZ DovoRO__ T01.TXT"});
  EXPECT_EQ(ReadAll(InData("T01-01.wma")), "old");
  // Left open for the background fetch of the other parts to end.
  EXPECT_EQ(w->NetLinkStatus, link::kDone);
  EXPECT_TRUE(w->Command4->isEnabled());
  EXPECT_FALSE(w->Command1->isEnabled());
  w->Command4_Click();
  ASSERT_TRUE(WaitFor([&] { return w->NetLinkStatus == link::kIdle && !w->Timer1->Enabled(); }));
}

TEST_F(Flows, ParametersCountWhenTheyCameOnTheLastAttemptOrFromAnEarlierExchange) {
  ReceiverScript s;
  s.files["T01.TXT"] = "test one\r\n";
  Serve(s);
  const FakeReceiver::Script full = receiver.script;
  int asked = 0;
  // Short parameters nine times, whole on the tenth attempt.
  receiver.script = [full, &asked](QTcpSocket* sock, const QString& req) {
    if (req == "GETDEF 027 028 029 030 031" && ++asked < 10) return FakeReceiver::Reply(sock, "DEFLST h,21,u,p");
    full(sock, req);
  };
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled());
  EXPECT_EQ(Requests("GETQUS").size(), 10);
  EXPECT_EQ(receiver.connections, 2);  // the exchange, then the file
  EXPECT_EQ(ReadAll(InData("T01.TXT")), "test one\r\n");
  EXPECT_EQ(w->Text4->text(), InData("T01.TXT"));
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);

  // The fields are not emptied before a new exchange: a receiver that now
  // answers the parameters with something else leaves them filled, and one
  // attempt is enough.
  QFile::remove(InData("T01.TXT"));
  receiver.requests.clear();
  receiver.script = [full](QTcpSocket* sock, const QString& req) {
    if (req == "GETDEF 027 028 029 030 031") return FakeReceiver::Reply(sock, "NOPARM");
    full(sock, req);
  };
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled());
  EXPECT_EQ(Requests("GETQUS").size(), 1);
  EXPECT_EQ(w->T7->text(), "exam");
  EXPECT_EQ(ReadAll(InData("T01.TXT")), "test one\r\n");
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
}

TEST_F(Flows, ReceiverThatSpeaksFirstAndReceiverErrors) {
  // Setting 1998: no test request; the receiver's own first message answers.
  common::SystemIniValue(1998, "1");
  ReceiverScript s;
  s.files["T01.TXT"] = "pushed\r\n";
  Serve(s);
  receiver.onConnect = [this](QTcpSocket* sock) {
    if (receiver.connections != 1) return;  // only the exchange, not the file's own connection
    FakeReceiver::Later(sock, 50, [sock] { FakeReceiver::Reply(sock, "QUSSET T01.TXT"); });
  };
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled());
  EXPECT_TRUE(Requests("GETQUS").isEmpty());
  EXPECT_EQ(Requests("GETDEF").size(), 2);
  EXPECT_EQ(ReadAll(InData("T01.TXT")), "pushed\r\n");

  // "Error-2" in any case: its message, and the help page when 9997 is 1.
  common::SystemIniValue(1998, "0");
  common::SystemIniValue(9997, "1");
  common::SystemIniValue(9998, "//help.example/busy");
  receiver.onConnect = nullptr;
  s.tests = "error-2 maintenance";
  Serve(s);
  w->Show();  // in front: the refusal is a box
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled());
  Spin(50);
  EXPECT_TRUE(Messages().contains(Text(10618)));
  EXPECT_EQ(opened, QStringList{"http://help.example/busy"});
}

TEST_F(Flows, SilentOrAbsentReceiverFailsWithinTheWait) {
  receiver.script = nullptr;  // accepts and never answers
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled(5000));
  EXPECT_EQ(w->Label1->text(), Text(10612));
  EXPECT_EQ(w->NetLinkStatus, link::kFailed);
  EXPECT_FALSE(w->Link().IsOpen());

  w->T6->setText(QString::number(ClosedPort()));
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled(5000));
  EXPECT_EQ(w->NetLinkStatus, link::kFailed);
  w->T6->setText("70000");  // no such port
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled(5000));
  EXPECT_EQ(w->NetLinkStatus, link::kFailed);
}

TEST_F(Flows, StopAndGiveUpEndTheWaitAndLeaveTheLinkIdle) {
  receiver.script = nullptr;
  w->SetTimeouts(20000, 20000);
  w->UserSw = mode::kManual;
  w->Show();
  w->Command1_Click();
  ASSERT_TRUE(WaitFor([&] { return w->Link().Busy(); }));
  EXPECT_FALSE(w->Command1->isEnabled());
  EXPECT_TRUE(w->Command4->isEnabled());
  w->Command4_Click();
  ASSERT_TRUE(WaitSettled(2000));
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
  EXPECT_TRUE(w->Command1->isEnabled());
  EXPECT_TRUE(w->isVisible());

  // Give up: the window hides when the task ends.
  w->Command6_Click();
  ASSERT_TRUE(WaitFor([&] { return w->Link().Busy(); }));
  w->Command7_Click();
  ASSERT_TRUE(WaitSettled(2000));
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
}

}  // namespace
