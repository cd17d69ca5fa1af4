#include "batch/forms/captions.h"

#include "common/gui/formtext.h"

namespace batchui {

using common::ParseFormCaptions;

const QList<common::FormCaptions>& BatchCaptionTable() {
  static const QList<common::FormCaptions> table = {
      ParseFormCaptions(kLiaisonForm, QStringLiteral("frmLiaison"), "Label1..5 Command1",
                        {"10800 . Caption", "10801 Label1..5 Caption", "10806 Command1 Caption"}),
      // The main window's rows are not in text order: the caption labels
      // take the scorer's heading texts, the contact button the set-up
      // screen's. (Two-digit names are spelt out: a range drops the zero.)
      ParseFormCaptions(
          kDisplayForm, QStringLiteral("Display"),
          "Label01,Label02,Label03,Label04,Label05,Label06,Label07,Label08,Label09 "
          "Label10..12 Label14 Command1..3 Label1",
          {"12400 . Caption", "13934 Label01 Caption", "13936 Label02 Caption", "13935 Label03 Caption",
           "13948 Label04 Caption", "13947 Label05 Caption", "13938 Label06 Caption",
           "13941 Label07,Label08,Label09 Caption", "13944 Label10,Label11,Label12 Caption", "13937 Label14 Caption",
           "12402 Command1,Command2 Caption", "10119 Command3 Caption", "12401 Label1 Caption"}),
      ParseFormCaptions(kClientForm, QStringLiteral("frmClient"), "Command1..4",
                        {"11800 . Caption", "11801 Command1..4 Caption"}),
      ParseFormCaptions(kPrintingForm, QStringLiteral("處理列印中"), "Label1",
                        {"12100 . Caption", "12101 Label1 Caption"}),
  };
  return table;
}

const common::FormCaptions* BatchCaptions(int formCode) {
  return common::FindFormCaptions(BatchCaptionTable(), formCode);
}

void ApplyFormText(int formCode, QWidget* form) { common::ApplyFormText(BatchCaptionTable(), formCode, form); }

}  // namespace batchui
