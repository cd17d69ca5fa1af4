#include "platform/media/gst_support.h"

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace plat {

bool EnsureGst(QString* why) {
  static const QString failure = [] {
    GError* err = nullptr;
    if (gst_init_check(nullptr, nullptr, &err)) return QString();
    const QString text = QStringLiteral("GStreamer 無法啟動:%1").arg(QString::fromUtf8(err ? err->message : "?"));
    if (err) g_error_free(err);
    return text;
  }();
  if (why) *why = failure;
  return failure.isEmpty();
}

bool SilentAudio() { return qEnvironmentVariableIsSet("TAVREL_E2E_SILENT_AUDIO"); }

GstElement* NewAudioSink() {
  if (SilentAudio()) {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (sink) g_object_set(sink, "sync", TRUE, nullptr);  // parts still take their length
    return sink;
  }
  // The desktop's sound server; where there is none, whatever GStreamer
  // finds (ALSA).
  if (GstElement* sink = gst_element_factory_make("pulsesink", nullptr)) return sink;
  return gst_element_factory_make("autoaudiosink", nullptr);
}

GstWorker::GstWorker() : q_(std::make_shared<Queue>()) {
  std::thread([q = q_] {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock l(q->m);
        q->cv.wait(l, [&] { return !q->jobs.empty() || q->finishing; });
        if (q->jobs.empty()) {
          q->ended = true;
          q->cv.notify_all();
          return;
        }
        job = std::move(q->jobs.front());
        q->jobs.pop_front();
      }
      job();
    }
  }).detach();
}

GstWorker::~GstWorker() { finish(); }

void GstWorker::post(std::function<void()> job) {
  std::lock_guard l(q_->m);
  if (q_->finishing) return;
  q_->jobs.push_back(std::move(job));
  q_->cv.notify_all();
}

void GstWorker::finish(std::function<void()> last) {
  std::lock_guard l(q_->m);
  if (q_->finishing) return;
  if (last) q_->jobs.push_back(std::move(last));
  q_->finishing = true;
  q_->cv.notify_all();
}

bool GstWorker::waitEnded(int ms) {
  std::unique_lock l(q_->m);
  return q_->cv.wait_for(l, std::chrono::milliseconds(ms), [&] { return q_->ended; });
}

namespace {

const QString kNoOutput = QStringLiteral("找不到音效輸出裝置(沒有音效卡,或音效伺服器沒有執行)");
const QString kNoAnswer = QStringLiteral("音效伺服器沒有回應");

// src ! audioconvert ! audioresample ! the output; nullptr when an element
// is missing.
GstElement* NewTonePipeline(GstElement* src) {
  GstElement* pipe = gst_pipeline_new(nullptr);
  GstElement* conv = gst_element_factory_make("audioconvert", nullptr);
  GstElement* resample = gst_element_factory_make("audioresample", nullptr);
  GstElement* sink = NewAudioSink();
  if (!pipe || !src || !conv || !resample || !sink) {
    for (GstElement* e : {pipe, src, conv, resample, sink})
      if (e) gst_object_unref(gst_object_ref_sink(e));
    return nullptr;
  }
  gst_bin_add_many(GST_BIN(pipe), src, conv, resample, sink, nullptr);
  if (!gst_element_link_many(src, conv, resample, sink, nullptr)) {
    gst_object_unref(pipe);
    return nullptr;
  }
  return pipe;
}

// Blocks until the pipeline has reached `state` (preroll or playing to its
// end) or failed; true when it got there.
bool RunTo(GstElement* pipe, GstState state, GstMessageType until, int ms) {
  if (gst_element_set_state(pipe, state) == GST_STATE_CHANGE_FAILURE) return false;
  GstBus* bus = gst_element_get_bus(pipe);
  GstMessage* msg = gst_bus_timed_pop_filtered(bus, static_cast<GstClockTime>(ms) * GST_MSECOND,
                                               static_cast<GstMessageType>(until | GST_MESSAGE_ERROR));
  const bool ok = msg && GST_MESSAGE_TYPE(msg) != GST_MESSAGE_ERROR;
  if (msg) gst_message_unref(msg);
  gst_object_unref(bus);
  return ok;
}

struct Answer {
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  QString why;
};

QString ProbeNow() {
  GstElement* src = gst_element_factory_make("audiotestsrc", nullptr);
  if (src) g_object_set(src, "wave", 4 /* silence */, "num-buffers", 1, nullptr);
  GstElement* pipe = NewTonePipeline(src);
  if (!pipe) return kNoOutput;
  // A sink that prerolls has a stream at the server; it is never played.
  const bool ok = RunTo(pipe, GST_STATE_PAUSED, GST_MESSAGE_ASYNC_DONE, 3000);
  gst_element_set_state(pipe, GST_STATE_NULL);
  gst_object_unref(pipe);
  return ok ? QString() : kNoOutput;
}

}  // namespace

QString ProbeAudioOutput() {
  if (SilentAudio()) return {};
  QString why;
  if (!EnsureGst(&why)) return why;
  // A probe still waiting on a hung server is not joined by another.
  static std::mutex stuckM;
  static std::shared_ptr<Answer> stuck;
  {
    std::lock_guard l(stuckM);
    if (stuck) {
      std::lock_guard la(stuck->m);
      if (!stuck->done) return kNoAnswer;
    }
    stuck.reset();
  }
  auto a = std::make_shared<Answer>();
  std::thread([a] {
    const QString r = ProbeNow();
    std::lock_guard l(a->m);
    a->why = r;
    a->done = true;
    a->cv.notify_all();
  }).detach();
  std::unique_lock l(a->m);
  if (a->cv.wait_for(l, std::chrono::milliseconds(500), [&] { return a->done; })) return a->why;
  std::lock_guard ls(stuckM);
  stuck = a;
  return kNoAnswer;
}

void PlayWarningTone() {
  if (SilentAudio() || !EnsureGst()) return;
  static std::atomic<bool> sounding{false};
  if (sounding.exchange(true)) return;  // one tone at a time
  std::thread([] {
    GstElement* src = gst_element_factory_make("audiotestsrc", nullptr);
    // 0.25 s of 880 Hz at a moderate level.
    if (src) g_object_set(src, "freq", 880.0, "volume", 0.3, "samplesperbuffer", 1102, "num-buffers", 10, nullptr);
    if (GstElement* pipe = NewTonePipeline(src)) {
      RunTo(pipe, GST_STATE_PLAYING, GST_MESSAGE_EOS, 3000);
      gst_element_set_state(pipe, GST_STATE_NULL);
      gst_object_unref(pipe);
    }
    sounding = false;
  }).detach();
}

}  // namespace plat
