#pragma once
// What the GStreamer device, the output check and the warning tone share:
// the one-time set-up, the sink every sound goes to, and a worker thread
// that makes the calls that can wait on the sound server, so that a server
// that is missing, hung or restarting never stops the windows.
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

typedef struct _GstElement GstElement;

namespace plat {

// Initialises GStreamer once; false (with the reason) when it cannot run.
bool EnsureGst(QString* why = nullptr);

// Sound goes nowhere, on the real clock: the end-to-end tests run where
// there is no sound server and no one listens.
bool SilentAudio();

// A new sink for the audio output (floating reference), nullptr when none
// can be made.
GstElement* NewAudioSink();

// Runs jobs in order on a thread of its own. The thread holds the queue
// alive, so an owner may let go while a job still waits on the server; it
// ends after the job that finish() queues.
class GstWorker {
 public:
  GstWorker();
  ~GstWorker();  // finishes and lets the thread end on its own
  void post(std::function<void()> job);
  // Queues a last job; later posts are dropped.
  void finish(std::function<void()> last = {});
  // After finish(): true once the last job ran, false after ms.
  bool waitEnded(int ms);

 private:
  struct Queue {
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::function<void()>> jobs;
    bool finishing = false;
    bool ended = false;
  };
  std::shared_ptr<Queue> q_;
};

// Looks at the sound server now: empty when a sound would be heard, else why
// not. Answers within about half a second, also when the server hangs.
QString ProbeAudioOutput();

// A short tone through the audio output, started and left to itself.
void PlayWarningTone();

}  // namespace plat
