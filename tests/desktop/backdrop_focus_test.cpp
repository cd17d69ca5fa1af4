// A backdrop that gets the focus all the same (a window manager that does
// not keep the desktop's own windows out of it, a pager, a program setting
// the X focus) hands it at once to the program's topmost window: the keys
// typed meanwhile reach the box, the caret where it was.
#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

using BackdropFocusTest = TestProgramTest;

QString Hex(quint64 id) { return QStringLiteral("0x%1").arg(id, 0, 16); }

TEST_F(BackdropFocusTest, ABackdropGivenTheFocusHandsItBackWithTheCaretWhereItWas) {
  ASSERT_TRUE(StartSetup(false));
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
  desk.Type(QStringLiteral("abcd"));
  ASSERT_TRUE(WaitFor([&] { return Probe().focusText == QStringLiteral("abcd"); }, 3000)) << Describe();
  desk.Key(QStringLiteral("Left Left"));
  ASSERT_TRUE(WaitFor([&] { return Probe().caret == 2; }, 3000)) << Describe();
  const QString box = Probe().focus;

  struct Way {
    const char* what;
    QStringList xdotool;  // the backdrop's id follows
  };
  // The X focus set on it directly, and the window manager asked to
  // activate it as a pager would.
  const Way ways[] = {{"focus set on it", {QStringLiteral("windowfocus")}},
                      {"activation asked for", {QStringLiteral("windowactivate")}}};
  QString expected = QStringLiteral("abcd");
  int caret = 2;
  int round = 0;
  for (const Way& way : ways) {
    for (quint64 backdrop : Backdrops()) {
      SCOPED_TRACE(way.what);
      SCOPED_TRACE(Hex(backdrop).toStdString());
      const QString typed = QString(QChar(u'k' + round++)) + QStringLiteral("z");
      // The keys follow at once, while the focus may still be on the backdrop.
      desk.Run(QStringLiteral("xdotool"), way.xdotool + QStringList{Hex(backdrop)});
      desk.Type(typed);
      expected.insert(caret, typed);
      caret += 2;
      ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
      ASSERT_TRUE(WaitFor(
          [&] {
            const Widgets w = Probe();
            return w.focus == box && w.focusText == expected && w.caret == caret;
          },
          3000))
          << "expected \"" << expected.toStdString() << "\" caret " << caret << "\n"
          << Describe();
    }
  }
}

// With a message in front of the set-up screen the message is the window
// that gets the focus back, and its key answers it.
TEST_F(BackdropFocusTest, ABackdropGivenTheFocusHandsItToTheMessageInFront) {
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
  ASSERT_TRUE(StartWithMinutesRefused());
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("MessageBox"), 300));
  for (quint64 backdrop : Backdrops()) {
    SCOPED_TRACE(Hex(backdrop).toStdString());
    desk.Run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), Hex(backdrop)});
    ASSERT_TRUE(InFrontAndActive(QStringLiteral("MessageBox"), 300));
  }
  desk.Key(QStringLiteral("Return"));
  ASSERT_TRUE(WaitForHidden(QStringLiteral("MessageBox"), 5000)) << Describe();
  EXPECT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
}

}  // namespace
}  // namespace desktop
