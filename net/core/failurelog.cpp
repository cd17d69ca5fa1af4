#include "net/core/failurelog.h"

#include <QUrl>

#include "common/errorlog.h"

namespace net {

QString FailureLine(const QString& tag, const QString& host, const QString& request, const QString& reason) {
  return tag + host + u' ' + request + QStringLiteral(": ") + reason;
}

void LogFailure(const QString& tag, const QString& host, const QString& request, const QString& reason) {
  common::WriteErrorLog(FailureLine(tag, host, request, reason));
}

QString AddressHost(const QString& url) {
  const QUrl u(url, QUrl::TolerantMode);
  if (u.host().isEmpty()) return url.trimmed().isEmpty() ? QStringLiteral("(no host)") : url.trimmed();
  return u.port() > 0 ? u.host() + u':' + QString::number(u.port()) : u.host();
}

QString AddressRequest(const QString& url) {
  const QUrl u(url, QUrl::TolerantMode);
  const QString path = u.path(QUrl::FullyEncoded);
  const QString verb = u.scheme() == u"ftp" ? QStringLiteral("RETR ") : QStringLiteral("GET ");
  return verb + (path.isEmpty() ? QStringLiteral("/") : path);
}

}  // namespace net
