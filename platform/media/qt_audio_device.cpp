#include "platform/media/qt_audio_device.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

#include "platform/core/paths.h"

namespace plat {

QtAudioDevice::QtAudioDevice(QObject* parent) : AudioDevice(parent) {
  PrepareMediaBackend();
  player_ = new QMediaPlayer(this);
  output_ = new QAudioOutput(this);
  player_->setAudioOutput(output_);
  connect(player_, &QMediaPlayer::durationChanged, this, [this](qint64) {
    if (isOpen()) emit lengthChanged();
  });
  connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
    if (s == QMediaPlayer::EndOfMedia) endReached();
    if (s == QMediaPlayer::InvalidMedia) failed(player_->errorString());
  });
  connect(player_, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState s) {
    // A stop the device did not ask for: the end of the media (its status
    // may follow the state change), or the backend gave up.
    if (s != QMediaPlayer::StoppedState || stopping_ || mode() != kModePlaying) return;
    if (player_->error() != QMediaPlayer::NoError)
      failed(player_->errorString());
    else
      endReached();
  });
  connect(player_, &QMediaPlayer::errorOccurred, this,
          [this](QMediaPlayer::Error, const QString& text) { failed(text); });
}

QtAudioDevice::~QtAudioDevice() {
  stopping_ = true;
  player_->stop();
}

QString QtAudioDevice::outputProblem() const {
  if (qEnvironmentVariableIsSet("TAVREL_E2E_SILENT_AUDIO")) return {};
  if (QMediaDevices::audioOutputs().isEmpty())
    return QStringLiteral("找不到音效輸出裝置(沒有音效卡,或音效伺服器沒有執行)");
  return {};
}

bool QtAudioDevice::doOpen(const QString& path) {
  const QString local = ResolvePath(path);
  const QFileInfo fi(local);
  if (!fi.isFile() || !fi.isReadable()) {
    setLastError(QStringLiteral("file not found: %1").arg(path));
    return false;
  }
  player_->setSource(QUrl::fromLocalFile(fi.absoluteFilePath()));
  if (player_->mediaStatus() == QMediaPlayer::InvalidMedia) {
    setLastError(player_->errorString());
    player_->setSource(QUrl());
    return false;
  }
  return true;
}

void QtAudioDevice::doClose() {
  stopping_ = true;
  player_->stop();
  player_->setSource(QUrl());
  stopping_ = false;
}

void QtAudioDevice::doPlay() { player_->play(); }

void QtAudioDevice::doPause() { player_->pause(); }

void QtAudioDevice::doStop() {
  stopping_ = true;
  player_->stop();
  stopping_ = false;
}

void QtAudioDevice::doRewind() { player_->setPosition(0); }

qint64 QtAudioDevice::backendLength() const {
  const qint64 d = player_->duration();
  return d > 0 ? d : -1;
}

qint64 QtAudioDevice::backendPosition() const { return player_->position(); }

}  // namespace plat
