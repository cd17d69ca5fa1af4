// The test program's set-up screen at a real window manager: it is in front
// of its backdrops and has the focus at every start, and a click on a
// backdrop changes neither.
#include <QFile>
#include <QThread>

#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

using SetupScreenTest = TestProgramTest;

TEST_F(SetupScreenTest, EveryStartShowsTheSetupScreenInFrontWithTheFocus) {
  // The backdrops and the screen are mapped in a quick row, so a wrong
  // order shows only now and then: several starts of each kind.
  for (int round = 0; round < 6; ++round) {
    const bool particulars = round % 2 == 0;
    SCOPED_TRACE(particulars ? "with particulars" : "without particulars");
    SCOPED_TRACE(round);
    ASSERT_TRUE(StartSetup(particulars));
    ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 1000));
    ASSERT_EQ(Backdrops().size(), 2) << Describe();
    // Keys reach the name box.
    if (!particulars) {
      desk.Type(QStringLiteral("ab"));
      EXPECT_TRUE(WaitFor([&] { return Probe().focusText.endsWith(QStringLiteral("ab")); }, 3000))
          << "typing went elsewhere\n" << Describe();
    }
    inst.StopAll();
    ASSERT_TRUE(WaitFor([&] { return desk.Stacking().isEmpty(); }, 5000)) << Describe();
  }
}

TEST_F(SetupScreenTest, AClickOnABackdropLeavesTheSetupScreenInFrontWithTheFocus) {
  ASSERT_TRUE(StartSetup(false));
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
  const Widgets w = Probe();
  const Widgets::Top* setup = w.Window(QStringLiteral("輸入資料表面"));
  ASSERT_NE(setup, nullptr);
  // The corners of the screen and the space beside the set-up screen.
  const QList<QPoint> spots{{3, 3}, {1276, 1020}, {setup->rect.left() / 2, setup->rect.center().y()}};
  for (const QPoint& p : spots) {
    SCOPED_TRACE(QStringLiteral("%1,%2").arg(p.x()).arg(p.y()).toStdString());
    ASSERT_FALSE(setup->rect.contains(p));
    desk.Click(p);
    ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 800));
    desk.Click(p, 2);
    ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 800));
  }
  // The keys still reach the set-up screen.
  desk.Type(QStringLiteral("xy"));
  EXPECT_TRUE(WaitFor([&] { return Probe().focusText.endsWith(QStringLiteral("xy")); }, 3000)) << Describe();
}

// Minutes with a unit are refused at Start: the message box stands in front
// with the focus, no test screen opens, and after the box the set-up screen
// has the focus again.
TEST_F(SetupScreenTest, MinutesWithAUnitAreRefusedAtStartInAMessageInFront) {
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
  ASSERT_TRUE(StartWithMinutesRefused());
  EXPECT_TRUE(InFrontAndActive(QStringLiteral("MessageBox"), 500));
  EXPECT_EQ(WindowId(QStringLiteral("正式測驗")), 0u);
  desk.Key(QStringLiteral("Return"));
  ASSERT_TRUE(WaitForHidden(QStringLiteral("MessageBox"), 5000)) << Describe();
  EXPECT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 500));
  QThread::msleep(500);
  EXPECT_EQ(WindowId(QStringLiteral("正式測驗")), 0u) << "the test started with minutes Start refused";
}

// The set-up screen is the program's taskbar entry; the backdrops have none,
// stay at the window manager's close, and are never asked to take a focus
// they refuse (no warning of it on the program's output).
TEST_F(SetupScreenTest, TheBackdropsStayBehindWithoutTaskbarEntriesAndTheScreenHasOne) {
  ASSERT_TRUE(StartSetup(false));
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
  const Window screen = desk.Describe(WindowId(QStringLiteral("輸入資料表面")));
  EXPECT_FALSE(screen.Has(QStringLiteral("SKIP_TASKBAR"))) << screen.states.join(u',').toStdString();
  EXPECT_EQ(screen.transientFor, 0u);
  EXPECT_TRUE(BackdropsHoldAgainstAClose());
  EXPECT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 500));
  desk.Type(QStringLiteral("ab"));
  EXPECT_TRUE(WaitFor([&] { return Probe().focusText.endsWith(QStringLiteral("ab")); }, 3000)) << Describe();
  QFile out(inst.OutputPath());
  ASSERT_TRUE(out.open(QIODevice::ReadOnly));
  EXPECT_FALSE(out.readAll().contains("requestActivate")) << Describe();
}

}  // namespace
}  // namespace desktop
