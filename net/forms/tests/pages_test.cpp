// Pages and notes from a loopback web server: the note settings at start-up,
// the operating instructions with their stamps, the notice page.
#include "net/forms/tests/fixture.h"

#include "common/scramble.h"
#include "net/forms/noterefresh.h"
#include "net/forms/operation.h"
#include "net/forms/stampdownload.h"
#include "platform/core/codec.h"
#include "testsupport/core/seams.h"

#include <optional>

using namespace net;
using namespace testing_net;

namespace {

QByteArray ScrambledSettings(const QString& line) {
  return plat::toCp950(common::ToBinaryScramble(line)) + "\r\n";
}

class Pages : public WindowTest {
 protected:
  QString Note(const QString& name) const { return dir.path() + "/NOTE/" + name; }
  HttpServer http;
};

TEST_F(Pages, NoteSettingsAreFetchedWhenTheirStampChangedAndAlwaysApplied) {
  struct Case {
    const char* what;
    QByteArray remoteStamp;  // empty: the server has none
    bool remoteFile;
    QByteArray localStamp;   // empty: no local copy
    bool setAddress;
    const char* applied;     // the value of setting 9998 afterwards ("" none)
    bool asked;              // the file itself was requested
    bool fetched;            // and replaced the local copy
  };
  const Case cases[] = {
      {"first start", "5\r\n", true, "", true, "//remote", true, true},
      {"same stamp", "5\r\n", true, "5\r\n", true, "//local", false, false},
      {"new stamp", "6\r\n", true, "5\r\n", true, "//remote", true, true},
      {"empty remote stamp", "\r\n6\r\n", true, "5\r\n", true, "//local", false, false},
      {"no address", "6\r\n", true, "5\r\n", false, "//local", false, false},
      {"server lacks the file", "6\r\n", false, "5\r\n", true, "//local", true, false},
      {"server lacks both", "", false, "", true, "", true, false},
      // A stamp "2" or "1" is a value like any other, never taken for a
      // missing stamp.
      {"stamp 2, no local copy", "2\r\n", true, "", true, "//remote", true, true},
      {"no remote stamp, local stamp 1", "", true, "1\r\n", true, "//remote", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QDir(dir.path() + "/NOTE").removeRecursively();
    common::SystemIniValue(9998, "-");
    http.requests.clear();
    http.Route("/note/zet.ixx", c.remoteStamp.isEmpty() ? HttpRoute(404, "<html>no</html>") : HttpRoute(200, c.remoteStamp));
    http.Route("/note/zet.ixi", c.remoteFile ? HttpRoute(200, ScrambledSettings("9998,help=//remote"))
                                             : HttpRoute(404, "<html>no</html>"));
    QDir().mkpath(dir.path() + "/NOTE");
    if (!c.localStamp.isEmpty()) {
      plat::writeBytesAtomic(Note("Zet.ixi"), ScrambledSettings("9998,help=//local"));
      plat::writeBytesAtomic(Note("Zet.ixx"), c.localStamp);
    }
    common::Setting986.set(c.setAddress ? QString::fromLatin1(http.Url("/note/zet.ixi")) : QString(" "));
    bool ended = false;
    RefreshNoteSettings({}, [&] { ended = true; });
    ASSERT_TRUE(WaitFor([&] { return ended; }));
    EXPECT_EQ(common::SystemIniValue(9998).asText(), *c.applied ? QString(c.applied) : QString("-"));
    EXPECT_EQ(http.requests.contains("GET /note/zet.ixi HTTP/1.1"), c.asked);
    if (c.fetched) {
      EXPECT_EQ(StampValue(Note("Zet.ixx"), "2"), QString(c.remoteStamp).trimmed());
    }
    if (!c.setAddress) {
      EXPECT_TRUE(http.requests.isEmpty());
    }
    // A failed fetch keeps the old stamp, so the file is tried again next time.
    if (!c.remoteFile && !c.localStamp.isEmpty()) {
      EXPECT_EQ(StampValue(Note("Zet.ixx"), "2"), "5");
    }
  }
}

TEST(Stamps, AMissingStampNeverEqualsAValue) {
  const std::optional<QString> none;
  struct Case {
    std::optional<QString> remote, local;
    bool fetch;
  } const cases[] = {
      {QString("5"), QString("5"), false}, {QString("6"), QString("5"), true},
      {QString("2"), none, true},          {none, QString("1"), true},
      {none, none, true},                  {QString(""), QString("5"), false},
      {QString(""), none, false},          {QString("1"), QString(""), true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NewerStamp(c.remote, c.local), c.fetch)
        << c.remote.value_or("<none>").toStdString() << " / " << c.local.value_or("<none>").toStdString();
}

TEST_F(Pages, InstructionsPageFirstRunThenAskedBeforeEachNewVersion) {
  common::Setting979.set(QString::fromLatin1(http.Url("/note/readme.htm")));
  common::ProductTitle.set("Tavrel");
  http.Route("/note/readme.htm", HttpRoute(200, plat::toCp950(QString::fromUtf8("<html><body>操作說明一</body></html>"))));
  http.Route("/note/readme.htx", HttpRoute(200, "1\r\n"));

  // First run: no page, so no question.
  Operation& op = plat::forms::loaded<Operation>();
  EXPECT_TRUE(op.Check1->isChecked());
  ASSERT_TRUE(WaitFor([&] { return op.WebBrowser1->toPlainText().contains(QString::fromUtf8("操作說明一")); }));
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_EQ(StampValue(Note("readme.htx"), "2"), "1");

  struct Case {
    const char* what;
    QByteArray stamp;  // empty: the server cannot be reached for it
    plat::Answer answer;
    bool asked;
    bool replaced;
  };
  const Case cases[] = {
      {"equal stamps", "1\r\n", plat::Answer::Yes, false, false},
      {"new version, declined", "2\r\n", plat::Answer::No, true, false},
      {"new version, taken", "3\r\n", plat::Answer::Yes, true, true},
      {"stamp missing on the server", "", plat::Answer::Yes, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompt.calls.clear();
    prompt.answers = {c.answer};
    http.Route("/note/readme.htx", c.stamp.isEmpty() ? HttpRoute(404, "<html>no</html>") : HttpRoute(200, c.stamp));
    http.Route("/note/readme.htm", HttpRoute(200, "<html>" + QByteArray(c.what) + "</html>"));
    bool done = false;
    op.NetDownload_New(1, common::Setting979.get(), Operation::PagePath(), [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }));
    ASSERT_EQ(prompt.calls.size(), c.asked ? 1 : 0);
    if (c.asked) {
      EXPECT_EQ(prompt.calls[0].text, Text(11014));
      EXPECT_EQ(prompt.calls[0].title, "Tavrel");
      EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::YesNo);
    }
    EXPECT_EQ(ReadAll(Operation::PagePath()).contains(c.what), c.replaced);
  }
  // The set-up screen's button shows it modally; 關閉 hides it again.
  seams.Set(plat::SetModalDriver, [](plat::Form& f) {
    if (auto* o = dynamic_cast<Operation*>(&f)) o->Command1->click();
  });
  ShowOperation(nullptr);
  plat::SetModalDriver(nullptr);
  EXPECT_FALSE(op.isVisible());
}

// Without instructions (the shipped NOTE/ is empty) the window says so
// rather than show a blank page; a page with words or a picture shows.
TEST_F(Pages, InstructionsWindowSaysWhenThereAreNone) {
  common::Setting979.set(QString());  // nothing to fetch
  struct Case {
    const char* what;
    std::optional<QByteArray> page;  // none: no file
    bool none;
  } const cases[] = {
      {"no page", std::nullopt, true},
      {"empty file", QByteArray(), true},
      {"blank page", "<html><body> \r\n </body></html>", true},
      {"page with words", "<html><body>按開始鍵</body></html>", false},
      {"page of one picture", "<html><body><img src=\"keys.png\"></body></html>", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(Note("readme.htm"));
    if (c.page) {
      QDir().mkpath(Note(""));
      QFile f(Note("readme.htm"));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      const QByteArray bytes = plat::toCp950(QString::fromUtf8(*c.page));
      ASSERT_EQ(f.write(bytes), bytes.size());
      f.close();
    }
    Operation& op = plat::forms::loaded<Operation>();
    const QString shown = op.WebBrowser1->toPlainText();
    EXPECT_EQ(shown.startsWith(QStringLiteral("目前沒有操作說明")), c.none) << shown.toStdString();
    if (c.page && !c.none) EXPECT_FALSE(shown.contains(QStringLiteral("沒有操作說明")));
    plat::forms::unload<Operation>();
  }
}

TEST_F(Pages, NoticePageAndSettingsNote) {
  w->UserSetData = "4312000001110";  // digits 6 and 8 are 0: both refreshed
  http.Route("/note/ad.htm", HttpRoute(200, plat::toCp950(QString::fromUtf8("<html><body>公告</body></html>"))));
  http.Route("/note/zet.ini", HttpRoute(200, "9998,help=x\r\n"));
  w->Text6->setText(QString::fromLatin1(http.Url("/missing.htm")));  // 404: the second address is used
  w->Text7->setText(QString::fromLatin1(http.Url("/note/ad.htm")));
  w->Text8->setText(QString::fromLatin1(http.Url("/note/zet.ini")));
  bool done = false;
  w->CheckWwwPage([&] { done = true; });
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_EQ(w->Internet_PutFile, Note("AD.HTM"));
  EXPECT_TRUE(w->WebBrowser1->toPlainText().contains(QString::fromUtf8("公告")));
  EXPECT_EQ(ReadAll(Note("Zet.ini")), "9998,help=x\r\n\r\n");
  EXPECT_EQ(w->Label1->text(), Text(10602));

  // The note's name comes from the last part of the address only.
  QDir(dir.path() + "/NOTE").removeRecursively();
  w->UserSetData = "4312010001110";  // only the note
  w->Text8->setText(QString::fromLatin1(http.Url("/note.example/zet")));
  w->Text9->setText(QString::fromLatin1(http.Url("/note.example/zet")));
  http.Route("/note.example/zet", HttpRoute(200, "9998,help=y\r\n"));
  done = false;
  w->CheckWwwPage([&] { done = true; });
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_EQ(QDir(dir.path() + "/NOTE").entryList(QDir::Files), QStringList{});

  // A page that carries the not-found text is no page.
  plat::writeBytesAtomic(Note("AD.HTM"), "old");
  http.Route("/soft404.htm", HttpRoute(200, "<html>" + plat::toCp950(Text(10601)) + "</html>"));
  bool written = true;
  done = false;
  w->WriteFile(QString::fromLatin1(http.Url("/soft404.htm")), Note("AD.HTM"), [&](bool ok) {
    written = ok;
    done = true;
  });
  ASSERT_TRUE(WaitFor([&] { return done; }));
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadAll(Note("AD.HTM")), "old");
}

}  // namespace
