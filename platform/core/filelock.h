#pragma once
// An exclusive lock on an open file, so that two programs appending to one
// file (two scorers, a scorer and the batch scorer) take turns: each reads
// the size, seeks and writes while it holds the lock.
#include <QString>
#include <chrono>
#include <functional>

namespace plat {

// How long a writer waits for another to finish its append.
inline constexpr std::chrono::milliseconds kFileLockWait{30000};

class FileLock {
 public:
  // Locks the file behind `fd` (flock: per open file, so two opens in one
  // process also take turns), waiting at most `wait`.
  explicit FileLock(int fd, std::chrono::milliseconds wait = kFileLockWait);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool locked() const { return locked_; }
  // Why the lock was not had: the system's reason, or the wait that ran out.
  const QString& error() const { return error_; }
  // Lets go before the file is closed (closing lets go as well).
  void release();

 private:
  int fd_ = -1;
  bool locked_ = false;
  QString error_;
};

// Test seams: called when a writer finds the file locked and starts to wait,
// and inside an append between reading the size and writing (to widen that
// gap). Empty in the programs.
void SetFileLockWaitHook(std::function<void()> hook);
void SetAppendGapHook(std::function<void()> hook);
void RunAppendGapHook();

}  // namespace plat
