#pragma once
// A repeating tick that tests can drive by hand: the session code starts and
// stops it like a form timer; the real one is a QTimer.
#include <QTimer>
#include <functional>

namespace net {

class Ticker {
 public:
  virtual ~Ticker() = default;
  virtual void Start(int intervalMs) = 0;  // (re)starts; the first tick comes one interval later
  virtual void Stop() = 0;
  virtual bool IsActive() const = 0;
  std::function<void()> onTick;
};

class QtTicker : public Ticker {
 public:
  QtTicker() {
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
      if (onTick) onTick();
    });
  }
  void Start(int intervalMs) override { timer_.start(intervalMs); }
  void Stop() override { timer_.stop(); }
  bool IsActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

}  // namespace net
