// The test program in a Wayland session as GNOME gives one (DESKTOP_WM=mutter:
// headless mutter with its Xwayland, Qt's Wayland plugin installed, no
// QT_QPA_PLATFORM): it goes through Xwayland and says so in the error
// report, the set-up screen stands in front with the focus, the backdrops
// behind it as the desktop's own X windows, and a click on a backdrop or the
// focus set on one loses no key.
#include <QFile>

#include "platform/core/codec.h"
#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

class WaylandSessionTest : public TestProgramTest {
 protected:
  void SetUp() override {
    if (WindowManagerOfRun() != QStringLiteral("mutter")) GTEST_SKIP() << "runs with DESKTOP_WM=mutter";
    TestProgramTest::SetUp();
  }

  QString ErrorReport() const {
    QFile f(inst.Folder() + QStringLiteral("ZetError.Txt"));
    return f.open(QIODevice::ReadOnly) ? plat::fromCp950(f.readAll()) : QString();
  }
};

TEST_F(WaylandSessionTest, TheSetupScreenGoesThroughXwaylandInFrontAndLosesNoKeyToABackdrop) {
  ASSERT_TRUE(desk.IsWaylandSession());
  ASSERT_TRUE(StartSetup(false)) << "no X window of the set-up screen: the program did not go through Xwayland\n"
                                 << Describe();
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 1000));
  EXPECT_TRUE(BackdropsHoldAgainstAClose());
  EXPECT_TRUE(WaitFor(
      [&] {
        return ErrorReport().contains(QStringLiteral("視窗系統>使用 X11(xcb):Wayland 工作階段(WAYLAND_DISPLAY=wayland-0, "
                                                     "XDG_SESSION_TYPE=wayland)有 X 顯示 ") +
                                      desk.Name());
      },
      3000))
      << ErrorReport().toStdString();

  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
  desk.Type(QStringLiteral("ab"));
  ASSERT_TRUE(WaitFor([&] { return Probe().focusText == QStringLiteral("ab"); }, 3000)) << Describe();

  // Clicks on the backdrops: a corner, and beside the set-up screen.
  const Widgets w = Probe();
  const Widgets::Top* setup = w.Window(QStringLiteral("輸入資料表面"));
  ASSERT_NE(setup, nullptr);
  QString expected = QStringLiteral("ab");
  int round = 0;
  for (const QPoint& p : {QPoint(3, 3), QPoint(setup->rect.left() / 2, setup->rect.center().y())}) {
    SCOPED_TRACE(QStringLiteral("%1,%2").arg(p.x()).arg(p.y()).toStdString());
    ASSERT_FALSE(setup->rect.contains(p));
    desk.Click(p);
    const QString typed = QString(QChar(u'k' + round++));
    desk.Type(typed);
    expected += typed;
    ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
    EXPECT_TRUE(WaitFor([&] { return Probe().focusText == expected; }, 3000)) << Describe();
  }
  // The X focus set on a backdrop comes straight back, the keys with it.
  for (quint64 backdrop : Backdrops()) {
    desk.Run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("0x%1").arg(backdrop, 0, 16)});
    const QString typed = QString(QChar(u'k' + round++));
    desk.Type(typed);
    expected += typed;
    ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
    EXPECT_TRUE(WaitFor([&] { return Probe().focusText == expected && Probe().caret == expected.size(); }, 3000))
        << Describe();
  }
}

// QT_QPA_PLATFORM=wayland set for the whole session (which without Qt's
// Wayland plugin ended the program before it showed anything): Xwayland
// all the same, and the report says what was not taken.
TEST_F(WaylandSessionTest, WaylandAskedForInTheSessionGoesThroughXwaylandAllTheSame) {
  inst.SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
  ASSERT_TRUE(StartSetup(false)) << Describe();
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 500));
  EXPECT_TRUE(WaitFor(
      [&] {
        return ErrorReport().contains(QStringLiteral("視窗系統>使用 X11(xcb),不用 QT_QPA_PLATFORM=wayland:有 X 顯示 ") +
                                      desk.Name());
      },
      3000))
      << ErrorReport().toStdString();
  desk.Type(QStringLiteral("ab"));
  EXPECT_TRUE(WaitFor([&] { return Probe().focusText == QStringLiteral("ab"); }, 3000)) << Describe();
}

}  // namespace
}  // namespace desktop
