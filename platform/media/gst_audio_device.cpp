#include "platform/media/gst_audio_device.h"

#include <gst/gst.h>

#include <QFile>
#include <QFileInfo>
#include <chrono>

#include "platform/core/paths.h"
#include "platform/media/gst_support.h"

namespace plat {

namespace {

constexpr int kAudioOnly = 0x2;    // playbin's flags: no video, no subtitles
constexpr int kOpenWaitMs = 1000;  // longest an OPEN waits for the preroll
constexpr int kBusPollMs = 40;

struct OpenAnswer {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  GstStateChangeReturn ret = GST_STATE_CHANGE_FAILURE;
  gint64 durationNs = -1;
};

}  // namespace

GstAudioDevice::GstAudioDevice(QObject* parent) : AudioDevice(parent) {
  busTimer_.setInterval(kBusPollMs);
  connect(&busTimer_, &QTimer::timeout, this, [this] { pollBus(); });
}

GstAudioDevice::~GstAudioDevice() {
  busTimer_.stop();
  if (!pipe_) return;
  GstElement* p = pipe_;
  pipe_ = nullptr;
  GstWorker* w = worker_.get();
  w->finish([p] {
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(p);
  });
  // Let the teardown end before the program does, unless the server holds it.
  w->waitEnded(1000);
}

QString GstAudioDevice::outputProblem() const { return ProbeAudioOutput(); }

bool GstAudioDevice::doOpen(const QString& path) {
  const QString local = ResolvePath(path);
  const QFileInfo fi(local);
  if (!fi.isFile() || !fi.isReadable()) {
    setLastError(QStringLiteral("找不到音效檔 %1").arg(path));
    return false;
  }
  return startPipeline(fi.absoluteFilePath(), kOpenWaitMs);
}

bool GstAudioDevice::startPipeline(const QString& path, int waitMs) {
  reset();
  path_ = path;
  QString why;
  if (!EnsureGst(&why)) {
    setLastError(why);
    return false;
  }
  GstElement* pb = gst_element_factory_make("playbin", nullptr);
  GstElement* sink = NewAudioSink();
  if (!pb || !sink) {
    for (GstElement* e : {pb, sink})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    setLastError(QStringLiteral("無法建立播放器(缺少 GStreamer 的 playbin 或音效輸出元件)"));
    return false;
  }
  gchar* uri = gst_filename_to_uri(QFile::encodeName(path).constData(), nullptr);
  g_object_set(pb, "uri", uri, "audio-sink", sink, "flags", kAudioOnly, nullptr);
  g_free(uri);
  pipe_ = GST_ELEMENT(gst_object_ref_sink(pb));
  worker_ = std::make_unique<GstWorker>();
  ++generation_;

  // Prerolled to learn the length and that it plays, then back to ready:
  // a pipeline held prerolled before it first plays finds pulsesink's
  // clock standing still, after play, for as long as it waited.
  auto answer = std::make_shared<OpenAnswer>();
  gst_object_ref(pipe_);
  worker_->post([p = pipe_, answer] {
    GstStateChangeReturn r = gst_element_set_state(p, GST_STATE_PAUSED);
    if (r == GST_STATE_CHANGE_ASYNC) r = gst_element_get_state(p, nullptr, nullptr, 20 * GST_SECOND);
    gint64 ns = -1;
    if (r != GST_STATE_CHANGE_FAILURE) {
      if (!gst_element_query_duration(p, GST_FORMAT_TIME, &ns)) ns = -1;
      gst_element_set_state(p, GST_STATE_READY);
      gst_element_post_message(
          p, gst_message_new_application(GST_OBJECT(p),
                                         gst_structure_new("prerolled", "duration", G_TYPE_INT64, ns, nullptr)));
    }
    gst_object_unref(p);
    std::lock_guard l(answer->m);
    answer->ret = r;
    answer->durationNs = ns;
    answer->done = true;
    answer->cv.notify_all();
  });
  busTimer_.start();
  if (waitMs <= 0) return true;

  GstStateChangeReturn r;
  qint64 ns;
  {
    std::unique_lock l(answer->m);
    if (!answer->cv.wait_for(l, std::chrono::milliseconds(waitMs), [&] { return answer->done; })) {
      // Still on its way (a slow machine, a server slow to answer): the
      // length comes with the bus, a failure as failure().
      return true;
    }
    r = answer->ret;
    ns = answer->durationNs;
  }
  if (r == GST_STATE_CHANGE_FAILURE) {
    GstBus* bus = gst_element_get_bus(pipe_);
    GstMessage* msg = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    setLastError(msg ? ErrorText(msg) : QStringLiteral("無法播放聲音"));
    if (msg) gst_message_unref(msg);
    dropPipeline();
    return false;
  }
  if (ns > 0) length_ = ns / GST_MSECOND;
  return true;
}

void GstAudioDevice::dropPipeline() {
  busTimer_.stop();
  if (!pipe_) return;
  GstElement* p = pipe_;
  pipe_ = nullptr;
  ++generation_;
  // The worker's thread ends after the teardown, however long the server
  // makes it wait.
  worker_->finish([p] {
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(p);
  });
  worker_.reset();
}

void GstAudioDevice::setState(int state) {
  if (!pipe_) return;
  gst_object_ref(pipe_);
  worker_->post([p = pipe_, s = static_cast<GstState>(state)] {
    if (gst_element_set_state(p, s) == GST_STATE_CHANGE_FAILURE) {
      // Most elements say why themselves; this one makes sure it is heard.
      GError* err = g_error_new(GST_CORE_ERROR, GST_CORE_ERROR_STATE_CHANGE, "state change failed");
      gst_element_post_message(p, gst_message_new_error(GST_OBJECT(p), err, nullptr));
      g_error_free(err);
    }
    gst_object_unref(p);
  });
}

void GstAudioDevice::seekTo(qint64 ms) {
  if (!pipe_) return;
  pendingPos_ = ms;
  gst_object_ref(pipe_);
  worker_->post([p = pipe_, ms] {
    gst_element_seek_simple(p, GST_FORMAT_TIME, static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                            ms * GST_MSECOND);
    gst_object_unref(p);
  });
}

void GstAudioDevice::doClose() { reset(); }

void GstAudioDevice::reset() {
  dropPipeline();
  broken_ = false;
  started_ = false;
  atEnd_ = false;
  length_ = -1;
  lastPos_ = 0;
  pendingPos_ = -1;
}

void GstAudioDevice::doPlay() {
  // After a failure (the server went away) the part is built anew.
  if (broken_ && !startPipeline(path_, 0)) {
    failed(lastError());
    return;
  }
  if (atEnd_) {
    // At the end (also when the end came during a pause) play finds nothing
    // left: it is done at once, and none of the part sounds again.
    QTimer::singleShot(0, this, [this] { endReached(); });
    return;
  }
  started_ = true;
  setState(GST_STATE_PLAYING);
}

void GstAudioDevice::doPause() {
  if (!started_) return;  // still ready, at its start: nothing sounds
  lastPos_ = backendPosition();
  setState(GST_STATE_PAUSED);
}

void GstAudioDevice::doStop() { doPause(); }

void GstAudioDevice::doRewind() {
  if (!atEnd_ && pendingPos_ < 0 && backendPosition() == 0) return;  // nothing to move
  atEnd_ = false;
  lastPos_ = 0;
  seekTo(0);
}

qint64 GstAudioDevice::backendLength() const { return length_; }

qint64 GstAudioDevice::backendPosition() const {
  if (!pipe_) return lastPos_;
  if (atEnd_) return length_ > 0 ? length_ : lastPos_;
  if (pendingPos_ >= 0 || !Settled()) return pendingPos_ >= 0 ? pendingPos_ : lastPos_;
  gint64 ns = 0;
  if (gst_element_query_position(pipe_, GST_FORMAT_TIME, &ns) && ns >= 0) {
    qint64 ms = ns / GST_MSECOND;
    if (length_ > 0 && ms > length_) ms = length_;
    lastPos_ = ms;
  }
  return lastPos_;
}

bool GstAudioDevice::Settled() const {
  // Not while a state change is under way: it may be waiting on the server,
  // and a query would wait with it.
  GstState state, pending;
  return gst_element_get_state(pipe_, &state, &pending, 0) == GST_STATE_CHANGE_SUCCESS &&
         pending == GST_STATE_VOID_PENDING && state >= GST_STATE_PAUSED;
}

void GstAudioDevice::queryLength() {
  if (!pipe_ || !Settled()) return;
  gint64 ns = 0;
  if (!gst_element_query_duration(pipe_, GST_FORMAT_TIME, &ns) || ns <= 0) return;
  const qint64 ms = ns / GST_MSECOND;
  if (ms == length_) return;
  length_ = ms;
  if (isOpen()) emit lengthChanged();
}

void GstAudioDevice::pollBus() {
  if (!pipe_) return;
  const quint64 gen = generation_;
  GstBus* bus = gst_element_get_bus(pipe_);
  // A handler may close or reopen the device: the rest of the old bus is
  // not ours any more.
  while (gen == generation_) {
    GstMessage* msg = gst_bus_pop(bus);
    if (!msg) break;
    handle(msg);
    gst_message_unref(msg);
  }
  gst_object_unref(bus);
}

void GstAudioDevice::handle(GstMessage* msg) {
  switch (GST_MESSAGE_TYPE(msg)) {
    case GST_MESSAGE_ERROR: {
      const QString why = ErrorText(msg);
      backendPosition();  // where it broke, for position()
      dropPipeline();
      broken_ = true;
      failed(why);
      break;
    }
    case GST_MESSAGE_EOS:
      // Paused at the end, so that a rewind does not start it sounding.
      atEnd_ = true;
      pendingPos_ = -1;
      setState(GST_STATE_PAUSED);
      endReached();  // nothing when it came during a pause: continue finds the end
      break;
    case GST_MESSAGE_ASYNC_DONE:
      if (GST_MESSAGE_SRC(msg) == GST_OBJECT(pipe_)) pendingPos_ = -1;
      queryLength();
      break;
    case GST_MESSAGE_DURATION_CHANGED:
      queryLength();
      break;
    case GST_MESSAGE_APPLICATION: {
      const GstStructure* st = gst_message_get_structure(msg);
      gint64 ns = -1;
      if (st && gst_structure_has_name(st, "prerolled") && gst_structure_get_int64(st, "duration", &ns) && ns > 0 &&
          ns / GST_MSECOND != length_) {
        length_ = ns / GST_MSECOND;
        if (isOpen()) emit lengthChanged();
      }
      break;
    }
    default:
      break;
  }
}

QString GstAudioDevice::ErrorText(GstMessage* msg) {
  GError* err = nullptr;
  gchar* debug = nullptr;
  gst_message_parse_error(msg, &err, &debug);
  const QString text = QStringLiteral("無法播放聲音(%1)").arg(QString::fromUtf8(err ? err->message : "?"));
  if (err) g_error_free(err);
  g_free(debug);
  return text;
}

namespace {
AudioDeviceFactory g_factory = nullptr;
}

AudioDevice* NewAudioDevice(QObject* parent) { return g_factory ? g_factory(parent) : new GstAudioDevice(parent); }

void SetAudioDeviceFactory(AudioDeviceFactory f) { g_factory = f; }

}  // namespace plat
