#include "scoring/forms/formkit.h"

#include <QPalette>
#include <QRect>
#include <QVariant>

#include "common/store.h"
#include "platform/core/prompt.h"

namespace scorer {

namespace {

constexpr char kBoxProperty[] = "twipsBox";

QColor FromBgr(unsigned bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

}  // namespace

QString StoreText(int id) { return common::SystemIniValue(id).asText(); }

void PlaceTwips(QWidget* w, const plat::TwipsBox& box) {
  w->setProperty(kBoxProperty, QRect(box.left, box.top, box.width, box.height));
  plat::SetTwipsGeometry(w, box);
}

plat::TwipsBox BoxTwips(const QWidget* w) {
  const QVariant v = w->property(kBoxProperty);
  if (!v.isValid()) return plat::TwipsGeometry(w);
  const QRect r = v.toRect();
  return {r.x(), r.y(), r.width(), r.height()};
}

void SetTopTwips(QWidget* w, int top) {
  plat::TwipsBox b = BoxTwips(w);
  b.top = top;
  PlaceTwips(w, b);
}

void SetLeftTwips(QWidget* w, int left) {
  plat::TwipsBox b = BoxTwips(w);
  b.left = left;
  PlaceTwips(w, b);
}

void SetSizeTwips(QWidget* w, int width, int height) {
  plat::TwipsBox b = BoxTwips(w);
  b.width = width;
  b.height = height;
  if (!w->isWindow()) {
    PlaceTwips(w, b);
    return;
  }
  // A window keeps its place on the screen: only its size changes.
  w->setProperty(kBoxProperty, QRect(b.left, b.top, b.width, b.height));
  plat::SetTwipsSize(w, width, height);
}

void ShowRefusal(const QString& text) {
  plat::prompt().Ask(text, StoreText(14001), plat::Buttons::Ok, plat::Icon::None);
}

void SetBackColour(QWidget* w, unsigned bgr) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, FromBgr(bgr));
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

void SetForeColour(QWidget* w, unsigned bgr) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, FromBgr(bgr));
  w->setPalette(p);
}

}  // namespace scorer
