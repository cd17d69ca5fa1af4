#pragma once
// The multimedia control's button bar (Prev, Play, Pause, Stop) over an
// AudioDevice: a press signals first, then the device acts.
#include <QWidget>

class QPushButton;

namespace plat {

class AudioDevice;

class MciTransportBar : public QWidget {
  Q_OBJECT

 public:
  explicit MciTransportBar(AudioDevice* device, QWidget* parent = nullptr);
  AudioDevice* device() const { return device_; }

  QPushButton* PrevButton;
  QPushButton* PlayButton;
  QPushButton* PauseButton;
  QPushButton* StopButton;

 private:
  void refresh();
  AudioDevice* device_;
};

}  // namespace plat
