#include "platform/core/clock.h"

#include <QElapsedTimer>

namespace plat {

double Clock::SecondsSinceMidnight() const {
  QTime t = QTime::currentTime();
  return t.msecsSinceStartOfDay() / 1000.0;
}

QDateTime Clock::Now() const { return QDateTime::currentDateTime(); }

qint64 Clock::MonotonicMs() const {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.elapsed();
}

namespace {
Clock* g_clock = nullptr;
}

Clock& clock() {
  static Clock system;
  return g_clock ? *g_clock : system;
}

void SetClock(Clock* c) { g_clock = c; }

}  // namespace plat
