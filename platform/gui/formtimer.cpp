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
TimerDriver* g_driver = nullptr;

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
  if (g_driver) {
    timer_.stop();
    if (Running()) due_ = g_driver->Now() + interval_;
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
    if (t->Running() && (g_driver || t->timer_.isActive())) ++n;
  return n;
}

void SetTimerDriver(TimerDriver* driver) {
  g_driver = driver;
  for (FormTimer* t : timers()) t->Sync();
}

}  // namespace plat
