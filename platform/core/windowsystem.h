#pragma once
// Which of Qt's window systems a program runs on, chosen before the
// application is built. Only under X11 can the window layer keep the test
// screen in front and its backdrops behind, so in a Wayland session the
// programs go through the session's X server (Xwayland) whenever one
// answers. A platform set to xcb or offscreen on purpose (the tests run
// offscreen) is left as it is, and so is any other that is not Wayland's.
#include <QByteArray>
#include <QString>
#include <functional>

namespace plat {

// What the choice reads. An empty variable counts as unset.
struct SessionEnvironment {
  QString display;         // DISPLAY
  QString waylandDisplay;  // WAYLAND_DISPLAY
  QString sessionType;     // XDG_SESSION_TYPE
  QString platform;        // QT_QPA_PLATFORM
  // Whether an X server answers at the display; asked only when the choice
  // depends on it.
  std::function<bool(const QString& display)> xAnswers;
};

struct WindowSystemChoice {
  // What QT_QPA_PLATFORM becomes for the program; empty: left as it was.
  QString platform;
  // One line for the error report naming the choice and why; empty when
  // nothing was chosen on the user's behalf.
  QString reason;
  // The program is to run as a Wayland client: nothing keeps its windows
  // in front or behind.
  bool withoutX = false;
};

WindowSystemChoice ChooseWindowSystem(const SessionEnvironment& env);

// The process's environment; xAnswers opens a connection to the display.
SessionEnvironment CurrentSessionEnvironment();

// Made first thing in main, before the QApplication: chooses and sets
// QT_QPA_PLATFORM for the application about to be built.
class WindowSystemSelection {
 public:
  WindowSystemSelection();
  explicit WindowSystemSelection(const SessionEnvironment& env);
  WindowSystemSelection(const WindowSystemSelection&) = delete;
  WindowSystemSelection& operator=(const WindowSystemSelection&) = delete;

  // Once the application exists: QT_QPA_PLATFORM goes back to what it was,
  // so that the programs this one starts choose for themselves, and the
  // reason is written through `log` when the event loop first runs (after
  // the first form's load, which may start the error report afresh).
  void ApplicationStarted(const std::function<void(const QString&)>& log);

  const WindowSystemChoice& Choice() const { return choice_; }

 private:
  WindowSystemChoice choice_;
  bool wasSet_ = false;
  QByteArray was_;
};

}  // namespace plat
