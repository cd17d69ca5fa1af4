// The test screen's window-free arithmetic: clock faces, warnings, the
// clock-went-back rule, the rhythm watch and the key codes.
#include <gtest/gtest.h>

#include "platform/core/clock.h"
#include "exam/run/core/keycodes.h"
#include "exam/run/core/rhythm_watch.h"
#include "exam/run/core/test_clock.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

namespace {

using run::ShowClock;

struct FaceCase {
  float elapsed;
  float duration;
  bool up;
  const char* face;
};

TEST(ClockFace, RoundsOnceThenSplits) {
  const FaceCase cases[] = {
      {0.0f, 600.0f, true, "00:00"},
      {59.4f, 600.0f, true, "00:59"},
      {59.6f, 600.0f, true, "01:00"},    // minutes follow the rounded seconds
      {125.2f, 600.0f, true, "02:05"},
      {0.0f, 600.0f, false, "10:00"},
      {540.55f, 600.0f, false, "00:59"}, // 59.45 left
      {540.45f, 600.0f, false, "01:00"}, // 59.55 left
      {599.6f, 600.0f, false, "00:00"},  // under half a second left
      {600.7f, 600.0f, false, "00:00"},  // past the end: never negative
      {3599.7f, 7200.0f, true, "60:00"},
  };
  for (const auto& c : cases) {
    const auto f = ShowClock(c.elapsed, c.duration, c.up);
    EXPECT_EQ(f.minutes + ":" + f.seconds, QString(c.face)) << c.elapsed << " " << c.up;
  }
  EXPECT_EQ(run::StartFace(600, false).minutes, "10");
  EXPECT_EQ(run::StartFace(90, false).seconds, "30");
  EXPECT_EQ(run::StartFace(600, true).minutes, "00");
}

TEST(ClockFace, HalvesGoToEven) {
  EXPECT_EQ(ShowClock(58.5f, 600, true).seconds, "58");
  EXPECT_EQ(ShowClock(59.5f, 600, true).seconds, "00");  // 60 -> 01:00
  EXPECT_EQ(ShowClock(59.5f, 600, true).minutes, "01");
}

TEST(Warnings, OneMinuteAndFinalWindows) {
  // 211 = 3: four beeps a tick strictly inside 61..59 s before the end.
  EXPECT_EQ(run::WarningBeeps(538.9f, 600, 3, 10), 0);
  EXPECT_EQ(run::WarningBeeps(539.1f, 600, 3, 10), 4);
  EXPECT_EQ(run::WarningBeeps(540.9f, 600, 3, 10), 4);
  EXPECT_EQ(run::WarningBeeps(541.0f, 600, 3, 10), 0);
  EXPECT_EQ(run::WarningBeeps(540.0f, 600, 0, 10), 0);
  // 212 = 10: one a tick in the last ten seconds.
  EXPECT_EQ(run::WarningBeeps(590.0f, 600, 3, 10), 0);
  EXPECT_EQ(run::WarningBeeps(590.1f, 600, 3, 10), 1);
  EXPECT_EQ(run::WarningBeeps(599.9f, 600, 3, 0), 0);
  // Both at once when the final window reaches back a minute.
  EXPECT_EQ(run::WarningBeeps(540.0f, 600, 3, 61), 5);
}

TEST(ClockWentBack, TimerOneIsLooserThanTheOthers) {
  EXPECT_TRUE(run::ClockWentBack(9.0f, 10.0f, false));
  EXPECT_FALSE(run::ClockWentBack(9.0f, 10.0f, true));
  EXPECT_TRUE(run::ClockWentBack(8.9f, 10.0f, true));
  EXPECT_FALSE(run::ClockWentBack(9.5f, 10.0f, false));  // a small step back is tolerated
  EXPECT_FALSE(run::ClockWentBack(10.1f, 10.0f, false));
}

TEST(Duration, FromTheMinutesBox) {
  bool ok = false;
  EXPECT_FLOAT_EQ(run::DurationFromMinutes("10", &ok), 600.0f);
  EXPECT_TRUE(ok);
  EXPECT_FLOAT_EQ(run::DurationFromMinutes(" 3 ", &ok), 180.0f);
  EXPECT_TRUE(ok);
  for (const char* bad : {"", "abc", "10分", "3x", "1,5", "2.5"}) {
    run::DurationFromMinutes(bad, &ok);
    EXPECT_FALSE(ok) << bad;
  }
}

TEST(AnchoredClock, RunsOnPastMidnight) {
  plat::FakeClock fc(QDateTime(QDate(2026, 3, 5), QTime(23, 59, 50)));
  testsupport::Seams seams;
  seams.Set(plat::SetClock, &fc);
  run::AnchoredClock c;
  EXPECT_DOUBLE_EQ(c.SecondsSinceMidnight(), 86390.0);
  fc.Advance(25000);  // the wall clock wraps to 00:00:15
  EXPECT_DOUBLE_EQ(c.SecondsSinceMidnight(), 86415.0);
}

TEST(StrSingle, LeadingBlankForPositives) {
  EXPECT_EQ(run::StrSingle(36000.5), " 36000.5");
  EXPECT_EQ(run::StrSingle(-2), "-2");
  EXPECT_EQ(run::StrSingle(0), " 0");
}

// ---- rhythm watch -------------------------------------------------------

// The count runs over k = 0..RingPos and so always takes in the pair of
// the two slots after the last noted moment: both are still 0 in a fresh
// window, which counts as one equal pair.
TEST(RhythmWatch, EqualHundredthsCountAsPairs) {
  run::RhythmWatch w;
  w.Reset(100.0f);
  int len = 1;
  run::RhythmWatch::Step s;
  for (int k = 0; k < 3; ++k) s = w.Record(100.5f, len++);
  EXPECT_EQ(w.RingPos(), 3);
  EXPECT_EQ(s.count, 3);  // 0-1, 1-2 and the two empty slots 3-4
  s = w.Record(100.51f, len++);  // another hundredth breaks the run
  EXPECT_EQ(s.count, 3);
  EXPECT_FLOAT_EQ(w.Interval(3), 0.51f);
  EXPECT_EQ(w.Interval(3), run::RhythmWatch::Hundredths(0.509f));
}

TEST(RhythmWatch, OnlyLengthChangesAreNoted) {
  run::RhythmWatch w;
  w.Reset(10.0f);
  w.Record(10.3f, 4);
  w.Record(10.4f, 4);  // the same previous length as last noted
  EXPECT_EQ(w.RingPos(), 1);
  w.Record(10.5f, 0);
  EXPECT_EQ(w.RingPos(), 2);
}

TEST(RhythmWatch, AWindowEndsAfterTwoSeconds) {
  run::RhythmWatch w;
  w.Reset(10.0f);
  w.Record(11.0f, 1);
  auto s = w.Record(12.01f, 2);
  EXPECT_TRUE(s.reset);
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(w.RingPos(), 0);
  EXPECT_FLOAT_EQ(w.WindowStart(), 12.01f);
  s = w.Record(12.02f, 3);  // measured from the new start
  EXPECT_FALSE(s.reset);
  EXPECT_FLOAT_EQ(w.Interval(0), 0.01f);
}

TEST(RhythmWatch, RingStartsOverAfterThirtySixWithoutNoting) {
  run::RhythmWatch w;
  w.Reset(0.0f);
  for (int k = 1; k <= 36; ++k) w.Record(0.01f * static_cast<float>(k), k);
  EXPECT_EQ(w.RingPos(), 36);
  w.Record(1.5f, 100);  // the 37th change: back to 0, nothing noted
  EXPECT_EQ(w.RingPos(), 0);
  EXPECT_FLOAT_EQ(w.Interval(0), 0.01f);
  w.Record(1.6f, 101);  // the next overwrites entry 0
  EXPECT_EQ(w.RingPos(), 1);
  EXPECT_FLOAT_EQ(w.Interval(0), 1.6f);
}

TEST(RhythmWatch, TwentySevenPairsPassALimitOfTwentySix) {
  // n equal moments give n - 1 pairs, plus the pair of empty slots.
  for (int moments : {25, 26}) {
    run::RhythmWatch w;
    w.Reset(0.0f);
    run::RhythmWatch::Step s;
    for (int k = 1; k <= moments; ++k) s = w.Record(0.37f, k);
    EXPECT_EQ(s.count, moments);
    EXPECT_EQ(static_cast<float>(s.count) > 26.0f, false);
    s = w.Record(0.37f, 1000);
    EXPECT_EQ(static_cast<float>(s.count) > 26.0f, moments == 26) << moments;
  }
}

TEST(RhythmWatch, DiagnosticLine) {
  EXPECT_EQ(run::RhythmLine(3, 5, 4, 1.2345f, 2, "abcde"), "3<A>5<B>4<->001.235 2 5abcde");
}

// ---- key codes ------------------------------------------------------------

TEST(KeyCodes, NavigationAndPrintingKeys) {
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Return, {}), 13);
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Enter, Qt::KeypadModifier), 13);
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_PageUp, {}), 33);
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_PageDown, {}), 34);
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Up, {}), 38);
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Down, {}), 40);
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Delete, {}), 46);
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_R, Qt::ControlModifier), 'R');
  // Shift+1 arrives as "!"; the key is still the "1" key.
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Exclam, Qt::ShiftModifier), '1');
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Colon, Qt::ShiftModifier), 186);
  // With a scan code, the position decides (X11 code 10 is the "1" key).
  EXPECT_EQ(run::VirtualKeyCode(Qt::Key_Exclam, Qt::ShiftModifier, 10), '1');
  EXPECT_EQ(run::ShiftMask(Qt::ShiftModifier | Qt::AltModifier), 5);
  EXPECT_EQ(run::ShiftMask(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier), 7);
  EXPECT_EQ(run::ShiftMask(Qt::KeypadModifier), 0);
}

}  // namespace
