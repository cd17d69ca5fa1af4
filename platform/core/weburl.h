#pragma once
// Addresses from the settings, checked before anything opens them: only a
// web page or a mail form, never a local file or another scheme.
#include <QString>
#include <QUrl>

namespace plat {

// A web address: "http://...", "https://..." or a bare "www.host/..." (taken
// as http). Invalid for any other scheme, a local path, a blank address or
// one without a host.
QUrl WebUrl(const QString& address);

// "mailto:" the address with the subject percent-encoded; invalid unless the
// address is a plain "name@host".
QUrl MailUrl(const QString& address, const QString& subject);

}  // namespace plat
