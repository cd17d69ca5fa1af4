#include "platform/gui/desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

#include "platform/core/launcher.h"

namespace plat {

bool Desktop::OpenUrl(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme != u"http" && scheme != u"https" && scheme != u"file" && scheme != u"mailto") return false;
  if (QDesktopServices::openUrl(url)) return true;
  // Qt may have no desktop service to ask (a bare X session): the freedesktop
  // opener, given the address as one argument.
  return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
}

bool ShowTextFile(const QString& path, QString* why) {
  if (desktop().OpenUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()))) return true;
  // Neither the desktop's own service nor the freedesktop opener is there.
  if (why) *why = NoProgramText(QStringLiteral("顯示文字檔的程式"), {QStringLiteral("xdg-open")});
  return false;
}

namespace {
Desktop* g_desktop = nullptr;
}

Desktop& desktop() {
  static Desktop real;
  return g_desktop ? *g_desktop : real;
}

void SetDesktop(Desktop* d) { g_desktop = d; }

}  // namespace plat
