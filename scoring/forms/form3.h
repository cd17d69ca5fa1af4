#pragma once
// Form3: the small window the candidate sees while one record is scored. It
// loads the record named in the entry form, runs the scoring on its first
// activation, lets its message turn red for a moment and hands over to the
// score sheet; when the record cannot be loaded or scored it gives the
// entry form back. It closes only itself: a close from the window manager
// would lose the sheet and the delivery.
#include <QLabel>
#include <QProgressBar>

#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"

namespace scorer {

class Form3 : public plat::Form {
 public:
  Form3();
  ~Form3() override;

  QLabel* Label1;
  QProgressBar* ProgressBar1;
  plat::FormTimer* Timer1;  // 250 ms

  void Timer1_Timer();

  bool loadedFlag = false;   // the record was loaded
  bool scoringStarted = false;
  int ticks = 0;

 protected:
  void Form_Load() override;
  void Form_Activate() override;

 private:
  void Score();
};

}  // namespace scorer
