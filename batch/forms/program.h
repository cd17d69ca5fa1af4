#pragma once
// The batch scorer as a program: one copy at a time, then the main window
// with the command line it was started with.
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>

class QApplication;

namespace batchui {

// The lock of the one running copy: a lock file that records its holder, so
// a copy that crashed leaves no lock behind that blocks the next start.
class SingleInstance {
 public:
  explicit SingleInstance(const QString& lockPath = DefaultLockPath());
  // True when this process now holds the lock; false when another live copy
  // does, or when the lock cannot be made (CannotMake() then says why).
  bool Acquire();
  void Release();
  QString LockPath() const { return path_; }
  // Why the last Acquire could not make the lock file (a full or read-only
  // temporary folder); empty when it could.
  const QString& CannotMake() const { return cannotMake_; }

  // <temporary folder>/Tallisk-<user>.lock
  static QString DefaultLockPath();

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  QString cannotMake_;
};

// The exit code of a program that could not start (no lock file).
inline constexpr int kExitCannotStart = 1;

// Runs the program: returns at once (0) when another copy runs; when the
// lock file cannot be made, says so in a message and the error report and
// returns kExitCannotStart; else returns after the main window ended the
// event loop.
int RunTallisk(QApplication& app, const QStringList& arguments);

}  // namespace batchui
