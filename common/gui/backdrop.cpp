#include "common/gui/backdrop.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace common {

namespace {

void Paint(QWidget* w, QColor colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QRect ScreenArea(bool whole) {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return QRect(0, 0, 640, 480);
  return whole ? s->geometry() : s->availableGeometry();
}

}  // namespace

背景::背景() : Form(QStringLiteral("背景")) {
  MakeBackdrop();
  Paint(this, QColor(0x40, 0x40, 0x40));
  setGeometry(ScreenArea(false));
}

全螢幕黑景::全螢幕黑景() : Form(QStringLiteral("全螢幕黑景")) {
  MakeBackdrop();
  Paint(this, Qt::black);
  // The screen's size, not the full-screen state: a window manager lifts a
  // full-screen window over the others.
  setGeometry(ScreenArea(true));
}

void ShowBackdrops() {
  全螢幕黑景& black = plat::forms::get<全螢幕黑景>();
  背景& grey = plat::forms::get<背景>();
  black.Show(plat::ShowMode::Modeless);
  grey.Show(plat::ShowMode::Modeless);
}

}  // namespace common
