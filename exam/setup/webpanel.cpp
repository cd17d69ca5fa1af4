#include "exam/setup/webpanel.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "common/accessors.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"
#include "common/gui/urllauncher.h"

namespace setup {

WebPanel::WebPanel(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  QObject::connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
    common::OpenUrlChecked(url, url.toString(), QStringLiteral("WebBrowser2"));
  });
}

void WebPanel::Navigate(const QString& address) {
  address_ = address.trimmed();
  if (address_.isEmpty()) {
    clear();
    return;
  }
  const QUrl web = plat::WebUrl(address_);
  if (web.isValid() && address_.contains(u"://")) {
    const QString shown = web.toString().toHtmlEscaped();
    setHtml(QStringLiteral("<p><a href=\"%1\">%2</a></p>").arg(QString::fromLatin1(web.toEncoded()).toHtmlEscaped(), shown));
    return;
  }
  QString path = plat::ToSlashes(address_);
  if (QDir::isRelativePath(path)) path = common::ProgramFolder.get() + path;
  path = plat::ResolvePath(path);
  QByteArray bytes;
  if (QFileInfo(path).isFile() && plat::readAllBytes(path, bytes)) {
    setSearchPaths({QFileInfo(path).absolutePath()});
    setHtml(plat::fromCp950(bytes));
  } else {
    setPlainText(address_);
  }
}

}  // namespace setup
