#pragma once
// 背景 and 全螢幕黑景: controlless backdrops that sit behind the countdown and
// the test screen (which is shown owned by 背景), so the desktop does not show
// through during a test. They take no focus and ask to be kept below; and
// since a window manager may still lift a full-screen window over ordinary
// ones, every window of the program is owned by 背景, which is owned by
// 全螢幕黑景: owned windows always stand above their owners.
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

// Shows both backdrops, 背景 over 全螢幕黑景, and makes 背景 the owner of
// every form shown without one.
void ShowBackdrops();

}  // namespace run
