#include "exam/run/forms/countdown.h"

#include <QLabel>
#include <QProgressBar>

#include "common/accessors.h"
#include "common/gui/formtext.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/twips.h"
#include "platform/media/sound.h"
#include "exam/record/recordmodule.h"
#include "common/gui/backdrop.h"
#include "exam/run/core/run_services.h"
#include "exam/run/forms/testscreen.h"

namespace run {

FrmToWait::FrmToWait() : Form(QStringLiteral("FrmToWait")) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(plat::TwipsToPixels(5400), plat::TwipsToPixels(1800));
  Label1 = new QLabel(QStringLiteral("處理中，請稍候．．．"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setTextVisible(false);
  plat::SetTwipsGeometry(Label1, {240, 240, 3900, 400});
  plat::SetTwipsGeometry(Label2, {4200, 240, 900, 400});
  plat::SetTwipsGeometry(ProgressBar1, {240, 900, 4900, 360});
  Timer1 = new plat::FormTimer(this, QStringLiteral("Timer1"));
  Timer1->SetEnabled(false);
  Timer1->Tick = [this] { Timer1_Timer(); };
}

void FrmToWait::Form_Load() {
  common::ApplyFormText(9, this);
  setWindowTitle(common::ProductTitle.get());
  Label2->setText(QString::number(Sw));
  ProbePart = 0;
  PollTick = 0;
  plat::CentreOnScreen(this);
}

void FrmToWait::Form_Activate() {
  if (Sw == 0) {
    // Nothing to wait for: straight on to the test.
    if (!Timer1->Enabled()) ShowTestScreen();
    return;
  }
  if (Timer1->Enabled()) return;  // counting already: a return to the window changes nothing
  ProgressBar1->setValue(0);
  ProgressBar1->setMaximum(Sw);
  Timer1->SetInterval(1000);
  Timer1->SetEnabled(true);
}

void FrmToWait::ShowTestScreen() {
  ProgressBar1->setValue(ProgressBar1->maximum());
  Hide();
  plat::forms::get<正式測驗>().Show(plat::ShowMode::Modeless, &plat::forms::get<common::背景>());
  Sw = 0;
  Timer1->SetEnabled(false);
}

void FrmToWait::Timer1_Timer() {
  if (Sw > 0) {
    --Sw;
    ProgressBar1->setValue(ProgressBar1->value() + 1);
  }
  if (Sw == 0) ShowTestScreen();
  if (PollTick <= 6) {
    ++PollTick;
    return;
  }
  ++ProbePart;
  const QString file = rec::testRecordModule().ParagraphAudioFile(ProbePart);
  if (AudioFileExists(file)) {
    Timer1->SetInterval(160);
    plat::beeper().Beep();
  } else if (ProbePart > 1) {
    ProbePart = 0;
  }
  PollTick = 0;
}

}  // namespace run
