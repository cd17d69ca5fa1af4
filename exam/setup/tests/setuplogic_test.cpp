// The set-up screen's rules without a window.
#include <gtest/gtest.h>

#include "exam/setup/inputmethods.h"
#include "exam/setup/setuplogic.h"
#include "exam/setup/urllauncher.h"

namespace {

using namespace setup;

TEST(CommandFields, SplitsAtCommasKeepingEmptyFieldsAndAtMostSeven) {
  struct Case {
    QString text;
    QStringList fields;
    int separators;
    bool truncated;
  } const cases[] = {
      {"", {}, 0, false},
      {"/tmp/~T000001.ttt", {"/tmp/~T000001.ttt"}, 0, false},
      {"/tmp/~T1.ttt,/d/T0001.R01", {"/tmp/~T1.ttt", "/d/T0001.R01"}, 1, false},
      {",,", {"", "", ""}, 2, false},
      {"王小明,A123456789,1990/5/3", {"王小明", "A123456789", "1990/5/3"}, 2, false},
      {"a,b,c,d,e,f,g", {"a", "b", "c", "d", "e", "f", "g"}, 6, false},
      {"a,b,c,d,e,f,g,h,i", {"a", "b", "c", "d", "e", "f", "g"}, 6, true},
  };
  for (const Case& c : cases) {
    const CommandFields f = SplitCommandFields(c.text);
    EXPECT_EQ(f.fields, c.fields) << c.text.toStdString();
    EXPECT_EQ(f.separators, c.separators) << c.text.toStdString();
    EXPECT_EQ(f.truncated, c.truncated) << c.text.toStdString();
  }
  EXPECT_TRUE(IsScorerRestart(SplitCommandFields("/tmp/~T1.ttt,/d/T0001.R01,123")));
  EXPECT_FALSE(IsScorerRestart(SplitCommandFields("王小明,A123456789,123,x")));
  EXPECT_FALSE(IsScorerRestart(SplitCommandFields("王小明,A123456789,1990/5/3")));
}

TEST(BirthDate, ReadsYearMonthDayOrNothing) {
  const auto d = ParseBirthDate("1990/5/3");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->year, "1990");
  EXPECT_EQ(d->month, "05");
  EXPECT_EQ(d->day, "03");
  EXPECT_TRUE(ParseBirthDate("2001-12-31"));
  EXPECT_TRUE(ParseBirthDate("2001.1.1"));
  EXPECT_EQ(ParseBirthDate("800/1/2")->year, "0800");
  for (const char* bad : {"123", "", "1990/2/30", "1990/13/1", "1990/5-3", "abc", "1990/5/3x", "0/1/1"})
    EXPECT_FALSE(ParseBirthDate(QString::fromUtf8(bad))) << bad;
}

TEST(Midnight, ATestMustEndBeforeMidnight) {
  EXPECT_TRUE(RunsPastMidnight(79200, 120));        // 22:00:00, two hours
  EXPECT_FALSE(RunsPastMidnight(79189, 120));       // 21:59:49 ends at 86399
  EXPECT_TRUE(RunsPastMidnight(79189, 120, 60));    // ... but not after a minute's countdown
  EXPECT_FALSE(RunsPastMidnight(32400, 10, 60));
}

TEST(ParticularsLayout, PlacesRowsBySpacingOfTheVisibleCount) {
  struct Case {
    QString layout;
    int step, first;
    QList<int> rows, tops, visible;
  } const cases[] = {
      {"12341110", 500, 150, {1, 2, 3, 4}, {150, 650, 1150, 1650}, {1, 1, 1, 0}},
      {"31241111", 400, 80, {3, 1, 2, 4}, {80, 480, 880, 1280}, {1, 1, 1, 1}},
      {"12340000", 500, 400, {1, 2, 3, 4}, {400, 900, 1400, 1900}, {0, 0, 0, 0}},
      {"12341100", 600, 300, {1, 2, 3, 4}, {300, 900, 1500, 2100}, {1, 1, 0, 0}},
      {"12341200", 500, 400, {1, 2, 3, 4}, {400, 900, 1400, 1900}, {1, 2, 0, 0}},
  };
  for (const Case& c : cases) {
    const ParticularsLayout l = ComputeParticularsLayout(c.layout);
    ASSERT_TRUE(l.valid);
    EXPECT_EQ(l.step, c.step) << c.layout.toStdString();
    EXPECT_EQ(l.firstTop, c.first) << c.layout.toStdString();
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(l.rows[i].row, c.rows[i]);
      EXPECT_EQ(l.rows[i].top, c.tops[i]);
      EXPECT_EQ(l.rows[i].visibility, c.visible[i]);
    }
  }
  EXPECT_FALSE(ComputeParticularsLayout("1234111").valid);
  EXPECT_FALSE(ComputeParticularsLayout("123411100").valid);
}

TEST(ResultBase, NameOrIdentityElseTheTestFileSafely) {
  using common::ResultBase;
  struct Case {
    int rule;
    QString name, identity;
    QString base;
    ResultBase kind;
  } const cases[] = {
      {1, "王小明", "A1", "王小明", ResultBase::UserEntry},
      {2, "王小明", "A123456789", "A123456789", ResultBase::UserEntry},
      {2, "王小明", "", "T0001.txt", ResultBase::FileName},
      {1, "", "A1", "T0001.txt", ResultBase::FileName},
      {0, "王小明", "A1", "T0001.txt", ResultBase::FileName},
      {1, "../..", "", "T0001.txt", ResultBase::FileName},
      {1, "///", "", "T0001.txt", ResultBase::FileName},
      {1, "  ", "", "T0001.txt", ResultBase::FileName},
      {1, "../etc/x", "", "../etc/x", ResultBase::UserEntry},  // the name is made safe when numbered
  };
  for (const Case& c : cases) {
    const ResultBaseChoice r = ChooseResultBase(c.rule, c.name, c.identity, "T0001.txt");
    EXPECT_EQ(r.base, c.base) << c.name.toStdString();
    EXPECT_EQ(r.kind, c.kind) << c.name.toStdString();
  }
}

TEST(FileNameOf, EitherSeparator) {
  EXPECT_EQ(FileNameOf("C:\\Data\\T0001.txt"), "T0001.txt");
  EXPECT_EQ(FileNameOf("/srv/Data/T0001.txt"), "T0001.txt");
  EXPECT_EQ(FileNameOf("T0001.txt"), "T0001.txt");
  EXPECT_EQ(FileNameOf("/srv/Data/"), "");
}

TEST(Addresses, OnlyWebAndMailAddressesAreOpened) {
  EXPECT_EQ(WebUrl("http://www.example.org/a?b=1&c=2").toString(), "http://www.example.org/a?b=1&c=2");
  EXPECT_EQ(WebUrl("https://example.org").host(), "example.org");
  EXPECT_EQ(WebUrl("www.example.org").toString(), "http://www.example.org");
  for (const char* bad : {"", "   ", "http:", "file:///etc/passwd", "javascript:alert(1)", "cmd.exe /c start x",
                          "http://"})
    EXPECT_FALSE(WebUrl(QString::fromUtf8(bad)).isValid()) << bad;

  const QUrl mail = MailUrl("service@example.org", "Tavrel聽打[2.7.0]");
  ASSERT_TRUE(mail.isValid());
  EXPECT_EQ(mail.scheme(), "mailto");
  EXPECT_EQ(mail.path(), "service@example.org");
  // The subject travels encoded: "&" or "[" cannot add a header.
  EXPECT_EQ(QString::fromLatin1(mail.toEncoded()),
            "mailto:service@example.org?subject=Tavrel%E8%81%BD%E6%89%93%5B2.7.0%5D");
  EXPECT_FALSE(MailUrl("a@b.org?cc=x@y.org", "s").isValid());
  EXPECT_FALSE(MailUrl("", "s").isValid());
  EXPECT_FALSE(MailUrl("no-at-sign", "s").isValid());
  EXPECT_FALSE(MailUrl("a@b@host", "s").isValid());
}

TEST(InputMethods, PlainKeyboardAndTheConfiguredFrameworks) {
  using P = LinuxInputMethodProvider;
  EXPECT_EQ(P::LayoutsFrom("", "", ""), QStringList{kPlainLayoutName});
  EXPECT_EQ(P::LayoutsFrom("fcitx", "fcitx", "@im=fcitx"), (QStringList{kPlainLayoutName, "fcitx"}));
  EXPECT_EQ(P::LayoutsFrom("ibus", "", "@im=fcitx"), (QStringList{kPlainLayoutName, "ibus", "fcitx"}));
  EXPECT_EQ(P::LayoutsFrom("none", "", "@im=none"), QStringList{kPlainLayoutName});
  const QStringList two{kPlainLayoutName, "ibus"};
  EXPECT_EQ(P::ActiveFrom(two, QLocale(QLocale::Chinese, QLocale::Taiwan)), 1);
  EXPECT_EQ(P::ActiveFrom(two, QLocale(QLocale::English)), 0);
  EXPECT_EQ(P::ActiveFrom({kPlainLayoutName}, QLocale(QLocale::Chinese)), 0);
  EXPECT_TRUE(kPlainLayoutName.startsWith(u'E'));
}

// With a framework answering: its engines by the names it shows, the plain
// keyboard as the fixed English name, and the engine typed with before the
// one current now (the window in front at the end may have it off).
TEST(InputMethods, TheFrameworksEnginesAndTheOneTypedWith) {
  using P = LinuxInputMethodProvider;
  const plat::ImEngine keyboard{"keyboard-us", "Keyboard - English (US)", true};
  const plat::ImEngine chewing{"chewing", "新酷音", false};
  const plat::ImEngine cangjie{"cangjie", "倉頡", false};
  struct Case {
    const char* what;
    plat::ImState state;
    plat::ImEngine typed;
    QStringList names;
    int active;
  } const cases[] = {
      {"typed with, now off", {{keyboard, chewing}, keyboard}, chewing, {kPlainLayoutName, "新酷音"}, 1},
      {"nothing typed, on now", {{keyboard, chewing}, chewing}, {}, {kPlainLayoutName, "新酷音"}, 1},
      {"nothing typed, off now", {{keyboard, chewing}, keyboard}, {}, {kPlainLayoutName, "新酷音"}, 0},
      {"no window focused", {{keyboard, chewing}, {}}, {}, {kPlainLayoutName, "新酷音"}, 0},
      {"typed with one not listed", {{keyboard, chewing}, chewing}, cangjie, {kPlainLayoutName, "新酷音", "倉頡"}, 2},
      {"the framework gone since", {}, cangjie, {kPlainLayoutName, "倉頡"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const LayoutList l = P::FromFramework(c.state, c.typed);
    EXPECT_EQ(l.names, c.names);
    EXPECT_EQ(l.active, c.active);
  }
  // A name fits one record line and the description's bytes, whole characters.
  EXPECT_EQ(P::LayoutName("新酷音\r\n[測驗檔名]=x"), "新酷音 [測驗檔名]=x");
  const QString longName = QString(200, u'酷');
  EXPECT_EQ(P::LayoutName(longName), QString(127, u'酷'));
  EXPECT_EQ(P::LayoutName(u'a' + longName), u'a' + QString(126, u'酷'));
}

}  // namespace
