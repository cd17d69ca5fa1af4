#include "platform/net/webclient.h"

#include <QFile>
#include <QTimer>

#include "platform/core/codec.h"

namespace plat {

namespace {
bool Unreserved(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}
}  // namespace

QByteArray EncodePathSegment(QStringView segment) {
  const QByteArray raw = toCp950(segment);
  QByteArray out;
  static const char hex[] = "0123456789ABCDEF";
  for (char c : raw) {
    if (Unreserved(c)) {
      out.append(c);
    } else {
      auto u = static_cast<unsigned char>(c);
      out.append('%');
      out.append(hex[u >> 4]);
      out.append(hex[u & 15]);
    }
  }
  return out;
}

QByteArray EncodeFolderPath(QStringView folder) {
  QString f = folder.toString();
  f.replace(u'\\', u'/');
  QByteArray out;
  if (f.startsWith(u'/')) out = "%2F";
  const QStringList parts = f.split(u'/', Qt::SkipEmptyParts);
  for (const QString& p : parts) {
    if (!out.isEmpty() && out != "%2F") out.append('/');
    out.append(EncodePathSegment(p));
  }
  return out;
}

}  // namespace plat
