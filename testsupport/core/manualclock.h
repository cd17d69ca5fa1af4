#pragma once
// A test screen clock that is set, advanced and also jumped back by hand.
#include "exam/run/core/test_clock.h"

namespace run {

class ManualClock : public TestClock {
 public:
  explicit ManualClock(double s = 36000) : now_(s) {}
  double SecondsSinceMidnight() const override { return now_; }
  void Set(double s) { now_ = s; }
  void Advance(double s) { now_ += s; }

 private:
  double now_;
};

}  // namespace run
