#pragma once
// Test helper: a folder that is read-only for the test's process while the
// helper lives. An account gets it by the folder's mode bits; root ignores
// those, so for root the folder is bind-mounted on itself and the bind
// remounted read-only (a real read-only file system, as a write-protected
// share or medium gives). Files named as writable stay writable: each is
// bind-mounted on itself first, so it keeps a writable mount of its own in
// the read-only folder.
#include <sys/mount.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace testing_fs {

class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const QString& folder, const QStringList& writableFiles = {}) : folder_(folder) {
    if (geteuid() != 0) {
      mode_ = QFile::permissions(folder);
      ok_ = QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
      if (!ok_) error_ = QStringLiteral("cannot change the folder's mode");
      return;
    }
    if (!Bind(folder)) return;
    for (const QString& f : writableFiles)
      if (!Bind(f)) return;
    const QByteArray dir = QFile::encodeName(folder);
    if (::mount(nullptr, dir.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      error_ = QStringLiteral("remount read-only: ") + QString::fromLocal8Bit(std::strerror(errno));
      return;
    }
    ok_ = true;
  }
  ~ReadOnlyFolder() {
    if (geteuid() != 0) {
      QFile::setPermissions(folder_, mode_);
      return;
    }
    for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) ::umount2(it->constData(), MNT_DETACH);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  bool ok() const { return ok_; }
  const QString& error() const { return error_; }

 private:
  bool Bind(const QString& path) {
    const QByteArray p = QFile::encodeName(path);
    if (::mount(p.constData(), p.constData(), nullptr, MS_BIND, nullptr) != 0) {
      error_ = QStringLiteral("bind mount ") + path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
      return false;
    }
    mounts_ << p;
    return true;
  }
  QString folder_;
  QFile::Permissions mode_;
  QList<QByteArray> mounts_;
  bool ok_ = false;
  QString error_;
};

}  // namespace testing_fs
