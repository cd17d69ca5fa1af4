#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/store.h"
#include "net/core/uploadsession.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/random.h"
#include "testsupport/core/fakeservers.h"
#include "testsupport/core/manualticker.h"
#include "testsupport/core/netfakes.h"

using namespace net;
using testing_net::ScoringServer;
using testing_net::WaitFor;

namespace {

struct View : UploadView {
  void ShowWindow() override { ++shown; }
  void SetStatus(const QString& t) override { status = t; }
  void AppendStatus(const QString& t) override { status += t; }
  void SetCaption(const QString& t) override { caption = t; }
  void EnableSend(bool on) override { send = on; }
  void EnableCancel(bool on) override { cancel = on; }
  void ShowVerdictError(const QString& t, const QString& title) override { errors << t + "|" + title; }
  void OfferHostDialog() override { ++dialogs; }
  void Completed() override { ++completed; }
  void AttemptEnded() override { ++ended; }
  void ShowRuntimeError(const common::AppError& e) override { faults << e.number; }
  int shown = 0, dialogs = 0, completed = 0, ended = 0;
  bool send = true, cancel = true;
  QString status, caption;
  QStringList errors;
  QList<int> faults;
};

// Fields of a decoded record; splitting happens after decoding, as a server must.
QStringList Fields(const QByteArray& bytes) {
  QStringList f = plat::fromCp950(bytes).split(u'|');
  if (!f.isEmpty() && f.last().isEmpty()) f.removeLast();
  return f;
}

class Upload : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    common::ResetCommonState();
    common::ProgramFolder.set(dir.path() + "/");
    const std::pair<int, const char*> texts[] = {{11808, "[not delivered]"}, {11809, "recorded"},
                                                 {11810, "server refused"}, {11811, "connected"},
                                                 {14005, "Upload"}};
    for (auto [id, t] : texts) common::SystemIniValue(id, QString::fromUtf8(t));
    common::AssignedHost.set("127.0.0.1");
    common::SystemIniValue(5902, QString::number(server.Port()));
  }
  void TearDown() override {
    common::ResetCommonState();
    plat::SetProgramFolder(QString());
  }
  // A session on a real socket with a hand-driven tick.
  std::unique_ptr<UploadSession> Make(UploadPolicy policy = {}, int columns = 24) {
    auto t = std::make_unique<ManualTicker>();
    ticker = t.get();
    auto s = std::make_unique<UploadSession>(view, std::move(policy), plat::MakeTcpClient(), std::move(t));
    QStringList values(columns);
    values[3] = "A";
    s->SetValues(values);
    return s;
  }
  // Answers once the whole record (`bars` fields) has come.
  void Answer(std::function<void(QTcpSocket*)> reply, int bars = 24) {
    server.onData = [reply, bars](QTcpSocket* s, const QByteArray& all) {
      if (plat::fromCp950(all).count(u'|') == bars) reply(s);
    };
  }
  int Fire(int n) {
    int fired = 0;
    for (int i = 0; i < n; ++i) fired += ticker->Fire() ? 1 : 0;
    return fired;
  }

  QTemporaryDir dir;
  ScoringServer server;
  View view;
  ManualTicker* ticker = nullptr;
};

}  // namespace

TEST(UploadRecord, BarsAreAlwaysThereAndNeverInsideAValue) {
  EXPECT_EQ(BuildUploadRecord(QStringList(24)), QString(24, u'|'));
  EXPECT_EQ(BuildUploadRecord(QStringList(23)), QString(23, u'|'));
  int replaced = 0;
  QString r = BuildUploadRecord({QString::fromUtf8("甲|乙"), "a\r\nb", QString::fromUtf8("育四許")}, &replaced);
  EXPECT_EQ(r, QString::fromUtf8("甲｜乙|a  b|育四許|"));
  EXPECT_EQ(replaced, 3);
  EXPECT_EQ(plat::toCp950(QString::fromUtf8("｜")), QByteArray("\xA1\x55"));
}

TEST_F(Upload, ScorerRecordIsByteExactAndCompletes) {
  // The scorer's 24 values as its result line has them.
  auto s = Make();
  QStringList values = {"DovoRO__", "Nuvo", "C:\\Tavrel\\Data\\T01.TXT", QString::fromUtf8("許育四"),
                        "A1234567890312", "80/1/2", "", "35.5", "09:58"};
  for (int k = 0; k < 6; ++k) values << QString();
  values << "98.50" << "1.50" << "300" << "4" << "304" << s->Socket().LocalIP() << "PC01" << "2026/3/5 09:12:00"
         << QString::fromUtf8("注音");
  s->SetValues(values);
  Answer([](QTcpSocket* c) { c->write("Complete"); });
  s->Deliver();
  EXPECT_EQ(view.shown, 1);
  EXPECT_FALSE(view.send);
  EXPECT_FALSE(view.cancel);  // the first time
  ASSERT_TRUE(WaitFor([&] { return s->State() == UploadState::Completed; }));
  EXPECT_EQ(view.caption, "recorded");
  EXPECT_EQ(view.completed, 0);  // the next tick finishes
  ASSERT_EQ(Fire(1), 1);
  EXPECT_EQ(view.completed, 1);
  EXPECT_EQ(view.ended, 0);
  EXPECT_EQ(view.status, "recorded");
  EXPECT_FALSE(ticker->IsActive());
  EXPECT_TRUE(s->Socket().IsClosed());

  ASSERT_EQ(server.received.size(), 1);
  const QString want = QString::fromUtf8(
                           "DovoRO__|Nuvo|C:\\Tavrel\\Data\\T01.TXT|許育四|A1234567890312|80/1/2||35.5|09:58||||||"
                           "|98.50|1.50|300|4|304|%1|PC01|2026/3/5 09:12:00|注音|")
                           .arg(s->Socket().LocalIP());
  EXPECT_EQ(server.received[0], plat::toCp950(want));
  EXPECT_TRUE(server.received[0].contains("\xB3\x5C\xA8\x7C\xA5\x7C"));  // 許育四: trail bytes 5C, 7C
  EXPECT_EQ(Fields(server.received[0]).size(), 24);
}

TEST_F(Upload, VerdictsAsTheyArrive) {
  struct Case {
    const char* what;
    std::function<void(QTcpSocket*)> reply;
    bool completes;
    int errorBoxes = 0;
  };
  const Case cases[] = {
      {"split", [](QTcpSocket* c) {
         c->write("Comp");
         c->flush();
         QTimer::singleShot(50, c, [c] { c->write("lete"); });
       }, true},
      {"error then complete", [](QTcpSocket* c) {
         c->write("Error");
         c->flush();
         QTimer::singleShot(50, c, [c] { c->write("Complete"); });
       }, true, 1},
      {"complete then close", [](QTcpSocket* c) {
         c->write("Complete");
         c->disconnectFromHost();
       }, true},
      {"wrong case", [](QTcpSocket* c) { c->write("complete"); }, false},
      // A line end after the word is no part of the verdict; the case still is.
      {"CR LF", [](QTcpSocket* c) { c->write("Complete\r\n"); }, true},
      {"LF", [](QTcpSocket* c) { c->write("Complete\n"); }, true},
      {"line end split", [](QTcpSocket* c) {
         c->write("Complete\r");
         c->flush();
         QTimer::singleShot(50, c, [c] { c->write("\n"); });
       }, true},
      {"error with line end then complete", [](QTcpSocket* c) {
         c->write("Error\r\n");
         c->flush();
         QTimer::singleShot(50, c, [c] { c->write("Complete\r\n"); });
       }, true, 1},
      {"wrong case with line end", [](QTcpSocket* c) { c->write("complete\r\n"); }, false},
      {"line end before the word", [](QTcpSocket* c) { c->write("\r\nComplete"); }, false},
  };
  for (const Case& k : cases) {
    view = View();
    auto s = Make();
    Answer(k.reply);
    s->Deliver();
    ASSERT_TRUE(WaitFor([&] { return s->Sent() || view.completed > 0; })) << k.what;
    testing_net::Spin(150);
    EXPECT_EQ(view.errors.size(), k.errorBoxes) << k.what;
    if (k.completes) {
      if (view.completed == 0) Fire(1);
      EXPECT_EQ(view.completed, 1) << k.what;
      EXPECT_EQ(view.ended, 0) << k.what;
      EXPECT_EQ(view.caption, "recorded") << k.what;
    } else {
      EXPECT_EQ(s->State(), UploadState::Connected) << k.what;
      EXPECT_EQ(Fire(40), 32) << k.what;  // 31 ">" then the give-up tick
      EXPECT_TRUE(view.status.endsWith(QString(31, u'>') + "[not delivered]")) << k.what;
      EXPECT_TRUE(view.send) << k.what;
      EXPECT_EQ(view.completed, 0) << k.what;
      EXPECT_EQ(view.ended, 1) << k.what;
    }
  }
  EXPECT_TRUE(view.errors.isEmpty());
}

TEST_F(Upload, ErrorVerdictAndServerClose) {
  auto s = Make();
  Answer([](QTcpSocket* c) { c->write("Error"); });
  s->Deliver();
  ASSERT_TRUE(WaitFor([&] { return !view.errors.isEmpty(); }));
  EXPECT_EQ(view.errors, QStringList{"server refused|Upload"});
  EXPECT_TRUE(view.send);
  EXPECT_EQ(s->State(), UploadState::Connected);  // the wait goes on
  EXPECT_TRUE(ticker->IsActive());
  EXPECT_EQ(view.ended, 0);

  view = View();
  view.send = false;
  Answer([](QTcpSocket* c) { c->disconnectFromHost(); });
  s->Deliver();
  ASSERT_TRUE(WaitFor([&] { return view.status == "[not delivered]"; }));
  EXPECT_TRUE(view.send);
  EXPECT_TRUE(view.cancel);
  EXPECT_FALSE(ticker->IsActive());
  EXPECT_EQ(view.completed, 0);
  EXPECT_EQ(view.ended, 1);
}

TEST_F(Upload, RefusedConnectionOffersTheHostDialogThenANewHostWorks) {
  ScoringServer second;
  QString port = QString::number(testing_net::ClosedPort());
  UploadPolicy policy;
  policy.port = [&] { return port; };
  auto s = Make(policy);
  s->Deliver();
  EXPECT_EQ(Fire(10), 10);
  EXPECT_EQ(view.dialogs, 0);
  EXPECT_EQ(view.ended, 0);
  EXPECT_EQ(Fire(1), 1);  // the 11th tick gives up
  EXPECT_EQ(view.dialogs, 1);
  EXPECT_EQ(view.ended, 1);
  EXPECT_TRUE(view.status.endsWith(QString(10, u'>') + "[not delivered]>"));
  EXPECT_TRUE(view.send);
  EXPECT_FALSE(ticker->IsActive());

  // The dialog's OK: the new endpoint, then Deliver.
  port = QString::number(second.Port());
  second.onData = [](QTcpSocket* c, const QByteArray& all) {
    if (plat::fromCp950(all).count(u'|') == 24) c->write("Complete");
  };
  s->Deliver();
  EXPECT_TRUE(view.cancel);  // shown before: cancel is offered
  ASSERT_TRUE(WaitFor([&] { return s->State() == UploadState::Completed; }));
  Fire(1);
  EXPECT_EQ(view.completed, 1);
  EXPECT_EQ(second.connections, 1);
}

TEST_F(Upload, PendingConnectsAreRetriedEachTickAndResendsStartAfresh) {
  auto sock = std::make_unique<plat::FakeTcpClient>();
  plat::FakeTcpClient* fake = sock.get();
  auto t = std::make_unique<ManualTicker>();
  ticker = t.get();
  UploadSession s(view, {}, std::move(sock), std::move(t));
  s.SetValues(QStringList(24));
  s.Deliver();
  Fire(11);
  EXPECT_EQ(fake->connects.size(), 11);  // one try at Deliver, one per tick
  EXPECT_EQ(view.dialogs, 1);

  // Sent, no verdict, and the window's send button pressed again.
  s.Deliver();
  fake->AcceptConnect();
  ASSERT_EQ(fake->sent.size(), 1);
  EXPECT_EQ(fake->sent[0], QByteArray(24, '|'));
  EXPECT_TRUE(s.Sent());
  Fire(5);
  s.Deliver();  // the server no longer answers connects
  EXPECT_FALSE(s.Sent());
  EXPECT_EQ(s.ReplyTicks(), 0);
  EXPECT_EQ(Fire(11), 11);
  EXPECT_EQ(view.dialogs, 2);  // a full set of connect tries and the dialog again

  const int ended = view.ended;
  s.Cancel();
  EXPECT_EQ(view.ended, ended + 1);
  EXPECT_TRUE(view.send);
  EXPECT_FALSE(ticker->IsActive());
  EXPECT_TRUE(fake->IsClosed());
}

TEST_F(Upload, EncipheredWhenAskedButNeverForTheBatch) {
  common::SystemIniValue(5951, "1");
  auto s = Make();
  QStringList values(24);
  values[3] = QString::fromUtf8("許 育");
  s->SetValues(values);
  bool got = false;
  server.onData = [&](QTcpSocket* c, const QByteArray& all) {
    if (testing_net::Decipher(all).count(u'|') == 24) {
      got = true;
      c->write("Complete");
    }
  };
  s->Deliver();
  ASSERT_TRUE(WaitFor([&] { return got; }));
  EXPECT_EQ(testing_net::Decipher(server.received[0]), BuildUploadRecord(values));
  EXPECT_EQ(server.received[0], s->LastSentBytes());
  EXPECT_FALSE(server.received[0].contains('|'));

  UploadPolicy batch;
  batch.mayEncipher = false;
  auto b = Make(batch, 23);
  Answer([](QTcpSocket* c) { c->write("Complete"); }, 23);
  b->Deliver();
  ASSERT_TRUE(WaitFor([&] { return b->State() == UploadState::Completed; }));
  EXPECT_EQ(server.received.last(), QByteArray("|||A") + QByteArray(20, '|'));
}

TEST_F(Upload, BadPortIsAFaultNotAConnect) {
  auto s = Make();
  // Recorded once; the next attempt fails at its start and must not still
  // read as recorded.
  Answer([](QTcpSocket* c) { c->write("Complete"); });
  s->Deliver();
  ASSERT_TRUE(WaitFor([&] { return s->State() == UploadState::Completed; }));
  Fire(1);
  ASSERT_EQ(view.completed, 1);
  const int connections = server.connections;
  common::SystemIniValue(5902, "abc");
  s->Deliver();
  EXPECT_NE(s->State(), UploadState::Completed);
  EXPECT_FALSE(s->Sent());
  EXPECT_EQ(view.completed, 1);
  EXPECT_EQ(view.faults, QList<int>{common::kTypeMismatch});
  EXPECT_TRUE(view.send);
  EXPECT_EQ(view.ended, 1);
  EXPECT_FALSE(ticker->IsActive());
  testing_net::Spin(50);
  EXPECT_EQ(server.connections, connections);

  UploadPolicy quiet;
  quiet.showRuntimeErrors = false;
  View other;
  UploadSession b(other, quiet, plat::MakeTcpClient(), std::make_unique<ManualTicker>());
  b.Deliver();
  EXPECT_TRUE(other.faults.isEmpty());
}

TEST_F(Upload, RealTimerGivesUpOnASilentServer) {
  UploadPolicy fast;
  fast.tickMs = 10;
  UploadSession s(view, fast);
  s.SetValues(QStringList(24));
  s.Deliver();
  ASSERT_TRUE(WaitFor([&] { return view.send && s.Sent(); }, 5000));
  EXPECT_TRUE(view.status.endsWith("[not delivered]"));
  EXPECT_FALSE(s.Timer().IsActive());
  EXPECT_EQ(server.connections, 1);
}
