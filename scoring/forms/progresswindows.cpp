#include "scoring/forms/progresswindows.h"

#include "common/accessors.h"
#include "common/errorlog.h"
#include "platform/gui/twips.h"
#include "scoring/engine/recordlist.h"
#include "scoring/forms/formkit.h"
#include "scoring/forms/scorercaptions.h"
#include "scoring/forms/scoresheet.h"

namespace scorer {

namespace {

// The notices work for the sheet and close on their own tick: a close from
// the window manager would leave the sheet disabled and the save undone.
void Notice(plat::Form* form, QLabel* label, int width, int height) {
  form->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  form->SetRefusesWindowManagerClose(true);
  SetSizeTwips(form, width, height);
  form->setFixedSize(form->size());
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
}

template <class F>
bool Up() {
  if (!plat::forms::exists<F>()) return false;
  const F& f = plat::forms::get<F>();
  return f.IsLoaded() && !f.IsUnloaded();
}

}  // namespace

bool NoticeUp() { return Up<處理存檔>() || Up<處理列印中>(); }

處理存檔::處理存檔()
    : Form(QStringLiteral("處理存檔")),
      Label1(MakeControl<QLabel>(this, "Label1", {120, 240, 4510, 600})),
      Timer1(new plat::FormTimer(this, QStringLiteral("Timer1"))) {
  Label1->setText(QStringLiteral("成績存檔中，請稍候．．．"));
  Notice(this, Label1, 4750, 1160);
  Timer1->SetInterval(2000);
  Timer1->SetEnabled(false);
  Timer1->Tick = [this] { Timer1_Timer(); };
}

void 處理存檔::Form_Load() {
  ApplyFormText(kSavingForm, this);
  setWindowTitle(common::ProductTitle.get());
  plat::CentreOnScreen(this);
}

void 處理存檔::Form_Activate() {
  if (started) return;
  started = true;
  Timer1->SetEnabled(true);
}

void 處理存檔::Timer1_Timer() {
  if (!started) return;
  // Stopped first: the copy may ask Retry/Cancel, and a tick must not copy
  // again from inside that box.
  Timer1->SetEnabled(false);
  try {
    scoring::CopyTestRecordFiles();
  } catch (...) {
    // The notice closes and the sheet returns all the same.
    common::LogTrappedError(QStringLiteral("CopyTestRecordFiles"), common::CurrentAppError(QStringLiteral("score")));
  }
  started = false;
  Hide();
  Unload();
}

void 處理存檔::Form_Unload(int&) { GiveSheetBack(); }

處理列印中::處理列印中() : common::處理列印中({{120, 300, 4130, 600}, true, false}) {}

void 處理列印中::Form_Load() {
  ApplyFormText(kPrintingForm, this);
  setWindowTitle(common::ProductTitle.get());
  plat::CentreOnScreen(this);
}

void 處理列印中::Form_Unload(int&) { GiveSheetBack(); }

}  // namespace scorer
