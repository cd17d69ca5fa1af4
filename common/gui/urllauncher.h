#pragma once
// Opening a web page or a mail form from the settings' addresses: never
// through a shell, and only for http, https and mailto addresses. The
// desktop's handler is plat::desktop(); tests install plat::FakeDesktop.
#include <QString>
#include <QUrl>

#include "platform/core/weburl.h"

namespace common {

// Opens a checked address. A refused or failed one starts nothing and is
// logged under `procedure`; false then.
bool OpenUrlChecked(const QUrl& url, const QString& what, const QString& procedure);

}  // namespace common
