#pragma once
// What a window tells an X11 window manager beyond Qt's flags, and what the
// manager did to it that Qt does not report. Off X11 (offscreen tests) every
// call does nothing and every question answers false.
#include <QByteArray>

class QWidget;

namespace plat::x11 {

// Before the first map: the window is the desktop's own (kept below every
// other window, no frame, no taskbar or pager entry).
void MarkDesktopWindow(QWidget* window);
// The window manager has rolled the window up to its title bar.
bool IsShaded(const QWidget* window);
// Asks the window manager to unroll it.
void Unshade(const QWidget* window);
// An X event (QWidget::nativeEvent) that changed the window's state
// property (_NET_WM_STATE).
bool IsStateChange(const QByteArray& eventType, const void* message);

}  // namespace plat::x11
