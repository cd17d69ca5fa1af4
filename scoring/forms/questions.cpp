#include "scoring/forms/questions.h"

#include "common/accessors.h"
#include "common/errorlog.h"
#include "platform/gui/captionfit.h"
#include "platform/gui/controls.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"
#include "scoring/engine/scorer.h"
#include "scoring/forms/delivery.h"
#include "scoring/forms/formkit.h"
#include "scoring/forms/scorercaptions.h"
#include "scoring/forms/services.h"

namespace scorer {

namespace {

QPushButton* Button(QWidget* form, const char* name, const char* caption, const char* tip, plat::TwipsBox box) {
  QPushButton* b = MakeControl<QPushButton>(form, name, box);
  b->setText(QString::fromUtf8(caption));
  if (tip) b->setToolTip(QString::fromUtf8(tip));
  b->setAutoDefault(false);
  return b;
}

void QuestionWindow(plat::Form* form) {
  form->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void ShowContact() {
  if (companions().showContact) {
    companions().showContact();
  } else {
    common::WriteErrorLog(QStringLiteral("frmLiaison>not available"));
  }
}

// Exit: hand over to the batch scorer when asked, clean up, end.
void ExitScorer() {
  HandOverToBatchIfAsked();
  EndScorer(true);
}

}  // namespace

直續測驗::直續測驗()
    : Form(QStringLiteral("直續測驗")),
      Label1(MakeControl<QLabel>(this, "Label1", {240, 180, 5520, 375})),
      Label6(MakeControl<QLabel>(this, "Label6", {240, 660, 5520, 375})),
      Text1(MakeControl<QLineEdit>(this, "Text1", {1800, 660, 2400, 375})),
      Command1(Button(this, "Command1", "開始", "重新再測驗一次", {240, 1320, 1680, 495})),
      Command2(Button(this, "Command2", "不要", "結束本軟體", {2160, 1320, 1680, 495})),
      Command3(Button(this, "Command3", "連絡我們", nullptr, {4080, 1320, 1680, 495})) {
  QuestionWindow(this);
  SetSizeTwips(this, 6000, 2200);
  setFixedSize(size());
  Label1->setText(QStringLiteral("按下「開始」鍵，進行第　　次測驗！"));
  Label6->setText(QStringLiteral("請準備好檔名　　　　　　　　的試卷"));
  Text1->setReadOnly(true);
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); });
  plat::ConnectClick(Command2, "Command2_Click", [this] { Command2_Click(); });
  plat::ConnectClick(Command3, "Command3_Click", [this] { Command3_Click(); });
}

void 直續測驗::Form_Load() {
  ApplyFormText(kContinueForm, this);
  setWindowTitle(common::ProductTitle.get());
  Command3->setVisible(common::ContactInfo(99).asInt() == 1);
  shown = false;
  FitBoxToCaption();
  plat::CentreOnScreen(this);
}

void 直續測驗::FitBoxToCaption() {
  // The box stands in the blanks of its caption, which reads whole around
  // it: "請準備好檔名 [box] 的試卷", never a name prompt over an empty box.
  const int gap = 4;
  const auto span = plat::WidenBlankRun(Label6, 0, plat::LineEditWidthFor(Text1, QStringLiteral("T0001.txt")) + 2 * gap);
  if (!span) return;
  const plat::TwipsBox l = plat::BoxTwips(Label6);
  plat::PlaceTwips(Text1, {l.left + plat::PixelsToTwips(span->first + gap), l.top,
                           plat::PixelsToTwips(span->second - span->first - 2 * gap), l.height});
}

void 直續測驗::Form_Activate() {
  if (shown) return;
  const int next = common::TestNumber.set(common::TestNumber.get() + 1);
  Label1->setText(StoreText(11903) + u' ' + QString::number(next) + u' ' + StoreText(11904));
  shown = true;
}

void 直續測驗::Command1_Click() {
  scoring::ReturnToTypingProgram(1);
  EndScorer(false);
}

void 直續測驗::Command2_Click() { ExitScorer(); }

void 直續測驗::Command3_Click() { ShowContact(); }

void 直續測驗::Form_Unload(int&) { EndScorer(false); }

是否結束::是否結束()
    : Form(QStringLiteral("是否結束")),
      Label1(MakeControl<QLabel>(this, "Label1", {240, 240, 4320, 375})),
      Command1(Button(this, "Command1", "要", "重新再測驗一次", {240, 900, 1320, 495})),
      Command2(Button(this, "Command2", "不要", "結束本軟體", {1740, 900, 1320, 495})),
      Command3(Button(this, "Command3", "連絡我們", nullptr, {3240, 900, 1320, 495})) {
  QuestionWindow(this);
  SetSizeTwips(this, 4800, 1800);
  setFixedSize(size());
  Label1->setText(QStringLiteral("要再測驗一次嗎？"));
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); });
  plat::ConnectClick(Command2, "Command2_Click", [this] { Command2_Click(); });
  plat::ConnectClick(Command3, "Command3_Click", [this] { Command3_Click(); });
}

void 是否結束::Form_Load() {
  ApplyFormText(kEndForm, this);
  setWindowTitle(common::ProductTitle.get());
  Command3->setVisible(common::ContactInfo(99).asInt() == 1);
  plat::CentreOnScreen(this);
}

void 是否結束::Command1_Click() {
  scoring::ReturnToTypingProgram(2);
  EndScorer(false);
}

void 是否結束::Command2_Click() { ExitScorer(); }

void 是否結束::Command3_Click() { ShowContact(); }

void 是否結束::Form_Unload(int&) { EndScorer(false); }

}  // namespace scorer
