#include "test/run/backdrop.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace run {

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
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  Paint(this, QColor(0x40, 0x40, 0x40));
  setGeometry(ScreenArea(false));
}

全螢幕黑景::全螢幕黑景() : Form(QStringLiteral("全螢幕黑景")) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  Paint(this, Qt::black);
  setGeometry(ScreenArea(true));
  setWindowState(Qt::WindowFullScreen);
}

}  // namespace run
