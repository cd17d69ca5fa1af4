#include "platform/core/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/codec.h"
#include "platform/core/filelock.h"

namespace plat {

QList<QByteArray> splitRawLines(const QByteArray& bytes) {
  QList<QByteArray> lines;
  qsizetype start = 0;
  const qsizetype n = bytes.size();
  for (qsizetype i = 0; i < n; ++i) {
    char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.append(bytes.mid(start, i - start));
      if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < n) lines.append(bytes.mid(start));
  return lines;
}

bool readAllBytes(const QString& path, QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  bytes = f.readAll();
  return true;
}

bool readTextLines(const QString& path, QStringList& lines) {
  lines.clear();
  QByteArray bytes;
  if (!readAllBytes(path, bytes)) return false;
  for (const QByteArray& raw : splitRawLines(bytes)) lines.append(fromCp950(raw));
  return true;
}

namespace {

OpenedForWriteHook g_openedHook = nullptr;

// errno is left holding the cause, for callers that map it to a number.
bool failed(QString* why, const QString& reason, int error) {
  if (why) *why = reason;
  errno = error != 0 ? error : EIO;
  return false;
}

// The reason of a write that stopped short: errno of the failing write(2),
// else the device's own text.
QString shortWriteReason(int error, const QFileDevice& f, qint64 wrote, qint64 wanted) {
  if (error != 0 || f.error() != QFileDevice::NoError) return fileReason(f, error);
  return QStringLiteral("只寫入了 %2 位元組中的 %1 位元組").arg(wrote).arg(wanted);
}

}  // namespace

void setOpenedForWriteHook(OpenedForWriteHook hook) { g_openedHook = hook; }

bool writeBytesAtomic(const QString& path, const QByteArray& bytes, QString* why) {
  QSaveFile f(path);
  // Unbuffered, so a full disk answers in write() itself; a buffered write
  // fails only in the close inside commit(), where Qt may still rename the
  // cut file into place.
  errno = 0;
  if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return failed(why, fileReason(f, errno), errno);
  if (g_openedHook) g_openedHook(f.handle());
  errno = 0;
  const qint64 wrote = f.write(bytes);
  if (wrote != bytes.size()) {
    const int error = errno;
    const QString reason = shortWriteReason(error, f, wrote, bytes.size());
    f.cancelWriting();
    return failed(why, reason, error);
  }
  // Some file systems tell of a lack of space only when the data goes out.
  if (::fsync(f.handle()) != 0) {
    const int error = errno;
    f.cancelWriting();
    return failed(why, systemReason(error), error);
  }
  struct stat st {};
  if (::fstat(f.handle(), &st) != 0 || st.st_size != bytes.size()) {
    f.cancelWriting();
    return failed(why, QStringLiteral("磁碟上的檔案大小與寫入的不符"), EIO);
  }
  errno = 0;
  if (!f.commit()) return failed(why, fileReason(f, errno), errno);
  return true;
}

bool writeTextLines(const QString& path, const QStringList& lines, QString* why) {
  QByteArray out;
  for (const QString& l : lines) {
    out += toCp950(l);
    out += "\r\n";
  }
  return writeBytesAtomic(path, out, why);
}

bool copyFileChecked(const QString& from, const QString& to, QString* why) {
  QFile in(from);
  errno = 0;
  if (!in.open(QIODevice::ReadOnly)) return failed(why, fileReason(in, errno), errno);
  const QByteArray bytes = in.readAll();
  if (in.error() != QFileDevice::NoError) return failed(why, fileReason(in), EIO);
  return writeBytesAtomic(to, bytes, why);
}

bool appendBytes(const QString& path, const QByteArray& bytes, QString* why, QString* unlocked) {
  if (unlocked) unlocked->clear();
  QFile f(path);
  errno = 0;
  if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
    return failed(why, fileReason(f, errno), errno);
  const FileLock lock(f.handle());
  if (!lock.mayWrite()) return failed(why, lock.error(), EAGAIN);
  if (!lock.locked() && unlocked) *unlocked = lock.error();
  if (g_openedHook) g_openedHook(f.handle());
  const qint64 before = f.size();
  errno = 0;
  const qint64 wrote = f.write(bytes);
  if (wrote != bytes.size()) {
    const int error = errno;
    const QString reason = shortWriteReason(error, f, wrote, bytes.size());
    // A torn tail would pass for a line or a record of its own.
    if (wrote > 0) f.resize(before);
    return failed(why, reason, error);
  }
  return true;
}

bool appendTextLine(const QString& path, const QString& line, QString* why, QString* unlocked) {
  return appendBytes(path, toCp950(line) + "\r\n", why, unlocked);
}

QString trimTrailingBlanks(const QString& s) {
  qsizetype n = s.size();
  while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
  return s.left(n);
}

QByteArray trimTrailingBlankBytes(QByteArray line) {
  qsizetype n = line.size();
  while (n > 0 && line[n - 1] == ' ') --n;
  line.truncate(n);
  return line;
}

}  // namespace plat
