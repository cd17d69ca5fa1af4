#pragma once
// Time as the programs see it. Injectable so tests control it.
#include <QDateTime>

namespace plat {

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since midnight, with fractions (the platform timer).
  virtual double SecondsSinceMidnight() const;
  virtual QDateTime Now() const;
  // Milliseconds from an arbitrary origin; never jumps, never wraps at
  // midnight. Every elapsed-time measure uses it.
  virtual qint64 MonotonicMs() const;
};

Clock& clock();
// Installs a clock (not owned); nullptr restores the system clock.
void SetClock(Clock* c);

}  // namespace plat
