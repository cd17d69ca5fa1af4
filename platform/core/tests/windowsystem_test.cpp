#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "platform/core/windowsystem.h"

using namespace plat;

namespace {

struct Case {
  const char* what;
  const char* display;
  const char* wayland;
  const char* session;
  const char* platform;
  bool xAnswers;
  const char* chosen;  // QT_QPA_PLATFORM set, "" when left as it was
  bool withoutX;
  const char* reason;  // the error report's line, "" when none
};

const Case kCases[] = {
    // A GNOME or Plasma session with Xwayland: X11, said in the report.
    {"wayland session with xwayland", ":0", "wayland-0", "wayland", "", true, "xcb", false,
     "視窗系統>使用 X11(xcb):Wayland 工作階段(WAYLAND_DISPLAY=wayland-0, XDG_SESSION_TYPE=wayland)有 X 顯示 :0,"
     "視窗要保持前後次序須經由 X11"},
    {"only the session type says wayland", ":1", "", "wayland", "", true, "xcb", false,
     "視窗系統>使用 X11(xcb):Wayland 工作階段(XDG_SESSION_TYPE=wayland)有 X 顯示 :1,視窗要保持前後次序須經由 X11"},
    {"only WAYLAND_DISPLAY", ":0", "wayland-1", "", "", true, "xcb", false,
     "視窗系統>使用 X11(xcb):Wayland 工作階段(WAYLAND_DISPLAY=wayland-1)有 X 顯示 :0,視窗要保持前後次序須經由 X11"},
    // Wayland asked for globally, with or without its plugin: X11 all the same.
    {"wayland asked", ":0", "wayland-0", "wayland", "wayland", true, "xcb", false,
     "視窗系統>使用 X11(xcb),不用 QT_QPA_PLATFORM=wayland:有 X 顯示 :0,視窗要保持前後次序須經由 X11"},
    {"wayland then xcb asked", ":0", "wayland-0", "wayland", "wayland;xcb", true, "xcb", false,
     "視窗系統>使用 X11(xcb),不用 QT_QPA_PLATFORM=wayland;xcb:有 X 顯示 :0,視窗要保持前後次序須經由 X11"},
    {"wayland-egl asked in an X session", ":0", "", "x11", "wayland-egl", true, "xcb", false,
     "視窗系統>使用 X11(xcb),不用 QT_QPA_PLATFORM=wayland-egl:有 X 顯示 :0,視窗要保持前後次序須經由 X11"},
    // A plain X session: xcb, nothing worth a line.
    {"x11 session", ":0", "", "x11", "", true, "xcb", false, ""},
    {"x11, no session type", ":0", "", "", "", true, "xcb", false, ""},
    // Chosen on purpose: left alone whatever the session.
    {"xcb on purpose", ":0", "wayland-0", "wayland", "xcb", true, "", false, ""},
    {"xcb first on purpose", ":0", "wayland-0", "wayland", "xcb;wayland", true, "", false, ""},
    {"offscreen (tests)", ":0", "wayland-0", "wayland", "offscreen", true, "", false, ""},
    {"offscreen without any display", "", "", "", "offscreen", false, "", false, ""},
    {"another platform on purpose", ":0", "wayland-0", "wayland", "vnc", true, "", false, ""},
    // No X server to go through: Wayland, and the programs are told.
    {"wayland without DISPLAY", "", "wayland-0", "wayland", "", false, "", true,
     "視窗系統>Wayland:沒有 X 顯示(DISPLAY 未設定),視窗無法保持在最前面"},
    {"DISPLAY that does not answer", ":7", "wayland-0", "wayland", "", false, "", true,
     "視窗系統>Wayland:X 顯示 :7 無法連線,視窗無法保持在最前面"},
    {"wayland asked, no X", "", "", "", "wayland", false, "", true,
     "視窗系統>Wayland:沒有 X 顯示(DISPLAY 未設定),視窗無法保持在最前面"},
    // Neither: Qt's own choice and its own failure.
    {"x11 display that does not answer", ":7", "", "x11", "", false, "", false, ""},
    {"no display at all", "", "", "", "", false, "", false, ""},
};

SessionEnvironment Environment(const Case& c, QStringList* asked) {
  SessionEnvironment env;
  env.display = QString::fromUtf8(c.display);
  env.waylandDisplay = QString::fromUtf8(c.wayland);
  env.sessionType = QString::fromUtf8(c.session);
  env.platform = QString::fromUtf8(c.platform);
  const bool answers = c.xAnswers;
  env.xAnswers = [asked, answers](const QString& display) {
    *asked << display;
    return answers;
  };
  return env;
}

}  // namespace

TEST(WindowSystem, ChoosesX11WheneverAnXServerAnswersUnlessThePlatformWasChosen) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    QStringList asked;
    const WindowSystemChoice choice = ChooseWindowSystem(Environment(c, &asked));
    EXPECT_EQ(choice.platform, QString::fromUtf8(c.chosen));
    EXPECT_EQ(choice.withoutX, c.withoutX);
    EXPECT_EQ(choice.reason, QString::fromUtf8(c.reason));
    // A platform chosen on purpose is never second-guessed: no connection
    // to any display is tried for it.
    const QString platform = QString::fromUtf8(c.platform);
    if (!platform.isEmpty() && !platform.startsWith(QStringLiteral("wayland"))) {
      EXPECT_TRUE(asked.isEmpty()) << asked.join(u' ').toStdString();
    }
    // Without DISPLAY there is nothing to ask.
    if (!*c.display) {
      EXPECT_TRUE(asked.isEmpty());
    }
  }
}

// The tests themselves run offscreen: the selection must leave that alone,
// and has nothing to report.
TEST(WindowSystem, SelectionLeavesOffscreenAsItIs) {
  const QByteArray before = qgetenv("QT_QPA_PLATFORM");
  qputenv("QT_QPA_PLATFORM", "offscreen");
  {
    WindowSystemSelection s;
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("offscreen"));
    EXPECT_TRUE(s.Choice().platform.isEmpty());
    EXPECT_TRUE(s.Choice().reason.isEmpty());
    int logged = 0;
    s.ApplicationStarted([&](const QString&) { ++logged; });
    QCoreApplication::processEvents();
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("offscreen"));
    EXPECT_EQ(logged, 0);
  }
  qputenv("QT_QPA_PLATFORM", before);
}

// A Wayland session whose X server is gone: Qt is left to its own choice,
// the reason reaches the report once the event loop runs, and the variable
// the program started with is what the programs it starts get.
TEST(WindowSystem, SelectionWithoutAnXServerReportsWhenTheLoopRuns) {
  const QByteArray saved[] = {qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"),
                              qgetenv("XDG_SESSION_TYPE")};
  qputenv("QT_QPA_PLATFORM", "wayland");
  qunsetenv("DISPLAY");
  qputenv("WAYLAND_DISPLAY", "wayland-test");
  qputenv("XDG_SESSION_TYPE", "wayland");
  {
    WindowSystemSelection s;
    EXPECT_TRUE(s.Choice().withoutX);
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("wayland"));
    QStringList logged;
    s.ApplicationStarted([&](const QString& line) { logged << line; });
    EXPECT_TRUE(logged.isEmpty()) << "written before the first form's load";
    QCoreApplication::processEvents();
    EXPECT_EQ(logged, QStringList{s.Choice().reason});
  }
  const char* names[] = {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"};
  for (int i = 0; i < 4; ++i) {
    if (saved[i].isNull())
      qunsetenv(names[i]);
    else
      qputenv(names[i], saved[i]);
  }
}

// Xwayland there: xcb for this program only; the programs it starts get
// the variable it started with, and choose for themselves.
TEST(WindowSystem, SelectionSetsXcbUntilTheApplicationExists) {
  const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
  for (const char* before : {"wayland", ""}) {
    SCOPED_TRACE(before);
    if (*before)
      qputenv("QT_QPA_PLATFORM", before);
    else
      qunsetenv("QT_QPA_PLATFORM");
    SessionEnvironment env;
    env.display = QStringLiteral(":0");
    env.waylandDisplay = QStringLiteral("wayland-0");
    env.platform = QString::fromUtf8(before);
    env.xAnswers = [](const QString&) { return true; };
    WindowSystemSelection s(env);
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));
    s.ApplicationStarted({});
    EXPECT_EQ(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"), *before != 0);
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray(before));
  }
  if (saved.isNull())
    qunsetenv("QT_QPA_PLATFORM");
  else
    qputenv("QT_QPA_PLATFORM", saved);
}

TEST(WindowSystem, ADisplayNameThatIsNoDisplayDoesNotAnswer) {
  EXPECT_FALSE(CurrentSessionEnvironment().xAnswers(QStringLiteral("not a display")));
}
