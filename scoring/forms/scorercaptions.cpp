#include "scoring/forms/scorercaptions.h"

#include "common/gui/formtext.h"

namespace scorer {

using common::ParseFormCaptions;

const QList<common::FormCaptions>& ScorerCaptionTable() {
  static const QList<common::FormCaptions> table = {
      ParseFormCaptions(kLiaisonForm, QStringLiteral("frmLiaison"), "Label1..5 Command1",
                        {"10800 . Caption", "10801 Label1..5 Caption", "10806 Command1 Caption"}),
      ParseFormCaptions(kWhoAmIForm, QStringLiteral("我是誰"), "Label1..5",
                        {"11100 . Caption", "11101 Label1..5 Caption"}),
      ParseFormCaptions(kSheetForm, QStringLiteral("成績單"),
                        "Label1..13 Label15 Command1..6 Text1 Text12 Text2 Text15 TEXT4 Text13",
                        {"11500 . Caption", "11501 Label1..13 Caption", "11514 Label15 Caption",
                         "11515 Command1..6 Caption", "11527 Command1..6 ToolTip"}),
      ParseFormCaptions(kHostDialogForm, QStringLiteral("Dialog"), "Label1 OKButton CancelButton",
                        {"11600 . Caption", "11601 Label1 Caption", "11602 OKButton Caption",
                         "11603 CancelButton Caption"}),
      ParseFormCaptions(kForm3, QStringLiteral("Form3"), "Label1", {"11700 . Caption", "11701 Label1 Caption"}),
      ParseFormCaptions(kClientForm, QStringLiteral("frmClient"), "Command1..4",
                        {"11800 . Caption", "11801 Command1..4 Caption"}),
      // The continue question borrows the set-up screen's and the pause
      // dialog's button texts, so its buttons read the same as theirs.
      ParseFormCaptions(kContinueForm, QStringLiteral("直續測驗"), "Label1 Label6 Command1..3",
                        {"11900 . Caption", "11901 Label1 Caption", "11902 Label6 Caption",
                         "10111 Command1 Caption", "11202 Command2 Caption", "10119 Command3 Caption",
                         "10123 Command1 ToolTip", "10124 Command2 ToolTip", "10131 Command3 ToolTip"}),
      ParseFormCaptions(kEndForm, QStringLiteral("是否結束"), "Command1..3 Label1",
                        {"12000 . Caption", "12001 Command1..3 Caption", "12004 Label1 Caption"}),
      ParseFormCaptions(kPrintingForm, QStringLiteral("處理列印中"), "Label1",
                        {"12100 . Caption", "12101 Label1 Caption"}),
      ParseFormCaptions(kSavingForm, QStringLiteral("處理存檔"), "Label1",
                        {"12200 . Caption", "12201 Label1 Caption"}),
      ParseFormCaptions(kEntryForm, QStringLiteral("輸入資料"), "Command1..3 Command7 Command8",
                        {"12300 . Caption", "12301 Command1..3 Caption", "12304 Command7 Caption",
                         "12305 Command8 Caption"}),
  };
  return table;
}

const common::FormCaptions* ScorerCaptions(int formNumber) {
  return common::FindFormCaptions(ScorerCaptionTable(), formNumber);
}

void ApplyFormText(int formNumber, QWidget* form) { common::ApplyFormText(ScorerCaptionTable(), formNumber, form); }

}  // namespace scorer
