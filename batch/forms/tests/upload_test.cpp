#include <QTcpSocket>
#include <QTimer>

#include "fixture.h"
#include "net/core/ticker.h"
#include "testsupport/core/fakeservers.h"
#include "testsupport/core/loopback.h"
#include "testsupport/core/manualticker.h"

using namespace batchtest;
using batchui::Display;
using batchui::frmClient;

namespace {

// The scoring server on 127.0.0.1, answering the first record: after
// `delayMs`, the pieces of `reply` 50 ms apart, then it closes.
class ScoringServer {
 public:
  ScoringServer() {
    server_.onData = [this](QTcpSocket* s, const QByteArray&) {
      received = server_.received.join();
      if (received.size() < expected.size() || answered) return;
      answered = true;
      matched = received == expected;
      int at = delayMs;
      for (const QByteArray& piece : reply) {
        QTimer::singleShot(at, s, [s, piece] { s->write(piece); });
        at += 50;
      }
      if (closeAfterReply) QTimer::singleShot(at, s, [s] { s->disconnectFromHost(); });
    };
  }
  quint16 Port() const { return server_.Port(); }
  int Connections() const { return server_.connections; }

  QByteArray expected;
  QList<QByteArray> reply = {"Complete"};
  int delayMs = 0;
  bool closeAfterReply = true;
  QByteArray received;  // every connection's bytes
  bool answered = false;
  bool matched = false;

 private:
  testing_net::ScoringServer server_;
};

// The record the server must receive for the class of three averaged: 23
// values each followed by "|", in CP950.
QByteArray ExpectedRecord() {
  const QStringList values = {"RudaZO__",
                              "Nuvo",
                              "平均",
                              "王小明",
                              "A123456789",
                              "1990/5/3",
                              "",
                              "31.1",
                              "10:00",
                              "",
                              "",
                              "",
                              "",
                              "",
                              "",
                              "96.12",
                              "3.88",
                              "311",
                              "11.33333",
                              "316.6667",
                              "192.0.2.10",
                              "testhost",
                              "2026/3/5 上午 09:00:00"};
  EXPECT_EQ(values.size(), 23);
  QByteArray out;
  for (const QString& v : values) out += plat::toCp950(v) + '|';
  return out;
}

class Upload : public BatchUi {
 protected:
  Display& StartUploading(int deliveryMode, const QString& host = "127.0.0.1") {
    plat::SetTcpClientMaker({});  // the real socket
    settings[5902] = QString::number(server.Port());
    settings[5951] = "1";  // the batch scorer still sends plain
    score = WriteScoreFile("Class.R01", ClassOfThree());
    return Start({WriteRecord(score, 0, deliveryMode, {}, host)});
  }
  ScoringServer server;
  QString score;
};

// Ticks by hand, over the fake socket.
class UploadByHand : public BatchUi {
 protected:
  void SetUp() override {
    BatchUi::SetUp();
    seams.Set(frmClient::SetTickerMaker, [this] {
      auto t = std::make_unique<net::ManualTicker>();
      ticker = t.get();
      return std::unique_ptr<net::Ticker>(std::move(t));
    });
  }
  plat::FakeTcpClient& Socket() {
    return static_cast<plat::FakeTcpClient&>(plat::forms::get<frmClient>().Session().Socket());
  }
  net::ManualTicker* ticker = nullptr;
};

}  // namespace

TEST_F(Upload, SendsThe23ColumnsPlainAndCompletesQuietly) {
  server.expected = ExpectedRecord();
  Display& d = StartUploading(2);
  auto& client = plat::forms::get<frmClient>();
  ASSERT_TRUE(testing_net::WaitFor([&] { return client.Finished(); }, 10000)) << server.received.toStdString();
  EXPECT_TRUE(server.matched) << server.received.toStdString();
  EXPECT_EQ(server.received.count('|'), 23);
  EXPECT_EQ(server.Connections(), 1);
  EXPECT_FALSE(client.isVisible());
  EXPECT_EQ(client.lblMessage->text(), Text(11809));
  // The main window as it was; no score sheet opens.
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(plat::forms::exists<batchui::成績單>() && plat::forms::get<batchui::成績單>().isVisible());
  EXPECT_EQ(app.ends, 0);
  // The table shows the values that went out.
  EXPECT_EQ(client.Text1[2]->text(), QString("平均"));
  EXPECT_EQ(client.Label1[7]->text(), QString("速度"));
  EXPECT_EQ(client.Text1.size(), 23);
}

TEST_F(Upload, AVerdictInPiecesStillCounts) {
  server.expected = ExpectedRecord();
  server.reply = {"Comp", "lete"};
  StartUploading(2);
  auto& client = plat::forms::get<frmClient>();
  ASSERT_TRUE(testing_net::WaitFor([&] { return client.Finished(); }, 10000));
  EXPECT_TRUE(server.matched);
}

TEST_F(Upload, ExitWaitsForTheUpload) {
  settings[804] = "2";
  server.expected = ExpectedRecord();
  server.delayMs = 400;
  Display& d = StartUploading(5);
  EXPECT_FALSE(plat::forms::exists<frmClient>());
  d.Command1_Click();
  EXPECT_EQ(SizeOf(score), 4 * 252);  // delivered on exit
  EXPECT_FALSE(d.isVisible());
  auto& client = plat::forms::get<frmClient>();
  EXPECT_TRUE(client.isVisible());
  ASSERT_TRUE(testing_net::WaitFor([&] { return server.matched; }, 10000));
  EXPECT_EQ(app.ends, 0);  // not before the verdict
  ASSERT_TRUE(testing_net::WaitFor([&] { return app.ends == 1; }, 10000));
  EXPECT_TRUE(client.Finished());
  EXPECT_EQ(app.code, 0);
  EXPECT_TRUE(prompt.calls.isEmpty());
}

// The loopback server refuses the summary: the program does not end on its
// own; the box says so and ending leaves a failing exit code.
TEST_F(Upload, AnErrorOnExitIsAskedAboutAndEndsWithAFailingCode) {
  settings[804] = "2";
  server.expected = ExpectedRecord();
  server.reply = {"Error"};
  Display& d = StartUploading(5);
  prompt.answers = {plat::Answer::Cancel};
  d.Command1_Click();
  ASSERT_TRUE(testing_net::WaitFor([&] { return app.ends == 1; }, 10000));
  EXPECT_EQ(server.Connections(), 1);
  EXPECT_EQ(notices.size(), 1);  // the verdict's own box
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::RetryCancel);
  EXPECT_TRUE(prompt.calls[0].text.contains(score));
  EXPECT_EQ(app.code, batchui::kExitNotDelivered);
  EXPECT_TRUE(Logged(QStringLiteral("結束時總成績沒有送達主機>127.0.0.1>") + score));
}

TEST_F(Upload, ErrorVerdictIsShownAndSendingIsOfferedAgain) {
  server.expected = ExpectedRecord();
  server.reply = {"Error"};
  server.closeAfterReply = false;
  StartUploading(2);
  auto& client = plat::forms::get<frmClient>();
  ASSERT_TRUE(testing_net::WaitFor([&] { return !notices.isEmpty(); }, 10000));
  EXPECT_EQ(notices[0], Text(11810) + "|" + Text(14005));
  EXPECT_TRUE(client.Command1->isEnabled());
  EXPECT_FALSE(client.Finished());
}

TEST_F(UploadByHand, EmptyHostIsAskedForAndAPlaceholderStandsIn) {
  settings[804] = "1";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Start({WriteRecord(score, 0, 2)});
  // The prompt of the first activation, answered empty.
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, Text(11807));
  EXPECT_EQ(batch::batch().setup.AssignedHost(), batchui::kPlaceholderHost);
  ASSERT_FALSE(Socket().connects.isEmpty());
  EXPECT_EQ(Socket().connects[0], QString("localhost:5568"));
}

TEST_F(UploadByHand, NoConnectionOffersTheHostDialogAndItsCancelEndsAPendingExit) {
  settings[804] = "2";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 2, {}, "192.0.2.99")});
  d.Command1_Click();
  auto& client = plat::forms::get<frmClient>();
  auto& dialog = plat::forms::get<batchui::Dialog>();
  EXPECT_EQ(dialog.Text1->text(), QString("192.0.2.99"));
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(ticker->Fire());
  EXPECT_FALSE(dialog.isVisible());
  ASSERT_TRUE(ticker->Fire());  // the 11th tick gives up
  EXPECT_FALSE(ticker->IsActive());
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(client.lblMessage->text().contains(Text(11808)));
  EXPECT_EQ(Socket().connects.size(), 11);
  QCoreApplication::processEvents();
  EXPECT_EQ(app.ends, 0);  // the dialog is up: the user decides
  // OK with a new host tries again there.
  dialog.Text1->setText("192.0.2.77");
  dialog.OKButton_Click();
  EXPECT_EQ(Socket().connects.last(), QString("192.0.2.77:5568"));
  EXPECT_TRUE(ticker->IsActive());
  for (int i = 0; i < 11; ++i) ticker->Fire();
  EXPECT_TRUE(dialog.isVisible());
  dialog.CancelButton_Click();
  QCoreApplication::processEvents();
  EXPECT_EQ(app.ends, 1);
  // Giving up in the host dialog is the person's answer: no second box,
  // but the report and the exit code say the summary was not delivered.
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_EQ(app.code, batchui::kExitNotDelivered);
  EXPECT_TRUE(Logged("結束時總成績沒有送達主機>192.0.2.77"));
}

// "Error" offers sending again but ends no attempt: a pending exit waits
// for the verdict wait to run out.
TEST_F(UploadByHand, AnErrorVerdictKeepsAPendingExitWaiting) {
  settings[804] = "2";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 2, {}, "192.0.2.99")});
  d.Command1_Click();
  auto& client = plat::forms::get<frmClient>();
  Socket().AcceptConnect();
  ASSERT_EQ(Socket().sent.size(), 1);
  Socket().Deliver("Error");
  QCoreApplication::processEvents();
  ASSERT_EQ(notices.size(), 1);
  EXPECT_TRUE(client.Command1->isEnabled());
  EXPECT_EQ(app.ends, 0);
  for (int i = 0; i < 31; ++i) ASSERT_TRUE(ticker->Fire());
  QCoreApplication::processEvents();
  EXPECT_EQ(app.ends, 0);
  ASSERT_TRUE(ticker->Fire());  // the 32nd tick after sending gives up
  QCoreApplication::processEvents();
  EXPECT_EQ(app.ends, 1);
  EXPECT_FALSE(client.Finished());
  EXPECT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(app.code, batchui::kExitNotDelivered);
}

// Every way an exit's delivery can fail is written to the error report and
// asked about; the program ends only on the answer. Retry sends again and a
// recorded summary then ends it with code 0.
TEST_F(UploadByHand, AFailedDeliveryOnExitWaitsForTheAnswer) {
  struct Case {
    const char* what;
    std::function<void()> fail;
  };
  const Case cases[] = {
      {"Error, then the close", [this] {
         Socket().Deliver("Error");
         Socket().ClosePeer();
       }},
      {"a close without a verdict", [this] { Socket().ClosePeer(); }},
      {"silence", [this] {
         for (int i = 0; i < 32; ++i) ticker->Fire();
       }},
      {"cancel", [] { plat::forms::get<frmClient>().Command2_Click(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (&c != &cases[0]) {
      TearDown();
      SetUp();
      app = plat::FakeAppControl();
      prompt.calls.clear();
      QFile::remove(root + "ZetError.Txt");
    }
    settings[804] = "2";
    const QString score = WriteScoreFile("Class.R01", ClassOfThree());
    Display& d = Start({WriteRecord(score, 0, 2, {}, "192.0.2.99")});
    d.Command1_Click();
    Socket().AcceptConnect();
    ASSERT_EQ(Socket().sent.size(), 1);
    prompt.answers = {plat::Answer::Retry};
    c.fail();
    QCoreApplication::processEvents();
    EXPECT_EQ(app.ends, 0);
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::RetryCancel);
    EXPECT_TRUE(Logged(QStringLiteral("結束時總成績沒有送達主機>192.0.2.99>") + score));
    // Retry: a new attempt from the start.
    ASSERT_EQ(Socket().connects.size(), 2);
    EXPECT_TRUE(plat::forms::get<frmClient>().isVisible());
    Socket().AcceptConnect();
    ASSERT_EQ(Socket().sent.size(), 2);
    EXPECT_EQ(Socket().sent[1], Socket().sent[0]);
    // Failing again and ending.
    prompt.answers = {plat::Answer::Cancel};
    c.fail();
    QCoreApplication::processEvents();
    EXPECT_EQ(prompt.calls.size(), 2);
    EXPECT_EQ(app.ends, 1);
    EXPECT_EQ(app.code, batchui::kExitNotDelivered);
  }
}

TEST_F(UploadByHand, RetryAfterAFailedExitDeliveryEndsCleanlyWhenRecorded) {
  settings[804] = "2";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 2, {}, "192.0.2.99")});
  d.Command1_Click();
  Socket().AcceptConnect();
  prompt.answers = {plat::Answer::Retry};
  Socket().ClosePeer();
  QCoreApplication::processEvents();
  Socket().AcceptConnect();
  Socket().Deliver("Complete");
  Socket().ClosePeer();
  QCoreApplication::processEvents();
  EXPECT_EQ(app.ends, 1);
  EXPECT_EQ(app.code, 0);
  EXPECT_TRUE(plat::forms::get<frmClient>().Finished());
}

TEST_F(UploadByHand, ValuesAreTakenAgainWhenAnUploadStarts) {
  settings[804] = "0";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 0, {}, "192.0.2.99")});
  auto& client = plat::forms::get<frmClient>();
  client.Load();
  EXPECT_EQ(client.Text1[3]->text(), QString("王小明"));
  // The summary changes (another file through the sheet) before the upload.
  const QString other = WriteScoreFile("Other.R02", {ClassOfThree()[2]});
  d.Command2_Click();
  prompt.files = {other};
  plat::forms::get<batchui::成績單>().Command10_Click();
  client.Show();
  Socket().AcceptConnect();
  ASSERT_EQ(Socket().sent.size(), 1);
  const QString sent = plat::fromCp950(Socket().sent[0]);
  EXPECT_TRUE(sent.startsWith("RudaZO__|Nuvo|平均|陳大同|C123456789|")) << sent.toStdString();
  EXPECT_EQ(sent.count('|'), 23);
  // "Complete" then the server's close: done at once.
  Socket().Deliver("Complete");
  Socket().ClosePeer();
  EXPECT_TRUE(client.Finished());
  EXPECT_FALSE(client.isVisible());
  EXPECT_FALSE(client.Activated());
}

TEST_F(UploadByHand, BadPortIsOnTheStatusLineNotInABox) {
  settings[5902] = "port";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  settings[804] = "1";
  Start({WriteRecord(score, 0, 2, {}, "192.0.2.99")});
  auto& client = plat::forms::get<frmClient>();
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(client.lblMessage->text().startsWith(Text(14003) + "13"));
  EXPECT_TRUE(client.Command1->isEnabled());
  EXPECT_TRUE(Logged("CrsDeliver"));
}
