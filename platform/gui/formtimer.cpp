#include "platform/gui/formtimer.h"

#include "platform/gui/form.h"
#include "platform/gui/handler.h"

namespace plat {

namespace {

QList<FormTimer*>& timers() {
  static QList<FormTimer*> t;
  return t;
}

quint64 g_seq = 0;
VirtualScheduler* g_virtual = nullptr;

}  // namespace

FormTimer::FormTimer(QObject* parent, const QString& name) : QObject(parent), seq_(++g_seq) {
  if (!name.isEmpty()) setObjectName(name);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { Fire(); });
  timers().append(this);
}

FormTimer::~FormTimer() { timers().removeAll(this); }

void FormTimer::SetInterval(int ms) {
  if (ms < 0) ms = 0;
  if (ms == interval_) return;
  interval_ = ms;
  Sync();
}

void FormTimer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  Sync();
}

void FormTimer::Sync() {
  if (g_virtual) {
    timer_.stop();
    if (Running()) due_ = g_virtual->Now() + interval_;
    return;
  }
  if (Running() && !app().Ending()) {
    timer_.start(interval_);
  } else {
    timer_.stop();
  }
}

void FormTimer::Fire() {
  if (firing_ || !Running() || app().Ending()) return;
  firing_ = true;
  RunHandler(objectName().isEmpty() ? QStringLiteral("Timer_Timer") : objectName() + QStringLiteral("_Timer"), Tick);
  firing_ = false;
}

QList<FormTimer*> FormTimer::All() { return timers(); }

void FormTimer::StopAll() {
  const QList<FormTimer*> all = timers();
  for (FormTimer* t : all) t->SetEnabled(false);
}

int FormTimer::RunningCount() {
  int n = 0;
  for (FormTimer* t : timers())
    if (t->Running() && (g_virtual || t->timer_.isActive())) ++n;
  return n;
}

// ---- virtual time -----------------------------------------------------------

VirtualScheduler::VirtualScheduler(FakeClock* clock)
    : clock_(clock ? clock : &own_), previousClock_(&plat::clock()) {
  SetClock(clock_);
  g_virtual = this;
  for (FormTimer* t : timers()) t->Sync();
}

VirtualScheduler::~VirtualScheduler() {
  g_virtual = nullptr;
  SetClock(previousClock_);
  for (FormTimer* t : timers()) t->Sync();
}

VirtualScheduler* VirtualScheduler::Current() { return g_virtual; }

FormTimer* VirtualScheduler::NextDue(qint64 limit) const {
  FormTimer* best = nullptr;
  for (FormTimer* t : timers()) {
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
