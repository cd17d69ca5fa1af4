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

// A clock that moves only when told to.
class FakeClock : public Clock {
 public:
  explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 3, 5), QTime(9, 0, 0)));
  double SecondsSinceMidnight() const override;
  QDateTime Now() const override;
  qint64 MonotonicMs() const override { return mono_; }
  void Advance(qint64 ms);
  void Set(const QDateTime& t) { now_ = t; }

 private:
  QDateTime now_;
  qint64 mono_ = 1000000;
};

Clock& clock();
// Installs a clock (not owned); nullptr restores the system clock.
void SetClock(Clock* c);

}  // namespace plat
