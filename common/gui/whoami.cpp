#include "common/gui/whoami.h"

#include <QKeyEvent>
#include <QStyle>

#include "common/gui/formtext.h"
#include "platform/gui/buttonkeys.h"
#include "platform/gui/handler.h"
#include "platform/gui/twips.h"

namespace common {

namespace {

template <class W>
W* Control(QWidget* form, const char* name, plat::TwipsBox box) {
  auto* w = new W(form);
  w->setObjectName(QString::fromLatin1(name));
  plat::SetTwipsGeometry(w, box);
  return w;
}

constexpr int kF11 = 122;

// The button's key handler knows only the function keys, by their Windows
// codes (F1 is 112); any other key reaches it as 0.
int FunctionKeyCode(int qtKey) { return qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24 ? 112 + (qtKey - Qt::Key_F1) : 0; }

// 1 Shift, 2 Ctrl, 4 Alt.
int ShiftBits(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

}  // namespace

我是誰::我是誰()
    : Form(QStringLiteral("我是誰")),
      Text1(Control<QLineEdit>(this, "Text1", {3000, 1680, 900, 300})),
      Text2(Control<QLineEdit>(this, "Text2", {3000, 2040, 900, 300})),
      Command1(Control<QPushButton>(this, "Command1", {3360, 2640, 1200, 375})),
      Label1(Control<QLabel>(this, "Label1", {240, 2640, 3000, 375})),
      Label2(Control<QLabel>(this, "Label2", {1080, 1700, 1860, 270})),
      Label3(Control<QLabel>(this, "Label3", {1080, 2060, 1860, 270})),
      Label4(Control<QLabel>(this, "Label4", {1080, 240, 3480, 570})),
      Label5(Control<QLabel>(this, "Label5", {1080, 840, 3480, 720})),
      Image1(Control<QLabel>(this, "Image1", {240, 240, 720, 720})) {
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  plat::SetTwipsSize(this, 4800, 3240);
  setFixedSize(size());
  for (QLabel* l : {Label1, Label2, Label3, Label4, Label5}) l->setWordWrap(true);
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label1->setVisible(false);  // F11 shows it
  Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
  Image1->setAlignment(Qt::AlignCenter);
  Command1->setText(QStringLiteral("確定"));
  Command1->setDefault(true);
  SetCancelButton(Command1);
  Command1->installEventFilter(this);
  plat::ConnectClick(Command1, "Command1_Click", [this] { Command1_Click(); });
  plat::PlainKeysPressButtons(this);
}

void 我是誰::Form_Load() { common::ApplyFormText(11, this); }

void 我是誰::Form_Activate() {
  Text1->setText(lineLimitText);
  Text2->setText(columnLimitText);
}

void 我是誰::Command1_Click() { Hide(); }

void 我是誰::Command1_KeyUp(int keyCode, int) {
  if (keyCode == kF11) Label1->setVisible(!Label1->isVisible());
}

bool 我是誰::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Command1 && event->type() == QEvent::KeyRelease) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (!k->isAutoRepeat())
      Command1_KeyUp(FunctionKeyCode(k->key()), ShiftBits(k->modifiers()));
  }
  return Form::eventFilter(watched, event);
}

}  // namespace common
