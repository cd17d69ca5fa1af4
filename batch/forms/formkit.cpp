#include "batch/forms/formkit.h"

#include <QLabel>
#include <QPalette>
#include <QRect>
#include <QVariant>

#include "batch/core/batch.h"
#include "common/errorlog.h"

namespace batchui {

namespace {
constexpr char kBoxProperty[] = "twipsBox";
}

void PlaceTwips(QWidget* w, const plat::TwipsBox& box) {
  plat::SetTwipsGeometry(w, box);
  w->setProperty(kBoxProperty, QVariantList{box.left, box.top, box.width, box.height});
}

plat::TwipsBox BoxTwips(const QWidget* w) {
  const QVariantList v = w->property(kBoxProperty).toList();
  if (v.size() == 4) {
    const plat::TwipsBox kept{v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()};
    const QRect px(plat::TwipsToPixels(kept.left), plat::TwipsToPixels(kept.top), plat::TwipsToPixels(kept.width),
                   plat::TwipsToPixels(kept.height));
    if (w->geometry() == px) return kept;  // not moved since by other means
  }
  return plat::TwipsGeometry(w);
}

void SetTopTwips(QWidget* w, int top) {
  plat::TwipsBox b = BoxTwips(w);
  b.top = top;
  PlaceTwips(w, b);
}

QLabel* MakeLabel(QWidget* form, const char* name, const plat::TwipsBox& box, const char* caption) {
  QLabel* l = MakeControl<QLabel>(form, name, box);
  l->setTextFormat(Qt::PlainText);
  l->setText(QString::fromUtf8(caption));
  return l;
}

void Trap(const char* procedure, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    const QString name = QString::fromLatin1(procedure);
    batch::batch().WriteErrorLog(common::ErrorTrapLine(name, common::CurrentAppError(name)));
  }
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

}  // namespace batchui
