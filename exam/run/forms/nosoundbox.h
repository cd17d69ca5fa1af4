#pragma once
// NoSoundBox: the sound output went away during the test. The candidate is
// asked to call the proctor, who mends it and presses 重試, or goes on
// without sound (取消). The box stands over the test screen, which waits
// meanwhile, and goes by itself once the sound is back.
#include <QString>

#include "platform/gui/form.h"

class QLabel;
class QPushButton;

namespace run {

// The text of the no-sound boxes, at the start and during the test (where
// the candidate is also told that the clock waits).
QString NoSoundMessage(const QString& why, bool clockWaits = false);

class NoSoundBox : public plat::Form {
 public:
  NoSoundBox();

  QLabel* Message;
  QPushButton* Retry;   // 重試
  QPushButton* Cancel;  // 取消

  void SetReason(const QString& why);
  void Retry_Click();
  void Cancel_Click();

 protected:
  void Form_Load() override;
};

}  // namespace run
