#pragma once
// The score sheet's two notices: 處理存檔 copies the run's files to a
// removable drive a moment after it is shown; 處理列印中 stays up while the
// typed-text report prints. Both close themselves on their timer and refuse
// a close from the window manager; however they unload, the sheet is given
// back, enabled.
#include <QLabel>

#include "common/gui/printingnotice.h"
#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"

namespace scorer {

class 處理存檔 : public plat::Form {
 public:
  處理存檔();

  QLabel* Label1;
  plat::FormTimer* Timer1;  // 2000 ms

  void Timer1_Timer();
  bool started = false;

 protected:
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Unload(int& cancel) override;
};

// The shared printing notice in the scorer's design.
class 處理列印中 : public common::處理列印中 {
 public:
  處理列印中();

 protected:
  void Form_Load() override;
  void Form_Unload(int& cancel) override;
};

// Whether one of the two notices is up (the sheet waits for it).
bool NoticeUp();

}  // namespace scorer
