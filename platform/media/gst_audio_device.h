#pragma once
// The multimedia control over GStreamer's playbin. Every OPEN builds a fresh
// pipeline and prerolls it paused, so the length is known and nothing sounds
// before play; the state changes, which can wait on the sound server, run on
// a worker thread, and the bus is read on the GUI thread.
#include <QTimer>
#include <memory>

#include "platform/media/audio_device.h"

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace plat {

class GstWorker;

class GstAudioDevice : public AudioDevice {
  Q_OBJECT

 public:
  explicit GstAudioDevice(QObject* parent = nullptr);
  ~GstAudioDevice() override;

  // Asks the sound server afresh each time (bounded, well under a second).
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
  // A new pipeline for path, asked to preroll; false with lastError set
  // when it cannot be built. With waitMs > 0 waits that long for the
  // preroll and fails when the pipeline failed within it.
  bool startPipeline(const QString& path, int waitMs);
  void dropPipeline();
  // No pipeline, and nothing known of one.
  void reset();
  void setState(int state);
  void seekTo(qint64 ms);
  void pollBus();
  void handle(GstMessage* msg);
  bool Settled() const;
  void queryLength();
  static QString ErrorText(GstMessage* msg);

  GstElement* pipe_ = nullptr;
  quint64 generation_ = 0;  // which pipeline the bus timer reads
  std::unique_ptr<GstWorker> worker_;
  QTimer busTimer_;
  QString path_;
  qint64 length_ = -1;
  mutable qint64 lastPos_ = 0;
  qint64 pendingPos_ = -1;  // a seek asked for and not yet done
  bool started_ = false;    // played since the open (else it waits in ready)
  bool atEnd_ = false;      // the stream ended; the pipeline is paused there
  bool broken_ = false;     // the pipeline failed and is gone
};

}  // namespace plat
