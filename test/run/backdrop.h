#pragma once
// 背景 and 全螢幕黑景: controlless backdrops that sit behind the countdown and
// the test screen (which is shown owned by 背景), so the desktop does not show
// through during a test.
#include "platform/gui/form.h"

namespace run {

// A plain dark backdrop over the screen's work area.
class 背景 : public plat::Form {
 public:
  背景();

 protected:
  void Form_Resize() override {}
};

// A black backdrop over the whole screen.
class 全螢幕黑景 : public plat::Form {
 public:
  全螢幕黑景();

 protected:
  void Form_Resize() override {}
};

}  // namespace run
