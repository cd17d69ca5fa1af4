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
  // does (or the lock cannot be made, which is logged to stderr).
  bool Acquire();
  void Release();
  QString LockPath() const { return path_; }

  // <temporary folder>/Tallisk-<user>.lock
  static QString DefaultLockPath();

 private:
  QString path_;
  std::unique_ptr<QLockFile> lock_;
};

// Runs the program: returns at once (0) when another copy runs, else after
// the main window ended the event loop.
int RunTallisk(QApplication& app, const QStringList& arguments);

}  // namespace batchui
