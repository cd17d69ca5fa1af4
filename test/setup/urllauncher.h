#pragma once
// Opening a web page or a mail form from the settings' addresses: never
// through a shell, and only for http, https and mailto addresses. The
// desktop's handler is plat::desktop(); tests install plat::FakeDesktop.
#include <QString>
#include <QUrl>

namespace setup {

// The page of a web address from the settings: "http://host/path",
// "https://...", or "www.host" (taken as http). Empty (invalid) for any
// other scheme, a blank or an address without a host.
QUrl WebUrl(const QString& address);

// "mailto:" with the address and the subject; invalid when the address is not
// a plain "name@host".
QUrl MailUrl(const QString& address, const QString& subject);

// Opens a checked address. A refused or failed one starts nothing and is
// logged under `procedure`; false then.
bool OpenUrlChecked(const QUrl& url, const QString& what, const QString& procedure);

}  // namespace setup
