#include "platform/gui/titlebar.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QWidget>

#include "platform/gui/twips.h"

namespace plat {

QFont TitleBarFont(const QFont& windowFont) {
  QFont f = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  if (f.pointSizeF() < windowFont.pointSizeF()) f.setPointSizeF(windowFont.pointSizeF());
  f.setBold(true);
  return f;
}

int TitleBarRoom(const QWidget* window) {
  const QFontMetrics fm(TitleBarFont(window->font()));
  return window->width() - TwipsToPixels(900) - 4 * fm.height();
}

QString PadTitle(const QString& prefix, const QString& maker, int room,
                 const std::function<int(const QString&)>& measure) {
  QString caption = prefix + u' ' + maker;
  for (int n = 2; n <= 500; ++n) {
    const QString c = prefix + QString(n, u' ') + maker;
    if (measure(c) > room) break;
    caption = c;
  }
  return caption;
}

QString TitleWithMakerAtRight(const QWidget* window, const QString& prefix, const QString& maker) {
  const QFontMetrics fm(TitleBarFont(window->font()));
  return PadTitle(prefix, maker, TitleBarRoom(window), [&](const QString& s) { return fm.horizontalAdvance(s); });
}

}  // namespace plat
