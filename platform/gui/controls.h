#pragma once
// Controls of a form as the designs give them: named, placed in twips, and
// coloured. The box set in twips is kept on the control, so the layout reads
// back exactly where pixels would round it.
#include <QColor>
#include <QString>
#include <QWidget>

#include "platform/gui/twips.h"

namespace plat {

// Places a control in twips and keeps the box on it.
void PlaceTwips(QWidget* w, const TwipsBox& box);
// The box last set through these functions: its position while the control
// still stands at that position's pixels, its size while it still has that
// size's pixels; what was changed by other means is read from the geometry.
TwipsBox BoxTwips(const QWidget* w);
// Move one edge or resize, keeping the rest of the box.
void SetTopTwips(QWidget* w, int top);
void SetLeftTwips(QWidget* w, int left);
// A window keeps its place on the screen: only its size changes.
void SetSizeTwips(QWidget* w, int width, int height);

// A control of a form, named as the design names it.
template <class W>
W* MakeControl(QWidget* form, const QString& name, const TwipsBox& box) {
  auto* w = new W(form);
  w->setObjectName(name);
  PlaceTwips(w, box);
  return w;
}
template <class W>
W* MakeControl(QWidget* form, const char* name, const TwipsBox& box) {
  return MakeControl<W>(form, QString::fromUtf8(name), box);
}

// The text colour, of labels, boxes and buttons alike.
void SetForeColour(QWidget* w, const QColor& c);
// The background, filled.
void SetBackColour(QWidget* w, const QColor& c);
QColor BackColour(const QWidget* w);

}  // namespace plat
