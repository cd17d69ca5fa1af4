#pragma once
// Form timers. Each is a QTimer in the running program; while a
// VirtualScheduler is installed (tests) no QTimer runs and the scheduler
// fires the timers in due order as it advances virtual time, so a ten-minute
// test takes milliseconds.
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "platform/core/clock.h"

namespace plat {

class FormTimer : public QObject {
  Q_OBJECT

 public:
  // A timer is enabled with interval 0 (not ticking) until told otherwise.
  explicit FormTimer(QObject* parent = nullptr, const QString& name = QString());
  ~FormTimer() override;

  // Milliseconds; 0 stops the ticks. A change restarts the count.
  void SetInterval(int ms);
  int Interval() const { return interval_; }
  // Turning a timer on starts a fresh count; on again when on changes nothing.
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }
  bool Running() const { return enabled_ && interval_ > 0; }

  // The tick handler (Timer1_Timer). A tick does not re-enter its handler;
  // a failure inside it is reported (handler.h) and the timer goes on.
  std::function<void()> Tick;

  // Every timer alive, in creation order.
  static QList<FormTimer*> All();
  static void StopAll();
  static int RunningCount();

 private:
  friend class VirtualScheduler;
  void Sync();
  void Fire();

  QTimer timer_;
  int interval_ = 0;
  bool enabled_ = true;
  bool firing_ = false;
  qint64 due_ = 0;  // virtual time of the next tick
  quint64 seq_ = 0;
};

// Virtual time for tests. Installs a FakeClock as plat::clock() (its own or
// the one given) and takes over every FormTimer until destroyed.
class VirtualScheduler {
 public:
  explicit VirtualScheduler(FakeClock* clock = nullptr);
  ~VirtualScheduler();
  VirtualScheduler(const VirtualScheduler&) = delete;
  VirtualScheduler& operator=(const VirtualScheduler&) = delete;

  // Moves virtual time on by ms, firing each due tick at its own moment (the
  // clock reads that moment inside the handler); ties go in creation order.
  void Advance(qint64 ms);
  // Advances tick by tick until done() holds or maxMs passed; true when done.
  bool RunUntil(const std::function<bool()>& done, qint64 maxMs);
  // Virtual milliseconds since the scheduler was installed.
  qint64 Now() const { return now_; }
  FakeClock& Clock() { return *clock_; }
  int Ticks() const { return ticks_; }

  static VirtualScheduler* Current();

 private:
  friend class FormTimer;
  FormTimer* NextDue(qint64 limit) const;
  void MoveTo(qint64 t);

  FakeClock own_;
  FakeClock* clock_;
  plat::Clock* previousClock_;
  qint64 now_ = 0;
  int ticks_ = 0;
};

}  // namespace plat
