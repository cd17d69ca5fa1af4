#include "platform/gui/controls.h"

#include <QPalette>
#include <QRect>
#include <QVariant>

namespace plat {

namespace {

constexpr char kBoxProperty[] = "twipsBox";

void Keep(QWidget* w, const TwipsBox& b) { w->setProperty(kBoxProperty, QRect(b.left, b.top, b.width, b.height)); }

}  // namespace

void PlaceTwips(QWidget* w, const TwipsBox& box) {
  Keep(w, box);
  SetTwipsGeometry(w, box);
}

TwipsBox BoxTwips(const QWidget* w) {
  TwipsBox now = TwipsGeometry(w);
  const QVariant v = w->property(kBoxProperty);
  if (!v.isValid()) return now;
  const QRect k = v.toRect();
  const QRect g = w->geometry();
  if (g.topLeft() == QPoint(TwipsToPixels(k.x()), TwipsToPixels(k.y()))) {
    now.left = k.x();
    now.top = k.y();
  }
  if (g.size() == QSize(TwipsToPixels(k.width()), TwipsToPixels(k.height()))) {
    now.width = k.width();
    now.height = k.height();
  }
  return now;
}

void SetTopTwips(QWidget* w, int top) {
  TwipsBox b = BoxTwips(w);
  b.top = top;
  PlaceTwips(w, b);
}

void SetLeftTwips(QWidget* w, int left) {
  TwipsBox b = BoxTwips(w);
  b.left = left;
  PlaceTwips(w, b);
}

void SetSizeTwips(QWidget* w, int width, int height) {
  TwipsBox b = BoxTwips(w);
  b.width = width;
  b.height = height;
  if (!w->isWindow()) {
    PlaceTwips(w, b);
    return;
  }
  Keep(w, b);
  SetTwipsSize(w, width, height);
}

void SetForeColour(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, c);
  p.setColor(QPalette::Text, c);
  p.setColor(QPalette::ButtonText, c);
  w->setPalette(p);
}

void SetBackColour(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, c);
  p.setColor(QPalette::Base, c);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QColor BackColour(const QWidget* w) { return w->palette().color(QPalette::Window); }

}  // namespace plat
