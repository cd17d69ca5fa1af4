#include "platform/gui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace plat {

int TwipsToPixels(int twips) {
  const int half = kTwipsPerPixel / 2;
  return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

int PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

void SetTwipsGeometry(QWidget* w, const TwipsBox& b) {
  w->setGeometry(TwipsToPixels(b.left), TwipsToPixels(b.top), TwipsToPixels(b.width),
                 TwipsToPixels(b.height));
}

TwipsBox TwipsGeometry(const QWidget* w) {
  const QRect r = w->geometry();
  return {PixelsToTwips(r.x()), PixelsToTwips(r.y()), PixelsToTwips(r.width()),
          PixelsToTwips(r.height())};
}

void SetTwipsPos(QWidget* w, int left, int top) { w->move(TwipsToPixels(left), TwipsToPixels(top)); }

void SetTwipsSize(QWidget* w, int width, int height) {
  w->resize(TwipsToPixels(width), TwipsToPixels(height));
}

void CentreOnScreen(QWidget* w) {
  QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect area = s->availableGeometry();
  const QSize size = w->frameGeometry().size();
  w->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

}  // namespace plat
