// Audio parts in the background, the closing mode, FTP listings and the
// drawn or picked test, against loopback HTTP, FTP and receiver servers.
#include "net/forms/tests/fixture.h"

#include <unistd.h>

#include <cstdio>

#include "platform/core/codec.h"
#include "platform/core/random.h"
#include "platform/gui/twips.h"
#include "testsupport/core/seams.h"

using namespace net;
using namespace testing_net;

namespace {

class Parts : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    w->T1->setText("127.0.0.1:" + QString::number(http.Port()));
    w->T7->setText("exam");
    w->Text12->setText("T01.TXT");
    w->Text4->setText(InData("T01.TXT"));
    plat::writeBytesAtomic(InData("T01.TXT"), "test\r\n");
  }
  void Present(std::initializer_list<int> parts) {
    for (int n : parts) plat::writeBytesAtomic(InData(QStringLiteral("T01-%1.wma").arg(n, 2, 10, QChar('0'))), "old");
  }
  void StartBackground() {
    w->UserSw = mode::kBackground;
    w->Show();
  }
  HttpServer http;
};

TEST_F(Parts, BackgroundFetchStartsAtTheFirstMissingPartAndNeverSavesAnErrorPage) {
  w->UserSetData = "4312000001111";  // HTTP
  Present({1, 2, 3});
  http.Route("/exam/DovoRO__/T01-04.wma", HttpRoute(200, Bytes(20000, 4)));
  http.Route("/exam/DovoRO__/T01-05.wma", HttpRoute(200, Bytes(20000, 5)));
  HttpRoute partial(200, Bytes(5000, 6));
  partial.closeAfter = 2000;  // announces 5000, sends 2000
  http.Route("/exam/DovoRO__/T01-06.wma", partial);
  http.Route("/exam/DovoRO__/T01-07.wma", HttpRoute(500, "<html>server error</html>"));
  StartBackground();
  EXPECT_FALSE(w->isVisible());  // the test runs; the parts come behind it
  w->Show();                     // activated again while the parts come: no second fetch
  EXPECT_FALSE(w->isVisible());
  ASSERT_TRUE(WaitSettled(20000));
  Spin(50);
  EXPECT_EQ(ReadAll(InData("T01-04.wma")), Bytes(20000, 4));
  EXPECT_EQ(ReadAll(InData("T01-05.wma")), Bytes(20000, 5));
  EXPECT_EQ(DataFiles(), (QStringList{"T01-01.wma", "T01-02.wma", "T01-03.wma", "T01-04.wma", "T01-05.wma", "T01.TXT"}));
  ASSERT_EQ(http.requests.size(), 37);  // parts 04 to 40
  EXPECT_EQ(http.requests.first(), "GET /exam/DovoRO__/T01-04.wma HTTP/1.1");
  EXPECT_EQ(http.requests.last(), "GET /exam/DovoRO__/T01-40.wma HTTP/1.1");
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
  EXPECT_TRUE(w->Command1->isEnabled());

  // Every part there: nothing is fetched and the task still ends.
  http.requests.clear();
  for (int n = 6; n <= 40; ++n) Present({n});
  w->UserSTOP = 0;
  StartBackground();
  ASSERT_TRUE(WaitSettled());
  EXPECT_TRUE(http.requests.isEmpty());
  EXPECT_EQ(w->Label1->text(), Text(10611));
}

TEST_F(Parts, ClosingModeLetsTheRunningPartFinishThenHides) {
  w->UserSetData = "4312000001111";
  HttpRoute slow(200, Bytes(3000, 9));
  slow.dribbleChunk = 300;
  slow.dribbleMs = 30;  // about 300 ms
  http.Route("/exam/DovoRO__/T01-01.wma", slow);
  w->Timer1->SetInterval(100);  // 13 ticks are more than the part takes
  StartBackground();
  ASSERT_TRUE(WaitFor([&] { return w->NetLinkStatus == link::kRunning; }));
  // The processing screen after the test.
  w->UserSw = mode::kClosing;
  w->Show();
  EXPECT_EQ(w->UserSTOP, -1);
  EXPECT_EQ(w->Label1->text(), Text(10615));
  EXPECT_TRUE(w->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !w->isVisible(); }, 5000));
  EXPECT_EQ(ReadAll(InData("T01-01.wma")), Bytes(3000, 9));  // finished, not cut
  EXPECT_EQ(http.requests.size(), 1);                         // no part after it
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
  ASSERT_TRUE(WaitFor([&] { return w->UserSw == mode::kNone && !w->Timer1->Enabled(); }));

  // A failed link at the exit: the window hides by itself at the next tick.
  w->NetLinkStatus = link::kFailed;
  w->UserSTOP = 0;
  w->UserSw = mode::kClosing;
  w->Show();
  EXPECT_TRUE(w->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !w->isVisible(); }, 2000));
  EXPECT_EQ(w->UserSw, mode::kNone);
}

TEST_F(Parts, StopEndsTheBackgroundFetchWithoutAPartialPart) {
  w->UserSetData = "4312000001111";
  HttpRoute slow(200, Bytes(50000, 3));
  slow.dribbleChunk = 1000;
  slow.dribbleMs = 20;
  http.Route("/exam/DovoRO__/T01-01.wma", slow);
  w->Check2->setChecked(true);  // every part, and the window stays shown
  StartBackground();
  EXPECT_TRUE(w->isVisible());
  ASSERT_TRUE(WaitFor([&] { return w->NetLinkStatus == link::kRunning && http.requests.size() == 1; }));
  Spin(60);  // some of the part has come
  w->Command4_Click();
  ASSERT_TRUE(WaitSettled(3000));
  EXPECT_EQ(DataFiles(), QStringList{"T01.TXT"});
  EXPECT_EQ(http.requests.size(), 1);
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
  EXPECT_TRUE(w->Command1->isEnabled());
}

TEST_F(Parts, ActivationSizesAndARefusedClose) {
  struct Case {
    const char* digits;
    int mode;
    int width, height;
  };
  // Mode 9 with digit 1 outside 1, 2 and 9 is as wide as its buttons,
  // whatever width the window had.
  const Case cases[] = {
      {"4312000001110", mode::kManual, 9600, 3250}, {"4312000001110", mode::kClosing, 10000, 8000},
      {"4312000001110", mode::kFetchNamed, 10000, 8000}, {"1312000001110", mode::kManual, 9600, 4250},
      {"2312000001110", mode::kManual, 9600, 8000},  {"9312000001110", mode::kManual, 10000, 8000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.digits) + " mode " + std::to_string(c.mode));
    w->Hide();
    plat::SetTwipsSize(w, 7000, 2000);
    w->UserSetData = c.digits;
    w->UserSTOP = 0;
    w->NetLinkStatus = link::kFailed;  // no flow starts
    w->UserSw = static_cast<std::uint8_t>(c.mode);
    w->Show();
    const plat::TwipsBox box = plat::TwipsGeometry(w);  // to the pixel
    EXPECT_NEAR(box.width, c.width, plat::kTwipsPerPixel);
    EXPECT_NEAR(box.height, c.height, plat::kTwipsPerPixel);
  }
  // Once stopped, activation changes neither size nor mode.
  w->Hide();
  plat::SetTwipsSize(w, 7000, 2000);
  w->UserSTOP = -1;
  w->UserSw = mode::kFetchNamed;
  w->Show();
  EXPECT_NEAR(plat::TwipsGeometry(w).height, 2000, plat::kTwipsPerPixel);
  EXPECT_EQ(w->UserSw, mode::kFetchNamed);

  w->close();  // the title bar's close
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->IsUnloaded());
  EXPECT_TRUE(plat::forms::exists<FrmDownload3>());
}

// What the window shows, by name, and what of it lies outside the window.
struct Shown {
  QStringList names;
  QStringList outside;
  QStringList placeholders;
};
Shown ShownControls(QWidget* window) {
  Shown out;
  const QRect inside = window->rect();
  for (QWidget* c : window->findChildren<QWidget*>()) {
    if (c->objectName().isEmpty() || c->objectName().startsWith("qt_") || !c->isVisibleTo(window)) continue;
    out.names << c->objectName();
    const QRect r(c->mapTo(window, QPoint(0, 0)), c->size());
    const QRect holder(c->parentWidget()->mapTo(window, QPoint(0, 0)), c->parentWidget()->size());
    if (!inside.contains(r) || !holder.contains(r)) out.outside << c->objectName();
    QString caption;
    if (auto* b = qobject_cast<QAbstractButton*>(c)) caption = b->text();
    if (auto* l = qobject_cast<QLabel*>(c)) caption = l->text();
    if (auto* g = qobject_cast<QGroupBox*>(c)) caption = g->title();
    if (!caption.isEmpty() && caption == c->objectName()) out.placeholders << caption;
  }
  out.names.sort();
  return out;
}

TEST_F(Parts, EveryModeHoldsWholeTheControlsItShowsAndNoneDependsOnAnEarlierShow) {
  struct Case {
    const char* digits;
    int mode;
    QStringList uses;  // controls the mode is for
  } cases[] = {
      {"4312000001110", mode::kManual, {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6",
                                        "Command7", "Check1", "List1", "Label1"}},
      {"4312000001110", mode::kFetchNamed, {"Command4", "Command5", "Command7", "Label1", "WebBrowser1", "Frame1", "T1"}},
      {"3312000001110", mode::kFetchNamed, {"Command4", "Command5", "Command7", "Label1"}},
      {"3312000001110", mode::kClosing, {"Command4", "Command5", "Command7", "Label1"}},
      {"1312000001110", mode::kManual, {"Command1", "Command3", "List1", "WebBrowser1"}},
      {"2312000001110", mode::kManual, {"Command1", "Command3", "List1", "Frame1", "Label3"}},
      {"9312000001110", mode::kManual, {"Command1", "Command3", "List1", "Frame1", "Label3"}},
  };
  auto show = [&](const Case& c) {
    w->Hide();
    w->UserSetData = c.digits;
    w->UserSTOP = 0;
    w->NetLinkStatus = link::kFailed;  // no flow starts
    w->UserSw = static_cast<std::uint8_t>(c.mode);
    w->Show();
    return ShownControls(w);
  };
  const Case wide{"4312000001110", mode::kFetchNamed, {}};
  const Case narrow{"3312000001110", mode::kClosing, {}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.digits) + " mode " + std::to_string(c.mode));
    const Shown fresh = show(c);
    EXPECT_TRUE(fresh.outside.isEmpty()) << fresh.outside.join(' ').toStdString();
    EXPECT_TRUE(fresh.placeholders.isEmpty()) << fresh.placeholders.join(' ').toStdString();
    for (const QString& used : c.uses) EXPECT_TRUE(fresh.names.contains(used)) << used.toStdString();
    // After the wide start-up window, and after the narrow one, the same.
    show(wide);
    EXPECT_EQ(show(c).names, fresh.names);
    show(narrow);
    EXPECT_EQ(show(c).names, fresh.names);
  }
}

TEST_F(Parts, NoShownControlHoldsTheServersAccountInClear) {
  w->Text10->setText("ftp.example.org,21,dunro,kelpa");
  w->Text11->setText("ftp.example.org,21,dunro,kelpa");
  w->T3->setText("dunro");
  w->T4->setText("kelpa");
  for (const char* digits : {"4312000001110", "9312000001110"}) {
    SCOPED_TRACE(digits);
    w->Hide();
    w->UserSetData = digits;
    w->UserSTOP = 0;
    w->NetLinkStatus = link::kFailed;
    w->UserSw = mode::kFetchNamed;
    w->Show();
    ASSERT_TRUE(w->T3->isVisibleTo(w));  // the full window, fields and all
    for (QLineEdit* e : w->findChildren<QLineEdit*>()) {
      if (!e->isVisibleTo(w) || e->echoMode() != QLineEdit::Normal) continue;
      EXPECT_FALSE(e->text().contains("dunro") || e->text().contains("kelpa")) << e->objectName().toStdString();
    }
  }
  // The callers' interface still holds the values.
  EXPECT_EQ(w->T3->text(), "dunro");
  EXPECT_EQ(w->Text10->text(), "ftp.example.org,21,dunro,kelpa");
}

// ---- FTP against the pyftpdlib fixture ----

class FtpParts : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    if (!FtpServer::Available()) GTEST_SKIP() << "pyftpdlib not installed";
    const QString folder = dir.path() + "/ftp/exam/DovoRO__";
    QDir().mkpath(folder);
    QDir().mkpath(dir.path() + "/ftp/exam/RudaZO__");
    test = QString::fromUtf8("許功蓋");
    Put(folder, test + ".TXT", "big5 test\r\n");
    Put(folder, test + "-01.WMA", Bytes(9000, 1));       // listed in another case
    Put(folder, test + "-01.wma.bak", "not a part");
    Put(folder, test + "-03.wma", Bytes(9000, 3));       // 02 is missing on the server
    Put(folder, "readme.doc", "x");
    ASSERT_TRUE(ftp.Start(dir.path() + "/ftp", "dunro", "kelpa"));
    ReceiverScript s;
    s.params = "DEFLST 127.0.0.1," + QByteArray::number(ftp.Port()) + ",dunro,kelpa,exam";
    Serve(s);
    w->UserSetData = "4312000001110";  // FTP with the listing first
  }
  void TearDown() override {
    for (const QByteArray& f : made) ::unlink(f.constData());
    WindowTest::TearDown();
  }
  // A file whose name is Big5 bytes on the server's disk.
  void Put(const QString& folder, const QString& name, const QByteArray& bytes) {
    const QByteArray path = QFile::encodeName(folder + "/") + plat::toCp950(name);
    FILE* f = std::fopen(path.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.constData(), 1, bytes.size(), f);
    std::fclose(f);
    made << path;
  }
  FtpServer ftp;
  QString test;
  QList<QByteArray> made;
};

TEST_F(FtpParts, DrawnTestWithItsPartsAsTheListingSpellsThem) {
  plat::FakeRandom pick({0.5});
  seams.Set(plat::SetRandom, &pick);
  w->Check1->setChecked(true);
  w->Command2_Click();
  ASSERT_TRUE(WaitSettled(20000));
  plat::SetRandom(nullptr);
  ASSERT_EQ(w->List1->count(), 1);
  EXPECT_EQ(w->List1->item(0)->text(), test + ".TXT");
  EXPECT_EQ(w->Text4->text(), InData(test + ".TXT"));
  EXPECT_EQ(ReadAll(InData(test + ".TXT")), "big5 test\r\n");
  EXPECT_EQ(ReadAll(InData(test + "-01.wma")), Bytes(9000, 1));
  EXPECT_EQ(w->NetLinkStatus, link::kDone);  // the task waits for the background fetch

  // The rest in the background: 02 is not on the server and is skipped.
  w->UserSw = mode::kBackground;
  w->Show();
  ASSERT_TRUE(WaitSettled(20000));
  EXPECT_EQ(ReadAll(InData(test + "-03.wma")), Bytes(9000, 3));
  QStringList files = DataFiles();
  files.sort();
  QStringList expected{test + "-01.wma", test + "-03.wma", test + ".TXT"};
  expected.sort();
  EXPECT_EQ(files, expected);
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
  EXPECT_TRUE(w->Command1->isEnabled());
}

TEST_F(FtpParts, NothingToDrawAndATestTheServerLacks) {
  w->Text1->setText("RudaZO__");  // an empty folder
  w->Command2_Click();
  ASSERT_TRUE(WaitSettled(20000));
  EXPECT_EQ(w->Label1->text(), Text(10607));
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
  EXPECT_TRUE(DataFiles().isEmpty());

  // The receiver names a test the FTP folder does not hold.
  w->Text1->setText("DovoRO__");
  ReceiverScript s;
  s.tests = "QUSSET T09.TXT";
  s.params = "DEFLST 127.0.0.1," + QByteArray::number(ftp.Port()) + ",dunro,kelpa,exam";
  Serve(s);
  w->Command1_Click();
  ASSERT_TRUE(WaitSettled(20000));
  EXPECT_EQ(w->Label1->text(), Text(10613) + "T09.TXT" + Text(10614));
  EXPECT_EQ(w->Text4->text(), "");
  QStringList report;
  plat::readTextLines(common::ErrorReportPath(), report);
  EXPECT_EQ(report.filter(": T09.TXT is not listed").size(), 1);
  EXPECT_TRUE(report.filter(": T09.TXT is not listed").value(0).contains(
      "FTP>127.0.0.1:" + QString::number(ftp.Port()) + " NLST exam/DovoRO__"));
  EXPECT_EQ(w->NetLinkStatus, link::kFailed);
  EXPECT_TRUE(DataFiles().isEmpty());

  // A wrong password: the listing fails with its own message.
  w->T4->setText("wrong");
  s.params = "DEFLST 127.0.0.1," + QByteArray::number(ftp.Port()) + ",dunro,wrong,exam";
  Serve(s);
  w->Command3_Click();
  ASSERT_TRUE(WaitSettled(20000));
  EXPECT_TRUE(w->Label1->text().startsWith(Text(10623)));
  EXPECT_EQ(w->NetLinkStatus, link::kFailed);
}

TEST_F(FtpParts, CandidatePicksFromTheListing) {
  w->Command3_Click();
  ASSERT_TRUE(WaitSettled(20000));
  ASSERT_EQ(w->List1->count(), 1);
  EXPECT_TRUE(w->List1->isEnabled());
  EXPECT_TRUE(DataFiles().isEmpty());
  w->List1_Click(0);
  ASSERT_TRUE(WaitSettled(20000));
  EXPECT_EQ(ReadAll(InData(test + ".TXT")), "big5 test\r\n");
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
  EXPECT_TRUE(w->Command1->isEnabled());
  // Chosen again: it is there, nothing is fetched.
  plat::writeBytesAtomic(InData(test + ".TXT"), "kept\r\n");
  w->List1_Click(0);
  ASSERT_TRUE(WaitSettled(20000));
  EXPECT_EQ(w->Text4->text(), InData(test + ".TXT"));
  EXPECT_EQ(ReadAll(InData(test + ".TXT")), "kept\r\n");
  EXPECT_EQ(w->NetLinkStatus, link::kIdle);
}

}  // namespace
