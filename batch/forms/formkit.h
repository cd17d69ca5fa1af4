#pragma once
// Small helpers of the batch scorer's windows: controls named and placed in
// twips as designed, and the two result colours.
#include <QColor>
#include <QLabel>
#include <functional>

#include "platform/gui/controls.h"

namespace batchui {

// Controls named and placed in twips, and their colours: the platform's.
using plat::BackColour;
using plat::BoxTwips;
using plat::MakeControl;
using plat::PlaceTwips;
using plat::SetBackColour;
using plat::SetForeColour;
using plat::SetTopTwips;

// A label with a designed caption, shown as plain text.
QLabel* MakeLabel(QWidget* form, const char* name, const plat::TwipsBox& box, const char* caption = "");

// Runs a handler; a failure inside it goes to the run log under the
// handler's name and never ends the program.
void Trap(const char* procedure, const std::function<void()>& handler);

inline const QColor kRed(255, 0, 0);
inline const QColor kBlue(0, 0, 255);

}  // namespace batchui
