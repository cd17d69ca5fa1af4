#include "platform/core/weburl.h"

#include <QRegularExpression>

namespace plat {

QUrl WebUrl(const QString& address) {
  const QString a = address.trimmed();
  if (a.isEmpty()) return QUrl();
  const QString lower = a.toLower();
  QUrl url;
  if (lower.startsWith(u"http://") || lower.startsWith(u"https://"))
    url = QUrl(a, QUrl::StrictMode);
  else if (!a.contains(u':') && !a.startsWith(u'/'))
    url = QUrl(QStringLiteral("http://") + a, QUrl::StrictMode);
  else
    return QUrl();  // file:, javascript:, a local path ...
  if (!url.isValid() || url.host().isEmpty()) return QUrl();
  return url;
}

QUrl MailUrl(const QString& address, const QString& subject) {
  static const QRegularExpression plain(QStringLiteral("^[^\\s?&#/:<>\"'%@]+@[^\\s?&#/:<>\"'%@]+$"));
  const QString a = address.trimmed();
  if (!plain.match(a).hasMatch()) return QUrl();
  QUrl url;
  url.setScheme(QStringLiteral("mailto"));
  url.setPath(a);
  url.setQuery(QStringLiteral("subject=") + QString::fromLatin1(QUrl::toPercentEncoding(subject)), QUrl::StrictMode);
  return url.isValid() ? url : QUrl();
}

}  // namespace plat
