#pragma once
// The buttons of a window are pressed by a click, Enter or a plain Space
// only. A chord with Ctrl, Alt or Meta presses none: an input method's
// on/off key (Ctrl+Space) or a mnemonic must not answer a box the candidate
// did not mean to answer.
class QWidget;

namespace plat {

// Guards the window (where an unhandled Enter reaches its default button)
// and every button in it now; buttons added later need another call.
void PlainKeysPressButtons(QWidget* window);

}  // namespace plat
