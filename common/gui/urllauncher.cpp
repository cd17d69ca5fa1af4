#include "common/gui/urllauncher.h"

#include "common/errorlog.h"
#include "platform/gui/desktop.h"

namespace common {

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

}  // namespace common
