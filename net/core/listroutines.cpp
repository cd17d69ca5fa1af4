#include "net/core/listroutines.h"

#include <QDir>
#include <QFileInfo>

#include "platform/core/codec.h"
#include "platform/core/paths.h"

namespace net {

QString DivisionWordS(int n, QStringView text) {
  if (n < 0) return {};
  int count = 0;
  QString piece;
  for (QChar c : text) {
    if (c == u',' || c == u' ') {
      if (count == n) return piece;
      ++count;
      piece.clear();
    } else {
      piece.append(c);
    }
  }
  return count == n ? piece : QString();
}

QString CheckListBox(const QStringList& entries, QStringView key) {
  for (const QString& e : entries) {
    if (QStringView(e).compare(key, Qt::CaseInsensitive) == 0) return e;
  }
  for (const QString& e : entries) {
    if (QStringView(e).startsWith(key, Qt::CaseInsensitive)) return e;
  }
  return {};
}

QStringList FillListBox(QStringView text) {
  QStringList out;
  QString line;
  auto flush = [&] {
    if (!line.isEmpty()) out.append(line);
    line.clear();
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == u'\n') {
      flush();
    } else if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') continue;
      flush();
    } else {
      line.append(c);
    }
  }
  flush();
  return out;
}

QStringList FilterByPattern(const QStringList& entries, QStringView pattern) {
  QStringList out;
  for (const QString& e : entries) {
    // Some servers list "folder/name"; the name is what counts.
    QString name = e.section(u'/', -1);
    if (plat::WildcardMatch(pattern, name)) out.append(name);
  }
  return out;
}

bool IsSafeFileName(QStringView name) {
  if (name.isEmpty() || name.size() > 128 || name == u"." || name == u"..") return false;
  for (QChar c : name) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'/' || c == u'\\' || c == u':')
      return false;
  }
  return plat::fitsCp950(name);
}

QString SafeFilePath(const QString& folder, QStringView name) {
  if (!IsSafeFileName(name)) return {};
  const QString base = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
  const QString path = QDir::cleanPath(base + u'/' + name.toString());
  if (!path.startsWith(base + u'/')) return {};
  return path;
}

}  // namespace net
