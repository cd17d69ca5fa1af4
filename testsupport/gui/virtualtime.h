#pragma once
// Virtual time, so a ten-minute test runs in milliseconds.
#include <functional>

#include "platform/gui/formtimer.h"
#include "testsupport/core/fakes.h"

namespace plat {

// Virtual time for tests. Installs a FakeClock as plat::clock() (its own or
// the one given) and takes over every FormTimer until destroyed.
class VirtualScheduler : public TimerDriver {
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
  qint64 Now() const override { return now_; }
  FakeClock& Clock() { return *clock_; }
  int Ticks() const { return ticks_; }

  static VirtualScheduler* Current();

 private:
  FormTimer* NextDue(qint64 limit) const;
  void MoveTo(qint64 t);

  FakeClock own_;
  FakeClock* clock_;
  plat::Clock* previousClock_;
  qint64 now_ = 0;
  int ticks_ = 0;
};

}  // namespace plat
