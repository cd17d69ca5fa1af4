#pragma once
// Small helpers the scorer's windows share: controls placed in twips (the
// twips are kept on the control, so layout is read back exactly), texts of
// the store and the standard refusal box.
#include <QString>
#include <QWidget>

#include "platform/gui/twips.h"

namespace scorer {

// The store's text of a number (empty when the settings file gives none).
QString StoreText(int id);

// Places a control in twips and remembers the box on it.
void PlaceTwips(QWidget* w, const plat::TwipsBox& box);
// Moves a control's top, keeping the rest of its box.
void SetTopTwips(QWidget* w, int top);
void SetLeftTwips(QWidget* w, int left);
void SetSizeTwips(QWidget* w, int width, int height);
// The box last set through the functions above (else from the geometry).
plat::TwipsBox BoxTwips(const QWidget* w);

// A control of a form, named as the design names it.
template <class W>
W* MakeControl(QWidget* form, const char* name, const plat::TwipsBox& box) {
  auto* w = new W(form);
  w->setObjectName(QString::fromUtf8(name));
  PlaceTwips(w, box);
  return w;
}

// A refusal: the text, OK only, titled text 14001.
void ShowRefusal(const QString& text);

// Windows colours are 0x00BBGGRR.
void SetBackColour(QWidget* w, unsigned bgr);
void SetForeColour(QWidget* w, unsigned bgr);

}  // namespace scorer
