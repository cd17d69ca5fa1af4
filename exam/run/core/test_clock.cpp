#include "exam/run/core/test_clock.h"

#include <QTime>
#include <cmath>

#include "platform/core/clock.h"
#include "platform/core/compat.h"
#include "exam/record/setupvalues.h"

namespace run {

void AnchoredClock::Anchor() {
  wall0_ = plat::clock().SecondsSinceMidnight();
  mono0_ = plat::clock().MonotonicMs();
}

double AnchoredClock::SecondsSinceMidnight() const {
  return wall0_ + static_cast<double>(plat::clock().MonotonicMs() - mono0_) / 1000.0;
}

namespace {

QString TwoDigits(long long v) { return plat::FormatNumber(static_cast<double>(v), u"00"); }

ClockFace Face(double value) {
  long long s = plat::RoundHalfEven(value).value_or(0);
  if (s < 0) s = 0;
  return {TwoDigits(s / 60), TwoDigits(s % 60)};
}

}  // namespace

ClockFace ShowClock(float elapsed, float duration, bool countUp) {
  if (countUp) return Face(elapsed);
  const float r = duration - elapsed;
  return Face(r);
}

ClockFace StartFace(float duration, bool countUp) {
  if (countUp) return {QStringLiteral("00"), QStringLiteral("00")};
  return Face(duration);
}

bool ClockWentBack(float t, float elapsed, bool strict) {
  const float limit = elapsed - 1.0f;
  return strict ? t < limit : t <= limit;
}

int WarningBeeps(float elapsed, float duration, int setting211, int setting212) {
  int beeps = 0;
  if (setting211 > 0 && duration - 61.0f < elapsed && elapsed < duration - 59.0f) beeps += setting211 + 1;
  if (setting212 > 0 && elapsed > duration - static_cast<float>(setting212)) beeps += 1;
  return beeps;
}

float DurationFromMinutes(const QString& minutesText, bool* ok) {
  // The set-up's own reading of the box, so the test runs what Start checked.
  const std::optional<int> minutes = rec::TestMinutes(minutesText);
  if (ok) *ok = minutes.has_value();
  return minutes ? static_cast<float>(*minutes) * 60.0f : 0.0f;
}

QString StrSingle(double v) {
  const QString t = plat::NumberText(static_cast<double>(static_cast<float>(v)), 7);
  return t.startsWith(u'-') ? t : u' ' + t;
}

}  // namespace run
