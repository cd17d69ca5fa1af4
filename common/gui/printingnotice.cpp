#include "common/gui/printingnotice.h"

#include "platform/gui/controls.h"
#include "platform/gui/twips.h"

namespace common {

處理列印中::處理列印中(const Design& d, const plat::HandlerErrorSink& report)
    : Form(QStringLiteral("處理列印中")),
      Label1(plat::MakeControl<QLabel>(this, "Label1", d.label)),
      Timer1(new plat::FormTimer(this, QStringLiteral("Timer1"))) {
  setWindowFlags(d.titleButtonsShown ? Qt::Dialog | Qt::WindowTitleHint
                                     : Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  // A close from the window manager would leave the sheet waiting.
  SetRefusesWindowManagerClose(true);
  plat::SetSizeTwips(this, 4370, 1360);
  setFixedSize(size());
  Label1->setTextFormat(Qt::PlainText);
  Label1->setText(QStringLiteral("成績列印中，請稍候．．．"));
  Label1->setAlignment(Qt::AlignCenter);
  Label1->setWordWrap(d.wrap);
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(false);
  Timer1->Tick = [this, report] {
    plat::RunHandler(QStringLiteral("Timer1_Timer"), [this] { Timer1_Timer(); }, report);
  };
}

void 處理列印中::Form_Activate() {
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(true);
  ticks_ = 0;
}

void 處理列印中::Timer1_Timer() {
  if (Timer1->Enabled() && ticks_ < 5) {
    ++ticks_;
    return;
  }
  Timer1->SetEnabled(false);
  Hide();
  Unload();
}

}  // namespace common
