#pragma once
// Small helpers of the batch scorer's windows: controls named and placed in
// twips as designed, and the two result colours.
#include <QColor>
#include <QLabel>
#include <exception>

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

// Where the batch scorer's handlers report a failure (plat::RunHandler):
// the run log, under the handler's name without its window's.
void ReportToRunLog(const QString& procedure, std::exception_ptr error);

inline const QColor kRed(255, 0, 0);
inline const QColor kBlue(0, 0, 255);

}  // namespace batchui
