#pragma once
// Small helpers of the batch scorer's windows: controls named and placed in
// twips as designed, and the two result colours.
#include <QColor>
#include <QLabel>
#include <QWidget>
#include <functional>

#include "platform/gui/twips.h"

namespace batchui {

// Places a control in twips and keeps the box on it, so the layout reads
// back exactly (pixels round).
void PlaceTwips(QWidget* w, const plat::TwipsBox& box);
// The box last placed (else taken from the geometry).
plat::TwipsBox BoxTwips(const QWidget* w);
void SetTopTwips(QWidget* w, int top);

template <class W>
W* MakeControl(QWidget* form, const char* name, const plat::TwipsBox& box) {
  auto* w = new W(form);
  w->setObjectName(QString::fromUtf8(name));
  PlaceTwips(w, box);
  return w;
}

// A label with a designed caption, shown as plain text.
QLabel* MakeLabel(QWidget* form, const char* name, const plat::TwipsBox& box, const char* caption = "");

// Runs a handler; a failure inside it goes to the run log under the
// handler's name and never ends the program.
void Trap(const char* procedure, const std::function<void()>& handler);

inline const QColor kRed(255, 0, 0);
inline const QColor kBlue(0, 0, 255);

void SetForeColour(QWidget* w, const QColor& c);
void SetBackColour(QWidget* w, const QColor& c);
QColor BackColour(const QWidget* w);

}  // namespace batchui
