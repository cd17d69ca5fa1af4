#pragma once
// 背景 and 全螢幕黑景: controlless backdrops that sit behind the program's
// screens, so the desktop does not show through during a test. To the
// window manager they are the desktop's own windows: every other window
// stands above them, they take no focus, have no taskbar entry and refuse
// its close (plat::Form::MakeBackdrop).
#include "platform/gui/form.h"

namespace common {

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

// Shows both backdrops, 背景 over 全螢幕黑景.
void ShowBackdrops();

}  // namespace common
