#pragma once
// Test doubles of the sound seams: a beeper that counts, a mixer that
// records its starts.
#include <QString>

#include "platform/media/sound.h"

namespace plat {

class FakeBeeper : public Beeper {
 public:
  void Beep() override { ++beeps; }
  int beeps = 0;
};

class FakeMixer : public Mixer {
 public:
  bool Start(QString* why) override {
    if (!available) {
      if (why) *why = QStringLiteral("找不到音量控制程式。");
      return false;
    }
    ++starts;
    return true;
  }
  int starts = 0;
  bool available = true;
};

}  // namespace plat
