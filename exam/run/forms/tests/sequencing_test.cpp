// The parts of a test in order, each once, whole, from its start: opened
// right as it plays, whenever Play is pressed, whatever the delay, and
// across pauses in a part, at its end and between parts.
#include "platform/core/clock.h"
#include "exam/run/forms/pausedialog.h"
#include "exam/run/forms/tests/run_fixture.h"

namespace runtest {
namespace {

using run::正式測驗;

struct Case {
  const char* name;
  int s705;
  int s704;
  QList<qint64> lengths;
  // Drives the screen once it shows; the test then runs to its end.
  std::function<void(正式測驗&, plat::FakeAudioDevice&, plat::VirtualScheduler&)> drive;
};

void PauseFor(正式測驗& s, plat::VirtualScheduler& sched, qint64 ms) {
  s.Image2_Click();
  sched.Advance(ms);
  plat::forms::get<run::是否暫離>().Command2_Click();
}

const QList<Case>& Cases() {
  static const QList<Case> cases = {
      {"AutomaticStart", 0, 3, {5000, 4000, 6000}, nullptr},
      {"NoDelay", 0, 0, {5000, 4000, 6000}, nullptr},
      {"PlayPressedSecondsAfterTheScreenShows", 1, 3, {5000, 4000, 6000},
       [](正式測驗&, plat::FakeAudioDevice& a, plat::VirtualScheduler& sched) {
         sched.Advance(5400);
         EXPECT_TRUE(a.plays.isEmpty());
         a.pressPlay();
         ASSERT_EQ(a.plays.size(), 1);
         EXPECT_EQ(a.plays[0].openedAtMs, a.plays[0].atMs);
       }},
      {"PauseInAPart", 0, 3, {5000, 4000, 6000},
       [](正式測驗& s, plat::FakeAudioDevice& a, plat::VirtualScheduler& sched) {
         sched.Advance(4500);  // part 1 plays from 3.1 s
         s.Image2_Click();
         EXPECT_EQ(a.mode(), plat::kModePaused);  // silent at once
         const qint64 at = a.position();
         sched.Advance(20000);
         plat::forms::get<run::是否暫離>().Command2_Click();
         // It goes on where it stopped, not from its start.
         ASSERT_EQ(a.plays.size(), 2);
         EXPECT_EQ(a.plays[1].fromMs, at);
       }},
      {"PauseJustAfterAPartEnded", 0, 3, {4500, 4000, 6000},
       [](正式測驗& s, plat::FakeAudioDevice& a, plat::VirtualScheduler& sched) {
         // Part 1 ends at 7.6 s; the screen notices at its next position
         // report, at 8.1 s. The pause comes in between.
         sched.Advance(7800);
         ASSERT_EQ(a.ends.size(), 1);
         ASSERT_EQ(s.PartNo, 1);
         PauseFor(s, sched, 10000);
         const qint64 resumed = plat::clock().MonotonicMs();
         sched.Advance(2900);
         EXPECT_EQ(a.plays.size(), 1);  // nothing of part 1 again
         sched.Advance(300);
         ASSERT_EQ(a.plays.size(), 2);
         EXPECT_NEAR(a.plays[1].atMs - resumed, 3100, 100);  // the usual delay
       }},
      {"PauseBetweenParts", 0, 3, {5000, 4000, 6000},
       [](正式測驗& s, plat::FakeAudioDevice& a, plat::VirtualScheduler& sched) {
         sched.Advance(9500);  // part 1 over, part 2 due
         ASSERT_EQ(s.PartNo, 2);
         ASSERT_EQ(a.plays.size(), 1);
         PauseFor(s, sched, 10000);
       }},
      {"PauseBeforeTheFirstPlay", 1, 3, {5000, 4000, 6000},
       [](正式測驗& s, plat::FakeAudioDevice& a, plat::VirtualScheduler& sched) {
         sched.Advance(2000);
         PauseFor(s, sched, 5000);
         sched.Advance(5000);
         EXPECT_TRUE(a.plays.isEmpty());  // still waits for Play
         a.pressPlay();
         sched.Advance(4000);
         // Pressed once: not started again after the delay.
         EXPECT_EQ(a.plays.size(), 1);
       }},
  };
  return cases;
}

class SequencingTest : public RunTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting208.set(0);
    run::SetupScreenValues().minutes = "1";
  }
};

TEST_P(SequencingTest, EachPartOnceWholeFromItsStartInOrder) {
  const Case& c = Cases().at(GetParam());
  common::Setting705.set(c.s705);
  common::Setting704.set(c.s704);
  LoadText(1, c.lengths);
  正式測驗& s = StartScreen();
  plat::FakeAudioDevice& a = Audio(s);
  if (c.drive) c.drive(s, a, sched);
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 200000));

  QStringList parts;
  for (int p = 1; p <= c.lengths.size(); ++p)
    parts << (root + QString("Data/T0001-%1.wma").arg(p, 2, 10, QChar('0'))).toLower();
  QStringList fromStart;
  qint64 lastStart = -1;
  for (const auto& p : a.plays) {
    if (p.fromMs != 0) continue;
    fromStart << p.file;
    EXPECT_EQ(p.openedAtMs, p.atMs) << "opened before it played: " << p.file.toStdString();
    EXPECT_GT(p.atMs, lastStart);
    lastStart = p.atMs;
  }
  EXPECT_EQ(fromStart.join(u' ').toStdString(), parts.join(u' ').toStdString());
  // Each to its end, once.
  EXPECT_EQ(a.ends.join(u' ').toStdString(), parts.join(u' ').toStdString());
}

INSTANTIATE_TEST_SUITE_P(Cases, SequencingTest, ::testing::Range(0, static_cast<int>(Cases().size())),
                         [](const ::testing::TestParamInfo<int>& i) { return Cases().at(i.param).name; });

}  // namespace
}  // namespace runtest
