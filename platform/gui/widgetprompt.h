#pragma once
// The prompt interface on real windows: message boxes over QMessageBox, the
// file-open and colour dialogs over QFileDialog and QColorDialog. The
// programs install it at start (plat::SetPrompt); tests keep FakePrompt.
// A message box is named "MessageBox", its buttons by their answer ("Ok",
// "Cancel", "Yes", "No", "Retry", "Abort", "Ignore"). A click, Enter or a
// plain Space answers a box; a chord with Ctrl, Alt or Meta does not.
#include <QMessageBox>
#include <QString>

#include "platform/core/prompt.h"

namespace plat {

class WidgetPrompt : public Prompt {
 public:
  Answer Ask(const QString& text, const QString& title, Buttons buttons = Buttons::Ok,
             Icon icon = Icon::None) override;
  // filter: either the Windows "Text (*.txt)|*.txt|All|*.*" pairs or Qt's
  // own "Text (*.txt);;All (*)"; patterns match in any letter case.
  QString OpenFile(const QString& title, const QString& folder, const QString& filter) override;
  QString PickFolder(const QString& title, const QString& folder) override;
  // The buttons are named "Choice0", "Choice1" ... in order (and found by
  // their texts too).
  int Choose(const QString& text, const QString& title, const QStringList& choices, Icon icon) override;
  int PickColour(int initial) override;
  QString InputText(const QString& text, const QString& title, const QString& initial) override;
};

// Every message box of the programs is made here, the waiting ones and the
// notices that wait for nothing: plain text, and a title (BoxTitle).
QMessageBox* NewMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* owner);

// "Desc|*.txt;*.ttt|All|*.*" -> "Desc (*.txt *.TXT *.ttt *.TTT);;All (*)".
QString QtFileFilter(const QString& filter);

// The colour of a 0x00BBGGRR value, and back.
unsigned ColourFromBgr(int bgr, bool* ok = nullptr);  // 0xAARRGGBB
int BgrFromRgb(unsigned argb);

}  // namespace plat
