#include "exam/run/forms/nosoundbox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/accessors.h"
#include "platform/gui/buttonkeys.h"
#include "exam/run/forms/testscreen.h"

namespace run {

QString NoSoundMessage(const QString& why, bool clockWaits) {
  return QStringLiteral("無法播放測驗的聲音:") + why + QStringLiteral("\n\n請舉手通知監考人員。") +
         (clockWaits ? QStringLiteral("聲音恢復前測驗時間暫停。") : QString()) + QStringLiteral("\n\n") +
         QStringLiteral("監考人員修好後請按「重試」;按「取消」則不放聲音繼續測驗。");
}

NoSoundBox::NoSoundBox() : Form(QStringLiteral("NoSoundBox")) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // Only the proctor's answer or the sound coming back ends it.
  SetRefusesWindowManagerClose(true);
  // Over the test screen and closed to it: nothing is typed while the
  // clock waits. Shown modeless, so no handler waits inside it.
  setWindowModality(Qt::WindowModal);
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("Icon"));
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
  icon->setAlignment(Qt::AlignTop);
  Message = new QLabel(this);
  Message->setObjectName(QStringLiteral("Message"));
  Message->setWordWrap(true);
  Message->setMinimumWidth(380);
  Retry = new QPushButton(QStringLiteral("重試"), this);
  Retry->setObjectName(QStringLiteral("Retry"));
  Retry->setDefault(true);
  Cancel = new QPushButton(QStringLiteral("取消"), this);
  Cancel->setObjectName(QStringLiteral("Cancel"));
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addWidget(Message, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Retry);
  buttons->addWidget(Cancel);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addLayout(buttons);
  all->setSizeConstraint(QLayout::SetFixedSize);
  connect(Retry, &QPushButton::clicked, this, [this] { Retry_Click(); });
  connect(Cancel, &QPushButton::clicked, this, [this] { Cancel_Click(); });
  plat::PlainKeysPressButtons(this);
}

void NoSoundBox::Form_Load() { setWindowTitle(common::ProductTitle.get()); }

void NoSoundBox::SetReason(const QString& why) { Message->setText(NoSoundMessage(why, true)); }

void NoSoundBox::Retry_Click() {
  // The screen hides the box once the part plays; otherwise it stays up.
  if (plat::forms::exists<正式測驗>()) plat::forms::get<正式測驗>().TrySoundAgain();
}

void NoSoundBox::Cancel_Click() {
  if (plat::forms::exists<正式測驗>()) {
    plat::forms::get<正式測驗>().GoOnWithoutSound();
  } else {
    Hide();
  }
}

}  // namespace run
