// The set-up screen's addresses and input-method list, without a window.
#include <gtest/gtest.h>

#include "exam/setup/inputmethods.h"
#include "common/gui/urllauncher.h"

namespace {

using namespace setup;

TEST(Addresses, OnlyWebAndMailAddressesAreOpened) {
  EXPECT_EQ(plat::WebUrl("http://www.example.org/a?b=1&c=2").toString(), "http://www.example.org/a?b=1&c=2");
  EXPECT_EQ(plat::WebUrl("https://example.org").host(), "example.org");
  EXPECT_EQ(plat::WebUrl("www.example.org").toString(), "http://www.example.org");
  for (const char* bad : {"", "   ", "http:", "file:///etc/passwd", "javascript:alert(1)", "cmd.exe /c start x",
                          "http://"})
    EXPECT_FALSE(plat::WebUrl(QString::fromUtf8(bad)).isValid()) << bad;

  const QUrl mail = plat::MailUrl("service@example.org", "Tavrel聽打[2.7.0]");
  ASSERT_TRUE(mail.isValid());
  EXPECT_EQ(mail.scheme(), "mailto");
  EXPECT_EQ(mail.path(), "service@example.org");
  // The subject travels encoded: "&" or "[" cannot add a header.
  EXPECT_EQ(QString::fromLatin1(mail.toEncoded()),
            "mailto:service@example.org?subject=Tavrel%E8%81%BD%E6%89%93%5B2.7.0%5D");
  EXPECT_FALSE(plat::MailUrl("a@b.org?cc=x@y.org", "s").isValid());
  EXPECT_FALSE(plat::MailUrl("", "s").isValid());
  EXPECT_FALSE(plat::MailUrl("no-at-sign", "s").isValid());
  EXPECT_FALSE(plat::MailUrl("a@b@host", "s").isValid());
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
