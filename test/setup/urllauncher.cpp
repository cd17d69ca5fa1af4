#include "test/setup/urllauncher.h"

#include <QRegularExpression>

#include "common/errorlog.h"
#include "platform/gui/desktop.h"

namespace setup {

QUrl WebUrl(const QString& address) {
  const QString a = address.trimmed();
  if (a.isEmpty()) return QUrl();
  const QString lower = a.toLower();
  QUrl url;
  if (lower.startsWith(u"http://") || lower.startsWith(u"https://")) {
    url = QUrl(a, QUrl::StrictMode);
  } else if (!a.contains(u':')) {
    url = QUrl(QStringLiteral("http://") + a, QUrl::StrictMode);
  } else {
    return QUrl();  // another scheme (file:, javascript:, ...)
  }
  if (!url.isValid() || url.host().isEmpty()) return QUrl();
  return url;
}

QUrl MailUrl(const QString& address, const QString& subject) {
  static const QRegularExpression plain(QStringLiteral("^[^\\s?&#/:<>\"'%]+@[^\\s?&#/:<>\"'%@]+$"));
  const QString a = address.trimmed();
  if (!plain.match(a).hasMatch()) return QUrl();
  QUrl url;
  url.setScheme(QStringLiteral("mailto"));
  url.setPath(a);
  url.setQuery(QStringLiteral("subject=") + QString::fromLatin1(QUrl::toPercentEncoding(subject)),
               QUrl::StrictMode);
  return url.isValid() ? url : QUrl();
}

bool OpenUrlChecked(const QUrl& url, const QString& what, const QString& procedure) {
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || (scheme != u"http" && scheme != u"https" && scheme != u"mailto")) {
    common::WriteErrorLog(procedure + QStringLiteral(">網址不正確,不開啟>") + what);
    return false;
  }
  if (!plat::desktop().OpenUrl(url)) {
    common::WriteErrorLog(procedure + QStringLiteral(">無法開啟>") + url.toString());
    return false;
  }
  common::WriteErrorLog(procedure + QStringLiteral(">") + url.toString());
  return true;
}

}  // namespace setup
