#pragma once
// The multimedia control over QMediaPlayer with a QAudioOutput always
// attached (without an output the GStreamer backend will not play).
#include "platform/media/audio_device.h"

class QMediaPlayer;
class QAudioOutput;

namespace plat {

class QtAudioDevice : public AudioDevice {
  Q_OBJECT

 public:
  explicit QtAudioDevice(QObject* parent = nullptr);
  ~QtAudioDevice() override;

  // No output device in the system's list. The end-to-end and desktop tests
  // run where there is no sound card; SilentAudioForTests() lets them play
  // into the void without the proctor's message.
  QString outputProblem() const override;

 protected:
  bool doOpen(const QString& path) override;
  void doClose() override;
  void doPlay() override;
  void doPause() override;
  void doStop() override;
  void doRewind() override;
  qint64 backendLength() const override;
  qint64 backendPosition() const override;

 private:
  QMediaPlayer* player_;
  QAudioOutput* output_;
  bool stopping_ = false;  // our own stop, not the end of the media
};

}  // namespace plat
