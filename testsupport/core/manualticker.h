#pragma once
// A ticker that ticks only when the test says so.
#include "net/core/ticker.h"

namespace net {

class ManualTicker : public Ticker {
 public:
  void Start(int intervalMs) override {
    active_ = true;
    interval = intervalMs;
  }
  void Stop() override { active_ = false; }
  bool IsActive() const override { return active_; }
  // One tick, when running; returns whether it ticked.
  bool Fire() {
    if (!active_ || !onTick) return false;
    onTick();
    return true;
  }
  int interval = 0;

 private:
  bool active_ = false;
};

}  // namespace net
