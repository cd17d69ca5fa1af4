// The test screen piece by piece: layout, typing-box rules, the rhythm
// watch, the clock's start and its going back, pause and leave, the audio
// parts.
#include <QFile>
#include <QFileInfo>

#include "common/errorlog.h"
#include "common/hotkeys.h"
#include "platform/core/compat.h"
#include "platform/media/transport_bar.h"
#include "exam/record/testrecord.h"
#include "exam/run/forms/pausedialog.h"
#include "exam/run/core/test_clock.h"
#include "exam/run/forms/tests/run_fixture.h"
#include "testsupport/core/manualclock.h"
#include "testsupport/core/seams.h"

namespace runtest {
namespace {

using run::正式測驗;

QStringList ErrorLog() {
  QStringList lines;
  plat::readTextLines(common::ErrorReportPath(), lines);
  return lines;
}

bool LogHas(const QString& part) {
  for (const QString& l : ErrorLog())
    if (l.contains(part)) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Layout

class LayoutTest : public RunTest {};

TEST_F(LayoutTest, PairedModeOnePutsEachLineAboveItsBox) {
  common::Setting208.set(1);
  LoadText();
  正式測驗& s = StartScreen();
  EXPECT_EQ(s.BoxGeometry(8).top, 800);
  EXPECT_EQ(s.BoxGeometry(0).top, 1150);
  EXPECT_EQ(s.BoxGeometry(15).top, 800 + 14 * 350);
  EXPECT_EQ(s.BoxGeometry(7).top, 800 + 15 * 350);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(s.BoxGeometry(i).left, 800) << i;
    EXPECT_EQ(s.BoxGeometry(i).width, 8000);
    EXPECT_EQ(s.BoxGeometry(i).height, 250);
    EXPECT_EQ(plat::TwipsGeometry(s.TB[i]).top, plat::TwipsToPixels(s.BoxGeometry(i).top) * 15);
  }
  // The text lines are for reading: shown, not typed into, not focusable.
  EXPECT_EQ(s.TB[8]->text(), "　第一段第一行");
  EXPECT_EQ(s.TB[9]->text(), "第一段第二行");
  for (int i = 8; i < 16; ++i) {
    EXPECT_TRUE(s.TB[i]->isReadOnly()) << i;
    EXPECT_EQ(s.TB[i]->focusPolicy(), Qt::NoFocus) << i;
  }
  EXPECT_FALSE(s.TB[0]->isReadOnly());
}

TEST_F(LayoutTest, RowsOfEveryPairedMode) {
  struct Case {
    int mode;
    int box;
    int row;
  };
  const Case cases[] = {{2, 0, 0},  {2, 8, 8},   {3, 0, 8},   {3, 8, 0},  {4, 3, 3},  {4, 4, 8},
                        {4, 8, 4},  {4, 12, 12}, {5, 0, 4},   {5, 4, 12}, {5, 8, 0},  {5, 12, 8},
                        {6, 0, 2},  {6, 1, 3},   {6, 2, 6},   {6, 7, 15}, {6, 8, 0},  {6, 15, 13},
                        {7, 0, 0},  {7, 15, 15}, {0, 5, 5}};
  LoadText();
  for (const Case& c : cases) {
    common::Setting208.set(c.mode);
    common::TestRunState.set(0);
    plat::FormRegistry::DestroyAll();
    正式測驗& s = StartScreen();
    EXPECT_EQ(s.BoxGeometry(c.box).top, 800 + c.row * 350) << "mode " << c.mode << " box " << c.box;
  }
}

TEST_F(LayoutTest, SingleLayoutHintsBesideTheBoxes) {
  common::Setting208.set(0);
  common::Setting906.set(0);
  LoadText();
  正式測驗& s = StartScreen();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(s.BoxGeometry(i).left, 800);
    EXPECT_EQ(s.BoxGeometry(i).top, 800 + i * 350);
    EXPECT_TRUE(s.TbX[i]->isHidden());
    EXPECT_FALSE(s.TB[i]->isReadOnly());
  }
  // With hints at paragraph starts the labels take the left and the boxes
  // move right.
  plat::FormRegistry::DestroyAll();
  common::Setting906.set(2);
  common::Setting907.set(0);
  正式測驗& h = StartScreen();
  EXPECT_EQ(h.LabelGeometry(0), (plat::TwipsBox{100, 800, 1200, 250}));
  EXPECT_EQ(h.BoxGeometry(0).left, 1400);
  EXPECT_FALSE(h.TbX[0]->isHidden());
  EXPECT_EQ(h.TbX[0]->text(), "　第");
  EXPECT_EQ(h.TbX[1]->text(), "");
}

// ---------------------------------------------------------------------------
// Typing boxes

class BoxTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting208.set(0);
    common::Setting705.set(0);
    LoadText(0);
  }
  // A text longer than the buffer: 300 lines, of which 240 are kept.
  void LoadLongText() {
    QStringList many;
    for (int k = 0; k < 300; ++k) many << QString("　行%1").arg(k);
    ASSERT_TRUE(plat::writeTextLines(testFile, many));
    rec::testRecordModule().LoadTestText(testFile, run::SetupScreenValues());
  }
};

TEST_F(BoxTest, EnterSplitsAndDeleteJoins) {
  正式測驗& s = StartScreen();
  Type(s.TB[0], "abc");
  Type(s.TB[1], "xyz");
  s.TB[0]->setCursorPosition(0);
  Key(s.TB[0], Qt::Key_Return);  // at the start: the whole line goes below
  EXPECT_EQ(s.TB[0]->text(), "");
  EXPECT_EQ(s.TB[1]->text(), "abcxyz");
  EXPECT_EQ(s.CurBox, 1);
  EXPECT_EQ(s.TB[1]->cursorPosition(), 0);

  s.TB[0]->setText("12");
  s.TB[0]->setCursorPosition(2);
  Key(s.TB[0], Qt::Key_Delete);  // at the end: the next line joins
  EXPECT_EQ(s.TB[0]->text(), "12abcxyz");
  EXPECT_EQ(s.TB[1]->text(), "");
  EXPECT_EQ(s.TB[0]->cursorPosition(), 8);

  s.TB[0]->setCursorPosition(1);
  Key(s.TB[0], Qt::Key_Delete);  // inside: an ordinary delete
  EXPECT_EQ(s.TB[0]->text(), "1abcxyz");

  s.TB[15]->setText("end");
  s.TB[15]->setCursorPosition(3);
  Key(s.TB[15], Qt::Key_Delete);  // the last box has nothing to join
  EXPECT_EQ(s.TB[15]->text(), "end");
  EXPECT_EQ(s.TB[15]->cursorPosition(), 3);
}

TEST_F(BoxTest, EnterInTheLastBoxScrollsAndCarriesTheRest) {
  正式測驗& s = StartScreen();
  s.TB[15]->setText("abcdef");
  s.TB[15]->setCursorPosition(3);
  Key(s.TB[15], Qt::Key_Return);
  auto& lines = rec::testRecordModule().lines;
  EXPECT_EQ(lines.FirstVisibleLine, 1);
  EXPECT_EQ(lines.AnswerLines[15], "abc");
  EXPECT_EQ(s.TB[15]->text(), "def");
  // At the end of the text the window cannot move: the line is left as it
  // was, not turned round.
  while (lines.FirstVisibleLine < lines.LineCount) Key(s.TB[15], Qt::Key_Down);
  s.TB[15]->setText("abc|def");
  s.TB[15]->setCursorPosition(3);
  Key(s.TB[15], Qt::Key_Return);
  EXPECT_EQ(s.TB[15]->text(), "abc|def");
}

TEST_F(BoxTest, EnterInTheLastBoxAtTheBuffersEndKeepsTheLineWhole) {
  LoadLongText();
  正式測驗& s = StartScreen();
  auto& lines = rec::testRecordModule().lines;
  while (lines.FirstVisibleLine + 15 < rec::kLastLineIndex) Key(s.TB[15], Qt::Key_Down);
  ASSERT_EQ(lines.FirstVisibleLine + 15, rec::kLastLineIndex);  // the last box holds the buffer's last line
  s.TB[15]->setText("abc|def");
  s.TB[15]->setCursorPosition(3);
  Key(s.TB[15], Qt::Key_Return);  // the row below would be past the buffer
  EXPECT_EQ(lines.FirstVisibleLine + 14, rec::kLastLineIndex);
  EXPECT_EQ(s.TB[14]->text(), "abc|def");
  EXPECT_EQ(lines.AnswerLines[rec::kLastLineIndex], "abc|def");
  EXPECT_TRUE(s.TB[15]->isReadOnly());
  EXPECT_EQ(s.TB[15]->text(), "");
}

TEST_F(BoxTest, UpAndDownMoveAndScrollAtTheEdges) {
  正式測驗& s = StartScreen();
  Key(s.TB[0], Qt::Key_Up);  // top of the buffer: nothing moves
  EXPECT_EQ(rec::testRecordModule().lines.FirstVisibleLine, 0);
  EXPECT_EQ(s.CurBox, 0);
  Key(s.TB[0], Qt::Key_Down);
  EXPECT_EQ(s.CurBox, 1);
  Key(s.TB[1], Qt::Key_Up);
  EXPECT_EQ(s.CurBox, 0);
  Key(s.TB[15], Qt::Key_Down);
  EXPECT_EQ(rec::testRecordModule().lines.FirstVisibleLine, 1);
  Key(s.TB[0], Qt::Key_Up);
  EXPECT_EQ(rec::testRecordModule().lines.FirstVisibleLine, 0);
}

TEST_F(BoxTest, SpacesAtTheStartAreFullWidth) {
  正式測驗& s = StartScreen();
  Type(s.TB[0], " ");
  EXPECT_EQ(s.TB[0]->text(), "\u3000");
  Type(s.TB[0], " ");
  EXPECT_EQ(s.TB[0]->text(), "\u3000\u3000");
  Type(s.TB[0], " ");
  EXPECT_EQ(s.TB[0]->text(), "\u3000\u3000 ");
}

TEST_F(BoxTest, AFullBoxMovesTheCaretAndTheCharacterOn) {
  正式測驗& s = StartScreen();
  s.TB[0]->setText(QString(31, u'字'));
  s.TB[0]->setCursorPosition(31);
  Type(s.TB[0], "x");
  EXPECT_EQ(s.CurBox, 1);
  EXPECT_EQ(s.TB[0]->text().size(), 31);
  EXPECT_EQ(s.TB[1]->text(), "x");
  // A phrase committed by the input method obeys the same limit.
  s.TB[1]->setText(QString(30, u'字'));
  s.TB[1]->setCursorPosition(30);
  Commit(s.TB[1], "一二三");
  EXPECT_EQ(s.TB[1]->text(), QString(30, u'字') + "一");
  EXPECT_EQ(s.TB[2]->text(), "二三");
  EXPECT_EQ(s.CurBox, 2);
}

TEST_F(BoxTest, HotKeysInsertTheirText) {
  正式測驗& s = StartScreen();
  s.TB[0]->setText("abcd");
  s.TB[0]->setCursorPosition(2);
  Key(s.TB[0], Qt::Key_R, Qt::ControlModifier);  // default Ctrl+R: 『』
  EXPECT_EQ(s.TB[0]->text(), "ab『』cd");
  EXPECT_EQ(s.TB[0]->cursorPosition(), 3);  // between the two inserted characters
  s.TB[0]->setCursorPosition(s.TB[0]->text().size());
  Key(s.TB[0], Qt::Key_1, Qt::AltModifier, "1");
  EXPECT_TRUE(s.TB[0]->text().endsWith("┌"));
  EXPECT_FALSE(s.TB[0]->text().contains('1'));  // the key itself is not typed too
  // A Shift key with no text of its own types as usual.
  const int clears = clipboard.clears;
  Key(s.TB[0], Qt::Key_Exclam, Qt::ShiftModifier, "!");
  EXPECT_TRUE(s.TB[0]->text().endsWith("!"));
  EXPECT_GT(clipboard.clears, clears);  // a modified key empties the clipboard
}

TEST_F(BoxTest, NothingCanBePasted) {
  正式測驗& s = StartScreen();
  clipboard.text = "copied";
  Key(s.TB[0], Qt::Key_V, Qt::ControlModifier);
  Key(s.TB[0], Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(s.TB[0]->text(), "");
  EXPECT_EQ(s.TB[0]->contextMenuPolicy(), Qt::NoContextMenu);
  EXPECT_FALSE(s.TB[0]->acceptDrops());
  // Characters the record cannot hold are not taken.
  Commit(s.TB[0], QString::fromUtf8("a\xF0\x9F\x98\x80" "b"));
  EXPECT_EQ(s.TB[0]->text(), "ab");
}

TEST_F(BoxTest, CharactersTheRecordCannotHoldAreRefusedInEveryForm) {
  正式測驗& s = StartScreen();
  const QString refused[] = {
      QString::fromUtf8("\xF0\x9F\x98\x80"),  // an emoji: a surrogate pair
      QStringLiteral("们"),                     // a simplified form
      QString(QChar(0xD83D)),                    // half a pair
      QString(QChar(0x0301)),                    // a combining accent
      QString(QChar(0x200D)),                    // a joiner, a format character
  };
  for (const QString& r : refused) {
    SCOPED_TRACE(QString::number(r.at(0).unicode(), 16).toStdString());
    s.TB[0]->setText("字");
    s.TB[0]->setCursorPosition(1);
    Key(s.TB[0], Qt::Key_unknown, Qt::NoModifier, r);                            // a key
    Key(s.TB[0], Qt::Key_unknown, Qt::ControlModifier | Qt::AltModifier, r);     // an AltGr chord
    Key(s.TB[0], Qt::Key_unknown, Qt::ShiftModifier, r);                         // a shifted key
    Commit(s.TB[0], r + "字" + r);                                                // an input method
    EXPECT_EQ(s.TB[0]->text(), "字字");
  }
}

TEST_F(BoxTest, TheFocusNeverSelectsTheLine) {
  正式測驗& s = StartScreen();
  QCoreApplication::processEvents();
  Type(s.TB[0], "abcdef");
  const Qt::FocusReason reasons[] = {Qt::TabFocusReason,    Qt::BacktabFocusReason, Qt::ShortcutFocusReason,
                                     Qt::OtherFocusReason,  Qt::ActiveWindowFocusReason, Qt::PopupFocusReason,
                                     Qt::MouseFocusReason};
  for (Qt::FocusReason r : reasons) {
    SCOPED_TRACE(r);
    s.TB[0]->setCursorPosition(2);
    s.TB[1]->setFocus(Qt::OtherFocusReason);
    // A real focus change, and the bare event a dialog sends when shown.
    s.TB[0]->setFocus(r);
    EXPECT_FALSE(s.TB[0]->hasSelectedText());
    EXPECT_EQ(s.TB[0]->cursorPosition(), 2);
    QFocusEvent in(QEvent::FocusIn, r);
    QCoreApplication::sendEvent(s.TB[0], &in);
    EXPECT_FALSE(s.TB[0]->hasSelectedText());
    EXPECT_EQ(s.TB[0]->cursorPosition(), 2);
  }
  // A selection made by the candidate does not outlive the focus coming back.
  s.TB[0]->setSelection(1, 3);
  QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QCoreApplication::sendEvent(s.TB[0], &back);
  EXPECT_FALSE(s.TB[0]->hasSelectedText());
  EXPECT_EQ(s.TB[0]->cursorPosition(), 4);
}

TEST_F(BoxTest, RowsPastTheBufferAreClosed) {
  LoadLongText();
  正式測驗& s = StartScreen();
  auto& lines = rec::testRecordModule().lines;
  while (lines.FirstVisibleLine < lines.LineCount) Key(s.TB[0], Qt::Key_PageDown);
  EXPECT_EQ(lines.FirstVisibleLine, 240);
  EXPECT_FALSE(s.TB[0]->isReadOnly());  // line 240, the buffer's last
  for (int i = 1; i < 16; ++i) EXPECT_TRUE(s.TB[i]->isReadOnly()) << i;
  Type(s.TB[3], "lost");
  EXPECT_EQ(s.TB[3]->text(), "");
}

TEST_F(BoxTest, LabelsFollowTheCaret) {
  正式測驗& s = StartScreen();
  s.TB_Click(2);
  Type(s.TB[2], "abc");
  Key(s.TB[2], Qt::Key_Left);
  EXPECT_EQ(s.BoxCol->text(), "02");
  EXPECT_EQ(s.BoxRow->text(), "03");
  EXPECT_EQ(s.Label8->text(), "2");  // caret inside the text
  Key(s.TB[2], Qt::Key_End);
  EXPECT_EQ(s.Label8->text(), "1");
  Key(s.TB[2], Qt::Key_Down);
  EXPECT_EQ(s.Label4->text(), "2");  // line 3 is in the second paragraph
}

// ---------------------------------------------------------------------------
// Rhythm watch

class RhythmTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting705.set(0);
    common::SystemIniValue(7495, "1");
    common::SystemIniValue(7494, "1");
  }
};

TEST_F(RhythmTest, ABurstOfChangesEmptiesTheBoxWithWarnings) {
  common::Setting208.set(1);
  LoadText(0);
  正式測驗& s = StartScreen();
  sched.Advance(200);
  // Keys typed one by one within one hundredth (the clock stands still).
  Type(s.TB[0], QString(26, u'a'));
  EXPECT_EQ(s.TB[0]->text().size(), 26);
  EXPECT_TRUE(prompt.calls.isEmpty());
  Type(s.TB[0], "a");  // the 27th change in one hundredth
  EXPECT_EQ(s.TB[0]->text(), "");
  ASSERT_EQ(prompt.calls.size(), 2);
  EXPECT_EQ(prompt.calls[0].title, "警告10219");
  EXPECT_EQ(prompt.calls[0].text, "警告10220\r\n警告10221\r\n警告10222");
  EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Exclamation);
  EXPECT_EQ(prompt.calls[1].title, "警告10223");
  EXPECT_TRUE(LogHas("WatchKeystrokeRhythm>"));
}

TEST_F(RhythmTest, TypingAtAHumanPaceIsLeftAlone) {
  common::Setting208.set(1);
  LoadText(0);
  正式測驗& s = StartScreen();
  for (int k = 0; k < 25; ++k) {
    sched.Advance(130);
    Type(s.TB[0], "a");
  }
  EXPECT_EQ(s.TB[0]->text().size(), 25);
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(RhythmTest, AnInputMethodCommitIsOneMomentWhateverItsLength) {
  common::Setting208.set(1);
  LoadText(0);
  正式測驗& s = StartScreen();
  sched.Advance(200);
  Commit(s.TB[0], QString(28, u'字'));  // one phrase, past the limit of 26 in characters
  EXPECT_EQ(s.TB[0]->text().size(), 28);
  EXPECT_EQ(s.Rhythm.RingPos(), 1);
  EXPECT_FALSE(s.Label7->text().isEmpty());  // the watch did see it
  Key(s.TB[0], Qt::Key_Down);
  sched.Advance(100);
  Commit(s.TB[1], QString(14, u'詞'));  // two phrases within the window
  const int noted = s.Rhythm.RingPos();
  sched.Advance(100);
  Commit(s.TB[1], QString(14, u'詞'));
  EXPECT_EQ(s.TB[1]->text().size(), 28);
  EXPECT_EQ(s.Rhythm.RingPos(), noted + 1);
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(RhythmTest, RefillsAndPageMovesDoNotFeedTheWatch) {
  common::Setting208.set(1);
  LoadText(0);
  正式測驗& s = StartScreen();
  sched.Advance(200);
  Type(s.TB[0], "typed");
  for (int k = 0; k < 12; ++k) {  // PgDn/PgUp held down
    Key(s.TB[0], Qt::Key_PageDown);
    Key(s.TB[0], Qt::Key_PageUp);
  }
  EXPECT_EQ(s.TB[0]->text(), "typed");
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(RhythmTest, OffSwitchOrAStoppedClockLeaveItQuiet) {
  common::Setting208.set(1);
  common::SystemIniValue(2281, "0");
  LoadText(0);
  正式測驗& s = StartScreen();
  sched.Advance(200);
  Commit(s.TB[0], QString(29, u'字'));
  EXPECT_EQ(s.TB[0]->text().size(), 29);
  EXPECT_TRUE(s.Label7->text().isEmpty());
}

TEST_F(RhythmTest, SingleLayoutWatchesKeysNotChanges) {
  common::Setting208.set(0);
  LoadText(0);
  正式測驗& s = StartScreen();
  sched.Advance(200);
  // One commit is one key: its 29 characters are one change to the watch.
  Commit(s.TB[0], QString(29, u'字'));
  EXPECT_EQ(s.TB[0]->text().size(), 29);
  EXPECT_TRUE(prompt.calls.isEmpty());
}

// ---------------------------------------------------------------------------
// Clock start, clock going back

class ClockTest : public RunTest {};

TEST_F(ClockTest, ManualStartWaitsForPlayAndStartsOnce) {
  common::Setting705.set(1);
  common::Setting701.set(1);
  LoadText();
  正式測驗& s = StartScreen();
  EXPECT_FALSE(s.Timer1->Enabled());
  EXPECT_EQ(Audio(s).log.mid(0, 4), QStringList({"CLOSE", "OPEN " + root + "Data/T0001-01.wma", "prev", "stop"}));
  sched.Advance(5000);
  EXPECT_FLOAT_EQ(s.Elapsed, 0);
  s.Mci->pressPlay();
  EXPECT_TRUE(s.Timer1->Enabled());
  const float start = s.StartTime;
  EXPECT_EQ(Audio(s).mode(), plat::kModePlaying);
  sched.Advance(20000);
  s.Image2_Click();
  EXPECT_EQ(Audio(s).mode(), plat::kModePaused);
  sched.Advance(30000);
  plat::forms::get<run::是否暫離>().Command2_Click();
  // The resume moves the start on by the pause and never starts afresh.
  EXPECT_NEAR(s.StartTime, start + 30.0f, 0.01f);
  EXPECT_EQ(Audio(s).mode(), plat::kModePlaying);
  sched.Advance(1000);
  EXPECT_NEAR(s.Elapsed, 21.0f, 0.15f);
  EXPECT_EQ(app.ends, 0);
  s.Mci->pressPlay();  // a later press only resumes reports
  EXPECT_NEAR(s.StartTime, start + 30.0f, 0.01f);
}

TEST_F(ClockTest, ShowingTheScreenAgainWhileRunningChangesNothing) {
  common::Setting705.set(0);
  LoadText(0);
  正式測驗& s = StartScreen();
  Type(s.TB[0], "abc");
  sched.Advance(5000);
  const float start = s.StartTime;
  s.Hide();
  s.Show();
  EXPECT_EQ(s.StartTime, start);
  EXPECT_EQ(s.TB[0]->text(), "abc");
  EXPECT_EQ(common::TestRunState.get(), 1);
}

TEST_F(ClockTest, WithoutAudioTheClockStartsAtOnceEvenInManualMode) {
  common::Setting705.set(1);
  LoadText(0);
  正式測驗& s = StartScreen();
  EXPECT_TRUE(s.Timer1->Enabled());
  EXPECT_TRUE(s.ClockStarted);
  EXPECT_TRUE(s.MMControl1->isHidden());
  EXPECT_TRUE(s.Command1->isHidden());
  EXPECT_TRUE(Audio(s).log.isEmpty());
}

TEST_F(ClockTest, CountDownFaceAtTheStart) {
  common::Setting705.set(0);
  common::Setting281.set(0);
  LoadText(0);
  正式測驗& s = StartScreen();
  EXPECT_EQ(s.TimeMinute->text(), "10");
  EXPECT_EQ(s.TimeSecond->text(), "00");
  sched.Advance(60000);
  EXPECT_EQ(s.TimeMinute->text() + ":" + s.TimeSecond->text(), "09:00");
  sched.Advance(600);
  EXPECT_EQ(s.TimeMinute->text() + ":" + s.TimeSecond->text(), "08:59");
}

TEST_F(ClockTest, AClockGoneBackEndsWithoutARecord) {
  run::ManualClock mc(36000);
  seams.Set(run::SetTestClock, &mc);
  common::Setting705.set(0);
  LoadText(0);
  正式測驗& s = StartScreen();
  for (int k = 0; k < 50; ++k) {
    mc.Advance(0.1);
    sched.Advance(100);
  }
  mc.Advance(-2.0);
  sched.Advance(100);
  EXPECT_EQ(app.ends, 1);
  ASSERT_FALSE(prompt.calls.isEmpty());
  EXPECT_EQ(prompt.calls.last().text, "時鐘倒退了");
  EXPECT_FALSE(s.Timer1->Enabled());
  sched.Advance(20000);
  EXPECT_TRUE(launcher.calls.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(recordPath));
}

TEST_F(ClockTest, ATestAcrossMidnightRunsOn) {
  plat::FakeClock& fc = sched.Clock();
  fc.Set(QDateTime(QDate(2026, 3, 5), QTime(23, 58, 0)));
  common::Setting705.set(0);
  run::SetupScreenValues().minutes = "5";
  LoadText(0);
  正式測驗& s = StartScreen();
  ASSERT_TRUE(sched.RunUntil([&] { return app.ends > 0; }, 400000));
  EXPECT_EQ(launcher.calls.size(), 1);
  rec::TestRecordContent rc;
  ASSERT_TRUE(rec::ReadTestRecordFile(recordPath, rc));
  EXPECT_EQ(rc.Value(rec::RecordKey::STARTIME).value_or(""), "086280");
  EXPECT_EQ(rc.Value(rec::RecordKey::END_TIME).value_or(""), "086580");
  (void)s;
}

// ---------------------------------------------------------------------------
// Pause, leave, time-up during a pause

class PauseTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting705.set(0);
    common::Setting208.set(0);
  }
};

TEST_F(PauseTest, LeaveRightAfterAPauseEndsAtThePause) {
  LoadText();
  正式測驗& s = StartScreen();
  sched.Advance(4000);
  Type(s.TB[0], "hello");
  sched.Advance(60000);
  s.Image2_Click();
  EXPECT_EQ(Audio(s).log.filter("PAUSE").size(), 1);
  const float pausedAt = s.StopTime;
  sched.Advance(5000);
  plat::forms::get<run::是否暫離>().Command1_Click();
  EXPECT_EQ(Audio(s).log.last(), "CLOSE");
  EXPECT_TRUE(s.HandedOver);
  EXPECT_FALSE(s.Timer1->Enabled());
  EXPECT_FALSE(s.Timer2->Enabled());
  EXPECT_TRUE(s.TB[1]->isReadOnly());
  Type(s.TB[1], "late");  // nothing typed after the leave counts
  EXPECT_EQ(s.TB[1]->text(), "");
  EXPECT_TRUE(plat::forms::get<run::處理下>().isVisible());
  ASSERT_TRUE(sched.RunUntil([&] { return app.ends > 0; }, 20000));
  rec::TestRecordContent rc;
  ASSERT_TRUE(rec::ReadTestRecordFile(recordPath, rc));
  EXPECT_EQ(rc.typedLines.value(0), "hello");
  EXPECT_EQ(rc.Value(rec::RecordKey::END_TIME).value_or(""),
            plat::FormatSingle(pausedAt, u"000000"));
  EXPECT_EQ(common::TestRunState.get(), 9);
}

TEST_F(PauseTest, ClockRunsDuringThePauseWhenSetSoAndTimeUpClosesTheDialog) {
  common::SystemIniValue(399, "1");
  common::ApplySetting(399, "1");
  ASSERT_EQ(common::Setting399.get(), 1);
  run::SetupScreenValues().minutes = "1";
  LoadText(0);
  正式測驗& s = StartScreen();
  sched.Advance(30000);
  s.Image2_Click();
  EXPECT_TRUE(s.Timer1->Enabled());
  EXPECT_TRUE(s.Timer2->Enabled());
  auto& pause = plat::forms::get<run::是否暫離>();
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 60000));
  EXPECT_FALSE(pause.isVisible());
  EXPECT_TRUE(plat::forms::get<run::處理下>().isVisible());
  // Too late to continue: the test is being handed over.
  pause.Command2_Click();
  EXPECT_EQ(common::TestRunState.get(), 8);
  EXPECT_FALSE(s.Timer1->Enabled());
  // The clock ran on through the pause: the test ended at time-up.
  EXPECT_NEAR(s.StopTime - s.StartTime, 60.25f, 0.01f);
}

TEST_F(PauseTest, NoAudioCommandsWithoutAudio) {
  LoadText(0);
  正式測驗& s = StartScreen();
  sched.Advance(1000);
  s.Image2_Click();
  plat::forms::get<run::是否暫離>().Command1_Click();
  EXPECT_TRUE(Audio(s).log.isEmpty());
}

TEST_F(PauseTest, TheUserCannotCloseTheScreens) {
  LoadText(0);
  正式測驗& s = StartScreen();
  s.close();
  EXPECT_TRUE(s.isVisible());
  EXPECT_FALSE(s.IsUnloaded());
  sched.Advance(1000);
  s.Image2_Click();
  auto& pause = plat::forms::get<run::是否暫離>();
  pause.close();  // closing the dialog continues
  EXPECT_EQ(common::TestRunState.get(), 3);
  EXPECT_FALSE(pause.IsUnloaded());
  EXPECT_TRUE(s.isVisible());
}

// Typed "abc", Enter, "def", paused, continued, typed "XY": the second line
// is "defXY", whether the pause ends by its button or by the window
// manager's close.
class ResumeTest : public PauseTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ResumeTest, TheCaretIsWhereItWasAndNothingIsSelected) {
  LoadText(0);
  正式測驗& s = StartScreen();
  QCoreApplication::processEvents();
  sched.Advance(1000);
  Type(s.TB[0], "abc");
  Key(s.TB[0], Qt::Key_Return);
  Type(s.TB[1], "def");
  ASSERT_EQ(s.CurBox, 1);
  s.Image2_Click();
  auto& pause = plat::forms::get<run::是否暫離>();
  ASSERT_TRUE(pause.isVisible());
  if (GetParam()) {
    pause.close();
  } else {
    pause.Command2_Click();
  }
  QCoreApplication::processEvents();
  ASSERT_TRUE(s.isVisible());
  EXPECT_FALSE(s.TB[1]->hasSelectedText());
  EXPECT_EQ(s.TB[1]->cursorPosition(), 3);
  Type(s.TB[1], "XY");
  EXPECT_EQ(s.TB[0]->text(), "abc");
  EXPECT_EQ(s.TB[1]->text(), "defXY");
}

INSTANTIATE_TEST_SUITE_P(ByButtonOrClose, ResumeTest, ::testing::Bool());

// ---------------------------------------------------------------------------
// Audio parts

class AudioTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting705.set(0);
    common::Setting704.set(3);
    common::Setting208.set(0);
  }
};

TEST_F(AudioTest, ADuePartIsOpenedOnlyWhenItsDelayIsOverAndPlays) {
  LoadText(1, {20000});
  正式測驗& s = StartScreen();
  sched.Advance(2900);
  // Not opened during its delay: a player opened long before its play
  // loses the start of the part.
  EXPECT_TRUE(Audio(s).log.filter("OPEN").isEmpty());
  EXPECT_TRUE(Audio(s).plays.isEmpty());
  EXPECT_GT(s.AudioDue, 0);
  sched.Advance(300);  // more than 3 s after it fell due
  ASSERT_EQ(Audio(s).plays.size(), 1);
  EXPECT_EQ(Audio(s).plays[0].openedAtMs, Audio(s).plays[0].atMs);
  EXPECT_EQ(Audio(s).plays[0].fromMs, 0);
  EXPECT_EQ(s.AudioDue, 0);
  sched.Advance(5000);
  EXPECT_EQ(Audio(s).plays.size(), 1);
  EXPECT_EQ(Audio(s).log.filter("OPEN").size(), 1);
  EXPECT_EQ(Audio(s).mode(), plat::kModePlaying);
}

TEST_F(AudioTest, APartThatArrivesLateIsPlayedOnceItIsThere) {
  LoadText(1, {2000});
  // Part 2 is still being fetched: there 30 s from now.
  const QString part2 = root + "Data/T0001-02.wma";
  FakeFiles().append({part2, 3000, plat::clock().MonotonicMs() + 30000});
  正式測驗& s = StartScreen();
  sched.Advance(10000);
  EXPECT_EQ(s.PartNo, 2);
  EXPECT_GT(s.AudioDue, 0);  // still due
  EXPECT_EQ(Audio(s).plays.size(), 1);
  sched.Advance(21000);
  ASSERT_EQ(Audio(s).plays.size(), 2);
  EXPECT_EQ(Audio(s).plays[1].file, part2.toLower());
  EXPECT_EQ(s.AudioDue, 0);
}

TEST_F(AudioTest, TheLastPartSchedulesNothing) {
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = StartScreen();
  sched.Advance(40000);
  EXPECT_EQ(Audio(s).plays.size(), 3);
  EXPECT_EQ(s.PartNo, 3);
  EXPECT_EQ(s.AudioDue, 0);
  EXPECT_EQ(Audio(s).mode(), plat::kModeStopped);
}

TEST_F(AudioTest, TheCaretTakesThePartAlongWhenSetSo) {
  LoadText(2, {20000, 20000, 20000});
  正式測驗& s = StartScreen();
  sched.Advance(4000);
  ASSERT_EQ(Audio(s).plays.size(), 1);
  Key(s.TB[0], Qt::Key_Down);
  Key(s.TB[1], Qt::Key_Down);  // line 2 starts paragraph 2
  EXPECT_EQ(s.PartNo, 2);
  EXPECT_EQ(Audio(s).mode(), plat::kModeStopped);
  sched.Advance(3200);
  ASSERT_EQ(Audio(s).plays.size(), 2);
  EXPECT_TRUE(Audio(s).plays[1].file.endsWith("t0001-02.wma"));
  EXPECT_EQ(Audio(s).plays[1].fromMs, 0);
  EXPECT_EQ(Audio(s).plays[1].openedAtMs, Audio(s).plays[1].atMs);
}

TEST_F(AudioTest, ResumeAfterAPauseBetweenPartsDoesNotReplayTheFinishedOne) {
  LoadText(1, {2000, 2000});
  正式測驗& s = StartScreen();
  sched.Advance(5500);  // part 1 over, part 2 due
  ASSERT_EQ(s.PartNo, 2);
  s.Image2_Click();
  plat::forms::get<run::是否暫離>().Command2_Click();
  sched.Advance(3200);
  ASSERT_EQ(Audio(s).plays.size(), 2);
  EXPECT_TRUE(Audio(s).plays[1].file.endsWith("t0001-02.wma"));
  EXPECT_EQ(s.PartNo, 2);
}

}  // namespace
}  // namespace runtest
