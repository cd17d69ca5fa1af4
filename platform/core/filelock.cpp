#include "platform/core/filelock.h"

#include <sys/file.h>

#include <QDeadlineTimer>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <mutex>

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

FileLock::FileLock(int fd, std::chrono::milliseconds wait) : fd_(fd) {
  if (fd < 0) {
    error_ = QStringLiteral("no open file");
    return;
  }
  QDeadlineTimer deadline(wait);
  bool told = false;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      locked_ = true;
      return;
    }
    const int e = errno;
    if (e == EINTR) continue;
    if (e != EWOULDBLOCK) {
      error_ = QString::fromLocal8Bit(std::strerror(e));
      return;
    }
    if (!told) {
      told = true;
      if (auto h = Hook(&Hooks::wait)) h();
    }
    if (deadline.hasExpired()) {
      error_ = QStringLiteral("the file stayed locked by another program for %1 s").arg(wait.count() / 1000.0);
      return;
    }
    QThread::msleep(10);
  }
}

FileLock::~FileLock() { release(); }

void FileLock::release() {
  if (locked_) ::flock(fd_, LOCK_UN);
  locked_ = false;
}

}  // namespace plat
