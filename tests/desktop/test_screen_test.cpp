// The test screen at a real window manager, typed at with real keys: pauses
// ended by 不要 and by the window manager's close, a minimise and a roll-up
// attempt and a double-click on 開始 neither lose nor move the candidate's typing, and the
// lines reach the record at time-up.
#include <QDir>
#include <QThread>

#include "exam/record/testrecord.h"
#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

const QString kSetup = QStringLiteral("輸入資料表面");
const QString kScreen = QStringLiteral("正式測驗");
const QString kPause = QStringLiteral("是否暫離");

class TestScreenTest : public TestProgramTest {
 protected:
  // From the set-up screen to the test screen, in front, with the focus.
  void OpenTestScreen() {
    ASSERT_TRUE(StartSetup(true));
    ASSERT_TRUE(InFrontAndActive(kSetup, 300));
    ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1")));
    ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
    ASSERT_TRUE(InFrontAndActive(kScreen, 500));
  }

  // The caret: in that box, at that place, nothing selected.
  ::testing::AssertionResult CaretAt(int box, int at) {
    Widgets w;
    const QString want = kScreen + QStringLiteral("/TB(%1)").arg(box);
    const bool ok = WaitFor(
        [&] {
          w = Probe();
          return w.focus == want && w.caret == at && w.selected == 0;
        },
        3000);
    if (ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "want the caret in " << want.toStdString() << " at " << at << ", have "
                                         << w.focus.toStdString() << " at " << w.caret << " with " << w.selected
                                         << " selected";
  }

  // Pauses with the button beside the clock.
  void Pause() {
    ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/Image2")));
    ASSERT_TRUE(WaitForWindow(kPause)) << Describe();
    ASSERT_TRUE(InFrontAndActive(kPause, 300));
  }

  QString RecordPath() const {
    const QStringList found = QDir(inst.Tmp()).entryList({QStringLiteral("~T*")}, QDir::Files, QDir::Name);
    return found.isEmpty() ? QString() : inst.Tmp() + found.last();
  }
};

TEST_F(TestScreenTest, TypingSurvivesPausesAMinimiseAttemptAndReachesTheRecord) {
  OpenTestScreen();
  ASSERT_TRUE(CaretAt(0, 0));
  ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play")));  // the clock starts
  desk.Type(QStringLiteral("abc"));
  desk.Key(QStringLiteral("Return"));
  desk.Type(QStringLiteral("def"));
  ASSERT_TRUE(CaretAt(1, 3));

  // 不要: back to the test screen, the caret where it was.
  Pause();
  ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command2")));
  ASSERT_TRUE(InFrontAndActive(kScreen, 500));
  ASSERT_TRUE(CaretAt(1, 3));
  desk.Type(QStringLiteral("XY"));
  ASSERT_TRUE(CaretAt(1, 5));

  // The window manager's close of the pause dialog continues the same way;
  // the dialog minimised comes straight back first.
  Pause();
  desk.Minimise(WindowId(kPause));
  QThread::msleep(500);
  ASSERT_TRUE(InFrontAndActive(kPause, 500));
  desk.CloseByWindowManager(WindowId(kPause));
  ASSERT_TRUE(InFrontAndActive(kScreen, 500));
  ASSERT_TRUE(CaretAt(1, 5));
  desk.Type(QStringLiteral("gh"));

  // A minimise request leaves the screen where it is, with the focus, and
  // the caret where it was.
  desk.Minimise(WindowId(kScreen));
  QThread::msleep(500);
  ASSERT_TRUE(InFrontAndActive(kScreen, 1000));
  EXPECT_NE(desk.Describe(WindowId(kScreen)).wmState, QStringLiteral("Iconic"));
  ASSERT_TRUE(CaretAt(1, 7));
  // A roll-up to the title bar is undone the same way.
  desk.Shade(WindowId(kScreen));
  QThread::msleep(500);
  ASSERT_TRUE(InFrontAndActive(kScreen, 1000));
  EXPECT_FALSE(desk.Describe(WindowId(kScreen)).Has(QStringLiteral("SHADED"))) << Describe();
  ASSERT_TRUE(CaretAt(1, 7));
  // A click and a double-click on the backdrop beside the screen neither.
  desk.Click({3, 500});
  desk.Click({3, 500}, 2);
  ASSERT_TRUE(InFrontAndActive(kScreen, 500));
  ASSERT_TRUE(CaretAt(1, 7));
  desk.Type(QStringLiteral("ij"));
  desk.Key(QStringLiteral("Return"));
  desk.Type(QStringLiteral("klm"));
  ASSERT_TRUE(CaretAt(2, 3));

  // Time-up, a minute after Play, writes the record.
  rec::TestRecordContent rc;
  ASSERT_TRUE(WaitFor([&] { return !RecordPath().isEmpty() && rec::ReadTestRecordFile(RecordPath(), rc); }, 90000))
      << Describe();
  ASSERT_GE(rc.typedLines.size(), 3) << rc.typedLines.join(u'|').toStdString();
  EXPECT_EQ(rc.typedLines.mid(0, 3), (QStringList{"abc", "defXYghij", "klm"}));
}

// The second click of a double-click on 開始 lands on the test screen as it
// opens (over a box of a later line): the test still starts with the caret
// in the first box. A quick and a slow double-click.
TEST_F(TestScreenTest, ADoubleClickOnStartLeavesTheCaretInTheFirstBox) {
  for (const int delayMs : {120, 250}) {
    SCOPED_TRACE(delayMs);
    ASSERT_TRUE(StartSetup(true));
    ASSERT_TRUE(InFrontAndActive(kSetup, 300));
    ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1"), 2, 0, delayMs));
    ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
    QThread::msleep(500);
    EXPECT_TRUE(CaretAt(0, 0)) << Describe();
    desk.Type(QStringLiteral("a"));
    EXPECT_TRUE(CaretAt(0, 1)) << Describe();
    inst.StopAll();
    ASSERT_TRUE(WaitFor([&] { return desk.Stacking().isEmpty(); }, 5000)) << Describe();
  }
}

// Characters the record cannot hold are not taken from the keyboard: an
// emoji (a surrogate pair) and a simplified character.
TEST_F(TestScreenTest, CharactersTheRecordCannotHoldAreNotTaken) {
  OpenTestScreen();
  ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play")));
  desk.Type(QStringLiteral("a\U0001F600b们c們"));
  EXPECT_TRUE(WaitFor([&] { return Probe().focusText == QStringLiteral("abc們"); }, 5000)) << Describe();
  EXPECT_TRUE(CaretAt(0, 4));
}

}  // namespace
}  // namespace desktop
