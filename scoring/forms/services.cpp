#include "scoring/forms/services.h"

#include <QApplication>
#include <QDesktopServices>

namespace scorer {

namespace {

Companions& companionsSlot() {
  static Companions c;
  return c;
}

Desktop* g_desktop = nullptr;
QString g_commandLine;

}  // namespace

void SetCompanions(const Companions& c) { companionsSlot() = c; }

const Companions& companions() { return companionsSlot(); }

bool Desktop::OpenUrl(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("file") &&
      scheme != QLatin1String("mailto"))
    return false;
  return QDesktopServices::openUrl(url);
}

void Desktop::Beep() { QApplication::beep(); }

Desktop& desktop() {
  static Desktop real;
  return g_desktop ? *g_desktop : real;
}

void SetDesktop(Desktop* d) { g_desktop = d; }

void SetCommandLine(const QString& text) { g_commandLine = text; }

QString CommandLine() { return g_commandLine; }

QStringList SplitCommandLine(const QString& text) {
  // QString::split keeps empty parts, so ",," and a trailing "," count.
  return text.split(u',');
}

}  // namespace scorer
