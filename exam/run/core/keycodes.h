#pragma once
// Qt key events as the typing boxes' rules see them: the Windows virtual-key
// code of the key (by its unshifted position) and the modifier bits
// (1 Shift, 2 Ctrl, 4 Alt).
#include <Qt>

namespace run {

enum VirtualKey : int {
  kVkBack = 8,
  kVkTab = 9,
  kVkReturn = 13,
  kVkShift = 16,
  kVkControl = 17,
  kVkMenu = 18,
  kVkEscape = 27,
  kVkSpace = 32,
  kVkPrior = 33,  // Page Up
  kVkNext = 34,   // Page Down
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkInsert = 45,
  kVkDelete = 46,
  kVkProcessKey = 229,  // what the input method's keys reach the box as
};

// 0 for a key that has no code here. nativeScanCode is the X11/evdev key code
// (0 when unknown, as in offscreen tests); it gives the key's position on a
// US layout, whatever the symbol the layout or Shift produced.
int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers mods, unsigned nativeScanCode = 0);

int ShiftMask(Qt::KeyboardModifiers mods);

}  // namespace run
