#pragma once
// One line in the error report for every transfer that fails, so a proctor
// can tell which server, which request and why: the transfer's marker
// ("Winsock>", "FTP>", "WWW>"), the host, the request and the reason.
#include <QString>

namespace net {

// "<tag><host> <request>: <reason>".
QString FailureLine(const QString& tag, const QString& host, const QString& request, const QString& reason);
// Writes that line to the error report.
void LogFailure(const QString& tag, const QString& host, const QString& request, const QString& reason);

// Host (with its port when it has one) and request line of a web address,
// for the line above: "127.0.0.1:8080" and "GET /exam/T01-01.wma".
QString AddressHost(const QString& url);
QString AddressRequest(const QString& url);

}  // namespace net
