// A whole test, headless, on virtual time: countdown, the parts in order,
// typing, a pause, time-up, the record and the scorer's start.
#include <QElapsedTimer>
#include <QFileInfo>

#include "exam/record/testrecord.h"
#include "exam/run/forms/countdown.h"
#include "exam/run/forms/pausedialog.h"
#include "exam/run/forms/processing.h"
#include "exam/run/forms/tests/run_fixture.h"

namespace runtest {
namespace {

using run::正式測驗;

class FlowTest : public RunTest {};

TEST_F(FlowTest, ATenMinuteTestFromCountdownToScorer) {
  QElapsedTimer wall;
  wall.start();
  common::Setting705.set(0);  // the clock starts with the screen
  common::Setting704.set(3);
  common::Setting208.set(0);  // the single layout: sixteen typing boxes
  LoadText();
  NameRecord();

  auto& wait = plat::forms::get<run::FrmToWait>();
  wait.Sw = 5;
  wait.Show();
  const qint64 t0 = sched.Now();
  ASSERT_TRUE(sched.RunUntil([] { return plat::forms::exists<正式測驗>() && plat::forms::get<正式測驗>().isVisible(); },
                             10000));
  EXPECT_EQ(sched.Now() - t0, 5000);
  EXPECT_FALSE(wait.isVisible());
  正式測驗& s = plat::forms::get<正式測驗>();
  EXPECT_EQ(common::TestRunState.get(), 1);
  EXPECT_TRUE(s.ClockStarted);
  EXPECT_FLOAT_EQ(s.Duration, 600.0f);
  EXPECT_EQ(s.TimeMinute->text(), "00");  // counting up by default

  // Part 1 opens on the first tick and plays once its 3 s delay has passed.
  auto& audio = Audio(s);
  sched.Advance(3200);
  ASSERT_EQ(audio.plays.size(), 1);
  EXPECT_TRUE(audio.plays[0].file.endsWith("t0001-01.wma"));

  // The candidate types a line, splits it, and goes on below.
  Type(Box(s), "abcdef");
  EXPECT_EQ(s.TB[0]->text(), "abcdef");
  s.TB[0]->setCursorPosition(3);
  Key(s.TB[0], Qt::Key_Return);
  EXPECT_EQ(s.CurBox, 1);
  EXPECT_EQ(s.TB[0]->text(), "abc");
  EXPECT_EQ(s.TB[1]->text(), "def");
  Commit(Box(s), "中文");  // an input method's commit types character by character
  EXPECT_EQ(s.TB[1]->text(), "中文def");

  // Parts follow each other: part 1 (5 s) ends, part 2 starts 3 s later.
  sched.Advance(9000);
  ASSERT_GE(audio.plays.size(), 2);
  EXPECT_TRUE(audio.plays[1].file.endsWith("t0001-02.wma"));
  EXPECT_EQ(s.PartNo, 2);
  EXPECT_NEAR(audio.plays[1].atMs - audio.plays[0].atMs, 5000 + 3000 + 100, 150);

  // A page down saves the page; the typed lines are in the buffer.
  Key(Box(s), Qt::Key_PageDown);
  EXPECT_EQ(rec::testRecordModule().lines.AnswerLines[0], "abc");
  EXPECT_EQ(rec::testRecordModule().lines.AnswerLines[1], "中文def");
  EXPECT_EQ(rec::testRecordModule().lines.FirstVisibleLine, 6);  // not past the six lines
  Key(Box(s), Qt::Key_PageUp);
  EXPECT_EQ(s.TB[1]->text(), "中文def");

  // A pause of 30 s, then continue: the clock goes on where it stopped.
  sched.Advance(100000 - (sched.Now() - t0) + 5000);
  const float before = s.Elapsed;
  s.Image2_Click();
  EXPECT_EQ(common::TestRunState.get(), 8);
  EXPECT_FALSE(s.isVisible());
  auto& pause = plat::forms::get<run::是否暫離>();
  EXPECT_TRUE(pause.isVisible());
  EXPECT_FALSE(s.Timer1->Enabled());
  sched.Advance(30000);
  pause.Command2_Click();
  EXPECT_EQ(common::TestRunState.get(), 3);
  EXPECT_TRUE(s.isVisible());
  sched.Advance(100);
  EXPECT_NEAR(s.Elapsed, before + 0.1f, 0.05f);

  // On to time-up: 600 s of test, the first tick past it ends the test.
  const int beepsBefore = beeper.beeps;
  ASSERT_TRUE(sched.RunUntil([] { return common::TestRunState.get() == 8; }, 700000));
  EXPECT_GT(s.Elapsed, 600.0f);
  EXPECT_LT(s.Elapsed, 600.2f);
  EXPECT_TRUE(s.HandedOver);
  EXPECT_FALSE(s.isVisible());
  // One-minute warning (4 beeps on ~20 ticks) and the last 10 s (~100 ticks).
  EXPECT_GT(beeper.beeps - beepsBefore, 150);
  auto& proc = plat::forms::get<run::處理下>();
  EXPECT_TRUE(proc.isVisible());
  EXPECT_TRUE(s.TB[0]->isReadOnly());

  // The processing screen writes the record at about 6.6 s and ends at 10.2 s.
  ASSERT_TRUE(sched.RunUntil([&] { return app.ends > 0; }, 20000));
  EXPECT_EQ(common::TestRunState.get(), 9);
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls[0].program, root + "score");
  EXPECT_EQ(launcher.calls[0].arguments, QStringList({recordPath + "," + root + "Tavrel"}));

  rec::TestRecordContent rc;
  QString err;
  ASSERT_TRUE(rec::ReadTestRecordFile(recordPath, rc, &err)) << err.toStdString();
  EXPECT_EQ(rc.typedLines.value(0), "abc");
  EXPECT_EQ(rc.typedLines.value(1), "中文def");
  const double start = rc.Value(rec::RecordKey::STARTIME).value_or("0").toDouble();
  const double end = rc.Value(rec::RecordKey::END_TIME).value_or("0").toDouble();
  EXPECT_NEAR(end - start, 600, 1.0);  // the paused 30 s do not count
  EXPECT_LT(wall.elapsed(), 5000);
}

}  // namespace
}  // namespace runtest
