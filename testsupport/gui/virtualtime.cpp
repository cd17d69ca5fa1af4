#include "testsupport/gui/virtualtime.h"

namespace plat {

namespace {
VirtualScheduler* g_current = nullptr;
}

VirtualScheduler::VirtualScheduler(FakeClock* clock)
    : clock_(clock ? clock : &own_), previousClock_(&plat::clock()) {
  SetClock(clock_);
  g_current = this;
  SetTimerDriver(this);
}

VirtualScheduler::~VirtualScheduler() {
  g_current = nullptr;
  SetClock(previousClock_);
  SetTimerDriver(nullptr);
}

VirtualScheduler* VirtualScheduler::Current() { return g_current; }

FormTimer* VirtualScheduler::NextDue(qint64 limit) const {
  FormTimer* best = nullptr;
  for (FormTimer* t : FormTimer::All()) {
    if (!t->Running() || t->firing_ || t->due_ > limit) continue;
    if (!best || t->due_ < best->due_ || (t->due_ == best->due_ && t->seq_ < best->seq_)) best = t;
  }
  return best;
}

void VirtualScheduler::MoveTo(qint64 t) {
  if (t <= now_) return;
  clock_->Advance(t - now_);
  now_ = t;
}

void VirtualScheduler::Advance(qint64 ms) {
  const qint64 target = now_ + (ms > 0 ? ms : 0);
  while (FormTimer* t = NextDue(target)) {
    MoveTo(t->due_);
    t->due_ = now_ + t->interval_;  // a handler that changes the timer resets this
    ++ticks_;
    t->Fire();
  }
  MoveTo(target);
}

bool VirtualScheduler::RunUntil(const std::function<bool()>& done, qint64 maxMs) {
  const qint64 limit = now_ + maxMs;
  while (!done()) {
    FormTimer* t = NextDue(limit);
    if (!t) {
      MoveTo(limit);
      return done();
    }
    Advance(t->due_ - now_);
  }
  return true;
}

}  // namespace plat
