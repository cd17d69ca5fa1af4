#pragma once
// The buttons of a window are pressed by a click, Enter or a plain Space
// only. A chord with Ctrl, Alt or Meta presses none, nor Space with Shift:
// an input method's keys (Ctrl+Space, Shift+Space, Super+Space) or a
// mnemonic must not answer a box the candidate did not mean to answer.
#include <Qt>

class QWidget;

namespace plat {

// True for a key that would press a button but comes as a chord, which
// presses none.
bool IsChordOnAButtonKey(int key, Qt::KeyboardModifiers modifiers);

// Guards the window (where an unhandled Enter reaches its default button)
// and every button in it now; buttons added later need another call.
void PlainKeysPressButtons(QWidget* window);

}  // namespace plat
