#pragma once
// The real programs at a real desktop: a private Xvfb display with openbox
// or xfwm4 (DESKTOP_WM; xfwm4 on a private session bus), real X input
// through xdotool, window state read with xprop and xdotool. DESKTOP_WM=mutter
// is a Wayland session instead: headless mutter with its Xwayland on a
// private session bus and runtime folder, the programs given what a GNOME
// session gives them (WAYLAND_DISPLAY, DISPLAY, XDG_SESSION_TYPE=wayland, no
// QT_QPA_PLATFORM); the tools reach the windows through the Xwayland display.
//
// Use:
//   class MyTest : public desktop::DesktopTest {};        // display + WM + installation
//   TEST_F(MyTest, Something) {
//     ASSERT_TRUE(Settings({{933, "0"}}));                 // the test's own Tavrel.Ini
//     ASSERT_TRUE(StartProgram("Tavrel", {"王小明,A123456789,1990/5/3"}));
//     ASSERT_TRUE(WaitForWindow("輸入資料表面"));            // a form by its objectName
//     ClickWidget("輸入資料表面/Command1");                  // where the program says it is
//     desk.Type("abc"); desk.Key("Return");
//     EXPECT_EQ(desk.Active(), WindowId("正式測驗"));
//   }
// Probe() is the program's own report of its windows, widgets and focus
// (caret, selection, text); pass a pid for a program the first one started
// (inst.Starts()). desk.Stacking(), desk.Active(), desk.Describe(id) and
// desk.Find(title) read the window manager's view; desk.CloseByWindowManager,
// desk.Minimise and desk.Activate ask it as a person would.
// Each test has a sound server of its own (sound(), see tests/sound/sound.h)
// that the programs play to; a test that needs none running stops it.
// The fixture's display lives for one test; a failing test leaves a screenshot
// of the whole screen in the test's output folder and names it. Every wait is
// bounded; every process started here is ended by its id.
#include <QList>
#include <QMap>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "tests/e2e/installation.h"
#include "tests/sound/sound.h"

namespace desktop {

// Ends a process we started: politely, then by force, always by its id.
void End(std::unique_ptr<QProcess>& p);

// An X window as the window manager sees it.
struct Window {
  quint64 id = 0;
  qint64 pid = 0;
  QString title;
  QString wmClass;
  QStringList states;  // _NET_WM_STATE without the prefix: "BELOW", "HIDDEN", "FULLSCREEN" ...
  QString wmState;     // ICCCM WM_STATE: "Normal", "Iconic", "Withdrawn" (empty when unset)
  QStringList types;   // _NET_WM_WINDOW_TYPE without the prefix: "NORMAL", "DIALOG", "DESKTOP" ...
  quint64 transientFor = 0;  // WM_TRANSIENT_FOR, 0 when unset
  bool viewable = false;
  bool Has(const QString& state) const { return states.contains(state); }
};

// One display with its window manager.
class Desktop {
 public:
  Desktop() = default;
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Starts Xvfb on a free display (-displayfd) and the window manager, and
  // waits until the manager has taken the screen ("mutter": the Wayland
  // session). False with a reason; a missing tool's reason says to run
  // scripts/setup.
  bool Start(QString* error, const QString& windowManager = QStringLiteral("openbox"),
             const QString& screen = QStringLiteral("1280x1024x24"));
  void Stop();
  QString Name() const { return name_; }  // ":N"
  bool IsWaylandSession() const { return !waylandName_.isEmpty(); }
  // What a program needs to run on this display.
  void Prepare(e2e::Installation& installation) const;

  // Window state.
  QList<quint64> Stacking() const;  // _NET_CLIENT_LIST_STACKING, bottom first
  quint64 Active() const;           // _NET_ACTIVE_WINDOW, 0 when none
  Window Describe(quint64 id) const;
  // The managed windows, bottom first.
  QList<Window> Windows() const;
  // The managed windows that match, bottom first: a title containing
  // `title`, the class, the process (empty or 0: any).
  QList<Window> Find(const QString& title, const QString& wmClass = QString(), qint64 pid = 0) const;
  // The position of a window in the stacking order (bottom 0), -1 if absent.
  int StackIndex(quint64 id) const;

  // Real input.
  void MoveTo(QPoint p) const;
  // count clicks, delayMs apart (a person's double-click: 100 to 300 ms).
  void Click(QPoint p, int count = 1, int delayMs = 150) const;
  void Type(const QString& text, int delayMs = 15) const;
  void Key(const QString& keys) const;  // xdotool key names: "Return", "alt+F4"
  void CloseByWindowManager(quint64 id) const;  // the close button's message
  void Minimise(quint64 id) const;              // as the title bar's button asks
  void Activate(quint64 id) const;              // as the task switcher does
  void Shade(quint64 id) const;                 // rolls it up to its title bar
  // The window manager's name for a run ("openbox", "xfwm4").
  QString Manager() const { return managerName_; }

  bool Screenshot(const QString& path) const;

  // Runs a tool on this display with a bound; its output, or nullopt.
  std::optional<QByteArray> Run(const QString& tool, const QStringList& arguments, int timeoutMs = 5000) const;

 private:
  bool StartBus(QString* error, QString* address);
  bool StartWaylandSession(QString* error, const QString& screen);

  QString name_;
  QString managerName_;
  std::unique_ptr<QProcess> server_;
  std::unique_ptr<QProcess> bus_;  // the window manager's private session bus
  std::unique_ptr<QProcess> manager_;
  // The Wayland session's: its runtime folder, socket, bus and X authority.
  std::unique_ptr<QTemporaryDir> runtime_;
  QString waylandName_;
  QString busAddress_;
  QString xauthority_;
};

// Where a program's windows and widgets are, as it writes them (see
// apps/widget_probe.h).
struct Widgets {
  struct Top {
    QString name;
    quint64 id = 0;
    bool visible = false, active = false, modal = false;
    QRect rect;
    QString title;
  };
  struct Item {
    bool visible = false, enabled = false;
    QRect rect;
  };
  QList<Top> windows;
  QMap<QString, Item> widgets;  // by path: "正式測驗/TB(0)"
  QString focus;                // the focus widget's path, empty when none
  int caret = -1, selectionStart = -1, selected = 0;
  QString focusText;

  const Top* Window(const QString& name) const;  // the visible one first
  bool Read(const QString& file);
};

// Polls until the condition holds or the time has passed.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs, int stepMs = 100);

// Runs a tool to its end in that environment, with a bound; its output when
// it exits with 0, else nullopt.
std::optional<QByteArray> RunTool(const QString& tool, const QStringList& arguments, const QProcessEnvironment& env,
                                  int timeoutMs = 5000);

// The window manager of a run: DESKTOP_WM, else openbox.
QString WindowManagerOfRun();

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The display's screen, as Xvfb takes it ("1024x768x24").
  virtual QString ScreenSize() const { return QStringLiteral("1280x1024x24"); }

  // Sets settings in the installation's Tavrel.Ini.
  bool Settings(const QMap<int, QString>& values);
  // Starts a program of the installation on the display; it ends itself
  // after `seconds`.
  bool StartProgram(const QString& program, const QStringList& arguments, int seconds = 120);
  // The program's own view of its windows (the one started last, or by id).
  Widgets Probe(qint64 pid = 0) const;
  // Waits until the program shows its window of that name (mapped by the WM).
  bool WaitForWindow(const QString& name, int timeoutMs = 15000, qint64 pid = 0);
  bool WaitForHidden(const QString& name, int timeoutMs = 15000, qint64 pid = 0);
  // The X id of a visible window of that name, 0 when none.
  quint64 WindowId(const QString& name, qint64 pid = 0) const;
  // Every X id the program gave a window of that name (shown or not).
  QList<quint64> WindowIds(const QString& name, qint64 pid = 0) const;
  // Clicks in the middle of a widget (a path of objectNames); false when
  // the program does not show it.
  bool ClickWidget(const QString& path, int count = 1, qint64 pid = 0, int delayMs = 150);
  // The names of the program's windows from the top of the stacking order
  // down, for messages.
  QString DescribeStacking(qint64 pid = 0) const;
  // What a failure message needs: stacking, active, focus, logs.
  std::string Describe() const;
  // The test's output folder (screenshots).
  static QString OutputFolder();

  // The test's own sound server, running from SetUp; null where the
  // machine has none to run (the programs then play into the void).
  sound::Server* sound() { return sound_.get(); }

  Desktop desk;
  e2e::Installation inst;
  std::unique_ptr<sound::Server> sound_;
  qint64 pid = 0;  // the program started last
};

}  // namespace desktop
