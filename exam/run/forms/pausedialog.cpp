#include "exam/run/forms/pausedialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "common/accessors.h"
#include "common/gui/formtext.h"
#include "platform/gui/buttonkeys.h"
#include "platform/gui/twips.h"
#include "platform/media/audio_device.h"
#include "exam/run/forms/processing.h"
#include "exam/run/forms/testscreen.h"

namespace run {

是否暫離::是否暫離() : Form(QStringLiteral("是否暫離")) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setWordWrap(true);
  Command1 = new QPushButton(this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command2 = new QPushButton(this);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setDefault(true);  // continuing is the safe choice
  // Design: 4800 x 2600 twips.
  setFixedSize(plat::TwipsToPixels(4800), plat::TwipsToPixels(2600));
  plat::SetTwipsGeometry(Image1, {240, 240, 600, 600});
  plat::SetTwipsGeometry(Label1, {1000, 240, 3600, 600});
  plat::SetTwipsGeometry(Label2, {1000, 900, 3600, 600});
  plat::SetTwipsGeometry(Command1, {600, 1700, 1600, 450});
  plat::SetTwipsGeometry(Command2, {2600, 1700, 1600, 450});
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  // Ctrl+Space, the input method's on/off key, must not continue the test.
  plat::PlainKeysPressButtons(this);
}

void 是否暫離::Form_Load() {
  common::ApplyFormText(12, this);
  setWindowTitle(common::ProductTitle.get());
  const int layout = common::SystemIniValue(2398).asInt();
  if (layout == 1) {
    Label1->hide();
    plat::SetTwipsPos(Command1, plat::TwipsGeometry(Command1).left, 1000);
    plat::SetTwipsPos(Command2, plat::TwipsGeometry(Command2).left, 1000);
    plat::SetTwipsPos(Label2, plat::TwipsGeometry(Label2).left, 200);
    plat::SetTwipsPos(Image1, plat::TwipsGeometry(Image1).left, 150);
    setFixedHeight(plat::TwipsToPixels(2150));
  } else if (layout != 2) {
    setFixedHeight(plat::TwipsToPixels(2050));
    // Keep the buttons inside the shorter window.
    plat::SetTwipsPos(Command1, plat::TwipsGeometry(Command1).left, 1450);
    plat::SetTwipsPos(Command2, plat::TwipsGeometry(Command2).left, 1450);
  }
  FitTexts();
}

void 是否暫離::FitTexts() {
  // Each message takes the lines its wrapped text needs, the second below the
  // first; the buttons stand below both and the window grows to hold them.
  const int gap = 120;
  int bottom = 0;
  for (QLabel* l : {Label1, Label2}) {
    if (l->isHidden()) continue;
    plat::TwipsBox b = plat::TwipsGeometry(l);
    if (bottom > 0) b.top = std::max(b.top, bottom + 60);
    const int text = plat::PixelsToTwips(l->heightForWidth(l->width()));
    b.height = std::max(b.height, text);
    plat::SetTwipsGeometry(l, b);
    bottom = b.top + text;
  }
  const int top = std::max(plat::TwipsGeometry(Command1).top, bottom + gap);
  for (QPushButton* b : {Command1, Command2}) plat::SetTwipsPos(b, plat::TwipsGeometry(b).left, top);
  const int need = plat::TwipsToPixels(top + plat::TwipsGeometry(Command1).height + 150);
  if (need > height()) setFixedHeight(need);
}

bool 是否暫離::TooLate() const {
  if (common::TestRunState.get() == 9) return true;
  return plat::forms::exists<正式測驗>() && plat::forms::get<正式測驗>().HandedOver;
}

void 是否暫離::Command1_Click() {
  if (TooLate()) {
    Hide();
    return;
  }
  正式測驗& screen = plat::forms::get<正式測驗>();
  if (common::Setting701.get() > 0) screen.Mci->command(QStringLiteral("CLOSE"));
  Hide();
  // The record keeps the pause moment as the end; nothing typed after it.
  screen.CloseForHandOver();
  screen.Show();
  plat::forms::get<處理下>().Show();
}

void 是否暫離::Command2_Click() {
  Hide();
  if (TooLate()) return;
  common::TestRunState.set(2);
  plat::forms::get<正式測驗>().Show();
}

void 是否暫離::Form_QueryUnload(int& cancel, plat::UnloadMode mode) {
  // Closing the dialog continues the test; the dialog itself stays for the
  // next pause.
  if (mode == plat::UnloadMode::ControlMenu) {
    cancel = 1;
    Command2_Click();
  }
}

}  // namespace run
