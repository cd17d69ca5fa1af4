#include "testsupport/core/fulldisk.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include "platform/core/textfile.h"

namespace testing_support {

namespace {

QByteArray g_seamFolder;  // files opened under it are pointed at /dev/full

void PointAtDevFull(int fd) {
  if (g_seamFolder.isEmpty()) return;
  char link[4096];
  const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd);
  const ssize_t n = ::readlink(proc.constData(), link, sizeof link - 1);
  if (n <= 0) return;
  const QByteArray target(link, n);
  if (!target.startsWith(g_seamFolder + '/')) return;
  const int full = ::open("/dev/full", O_WRONLY);
  if (full < 0) return;
  ::dup2(full, fd);
  ::close(full);
}

QString Filler(const QString& path) { return path + QStringLiteral("/.filler"); }

}  // namespace

FullDisk::FullDisk(qint64 bytes, bool mount) {
  if (!dir_.isValid()) return;
  path_ = QDir(dir_.path()).absolutePath();
  const QByteArray where = QFile::encodeName(path_);
  const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0777";
  mounted_ = mount && ::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
  ok_ = true;
}

FullDisk::~FullDisk() {
  Free();
  if (mounted_) ::umount2(QFile::encodeName(path_).constData(), MNT_DETACH);
}

QString FullDisk::Kind() const { return mounted_ ? QStringLiteral("tmpfs") : QStringLiteral("seam (/dev/full)"); }

bool FullDisk::Fill() {
  if (!ok_) return false;
  if (!mounted_) {
    if (::access("/dev/full", W_OK) != 0) return false;
    g_seamFolder = QFile::encodeName(path_);
    plat::setOpenedForWriteHook(&PointAtDevFull);
    return true;
  }
  const int fd = ::open(QFile::encodeName(Filler(path_)).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (fd < 0) return false;
  static const char page[4096] = {};
  // Whole pages, then single bytes to the last one.
  for (size_t chunk : {sizeof page, size_t(1)}) {
    while (::write(fd, page, chunk) == ssize_t(chunk)) {
    }
  }
  const bool full = errno == ENOSPC;
  ::close(fd);
  return full;
}

bool FullDisk::MakeReadOnly() {
  return mounted_ && ::mount("tmpfs", QFile::encodeName(path_).constData(), "tmpfs",
                             MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

void FullDisk::Free() {
  if (!mounted_) {
    g_seamFolder.clear();
    plat::setOpenedForWriteHook(nullptr);
    return;
  }
  if (QFile::exists(Filler(path_))) QFile::remove(Filler(path_));
}

}  // namespace testing_support
