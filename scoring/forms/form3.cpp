#include "scoring/forms/form3.h"

#include <QPointer>

#include "common/errorlog.h"
#include "common/utilities.h"
#include "platform/gui/twips.h"
#include "scoring/engine/scorer.h"
#include "scoring/engine/tables.h"
#include "scoring/forms/dataentry.h"
#include "scoring/forms/delivery.h"
#include "scoring/forms/formkit.h"
#include "scoring/forms/scorercaptions.h"
#include "scoring/forms/scoresheet.h"
#include "scoring/forms/services.h"

namespace scorer {

namespace {

constexpr unsigned kRed = 0x0000FF;      // 0x00BBGGRR
constexpr unsigned kDarkRed = 0x0000AA;  // 170
constexpr int kTicksToSheet = 10;
constexpr int kDone = 99;
constexpr int kWaiting = 120;

// The engine keeps the progress sink of the run for as long as the run
// lives; this one outlives every Form3 and follows the bar that is up.
class BarProgress : public scoring::ProgressSink {
 public:
  void SetValue(int value) override {
    if (!bar) return;
    bar->setValue(value);
    bar->repaint();
  }
  void SetToolTip(const QString& text) override {
    if (bar) bar->setToolTip(text);
  }
  QPointer<QProgressBar> bar;
};

BarProgress& Bar() {
  static BarProgress b;
  return b;
}

void Count(int& ticks) {
  if (ticks < 255) ++ticks;
}

}  // namespace

Form3::Form3()
    : Form(QStringLiteral("Form3")),
      Label1(MakeControl<QLabel>(this, "Label1", {240, 240, 4320, 375})),
      ProgressBar1(MakeControl<QProgressBar>(this, "ProgressBar1", {240, 840, 4320, 300})),
      Timer1(new plat::FormTimer(this, QStringLiteral("Timer1"))) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
  SetRefusesWindowManagerClose(true);
  SetSizeTwips(this, 4800, 1620);
  setFixedSize(size());
  Label1->setText(QStringLiteral("成績評定中，請稍候．．．"));
  Label1->setAlignment(Qt::AlignCenter);
  ProgressBar1->setTextVisible(false);
  Timer1->SetInterval(250);
  Timer1->SetEnabled(false);
  Timer1->Tick = [this] { Timer1_Timer(); };
}

Form3::~Form3() {
  if (Bar().bar == ProgressBar1) Bar().bar = nullptr;
}

void Form3::Form_Load() {
  ApplyFormText(kForm3, this);
  Label1->setText(StoreText(11705));
  plat::CentreOnScreen(this);
  loadedFlag = false;
  ticks = 0;
  Timer1->SetEnabled(false);
  ProgressBar1->setRange(0, 100);
  Bar().bar = ProgressBar1;
  scoring::SetEngineProgress(&Bar());

  // Each load shows the scorer's own line limits in the credits window.
  if (companions().setCreditsLimits)
    companions().setCreditsLimits(QString::number(scoring::kMaxLines), QString::number(scoring::kMaxColumn));
  輸入資料& entry = plat::forms::get<輸入資料>();
  scoring::LoadOutcome out;
  try {
    out = scoring::xZet_LoadData(entry.TFILE->text(), entry.TestFileOverride());
  } catch (...) {
    common::LogTrappedError(QStringLiteral("xZet_LoadData"), common::CurrentAppError(QStringLiteral("score")));
    out.ok = false;
    scoring::ScoreState(0);
  }
  // A record is scored whenever it loaded, however soon after the test (or
  // across midnight) the scorer came up; the time is for the log only.
  common::WriteErrorLog(QStringLiteral("Form3>%1 %2").arg(entry.TFILE->text()).arg(out.elapsedSeconds, 0, 'f', 1));
  if (out.ok) {
    loadedFlag = true;
  } else {
    Timer1->SetEnabled(true);
    Label1->setText(StoreText(11704));
    Label1->repaint();
    entry.setEnabled(true);
  }
}

void Form3::Form_Activate() {
  if (!loadedFlag) {
    Label1->setText(StoreText(11704));
    Label1->repaint();
    Hide();
    return;
  }
  // Only the first activation scores: a box closing or a click that
  // activates the window again must not append a second score record.
  if (!scoringStarted) {
    scoringStarted = true;
    Label1->setText(StoreText(11703));
    Label1->repaint();
    Score();
  }
  Timer1->SetEnabled(true);
}

void Form3::Score() {
  ResetDelivery();  // a new run: nothing of it delivered yet
  scoring::ProcessOutcome out;
  try {
    out = scoring::ProcessScoring();
  } catch (...) {
    common::LogTrappedError(QStringLiteral("ProcessScoring"), common::CurrentAppError(QStringLiteral("score")));
  }
  if (scoring::ScoreState() != kDone) {
    // No result: the entry form comes back and no sheet is shown.
    scoring::ScoreState(0);
    Label1->setText(StoreText(11704));
    Label1->repaint();
    plat::forms::get<輸入資料>().setEnabled(true);
    return;
  }
  if (!out.ok) {
    // The results stand on the sheet; say which files could not be written.
    common::AppError err = common::MakeAppError(common::kPathFileAccess, QStringLiteral("score"));
    err.text += QStringLiteral(" 無法寫入:") + out.failures.join(QStringLiteral(", "));
    common::LogTrappedError(QStringLiteral("ProcessScoring"), err);
    common::ShowErrorMessage(err);
  }
}

void Form3::Timer1_Timer() {
  if (!loadedFlag) {
    Count(ticks);
    if (ticks > kTicksToSheet) {
      Timer1->SetEnabled(false);
      plat::forms::get<輸入資料>().Show();
      ticks = 0;
      Unload();
      loadedFlag = false;
    }
    return;
  }
  const int state = scoring::ScoreState();
  if (state > 70 && ticks > kTicksToSheet) {
    SetForeColour(Label1, kRed);
    Label1->repaint();
    Timer1->SetEnabled(false);
    loadedFlag = false;
    ticks = 0;
    Hide();
    ShowSheet();
    Unload();
  } else if (state > 70) {
    SetForeColour(Label1, kDarkRed);
    Label1->repaint();
    scoring::ScoreState(kWaiting);
    Count(ticks);
  } else if (state == 0) {
    Timer1->SetEnabled(false);
    plat::forms::get<輸入資料>().Show();
    Unload();
  } else {
    Count(ticks);
  }
}

}  // namespace scorer
