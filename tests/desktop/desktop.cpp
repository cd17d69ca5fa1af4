#include "tests/desktop/desktop.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace desktop {

namespace {

QString Hex(quint64 id) { return QStringLiteral("0x%1").arg(id, 0, 16); }

QList<quint64> IdsIn(const QByteArray& text) {
  static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
  QList<quint64> ids;
  const QString s = QString::fromUtf8(text);
  const int hash = s.indexOf(u'#');
  if (hash < 0) return ids;
  for (auto it = hex.globalMatch(s, hash); it.hasNext();) {
    const quint64 id = it.next().captured(0).mid(2).toULongLong(nullptr, 16);
    if (id) ids << id;
  }
  return ids;
}

const char* const kSetup = "; run scripts/setup to install the desktop test tools";

}  // namespace

// Ends a process we started: politely, then by force, always by its id.
void End(std::unique_ptr<QProcess>& p) {
  if (!p) return;
  if (p->state() != QProcess::NotRunning) {
    p->terminate();
    if (!p->waitForFinished(3000)) {
      p->kill();
      p->waitForFinished(3000);
    }
  }
  p.reset();
}

// ---- display ----------------------------------------------------------------

Desktop::~Desktop() { Stop(); }

// A session bus of our own (xfwm4 reads its settings over one), ended by
// its id with the display.
bool Desktop::StartBus(QString* error, QString* address) {
  bus_ = std::make_unique<QProcess>();
  bus_->setStandardErrorFile(QProcess::nullDevice());
  bus_->start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
  if (!bus_->waitForStarted(5000)) {
    *error = QStringLiteral("dbus-daemon did not start: ") + bus_->errorString() + QLatin1String(kSetup);
    return false;
  }
  QByteArray line;
  const qint64 until = QDateTime::currentMSecsSinceEpoch() + 10000;
  while (!line.contains('\n') && QDateTime::currentMSecsSinceEpoch() < until && bus_->state() == QProcess::Running) {
    bus_->waitForReadyRead(200);
    line += bus_->readAllStandardOutput();
  }
  if (!line.contains('\n')) {
    *error = QStringLiteral("dbus-daemon gave no address");
    return false;
  }
  *address = QString::fromUtf8(line.trimmed());
  return true;
}

bool Desktop::Start(QString* error, const QString& windowManager, const QString& screen) {
  managerName_ = windowManager;
  if (windowManager == QStringLiteral("mutter")) return StartWaylandSession(error, screen);
  QStringList tools{QStringLiteral("Xvfb"),    windowManager,          QStringLiteral("xdotool"),
                    QStringLiteral("xprop"),   QStringLiteral("xwininfo"), QStringLiteral("wmctrl"),
                    QStringLiteral("import")};
  if (windowManager == QStringLiteral("xfwm4")) tools << QStringLiteral("dbus-daemon");
  for (const QString& tool : tools) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
      *error = tool + QStringLiteral(" is not installed") + QLatin1String(kSetup);
      return false;
    }
  }
  server_ = std::make_unique<QProcess>();
  // The display number comes on stdout once the server accepts connections.
  server_->setProcessChannelMode(QProcess::SeparateChannels);
  server_->setStandardErrorFile(QProcess::nullDevice());
  server_->start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                          QStringLiteral("0"), screen, QStringLiteral("-nolisten"),
                                          QStringLiteral("tcp"), QStringLiteral("-noreset")});
  if (!server_->waitForStarted(5000)) {
    *error = QStringLiteral("Xvfb did not start: ") + server_->errorString() + QLatin1String(kSetup);
    return false;
  }
  QByteArray number;
  const qint64 until = QDateTime::currentMSecsSinceEpoch() + 10000;
  while (!number.contains('\n') && QDateTime::currentMSecsSinceEpoch() < until &&
         server_->state() == QProcess::Running) {
    server_->waitForReadyRead(200);
    number += server_->readAllStandardOutput();
  }
  if (!number.contains('\n')) {
    *error = QStringLiteral("Xvfb gave no display number");
    Stop();
    return false;
  }
  name_ = u':' + QString::fromLatin1(number.trimmed());

  manager_ = std::make_unique<QProcess>();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), name_);
  if (windowManager == QStringLiteral("xfwm4")) {
    QString address;
    if (!StartBus(error, &address)) {
      Stop();
      return false;
    }
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
  }
  manager_->setProcessEnvironment(env);
  manager_->setProcessChannelMode(QProcess::MergedChannels);
  manager_->setStandardOutputFile(QProcess::nullDevice());
  QStringList args;
  if (windowManager == QStringLiteral("openbox")) args << QStringLiteral("--sm-disable");
  if (windowManager == QStringLiteral("xfwm4")) args << QStringLiteral("--compositor=off");
  manager_->start(windowManager, args);
  if (!manager_->waitForStarted(5000)) {
    *error = windowManager + QStringLiteral(" did not start: ") + manager_->errorString();
    Stop();
    return false;
  }
  // The manager has the screen once it names its check window and keeps
  // the client list.
  const bool ready = WaitFor(
      [this] {
        const auto out = Run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                                       QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        return out && !IdsIn(*out).isEmpty();
      },
      10000);
  if (!ready) {
    *error = windowManager + QStringLiteral(" did not take the display ") + name_;
    Stop();
    return false;
  }
  return true;
}

// Headless mutter as a GNOME session runs it, with its Xwayland. Mutter
// names the X display it opened in its log; the X authority it made is in
// the runtime folder.
bool Desktop::StartWaylandSession(QString* error, const QString& screen) {
  for (const QString& tool : {QStringLiteral("mutter"), QStringLiteral("Xwayland"), QStringLiteral("dbus-daemon"),
                              QStringLiteral("xdotool"), QStringLiteral("xprop"), QStringLiteral("xwininfo"),
                              QStringLiteral("wmctrl"), QStringLiteral("import")}) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) {
      *error = tool + QStringLiteral(" is not installed") + QLatin1String(kSetup);
      return false;
    }
  }
  // Xwayland's sockets go into /tmp/.X11-unix, which mutter takes only
  // sticky and open to all, as a system makes it at boot.
  const QByteArray sockets = "/tmp/.X11-unix";
  struct stat st {};
  if (::stat(sockets.constData(), &st) != 0 && ::mkdir(sockets.constData(), 01777) == 0) ::chmod(sockets.constData(), 01777);
  if (::stat(sockets.constData(), &st) != 0 || (st.st_mode & 01777) != 01777) {
    *error = QStringLiteral("/tmp/.X11-unix is missing or not mode 1777: mutter cannot start Xwayland");
    return false;
  }
  runtime_ = std::make_unique<QTemporaryDir>();
  if (!runtime_->isValid() || !QFile::setPermissions(runtime_->path(), QFileDevice::ReadOwner |
                                                                          QFileDevice::WriteOwner |
                                                                          QFileDevice::ExeOwner)) {
    *error = QStringLiteral("no private runtime folder for the Wayland session");
    Stop();
    return false;
  }
  if (!StartBus(error, &busAddress_)) {
    Stop();
    return false;
  }
  waylandName_ = QStringLiteral("wayland-0");  // in the session's own runtime folder
  const QString log = runtime_->filePath(QStringLiteral("mutter.log"));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM"})
    env.remove(QString::fromLatin1(name));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_->path());
  env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
  env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
  // Mutter's sounds (the bell) never start the machine's sound server.
  const QString pulse = runtime_->filePath(QStringLiteral("client.conf"));
  QFile conf(pulse);
  if (!conf.open(QIODevice::WriteOnly) || conf.write("autospawn = no\n") < 0 || !conf.flush()) {
    *error = QStringLiteral("cannot write ") + pulse;
    Stop();
    return false;
  }
  conf.close();
  env.insert(QStringLiteral("PULSE_CLIENTCONFIG"), pulse);
  env.remove(QStringLiteral("PULSE_SERVER"));
  manager_ = std::make_unique<QProcess>();
  manager_->setProcessEnvironment(env);
  manager_->setProcessChannelMode(QProcess::MergedChannels);
  manager_->setStandardOutputFile(log);
  manager_->start(QStringLiteral("mutter"),
                  {QStringLiteral("--wayland"), QStringLiteral("--headless"), QStringLiteral("--virtual-monitor"),
                   screen.section(u'x', 0, 1), QStringLiteral("--wayland-display=") + waylandName_});
  if (!manager_->waitForStarted(5000)) {
    *error = QStringLiteral("mutter did not start: ") + manager_->errorString();
    Stop();
    return false;
  }
  static const QRegularExpression named(QStringLiteral("public X11 display (:\\d+)"));
  QString said;
  const bool opened = WaitFor(
      [&] {
        QFile f(log);
        said = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        const QRegularExpressionMatch m = named.match(said);
        if (m.hasMatch()) name_ = m.captured(1);
        return m.hasMatch() || manager_->state() != QProcess::Running;
      },
      15000);
  const QStringList auth = QDir(runtime_->path()).entryList({QStringLiteral(".mutter-Xwaylandauth.*")},
                                                           QDir::Files | QDir::Hidden);
  if (!opened || name_.isEmpty() || auth.isEmpty()) {
    *error = QStringLiteral("mutter opened no X display; its log:\n") + said;
    Stop();
    return false;
  }
  xauthority_ = runtime_->filePath(auth.first());
  const bool ready = WaitFor(
      [this] {
        const auto out = Run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                                       QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        return out && !IdsIn(*out).isEmpty();
      },
      15000);
  if (!ready) {
    *error = QStringLiteral("mutter did not manage the X display ") + name_;
    Stop();
    return false;
  }
  return true;
}

void Desktop::Stop() {
  End(manager_);
  End(bus_);
  End(server_);
  runtime_.reset();
  waylandName_.clear();
  busAddress_.clear();
  xauthority_.clear();
}

void Desktop::Prepare(e2e::Installation& installation) const {
  if (IsWaylandSession()) {
    // What a GNOME session gives a program; the platform is its own choice.
    installation.SetEnvironment(QStringLiteral("DISPLAY"), name_);
    installation.SetEnvironment(QStringLiteral("XAUTHORITY"), xauthority_);
    installation.SetEnvironment(QStringLiteral("WAYLAND_DISPLAY"), waylandName_);
    installation.SetEnvironment(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    installation.SetEnvironment(QStringLiteral("XDG_RUNTIME_DIR"), runtime_->path());
    installation.SetEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    installation.UnsetEnvironment(QStringLiteral("QT_QPA_PLATFORM"));
    installation.SetEnvironment(QStringLiteral("QT_IM_MODULE"), QString());
    installation.SetEnvironment(QStringLiteral("TAVREL_E2E_WIDGETS"), installation.WidgetsPrefix());
    return;
  }
  installation.SetEnvironment(QStringLiteral("DISPLAY"), name_);
  installation.SetEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  installation.SetEnvironment(QStringLiteral("WAYLAND_DISPLAY"), QString());
  installation.SetEnvironment(QStringLiteral("QT_IM_MODULE"), QString());
  installation.SetEnvironment(QStringLiteral("TAVREL_E2E_WIDGETS"), installation.WidgetsPrefix());
}

std::optional<QByteArray> Desktop::Run(const QString& tool, const QStringList& arguments, int timeoutMs) const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), name_);
  if (!xauthority_.isEmpty()) env.insert(QStringLiteral("XAUTHORITY"), xauthority_);
  return RunTool(tool, arguments, env, timeoutMs);
}

std::optional<QByteArray> RunTool(const QString& tool, const QStringList& arguments, const QProcessEnvironment& env,
                                  int timeoutMs) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setStandardErrorFile(QProcess::nullDevice());
  p.start(tool, arguments);
  if (!p.waitForStarted(5000)) return std::nullopt;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(2000);
    return std::nullopt;
  }
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
  return p.readAllStandardOutput();
}

// ---- window state -----------------------------------------------------------

QList<quint64> Desktop::Stacking() const {
  const auto out = Run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                                 QStringLiteral("_NET_CLIENT_LIST_STACKING")});
  return out ? IdsIn(*out) : QList<quint64>{};
}

quint64 Desktop::Active() const {
  const auto out = Run(QStringLiteral("xprop"),
                       {QStringLiteral("-root"), QStringLiteral("-notype"), QStringLiteral("_NET_ACTIVE_WINDOW")});
  if (!out) return 0;
  const QList<quint64> ids = IdsIn(*out);
  return ids.isEmpty() ? 0 : ids.first();
}

Window Desktop::Describe(quint64 id) const {
  Window w;
  w.id = id;
  const auto props = Run(QStringLiteral("xprop"), {QStringLiteral("-id"), Hex(id), QStringLiteral("-notype"),
                                                   QStringLiteral("_NET_WM_PID"), QStringLiteral("WM_CLASS"),
                                                   QStringLiteral("_NET_WM_NAME"), QStringLiteral("WM_STATE"),
                                                   QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_WINDOW_TYPE"),
                                                   QStringLiteral("WM_TRANSIENT_FOR")});
  if (props) {
    const QStringList lines = QString::fromUtf8(*props).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
      const QString& l = lines[i];
      const QString value = l.section(QStringLiteral(" = "), 1);
      if (l.startsWith(QStringLiteral("_NET_WM_PID ="))) {
        w.pid = value.toLongLong();
      } else if (l.startsWith(QStringLiteral("WM_CLASS ="))) {
        w.wmClass = value.section(u'"', 3, 3);
      } else if (l.startsWith(QStringLiteral("_NET_WM_NAME ="))) {
        w.title = value.mid(1).chopped(1);
      } else if (l.startsWith(QStringLiteral("_NET_WM_STATE ="))) {
        for (const QString& s : value.split(u',', Qt::SkipEmptyParts))
          w.states << s.trimmed().remove(QStringLiteral("_NET_WM_STATE_"));
      } else if (l.startsWith(QStringLiteral("_NET_WM_WINDOW_TYPE ="))) {
        for (const QString& s : value.split(u',', Qt::SkipEmptyParts))
          w.types << s.trimmed().remove(QStringLiteral("_NET_WM_WINDOW_TYPE_"));
      } else if (l.startsWith(QStringLiteral("WM_TRANSIENT_FOR"))) {
        const QList<quint64> ids = IdsIn(l.toUtf8());
        if (!ids.isEmpty()) w.transientFor = ids.first();
      } else if (l.startsWith(QStringLiteral("WM_STATE:")) && i + 1 < lines.size()) {
        w.wmState = lines[i + 1].section(QStringLiteral("window state:"), 1).trimmed();
      }
    }
  }
  const auto info = Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), Hex(id)});
  w.viewable = info && info->contains("Map State: IsViewable");
  return w;
}

QList<Window> Desktop::Windows() const {
  QList<Window> out;
  for (quint64 id : Stacking()) out << Describe(id);
  return out;
}

QList<Window> Desktop::Find(const QString& title, const QString& wmClass, qint64 pid) const {
  QList<Window> out;
  for (const Window& w : Windows())
    if (w.title.contains(title) && (wmClass.isEmpty() || w.wmClass == wmClass) && (pid == 0 || w.pid == pid))
      out << w;
  return out;
}

int Desktop::StackIndex(quint64 id) const { return static_cast<int>(Stacking().indexOf(id)); }

// ---- input ------------------------------------------------------------------

void Desktop::MoveTo(QPoint p) const {
  Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
                                  QString::number(p.y())});
}

void Desktop::Click(QPoint p, int count, int delayMs) const {
  MoveTo(p);
  Run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
                                  QStringLiteral("--delay"), QString::number(delayMs), QStringLiteral("1")});
}

void Desktop::Type(const QString& text, int delayMs) const {
  // xdotool types a character the keyboard map lacks by mapping a spare key
  // to it for the length of its delay; a program that reads the map after
  // it is undone sees no character. Those characters go one at a time, each
  // held long enough.
  auto type = [this](const QString& part, int delay) {
    Run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QString::number(delay),
                                    QStringLiteral("--"), part},
        10000 + static_cast<int>(part.size()) * (delay + 50));
  };
  QString ascii;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.unicode() < 0x80) {
      ascii += c;
      continue;
    }
    if (!ascii.isEmpty()) type(std::exchange(ascii, QString()), delayMs);
    const qsizetype n = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    type(text.mid(i, n), std::max(delayMs, 250));
    i += n - 1;
  }
  if (!ascii.isEmpty()) type(ascii, delayMs);
}

void Desktop::Key(const QString& keys) const {
  Run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"),
                                             QStringLiteral("--")} +
                                     keys.split(u' ', Qt::SkipEmptyParts));
}

void Desktop::CloseByWindowManager(quint64 id) const {
  Run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), Hex(id)});
}

void Desktop::Minimise(quint64 id) const {
  Run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), Hex(id)});
}

void Desktop::Activate(quint64 id) const {
  Run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-a"), Hex(id)});
}

void Desktop::Shade(quint64 id) const {
  Run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-r"), Hex(id), QStringLiteral("-b"),
                                 QStringLiteral("add,shaded")});
}

bool Desktop::Screenshot(const QString& path) const {
  return Run(QStringLiteral("import"),
             {QStringLiteral("-display"), name_, QStringLiteral("-window"), QStringLiteral("root"), path}, 15000)
      .has_value();
}

// ---- the program's own view -------------------------------------------------

const Widgets::Top* Widgets::Window(const QString& name) const {
  const Top* found = nullptr;
  for (const Top& t : windows) {
    if (t.name != name) continue;
    if (t.visible) return &t;
    if (!found) found = &t;
  }
  return found;
}

bool Widgets::Read(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return false;
  *this = Widgets();
  auto rect = [](const QStringList& p, int at) {
    return QRect(p[at].toInt(), p[at + 1].toInt(), p[at + 2].toInt(), p[at + 3].toInt());
  };
  for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
    const QStringList p = line.split(u'\t');
    if (p[0] == QStringLiteral("window") && p.size() >= 10) {
      Top t;
      t.name = p[1];
      t.id = p[2].toULongLong();
      t.visible = p[3] == u"1";
      t.active = p[4] == u"1";
      t.modal = p[5] == u"1";
      t.rect = rect(p, 6);
      t.title = p.mid(10).join(u'\t');
      windows << t;
    } else if (p[0] == QStringLiteral("widget") && p.size() >= 8) {
      widgets.insert(p[1], {p[2] == u"1", p[3] == u"1", rect(p, 4)});
    } else if (p[0] == QStringLiteral("focus") && p.size() >= 5) {
      focus = p[1];
      caret = p[2].toInt();
      selectionStart = p[3].toInt();
      selected = p[4].toInt();
      focusText = p.mid(5).join(u'\t');
    }
  }
  return true;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs, int stepMs) {
  const qint64 until = QDateTime::currentMSecsSinceEpoch() + timeoutMs;
  for (;;) {
    QCoreApplication::processEvents();
    if (condition()) return true;
    if (QDateTime::currentMSecsSinceEpoch() > until) return false;
    QThread::msleep(stepMs);
  }
}

// ---- fixture ----------------------------------------------------------------

QString WindowManagerOfRun() { return qEnvironmentVariable("DESKTOP_WM", QStringLiteral("openbox")); }

void DesktopTest::SetUp() {
  QString error;
  ASSERT_TRUE(desk.Start(&error, WindowManagerOfRun(), ScreenSize())) << error.toStdString();
  const QStringList missing = e2e::MissingPrograms(QStringLiteral(BIN_DIR));
  ASSERT_TRUE(missing.isEmpty()) << "not built in " BIN_DIR ": " << missing.join(u' ').toStdString();
  ASSERT_TRUE(inst.Make(QStringLiteral(BIN_DIR), &error)) << error.toStdString();
  desk.Prepare(inst);
  inst.WriteScript(QString());  // no steps: the programs only log their starts
  // A sound server of the test's own, so that the programs meet one as on a
  // desktop, and never the machine's.
  if (sound::Server::Unavailable().isEmpty()) {
    sound_ = std::make_unique<sound::Server>(inst.Tmp() + QStringLiteral("sound"));
    ASSERT_TRUE(sound_->Start(&error)) << error.toStdString();
    QProcessEnvironment env;
    sound_->Prepare(env);
    for (const QString& name : env.keys()) inst.SetEnvironment(name, env.value(name));
    inst.UnsetEnvironment(QStringLiteral("TAVREL_E2E_SILENT_AUDIO"));
  }
}

void DesktopTest::TearDown() {
  if (HasFailure()) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString shot = OutputFolder() + QStringLiteral("/%1.%2.%3.png")
                                              .arg(WindowManagerOfRun(), QString::fromUtf8(info->test_suite_name()),
                                                   QString::fromUtf8(info->name()).replace(u'/', u'_'));
    if (!desk.Name().isEmpty() && desk.Screenshot(shot))
      ADD_FAILURE() << "the screen at the failure: " << shot.toStdString() << "\n" << Describe();
  }
  inst.StopAll();
  sound_.reset();
  desk.Stop();
}

QString DesktopTest::OutputFolder() {
  const QString dir = QStringLiteral(DESKTOP_OUTPUT_DIR);
  QDir().mkpath(dir);
  return dir;
}

bool DesktopTest::Settings(const QMap<int, QString>& values) {
  QString error;
  const bool ok = inst.SetSettings(values, &error);
  if (!ok) ADD_FAILURE() << error.toStdString();
  return ok;
}

bool DesktopTest::StartProgram(const QString& program, const QStringList& arguments, int seconds) {
  QString error;
  if (!inst.Start(program, arguments, QDateTime::currentMSecsSinceEpoch() + seconds * 1000LL, &error)) {
    ADD_FAILURE() << error.toStdString();
    return false;
  }
  pid = inst.StartedPid();
  return true;
}

Widgets DesktopTest::Probe(qint64 of) const {
  Widgets w;
  w.Read(inst.WidgetsPrefix() + u'.' + QString::number(of ? of : pid));
  return w;
}

quint64 DesktopTest::WindowId(const QString& name, qint64 of) const {
  const Widgets w = Probe(of);
  const Widgets::Top* t = w.Window(name);
  return t && t->visible ? t->id : 0;
}

QList<quint64> DesktopTest::WindowIds(const QString& name, qint64 of) const {
  QList<quint64> ids;
  for (const Widgets::Top& t : Probe(of).windows)
    if (t.name == name) ids << t.id;
  return ids;
}

bool DesktopTest::WaitForWindow(const QString& name, int timeoutMs, qint64 of) {
  return WaitFor(
      [&] {
        const quint64 id = WindowId(name, of);
        return id && desk.Describe(id).viewable;
      },
      timeoutMs, 150);
}

bool DesktopTest::WaitForHidden(const QString& name, int timeoutMs, qint64 of) {
  return WaitFor([&] { return WindowId(name, of) == 0; }, timeoutMs, 150);
}

bool DesktopTest::ClickWidget(const QString& path, int count, qint64 of, int delayMs) {
  // A control is clicked once it takes clicks: the audio panel's Play, say,
  // is enabled only when the part has opened, a moment after the screen shows.
  Widgets w;
  auto it = w.widgets.cend();
  WaitFor(
      [&] {
        w = Probe(of);
        it = w.widgets.constFind(path);
        return it != w.widgets.cend() && it->visible && it->enabled;
      },
      5000);
  if (it == w.widgets.cend() || !it->visible) {
    ADD_FAILURE() << "not shown: " << path.toStdString();
    return false;
  }
  if (!it->enabled) {
    ADD_FAILURE() << "not enabled: " << path.toStdString();
    return false;
  }
  desk.Click(it->rect.center(), count, delayMs);
  return true;
}

QString DesktopTest::DescribeStacking(qint64 of) const {
  QMap<quint64, QString> names;
  QList<qint64> pids{of ? of : pid};
  for (const e2e::Installation::Started& s : inst.Starts())
    if (!pids.contains(s.pid)) pids << s.pid;
  for (qint64 p : pids)
    for (const Widgets::Top& t : Probe(p).windows) names.insert(t.id, t.name.isEmpty() ? t.title : t.name);
  QStringList out;
  const QList<quint64> stack = desk.Stacking();
  for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
    const QString name = names.value(*it);
    out << (name.isEmpty() ? Hex(*it) : name);
  }
  return out.join(QStringLiteral(" > "));
}

std::string DesktopTest::Describe() const {
  const Widgets w = Probe();
  QString active = Hex(desk.Active());
  for (const Widgets::Top& t : w.windows)
    if (t.id == desk.Active()) active = t.name;
  return (QStringLiteral("stacking, top first: ") + DescribeStacking() + QStringLiteral("\nactive: ") + active +
          QStringLiteral("\nfocus: ") + w.focus + QStringLiteral(" caret %1, selected %2 \"%3\"\n")
                                                    .arg(w.caret)
                                                    .arg(w.selected)
                                                    .arg(w.focusText) +
          inst.Describe())
      .toStdString();
}

}  // namespace desktop
