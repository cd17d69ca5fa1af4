#include "platform/core/windowsystem.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QStringList>
#include <QTimer>

namespace plat {

namespace {

// The plugin Qt tries first: "wayland;xcb" tries wayland, "xcb:option" is xcb.
QString FirstPlugin(const QString& platform) {
  return platform.section(u';', 0, 0).section(u':', 0, 0).trimmed().toLower();
}

bool XAnswers(const QString& display) {
  xcb_connection_t* c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
  const bool ok = c && xcb_connection_has_error(c) == 0;
  if (c) xcb_disconnect(c);
  return ok;
}

}  // namespace

WindowSystemChoice ChooseWindowSystem(const SessionEnvironment& env) {
  WindowSystemChoice c;
  const QString asked = env.platform.trimmed();
  const bool waylandAsked = !asked.isEmpty() && FirstPlugin(asked).startsWith(QLatin1String("wayland"));
  if (!asked.isEmpty() && !waylandAsked) return c;  // xcb, offscreen or another, on purpose

  QStringList session;
  if (!env.waylandDisplay.isEmpty()) session << QStringLiteral("WAYLAND_DISPLAY=") + env.waylandDisplay;
  if (env.sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0)
    session << QStringLiteral("XDG_SESSION_TYPE=") + env.sessionType;
  const bool waylandSession = !session.isEmpty();

  if (!env.display.isEmpty() && env.xAnswers && env.xAnswers(env.display)) {
    c.platform = QStringLiteral("xcb");
    const QString why = QStringLiteral("有 X 顯示 ") + env.display + QStringLiteral(",視窗要保持前後次序須經由 X11");
    if (waylandAsked)
      c.reason = QStringLiteral("視窗系統>使用 X11(xcb),不用 QT_QPA_PLATFORM=") + asked + QStringLiteral(":") + why;
    else if (waylandSession)
      c.reason = QStringLiteral("視窗系統>使用 X11(xcb):Wayland 工作階段(") + session.join(QStringLiteral(", ")) +
                 QStringLiteral(")") + why;
    return c;
  }
  if (!waylandAsked && !waylandSession) return c;  // Qt's own choice, X11 or none
  c.withoutX = true;
  const QString noX = env.display.isEmpty() ? QStringLiteral("沒有 X 顯示(DISPLAY 未設定)")
                                            : QStringLiteral("X 顯示 ") + env.display + QStringLiteral(" 無法連線");
  c.reason = QStringLiteral("視窗系統>Wayland:") + noX + QStringLiteral(",視窗無法保持在最前面");
  return c;
}

SessionEnvironment CurrentSessionEnvironment() {
  SessionEnvironment env;
  env.display = qEnvironmentVariable("DISPLAY");
  env.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
  env.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
  env.platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  env.xAnswers = XAnswers;
  return env;
}

WindowSystemSelection::WindowSystemSelection() : WindowSystemSelection(CurrentSessionEnvironment()) {}

WindowSystemSelection::WindowSystemSelection(const SessionEnvironment& env) : choice_(ChooseWindowSystem(env)) {
  if (choice_.platform.isEmpty()) return;
  wasSet_ = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
  was_ = qgetenv("QT_QPA_PLATFORM");
  qputenv("QT_QPA_PLATFORM", choice_.platform.toLatin1());
}

void WindowSystemSelection::ApplicationStarted(const std::function<void(const QString&)>& log) {
  if (!choice_.platform.isEmpty()) {
    if (wasSet_)
      qputenv("QT_QPA_PLATFORM", was_);
    else
      qunsetenv("QT_QPA_PLATFORM");
  }
  if (choice_.reason.isEmpty() || !log || !QCoreApplication::instance()) return;
  const QString reason = choice_.reason;
  QTimer::singleShot(0, QCoreApplication::instance(), [log, reason] { log(reason); });
}

}  // namespace plat
