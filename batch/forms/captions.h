#pragma once
// The batch scorer's caption table: forms 8 (frmLiaison), 15 (Display), 18
// (frmClient) and 21 (處理列印中). Each window calls ApplyFormText with its
// code first thing in its load handler: the locale font on the window and
// the listed controls, then the texts in the table's order.
#include <QList>

#include "common/gui/captiontable.h"

class QWidget;

namespace batchui {

enum FormCode : int {
  kLiaisonForm = 8,
  kDisplayForm = 15,
  kClientForm = 18,
  kPrintingForm = 21,
};

const QList<common::FormCaptions>& BatchCaptionTable();
// nullptr for a code the batch scorer has no table for.
const common::FormCaptions* BatchCaptions(int formCode);

// Applies the block of `formCode` to `form`; any other code does nothing.
void ApplyFormText(int formCode, QWidget* form);

}  // namespace batchui
