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
  enum class State {
    Locked,
    // Another writer kept it past the wait: the write must not go on.
    Held,
    // The file system gives no lock (a network mount without a lock
    // service answers ENOLCK): the write goes on without one, and says so.
    Unavailable,
  };

  // Locks the file behind `fd` (flock: per open file, so two opens in one
  // process also take turns), waiting at most `wait`. On the program's main
  // thread the wait keeps the windows painted and answering the window
  // manager (no input, timers or sockets are handled meanwhile).
  explicit FileLock(int fd, std::chrono::milliseconds wait = kFileLockWait);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  State state() const { return state_; }
  bool locked() const { return state_ == State::Locked; }
  // Locked, or no lock to be had: the write may go on.
  bool mayWrite() const { return state_ != State::Held; }
  // Why the lock was not had, for a person: the wait that ran out, or the
  // system's reason.
  const QString& error() const { return error_; }
  // Lets go before the file is closed (closing lets go as well); the state
  // stays as it was.
  void release();

 private:
  int fd_ = -1;
  State state_ = State::Unavailable;
  bool holding_ = false;
  QString error_;
};

// Test seams: called when a writer finds the file locked and starts to wait,
// and inside an append between reading the size and writing (to widen that
// gap). Empty in the programs.
void SetFileLockWaitHook(std::function<void()> hook);
void SetAppendGapHook(std::function<void()> hook);
void RunAppendGapHook();
// Test seam: stands for flock(2) (returns -1 with errno set to fail); null
// restores it.
using FlockFunction = int (*)(int fd, int operation);
void SetFlockFunction(FlockFunction f);

}  // namespace plat
