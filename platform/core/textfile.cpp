#include "platform/core/textfile.h"

#include <QFile>
#include <QSaveFile>

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

bool writeBytesAtomic(const QString& path, const QByteArray& bytes) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  if (f.write(bytes) != bytes.size()) {
    f.cancelWriting();
    return false;
  }
  return f.commit();
}

bool writeTextLines(const QString& path, const QStringList& lines) {
  QByteArray out;
  for (const QString& l : lines) {
    out += toCp950(l);
    out += "\r\n";
  }
  return writeBytesAtomic(path, out);
}

bool appendBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const FileLock lock(f.handle());
  if (!lock.locked()) return false;
  bool ok = f.write(bytes) == bytes.size();
  ok = f.flush() && ok;
  return ok;
}

bool appendTextLine(const QString& path, const QString& line) {
  return appendBytes(path, toCp950(line) + "\r\n");
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
