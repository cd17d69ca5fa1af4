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

namespace plat {

class TimerDriver;

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
  friend class VirtualScheduler;  // tests' virtual time (testsupport/gui/virtualtime.h)
  friend void SetTimerDriver(TimerDriver* driver);
  void Sync();
  void Fire();

  QTimer timer_;
  int interval_ = 0;
  bool enabled_ = true;
  bool firing_ = false;
  qint64 due_ = 0;  // virtual time of the next tick
  quint64 seq_ = 0;
};

// While a driver is installed (tests: virtual time) no QTimer runs: a timer
// that starts counting is due at the driver's Now() plus its interval, and the
// driver fires it. nullptr gives the timers back to their QTimers.
class TimerDriver {
 public:
  virtual ~TimerDriver() = default;
  virtual qint64 Now() const = 0;
};
void SetTimerDriver(TimerDriver* driver);

}  // namespace plat
