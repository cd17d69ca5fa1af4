#include "platform/media/transport_bar.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>

#include "platform/media/audio_device.h"

namespace plat {

MciTransportBar::MciTransportBar(AudioDevice* device, QWidget* parent) : QWidget(parent), device_(device) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  auto make = [&](const char* name, QStyle::StandardPixmap icon) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(style()->standardIcon(icon));
    b->setFocusPolicy(Qt::NoFocus);  // the caret stays in the typing box
    row->addWidget(b);
    return b;
  };
  PrevButton = make("Prev", QStyle::SP_MediaSkipBackward);
  PlayButton = make("Play", QStyle::SP_MediaPlay);
  PauseButton = make("Pause", QStyle::SP_MediaPause);
  StopButton = make("Stop", QStyle::SP_MediaStop);
  connect(PrevButton, &QPushButton::clicked, device_, &AudioDevice::pressPrev);
  connect(PlayButton, &QPushButton::clicked, device_, &AudioDevice::pressPlay);
  connect(PauseButton, &QPushButton::clicked, device_, &AudioDevice::pressPause);
  connect(StopButton, &QPushButton::clicked, device_, &AudioDevice::pressStop);
  connect(device_, &AudioDevice::modeChanged, this, &MciTransportBar::refresh);
  refresh();
}

void MciTransportBar::refresh() {
  const int m = device_->mode();
  const bool open = m != kModeNotOpen;
  PrevButton->setEnabled(open);
  PlayButton->setEnabled(open && m != kModePlaying);
  PauseButton->setEnabled(m == kModePlaying);
  StopButton->setEnabled(m == kModePlaying || m == kModePaused);
}

}  // namespace plat
