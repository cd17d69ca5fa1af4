#include "exam/run/core/keycodes.h"

#include "common/hotkeys.h"

namespace run {

namespace {

// Keys that are not printing keys, by their Qt code.
int ControlKey(int k) {
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
  switch (k) {
    case Qt::Key_Backspace: return kVkBack;
    case Qt::Key_Tab: case Qt::Key_Backtab: return kVkTab;
    case Qt::Key_Return: case Qt::Key_Enter: return kVkReturn;
    case Qt::Key_Shift: return kVkShift;
    case Qt::Key_Control: return kVkControl;
    case Qt::Key_Alt: return kVkMenu;
    case Qt::Key_Escape: return kVkEscape;
    case Qt::Key_Space: return kVkSpace;
    case Qt::Key_PageUp: return kVkPrior;
    case Qt::Key_PageDown: return kVkNext;
    case Qt::Key_End: return kVkEnd;
    case Qt::Key_Home: return kVkHome;
    case Qt::Key_Left: return kVkLeft;
    case Qt::Key_Up: return kVkUp;
    case Qt::Key_Right: return kVkRight;
    case Qt::Key_Down: return kVkDown;
    case Qt::Key_Insert: return kVkInsert;
    case Qt::Key_Delete: return kVkDelete;
    default: return 0;
  }
}

}  // namespace

int VirtualKeyCode(int qtKey, Qt::KeyboardModifiers mods, unsigned nativeScanCode) {
  (void)mods;
  if (const int vk = ControlKey(qtKey)) return vk;
  // Printing keys by their position (the hot-key table's codes).
  return common::VirtualKeyFromEvent(nativeScanCode, qtKey);
}

int ShiftMask(Qt::KeyboardModifiers mods) {
  int m = 0;
  if (mods & Qt::ShiftModifier) m |= 1;
  if (mods & Qt::ControlModifier) m |= 2;
  if (mods & Qt::AltModifier) m |= 4;
  return m;
}

}  // namespace run
