#pragma once
// FrmToWait, the countdown between the set-up screen and the test screen. It
// also looks for the first parts' audio files, and hurries once one is
// there.
#include <cstdint>

#include "platform/gui/form.h"

class QLabel;
class QProgressBar;

namespace plat {
class FormTimer;
}

namespace run {

class FrmToWait : public plat::Form {
 public:
  FrmToWait();

  // Seconds still to wait; the caller sets it before the show.
  std::uint8_t Sw = 0;

  plat::FormTimer* Timer1;
  QProgressBar* ProgressBar1;
  QLabel* Label1;
  QLabel* Label2;

  std::uint8_t PollTick = 0;
  std::uint8_t ProbePart = 0;

  void Timer1_Timer();

 protected:
  void Form_Load() override;
  void Form_Activate() override;

 private:
  void ShowTestScreen();
};

}  // namespace run
