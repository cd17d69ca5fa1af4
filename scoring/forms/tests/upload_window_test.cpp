// The upload window and its host dialog against a scoring server on
// 127.0.0.1 started here: the score sheet asks for the upload, the window's
// first activation sends the sheet's result, the server answers by script.
// Ticks run on virtual time; socket events on the real event loop.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <memory>

#include "common/accessors.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/random.h"
#include "platform/gui/form.h"
#include "platform/gui/captionfit.h"
#include "platform/gui/formtimer.h"
#include "scoring/forms/formkit.h"
#include "platform/net/tcpclient.h"
#include "scoring/forms/delivery.h"
#include "scoring/forms/frmclient.h"
#include "scoring/forms/hostdialog.h"
#include "scoring/forms/scoresheet.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/fakeservers.h"
#include "testsupport/core/netfakes.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fakes.h"
#include "testsupport/gui/virtualtime.h"

using scorer::Dialog;
using scorer::frmClient;
using scorer::成績單;
using testing_net::ScoringServer;
using testing_net::WaitFor;

namespace {

constexpr auto Text = &common::StoreText;

QByteArray Golden(const char* name) {
  QFile f(QStringLiteral(TEST_DATA_DIR "/") + QLatin1String(name));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A server's view of a plain record: decoded first, then split.
int Bars(const QByteArray& bytes) { return static_cast<int>(plat::fromCp950(bytes).count(u'|')); }

class UploadWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    ASSERT_TRUE(program.isValid());
    plat::SetProgramFolder(program.path() + u'/');
    common::ProgramFolder.set(program.path() + u'/');
    // The shipped texts, then what these tests fix.
    common::SeedSettingDefaults();
    ASSERT_TRUE(common::ReadIniFile(QStringLiteral(SOURCE_ROOT "/data/Tavrel.Ini")));
    for (auto [n, v] : std::initializer_list<std::pair<int, const char*>>{
             {904, "0"}, {908, "2"}, {5999, "0"}, {5951, "0"}, {701, "1"}, {294, "Nuvo"}})
      common::ApplySetting(n, QString::fromLatin1(v));
    if (!initialHost.isEmpty()) common::AssignedHost.set(initialHost);
    common::SystemIniValue(5902, QString::number(server.Port()));
    scheduler = std::make_unique<plat::VirtualScheduler>();
    prompt.calls.clear();
    prompt.inputs.clear();
    seams.Set(plat::SetPrompt, &prompt);
    seams.Set(plat::SetAppControl, &app);
    seams.Set(plat::SetModalDriver, [](plat::Form& f) { f.Hide(); });
    scorer::ResetDelivery();
    scorer::InstallUploadWindow();
  }

  void TearDown() override {
    plat::FormRegistry::DestroyAll();
    scheduler.reset();
    scorer::ResetDelivery();
    scorer::SetUploadStarter({});  // the upload window's own
    plat::SetProgramFolder(QString());
    common::ResetCommonState();
  }

  // The sheet of a scored run. Its name holds Big5 trail bytes 0x5C and
  // 0x7C (許育四), its class-and-seat a "|".
  成績單& Sheet() {
    成績單& s = plat::forms::loaded<成績單>();
    const std::pair<QLabel*, const char*> fill[] = {
        {s.TEXT4, "C:\\Tavrel\\Data\\T01.TXT"}, {s.Text1, "許育四"}, {s.Text2, "A123456789"},
        {s.Text15, "3|05"}, {s.Text12, "1990/5/3"}, {s.Text11, "35.5"}, {s.Text5A, "09"}, {s.Text5B, "58"},
        {s.Text9, "98.50"}, {s.Text10, "1.50"}, {s.Text8, "300"}, {s.Text7, "4"}, {s.Text6, "304"},
        {s.TEXT3, "2026/3/5 09:12:00"}, {s.Text13, "注音"}};
    for (auto [label, text] : fill) label->setText(QString::fromUtf8(text));
    return s;
  }
  // The window loaded from the sheet, with this computer's address and
  // name fixed so that the record is the same everywhere.
  frmClient& Client() {
    Sheet();
    frmClient& c = plat::forms::loaded<frmClient>();
    c.Text1[20]->setText("192.0.2.10");
    c.Text1[21]->setText("PC01");
    return c;
  }
  // The sheet comes up and asks for the upload (setting 908 = 2).
  frmClient& Deliver() {
    frmClient& c = Client();
    scorer::ShowSheet();
    return c;
  }

  // One tick of the window's timer, then the socket's events.
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      scheduler->Advance(1000);
      testing_net::Spin(5);
    }
  }
  bool TimerOn(frmClient& c) { return c.Timer1->Running(); }
  // The server answers once the whole plain record is in.
  void Answer(std::function<void(QTcpSocket*)> reply) {
    server.onData = [reply](QTcpSocket* s, const QByteArray& all) {
      if (Bars(all) == 24) reply(s);
    };
  }
  bool RecordIn() const { return !server.received.isEmpty() && Bars(server.received.last()) == 24; }
  bool SheetUsable() {
    成績單& s = plat::forms::get<成績單>();
    return s.isVisible() && s.isEnabled();
  }

  QString initialHost = QStringLiteral("127.0.0.1");
  QTemporaryDir program;
  ScoringServer server;
  std::unique_ptr<plat::VirtualScheduler> scheduler;
  plat::FakePrompt prompt;
  plat::FakeAppControl app;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

TEST_F(UploadWindow, LoadTakesTheSheetsResultAndTheCaptionTables) {
  frmClient& c = Client();
  EXPECT_FALSE(c.isVisible());
  EXPECT_GE(scorer::BoxTwips(&c).width, scorer::kClientWidth);  // wider when the values ask
  EXPECT_EQ(scorer::BoxTwips(&c).height, scorer::kClientFoldedHeight);
  EXPECT_EQ(c.windowTitle(), Text(11800));
  const QList<QPushButton*> buttons = {c.Command1, c.Command2, c.Command3, c.Command4};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(buttons[i]->text(), Text(11801 + i));

  struct Col {
    int col;
    int heading;  // text id; 0 keeps the built-in heading, -1 empty
    const char* value;
  };
  const Col cols[] = {
      {0, 0, "DovoRO__"},      {1, 13949, "Nuvo"},       {2, 13939, "C:\\Tavrel\\Data\\T01.TXT"},
      {3, 13934, "許育四"},    {4, 13936, "A1234567893|05"}, {5, 13935, "1990/5/3"},
      {6, -1, ""},             {7, 13946, "35.5"},       {8, 13940, "09:58"},
      {9, -1, ""},             {10, -1, ""},             {14, -1, ""},
      {15, 13944, "98.50"},    {16, 13945, "1.50"},      {17, 13943, "300"},
      {18, 13942, "4"},        {19, 13941, "304"},       {20, 13978, "192.0.2.10"},
      {21, 13979, "PC01"},     {22, 13938, "2026/3/5 09:12:00"},
      {23, 11513, "注音"},
  };
  for (const Col& k : cols) {
    const QString heading = k.heading == 0 ? QStringLiteral("代碼") : k.heading < 0 ? QString() : Text(k.heading);
    EXPECT_EQ(c.Label1[k.col]->text(), heading) << k.col;
    EXPECT_EQ(c.Text1[k.col]->text(), QString::fromUtf8(k.value)) << k.col;
    EXPECT_TRUE(c.Text1[k.col]->isReadOnly()) << k.col;
  }

  Dialog& d = plat::forms::loaded<Dialog>();
  EXPECT_EQ(d.windowTitle(), Text(11600));
  EXPECT_EQ(d.Label1->text(), Text(11601));
  EXPECT_EQ(d.OKButton->text(), Text(11602));
  EXPECT_EQ(d.CancelButton->text(), Text(11603));
}

TEST_F(UploadWindow, TheTagFollowsTheTestKind) {
  common::ApplySetting(701, "0");
  EXPECT_EQ(Client().Text1[0]->text(), "RudaZO__");
}

TEST_F(UploadWindow, PlainRecordIsByteExactAndCompleteGivesTheSheetBack) {
  Answer([](QTcpSocket* s) { s->write("Complete"); });
  frmClient& c = Deliver();
  EXPECT_TRUE(c.isVisible());
  EXPECT_TRUE(c.Activated());
  EXPECT_FALSE(c.Command1->isEnabled());
  EXPECT_FALSE(c.Command2->isEnabled());  // the first attempt has no cancel
  EXPECT_TRUE(scorer::UploadInFlight());
  EXPECT_FALSE(plat::forms::get<成績單>().isEnabled());
  ASSERT_TRUE(WaitFor([&] { return c.Session().State() == net::UploadState::Completed; }));
  EXPECT_EQ(c.windowTitle(), Text(11809));
  EXPECT_TRUE(c.isVisible());  // the next tick finishes
  EXPECT_FALSE(scorer::Uploaded());

  Tick();
  EXPECT_FALSE(c.isVisible());
  EXPECT_FALSE(c.Activated());
  EXPECT_EQ(c.lblMessage->text(), Text(11809));
  EXPECT_TRUE(scorer::Uploaded());
  EXPECT_FALSE(scorer::UploadInFlight());
  EXPECT_TRUE(SheetUsable());
  EXPECT_FALSE(TimerOn(c));

  ASSERT_EQ(server.received.size(), 1);
  const QByteArray& sent = server.received[0];
  EXPECT_EQ(sent, Golden("upload_plain.bin"));
  EXPECT_TRUE(sent.contains("\xB3\x5C\xA8\x7C\xA5\x7C"));  // 許育四 whole
  EXPECT_TRUE(sent.contains("A1234567893\xA1\x55" "05|"));  // a "|" in a value is not a column
  EXPECT_EQ(Bars(sent), 24);
}

TEST_F(UploadWindow, EncipheredRecordWithAFixedKeyIsByteExact) {
  common::ApplySetting(5951, "1");
  plat::FakeRandom fixed({0.3, 0.05, 0.9, 0.42, 0.61, 0.17, 0.88, 0.25, 0.5, 0.73, 0.11, 0.99, 0.36, 0.64,
                          0.08, 0.47, 0.82, 0.2});
  seams.Set(plat::SetRandom, &fixed);
  bool whole = false;
  server.onData = [&](QTcpSocket* s, const QByteArray& all) {
    if (testing_net::Decipher(all).count(u'|') == 24) {
      whole = true;
      s->write("Complete");
    }
  };
  frmClient& c = Deliver();
  ASSERT_TRUE(WaitFor([&] { return whole; }));
  const QByteArray& sent = server.received[0];
  EXPECT_EQ(sent, Golden("upload_enciphered.bin"));
  // Read back the server's way, it is the plain record.
  EXPECT_EQ(testing_net::Decipher(sent), plat::fromCp950(Golden("upload_plain.bin")));
  for (char b : sent) EXPECT_TRUE(b > 0x20 && b < 0x7F);
  ASSERT_TRUE(WaitFor([&] { return c.Session().State() == net::UploadState::Completed; }));
  Tick();
  EXPECT_TRUE(scorer::Uploaded());
}

TEST_F(UploadWindow, RepliesThatAreNotAVerdictEndInTheTimeOut) {
  struct Case {
    const char* what;
    std::function<void(QTcpSocket*)> reply;
  };
  const Case cases[] = {
      {"no reply", [](QTcpSocket*) {}},
      {"wrong case", [](QTcpSocket* s) { s->write("complete"); }},
      {"wrong case with a line end", [](QTcpSocket* s) { s->write("complete\r\n"); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Answer(k.reply);
    frmClient& c = Deliver();
    ASSERT_TRUE(WaitFor([&] { return c.Session().Sent(); }));
    testing_net::Spin(50);
    Tick(31);
    EXPECT_TRUE(TimerOn(c));
    EXPECT_TRUE(c.lblMessage->text().endsWith(QString(31, u'>')));
    Tick();  // the 32nd tick after sending gives up, and says so
    EXPECT_FALSE(TimerOn(c));
    EXPECT_TRUE(c.lblMessage->text().endsWith(QString(31, u'>') + Text(11808)));
    EXPECT_TRUE(c.Command1->isEnabled());
    EXPECT_TRUE(c.isVisible());
    EXPECT_TRUE(c.Session().Socket().IsClosed());
    EXPECT_FALSE(scorer::Uploaded());
    EXPECT_TRUE(scorer::DeliveryOutstanding());
    EXPECT_TRUE(SheetUsable());
    TearDown();
    SetUp();
  }
}

TEST_F(UploadWindow, VerdictsThatCount) {
  struct Case {
    const char* what;
    std::function<void(QTcpSocket*)> reply;
  };
  const Case cases[] = {
      {"split", [](QTcpSocket* s) {
         s->write("Comp");
         s->flush();
         QTimer::singleShot(50, s, [s] { s->write("lete"); });
       }},
      // The usual server: the verdict and the close in one go.
      {"complete then close", [](QTcpSocket* s) {
         s->write("Complete");
         s->disconnectFromHost();
       }},
      // A server that ends its word with a line end.
      {"CR LF", [](QTcpSocket* s) { s->write("Complete\r\n"); }},
      {"LF", [](QTcpSocket* s) { s->write("Complete\n"); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Answer(k.reply);
    frmClient& c = Deliver();
    ASSERT_TRUE(WaitFor([&] { return c.Session().State() == net::UploadState::Completed || !c.isVisible(); }));
    testing_net::Spin(100);
    if (c.isVisible()) Tick();
    EXPECT_FALSE(c.isVisible());
    EXPECT_EQ(c.lblMessage->text(), Text(11809));
    EXPECT_TRUE(scorer::Uploaded());
    EXPECT_TRUE(SheetUsable());
    TearDown();
    SetUp();
  }
}

TEST_F(UploadWindow, ErrorIsShownWithoutStoppingTheWaitAndALaterCompleteCounts) {
  Answer([](QTcpSocket* s) {
    s->write("Error");
    s->flush();
    QTimer::singleShot(300, s, [s] { s->write("Complete"); });
  });
  frmClient& c = Deliver();
  ASSERT_TRUE(WaitFor([&] { return c.VerdictBox() != nullptr; }));
  QMessageBox* box = c.VerdictBox();
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->text(), Text(11810));
  EXPECT_EQ(box->windowTitle(), Text(14005));
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_TRUE(c.Command1->isEnabled());
  EXPECT_TRUE(TimerOn(c));  // the reply wait goes on
  EXPECT_TRUE(scorer::UploadInFlight());
  EXPECT_FALSE(scorer::Uploaded());
  c.Command4->click();  // the host dialog, while the wait goes on
  EXPECT_TRUE(plat::forms::get<Dialog>().isVisible());

  ASSERT_TRUE(WaitFor([&] { return c.Session().State() == net::UploadState::Completed; }));
  Tick();
  EXPECT_TRUE(scorer::Uploaded());
  // Recorded after all: the box and the dialog go.
  EXPECT_EQ(c.VerdictBox(), nullptr);
  EXPECT_FALSE(plat::forms::get<Dialog>().isVisible());
  EXPECT_FALSE(c.isVisible());
  EXPECT_EQ(server.connections, 1);
}

TEST_F(UploadWindow, ServerClosingWithoutAVerdictIsNotDelivered) {
  Answer([](QTcpSocket* s) { s->disconnectFromHost(); });
  frmClient& c = Deliver();
  ASSERT_TRUE(WaitFor([&] { return c.lblMessage->text() == Text(11808); }));
  EXPECT_FALSE(TimerOn(c));
  EXPECT_TRUE(c.Command1->isEnabled());
  EXPECT_TRUE(c.Command2->isEnabled());
  EXPECT_TRUE(c.isVisible());
  EXPECT_FALSE(scorer::Uploaded());
  EXPECT_FALSE(scorer::UploadInFlight());
  EXPECT_TRUE(SheetUsable());

  // Sent again by hand, this time recorded.
  Answer([](QTcpSocket* s) { s->write("Complete"); });
  c.Command1->click();
  EXPECT_TRUE(scorer::UploadInFlight());
  EXPECT_TRUE(c.Command2->isEnabled());  // shown before: cancel is offered
  ASSERT_TRUE(WaitFor([&] { return c.Session().State() == net::UploadState::Completed; }));
  Tick();
  EXPECT_TRUE(scorer::Uploaded());
  EXPECT_EQ(server.connections, 2);
}

TEST_F(UploadWindow, NoListenerRetriesThenTheHostDialogSendsToTheNewHost) {
  // The stored host refuses (nothing listens on the IPv6 loopback); the
  // server is on 127.0.0.1 at the same port.
  common::AssignedHost.set("::1");
  Answer([](QTcpSocket* s) { s->write("Complete"); });
  frmClient& c = Deliver();
  Dialog& d = plat::forms::get<Dialog>();
  EXPECT_EQ(d.Text1->text(), "::1");  // the stored host is in the dialog's box
  Tick(10);
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(TimerOn(c));
  Tick();  // the 11th tick gives up
  EXPECT_FALSE(TimerOn(c));
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.windowModality(), Qt::WindowModal);
  EXPECT_TRUE(c.lblMessage->text().endsWith(QString(10, u'>') + Text(11808) + u'>'));
  EXPECT_TRUE(c.Command1->isEnabled());
  EXPECT_FALSE(scorer::UploadInFlight());
  EXPECT_FALSE(scorer::Uploaded());
  EXPECT_EQ(server.connections, 0);

  d.Text1->setText(" 127.0.0.1 ");
  d.OKButton->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(common::AssignedHost.get(), "127.0.0.1");
  EXPECT_EQ(c.lblMessage->text().left(9), "127.0.0.1");
  ASSERT_TRUE(WaitFor([&] { return c.Session().State() == net::UploadState::Completed; }));
  Tick();
  EXPECT_TRUE(scorer::Uploaded());
  EXPECT_EQ(server.connections, 1);
}

TEST_F(UploadWindow, PendingConnectsAreAbandonedEachTickAndCancelLeavesTheWindow) {
  // Connects that never finish are not reliable on loopback: a fake socket.
  plat::FakeTcpClient* fake = nullptr;
  seams.Set(plat::SetTcpClientMaker, [&] {
    auto s = std::make_unique<plat::FakeTcpClient>();
    fake = s.get();
    return std::unique_ptr<plat::TcpClient>(std::move(s));
  });
  frmClient& c = Deliver();
  ASSERT_NE(fake, nullptr);
  Tick(11);
  EXPECT_EQ(fake->connects.size(), 11);  // one at the start, one each tick
  Dialog& d = plat::forms::get<Dialog>();
  ASSERT_TRUE(d.isVisible());
  d.CancelButton->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(c.isVisible());
  EXPECT_TRUE(c.Command1->isEnabled());
  EXPECT_FALSE(scorer::Uploaded());
  EXPECT_TRUE(SheetUsable());

  // The same fake accepts the next attempt; the host stays as stored.
  c.Command1->click();
  fake->AcceptConnect();
  ASSERT_EQ(fake->sent.size(), 1);
  EXPECT_EQ(fake->sent[0], Golden("upload_plain.bin"));
  fake->Deliver("Complete");
  Tick();
  EXPECT_TRUE(scorer::Uploaded());
}

TEST_F(UploadWindow, CancelKeepsTheWindowUsable) {
  Answer([](QTcpSocket* s) { s->disconnectFromHost(); });
  frmClient& c = Deliver();
  ASSERT_TRUE(WaitFor([&] { return c.Command2->isEnabled(); }));
  Answer([](QTcpSocket*) {});  // the second attempt gets no verdict
  c.Command1->click();
  ASSERT_TRUE(WaitFor([&] { return c.Session().Sent(); }));
  ASSERT_TRUE(c.Command2->isEnabled());
  c.Command2->click();
  EXPECT_FALSE(c.isVisible());
  EXPECT_FALSE(TimerOn(c));
  EXPECT_TRUE(c.Session().Socket().IsClosed());
  EXPECT_TRUE(c.Command1->isEnabled());
  EXPECT_TRUE(c.Activated());  // no new upload by showing it again
  EXPECT_FALSE(scorer::UploadInFlight());
  EXPECT_TRUE(SheetUsable());

  // The sheet's delivery again: the window comes back with its send button.
  const int connections = server.connections;
  scorer::StartUpload();
  EXPECT_TRUE(c.isVisible());
  testing_net::Spin(50);
  EXPECT_EQ(server.connections, connections);
  Answer([](QTcpSocket* s) { s->write("Complete"); });
  c.Command1->click();
  ASSERT_TRUE(WaitFor([&] { return c.Session().State() == net::UploadState::Completed; }));
  Tick();
  EXPECT_TRUE(scorer::Uploaded());
}

TEST_F(UploadWindow, TitleBarCloseIsCancelOnceThereIsOne) {
  Answer([](QTcpSocket*) {});
  frmClient& c = Deliver();
  ASSERT_TRUE(WaitFor([&] { return c.Session().Sent(); }));
  c.close();  // the first attempt offers no cancel
  EXPECT_TRUE(c.isVisible());
  EXPECT_TRUE(TimerOn(c));
  Tick(32);
  c.close();  // given up: the window goes
  EXPECT_FALSE(c.isVisible());
  EXPECT_FALSE(c.IsUnloaded());
  EXPECT_FALSE(scorer::UploadInFlight());
}

TEST_F(UploadWindow, UnloadedMidAttemptTheSheetIsNotLeftWaiting) {
  Answer([](QTcpSocket*) {});
  frmClient& c = Deliver();
  ASSERT_TRUE(WaitFor([&] { return c.Session().Sent(); }));
  ASSERT_TRUE(scorer::UploadInFlight());
  EXPECT_TRUE(plat::forms::unload<frmClient>());
  EXPECT_FALSE(scorer::UploadInFlight());
  EXPECT_FALSE(scorer::Uploaded());
  EXPECT_TRUE(SheetUsable());
}

TEST_F(UploadWindow, EmptyStoredHostIsAskedForAndNeverLeftEmpty) {
  struct Case {
    const char* answer;
    const char* stored;
  };
  const Case cases[] = {{"", "localhost"}, {"  ", "localhost"}, {"127.0.0.1", "127.0.0.1"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.answer);
    TearDown();
    initialHost.clear();
    SetUp();
    prompt.inputs = {QString::fromLatin1(k.answer)};
    frmClient& c = Deliver();
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_EQ(prompt.calls[0].text, Text(11807));
    EXPECT_EQ(common::AssignedHost.get(), QString::fromLatin1(k.stored));
    EXPECT_TRUE(c.lblMessage->text().startsWith(QString::fromLatin1(k.stored)));
    // The dialog's box is filled only from a stored host.
    EXPECT_TRUE(plat::forms::get<Dialog>().Text1->text().isEmpty());
    EXPECT_TRUE(scorer::UploadInFlight());
  }
}

TEST_F(UploadWindow, PortThatIsNotANumberIsARunTimeError) {
  common::SystemIniValue(5902, "abc");
  frmClient& c = Deliver();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.startsWith(Text(14002)));
  EXPECT_TRUE(prompt.calls[0].text.contains(Text(14003)));
  EXPECT_FALSE(TimerOn(c));
  EXPECT_TRUE(c.Session().Socket().IsClosed());
  EXPECT_TRUE(c.Command1->isEnabled());
  EXPECT_FALSE(scorer::UploadInFlight());
  EXPECT_FALSE(scorer::Uploaded());
  EXPECT_EQ(server.connections, 0);
}

// The details show every heading and every value whole: the shipped
// "總正確得分：", an input method's long name, a scoring date with its time.
TEST_F(UploadWindow, TheDetailsHoldEveryHeadingAndValueWhole) {
  Sheet().Text13->setText("h (American)");
  frmClient& c = plat::forms::loaded<frmClient>();
  c.Text1[21]->setText("a-rather-long-host-name");  // a value that comes later
  c.Command3->setText(Text(11805));
  EXPECT_FALSE(c.Text1[0]->isVisibleTo(&c));  // folded: the table is out of sight
  c.Show();
  c.Command3->click();
  ASSERT_EQ(c.Command3->text(), Text(11806));
  const QRect inside = c.rect();
  for (int i = 0; i < scorer::kUploadColumns; ++i) {
    SCOPED_TRACE(i);
    QLabel* h = c.Label1[i];
    QLineEdit* v = c.Text1[i];
    ASSERT_TRUE(h->isVisibleTo(&c));
    EXPECT_LE(QFontMetrics(h->font()).horizontalAdvance(h->text()), h->width()) << h->text().toStdString();
    EXPECT_LE(QFontMetrics(v->font()).horizontalAdvance(v->text()), plat::LineEditTextRoom(v)) << v->text().toStdString();
    EXPECT_TRUE(inside.contains(h->geometry()));
    EXPECT_TRUE(inside.contains(v->geometry()));
    EXPECT_FALSE(h->geometry().intersects(v->geometry()));
  }
  EXPECT_EQ(c.Text1[23]->text(), "h (American)");
  EXPECT_EQ(c.Text1[22]->text(), "2026/3/5 09:12:00");
  EXPECT_EQ(c.Text1[22]->cursorPosition(), 0);  // read from its start
}

TEST_F(UploadWindow, DetailsFoldAndHostButtonOpensTheDialogModeless) {
  Answer([](QTcpSocket*) {});
  frmClient& c = Deliver();
  ASSERT_EQ(c.Command3->text(), Text(11805));
  c.Command3->click();
  EXPECT_EQ(scorer::BoxTwips(&c).height, scorer::kClientUnfoldedHeight);
  EXPECT_EQ(c.Command3->text(), Text(11806));
  c.Command3->click();
  EXPECT_EQ(scorer::BoxTwips(&c).height, scorer::kClientFoldedHeight);
  EXPECT_EQ(c.Command3->text(), Text(11805));

  c.Command4->click();
  Dialog& d = plat::forms::get<Dialog>();
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.windowModality(), Qt::NonModal);
  // OK on an empty box keeps the stored host and sends again.
  d.Text1->clear();
  d.OKButton->click();
  EXPECT_EQ(common::AssignedHost.get(), "127.0.0.1");
  ASSERT_TRUE(WaitFor([&] { return server.connections == 2; }));
}

TEST_F(UploadWindow, CompletesOnTheRealTimer) {
  // No virtual time: the window's own 1000 ms timer finishes the attempt.
  scheduler.reset();
  Answer([](QTcpSocket* s) { s->write("Complete"); });
  frmClient& c = Deliver();
  ASSERT_TRUE(WaitFor([&] { return scorer::Uploaded(); }, 5000));
  EXPECT_FALSE(c.isVisible());
  EXPECT_FALSE(TimerOn(c));
}

TEST_F(UploadWindow, WithoutTheWindowNothingCountsAsDelivered) {
  scorer::SetUploadStarter({});
  Sheet();
  scorer::ShowSheet();
  EXPECT_FALSE(plat::forms::exists<frmClient>());
  EXPECT_FALSE(scorer::Uploaded());
  EXPECT_TRUE(scorer::DeliveryOutstanding());
  EXPECT_EQ(server.connections, 0);
}

}  // namespace
