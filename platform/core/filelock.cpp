#include "platform/core/filelock.h"

#include <sys/file.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

#include "platform/core/reasons.h"

namespace plat {

namespace {

struct Hooks {
  std::mutex m;
  std::function<void()> wait, gap;
};

Hooks& hooks() {
  static Hooks h;
  return h;
}

std::function<void()> Hook(std::function<void()> Hooks::*which) {
  std::lock_guard g(hooks().m);
  return hooks().*which;
}

std::atomic<FlockFunction> g_flock{nullptr};

// 0 when locked, else the errno of the refusal.
int TryLock(int fd) {
  const FlockFunction f = g_flock.load();
  for (;;) {
    if ((f ? f(fd, LOCK_EX | LOCK_NB) : ::flock(fd, LOCK_EX | LOCK_NB)) == 0) return 0;
    if (errno != EINTR) return errno == EAGAIN ? EWOULDBLOCK : errno;
  }
}

// Tries until the lock comes, another refusal comes or the wait runs out
// (EWOULDBLOCK then).
int PollForLock(int fd, std::chrono::milliseconds wait) {
  const QDeadlineTimer deadline(wait);
  for (;;) {
    const int e = TryLock(fd);
    if (e != EWOULDBLOCK || deadline.hasExpired()) return e;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

bool OnMainThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

// The same on the main thread: the polling goes to a helper thread while
// this one handles what keeps the windows alive (paints, the window
// manager's messages). Input, timers and sockets wait, so no handler runs
// in the middle of the caller's.
int PollKeepingWindowsAlive(int fd, std::chrono::milliseconds wait) {
  std::atomic<int> result{-1};
  QCoreApplication* app = QCoreApplication::instance();
  std::thread helper([&] {
    result = PollForLock(fd, wait);
    QMetaObject::invokeMethod(app, [] {}, Qt::QueuedConnection);  // wakes the loop below
  });
  const auto flags = QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers |
                     QEventLoop::X11ExcludeTimers | QEventLoop::WaitForMoreEvents;
  while (result.load() < 0) QCoreApplication::processEvents(flags);
  helper.join();
  return result;
}

}  // namespace

void SetFileLockWaitHook(std::function<void()> hook) {
  std::lock_guard g(hooks().m);
  hooks().wait = std::move(hook);
}

void SetAppendGapHook(std::function<void()> hook) {
  std::lock_guard g(hooks().m);
  hooks().gap = std::move(hook);
}

void RunAppendGapHook() {
  if (auto h = Hook(&Hooks::gap)) h();
}

void SetFlockFunction(FlockFunction f) { g_flock = f; }

FileLock::FileLock(int fd, std::chrono::milliseconds wait) : fd_(fd) {
  if (fd < 0) {
    state_ = State::Held;
    error_ = QStringLiteral("檔案沒有開啟");
    return;
  }
  int e = TryLock(fd);
  if (e == EWOULDBLOCK && wait.count() > 0) {
    if (auto h = Hook(&Hooks::wait)) h();
    e = OnMainThread() ? PollKeepingWindowsAlive(fd, wait) : PollForLock(fd, wait);
  }
  if (e == 0) {
    state_ = State::Locked;
    holding_ = true;
  } else if (e == EWOULDBLOCK) {
    state_ = State::Held;
    error_ = QStringLiteral("另一個程式正在寫入這個檔案,等了 %1 秒仍未結束").arg(wait.count() / 1000.0);
  } else {
    state_ = State::Unavailable;
    error_ = systemReason(e);
  }
}

FileLock::~FileLock() { release(); }

void FileLock::release() {
  if (!holding_) return;
  holding_ = false;
  const FlockFunction f = g_flock.load();
  f ? f(fd_, LOCK_UN) : ::flock(fd_, LOCK_UN);
}

}  // namespace plat
