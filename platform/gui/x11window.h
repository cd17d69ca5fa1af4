#pragma once
// What a window tells an X11 window manager beyond Qt's flags, and what the
// manager did to it that Qt does not report. Off X11 (offscreen tests) every
// call does nothing and every question but OutOfReach answers false.
#include <QByteArray>
#include <optional>

class QWidget;

namespace plat::x11 {

// The windows go to a screen this layer cannot reach (a Wayland compositor
// with no X server to go through): nothing keeps a window in front or
// behind. False under X11 and offscreen. Tests may set the answer
// (nullopt: the platform's).
bool OutOfReach();
void SetOutOfReachForTests(std::optional<bool> outOfReach);

// Before the first map: the window is the desktop's own (kept below every
// other window, no frame, no taskbar or pager entry).
void MarkDesktopWindow(QWidget* window);
// The window manager has rolled the window up to its title bar.
bool IsShaded(const QWidget* window);
// Asks the window manager to unroll it.
void Unshade(const QWidget* window);
// Moves the X focus straight to one of the program's own shown windows,
// for when the program holds the focus already (on a window that must not
// keep it): no window manager is asked, so none can refuse.
void MoveFocusTo(const QWidget* window);
// An X event (QWidget::nativeEvent) that gave the window the keyboard focus.
// It comes even while a modal window blocks this one, when Qt passes the
// focus on to the modal window without telling the widgets.
bool IsFocusIn(const QByteArray& eventType, const void* message);
// An X event (QWidget::nativeEvent) that changed the window's state
// property (_NET_WM_STATE).
bool IsStateChange(const QByteArray& eventType, const void* message);

}  // namespace plat::x11
