#include "platform/media/audio_device.h"

#include "platform/gui/formtimer.h"

namespace plat {

AudioDevice::AudioDevice(QObject* parent) : QObject(parent), statusTimer_(std::make_unique<FormTimer>()) {
  statusTimer_->SetEnabled(false);
  statusTimer_->Tick = [this] {
    if (isOpen() && updateInterval_ > 0) emit statusUpdate();
  };
}

AudioDevice::~AudioDevice() = default;

bool AudioDevice::command(const QString& cmd) {
  commandIssued(cmd);
  const QString c = cmd.trimmed().toUpper();
  if (c == u"OPEN") {
    if (isOpen()) {
      doClose();
      openFile_.clear();
    }
    lastError_.clear();
    if (fileName_.isEmpty() || !doOpen(fileName_)) {
      if (lastError_.isEmpty()) lastError_ = QStringLiteral("cannot open \"%1\"").arg(fileName_);
      setMode(kModeNotOpen);
      updateTimer();
      return false;
    }
    openFile_ = fileName_;
    setMode(kModeStopped);
    updateTimer();
    return true;
  }
  if (c == u"CLOSE") {
    if (isOpen()) doClose();
    openFile_.clear();
    setMode(kModeNotOpen);
    updateTimer();
    return true;
  }
  if (!isOpen()) return false;  // a command on a closed device does nothing
  if (c == u"PLAY") {
    if (mode_ == kModePlaying) return true;
    setMode(kModePlaying);  // from the command on, not from the backend's answer
    doPlay();
    return true;
  }
  if (c == u"PAUSE") {
    if (mode_ != kModePlaying) return mode_ == kModePaused;
    doPause();
    setMode(kModePaused);
    return true;
  }
  if (c == u"STOP") {
    if (mode_ == kModePlaying || mode_ == kModePaused) doStop();
    setMode(kModeStopped);
    return true;
  }
  if (c == u"PREV") {
    doRewind();
    return true;
  }
  lastError_ = QStringLiteral("unknown command \"%1\"").arg(cmd);
  return false;
}

int AudioDevice::mode() const { return mode_; }

qint64 AudioDevice::length() const {
  if (!isOpen()) return 0;
  const qint64 len = backendLength();
  return len < 0 ? kLengthUnknown : len;
}

qint64 AudioDevice::position() const { return isOpen() ? backendPosition() : 0; }

void AudioDevice::setUpdateInterval(int ms) {
  updateInterval_ = ms < 0 ? 0 : ms;
  updateTimer();
}

void AudioDevice::updateTimer() {
  const bool run = isOpen() && updateInterval_ > 0;
  if (run) statusTimer_->SetInterval(updateInterval_);
  statusTimer_->SetEnabled(run);
}

void AudioDevice::pressPlay() {
  emit playPressed();
  command(QStringLiteral("play"));
}

void AudioDevice::pressPause() {
  emit pausePressed();
  command(QStringLiteral("pause"));
}

void AudioDevice::pressPrev() {
  emit prevPressed();
  command(QStringLiteral("prev"));
}

void AudioDevice::pressStop() {
  emit stopPressed();
  command(QStringLiteral("stop"));
}

void AudioDevice::endReached() {
  if (mode_ != kModePlaying) return;
  setMode(kModeStopped);
  if (notify_) emit done();
}

void AudioDevice::failed(const QString& why) {
  lastError_ = why;
  if (mode_ == kModePlaying || mode_ == kModePaused) setMode(kModeStopped);
  emit failure(why);
}

void AudioDevice::setMode(int m) {
  if (m == mode_) return;
  mode_ = m;
  emit modeChanged();
}

}  // namespace plat
