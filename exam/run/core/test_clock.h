#pragma once
// The test screen's clock and its arithmetic: seconds since midnight as the
// test sees them, the clock display, the warning beeps and the time-up and
// clock-went-back checks. No window here; the screen calls these.
#include <QString>

namespace run {

// "Now" for the test screen, in seconds since midnight.
class TestClock {
 public:
  virtual ~TestClock() = default;
  virtual double SecondsSinceMidnight() const = 0;
};

// The wall clock read once, at the anchor, and run on from there with the
// monotonic clock: it never goes back and never wraps at midnight, so a test
// that crosses midnight keeps counting (times past 86400 follow).
class AnchoredClock : public TestClock {
 public:
  AnchoredClock() { Anchor(); }
  // Takes the wall clock's seconds since midnight now (the screen's load).
  void Anchor();
  double SecondsSinceMidnight() const override;

 private:
  double wall0_ = 0;
  long long mono0_ = 0;
};

// Minutes and seconds as the clock shows them ("00" each).
struct ClockFace {
  QString minutes;
  QString seconds;
};

// Count up shows the elapsed time, count down the time left. The value is
// rounded to whole seconds (halves to even) before it is split, so the two
// fields always agree (59.6 s reads 01:00); below zero reads 00:00.
ClockFace ShowClock(float elapsed, float duration, bool countUp);
// The first face at the start: the whole length counting down, or zero.
ClockFace StartFace(float duration, bool countUp);

// Timer1 counts the clock as gone back when t <= elapsed - 1; Timer2 and
// CheckTimeUp use the strict form t < elapsed - 1.
bool ClockWentBack(float t, float elapsed, bool strict);

// Beeps of one Timer1 tick: the one-minute warning (setting 211: that many
// beeps plus one, each tick of the two seconds around a minute before the
// end) and the final warning (setting 212: one beep a tick in the last so
// many seconds). 0 turns a warning off.
int WarningBeeps(float elapsed, float duration, int setting211, int setting212);

// Seconds of test from the minutes box, read as the set-up's Start reads it
// (rec::TestMinutes); `ok` false when the box does not hold whole minutes in
// range (the caller then falls back on the set-up's default length).
float DurationFromMinutes(const QString& minutesText, bool* ok);

// The platform's number-to-text of a Single: a leading blank for a value
// that is not negative ("Str").
QString StrSingle(double v);

}  // namespace run
