#pragma once
// The scorer's caption table: forms 8, 11 and 15 to 23. Each of the
// scorer's forms calls ApplyFormText with its number from its load handler;
// fonts come first, then the texts in the table's order.
#include <QList>

#include "common/gui/captiontable.h"

class QWidget;

namespace scorer {

// Form numbers of the scorer's windows.
enum FormNumber : int {
  kLiaisonForm = 8,    // frmLiaison
  kWhoAmIForm = 11,    // 我是誰
  kSheetForm = 15,     // 成績單
  kHostDialogForm = 16,
  kForm3 = 17,
  kClientForm = 18,    // frmClient
  kContinueForm = 19,  // 直續測驗
  kEndForm = 20,       // 是否結束
  kPrintingForm = 21,  // 處理列印中
  kSavingForm = 22,    // 處理存檔
  kEntryForm = 23,     // 輸入資料
};

const QList<common::FormCaptions>& ScorerCaptionTable();
// nullptr for a number the scorer has no table for.
const common::FormCaptions* ScorerCaptions(int formNumber);

// Applies the scorer's table of form `formNumber` to `form`; any other
// number does nothing.
void ApplyFormText(int formNumber, QWidget* form);

}  // namespace scorer
