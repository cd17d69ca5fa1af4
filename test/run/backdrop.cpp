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

// A dialog-type window, so that the window manager hears of its owner.
constexpr Qt::WindowFlags kBackdrop = Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                      Qt::WindowStaysOnBottomHint;

}  // namespace

背景::背景() : Form(QStringLiteral("背景")) {
  setWindowFlags(kBackdrop);
  Paint(this, QColor(0x40, 0x40, 0x40));
  setGeometry(ScreenArea(false));
}

全螢幕黑景::全螢幕黑景() : Form(QStringLiteral("全螢幕黑景")) {
  setWindowFlags(kBackdrop);
  Paint(this, Qt::black);
  setGeometry(ScreenArea(true));
  setWindowState(Qt::WindowFullScreen);
}

void ShowBackdrops() {
  全螢幕黑景& black = plat::forms::get<全螢幕黑景>();
  背景& grey = plat::forms::get<背景>();
  black.Load();
  black.setEnabled(false);
  black.Show(plat::ShowMode::Modeless);
  grey.Load();
  grey.setEnabled(false);
  grey.Show(plat::ShowMode::Modeless, &black);
  plat::SetDefaultOwner([]() -> QWidget* {
    return plat::forms::exists<背景>() ? &plat::forms::get<背景>() : nullptr;
  });
}

}  // namespace run
