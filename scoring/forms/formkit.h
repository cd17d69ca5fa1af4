#pragma once
// Small helpers the scorer's windows share: controls placed in twips (the
// twips are kept on the control, so layout is read back exactly), texts of
// the store and the standard refusal box.
#include <QString>
#include <QWidget>

#include "common/store.h"
#include "platform/gui/controls.h"

namespace scorer {

// The store's text of a number (empty when the settings file gives none).
using common::StoreText;

// Controls named and placed in twips: the platform's.
using plat::BoxTwips;
using plat::MakeControl;
using plat::PlaceTwips;
using plat::SetLeftTwips;
using plat::SetSizeTwips;
using plat::SetTopTwips;

// A refusal: the text, OK only, titled text 14001.
void ShowRefusal(const QString& text);

// Colours given as Windows gives them, 0x00BBGGRR.
void SetBackColour(QWidget* w, unsigned bgr);
void SetForeColour(QWidget* w, unsigned bgr);

}  // namespace scorer
