#include "tests/desktop/imsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <csignal>
#include <utility>

namespace desktop {

std::unique_ptr<QProcess> ChildProcess() {
  auto p = std::make_unique<QProcess>();
  p->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  return p;
}

bool WriteWholeFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size() && f.flush();
}

QString StartSessionBus(const QString& folder, std::unique_ptr<QProcess>& daemon) {
  const QString conf = folder + QStringLiteral("/bus.conf");
  if (!WriteWholeFile(conf, "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                            "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                            "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                            "<allow own=\"*\"/></policy></busconfig>\n")) {
    ADD_FAILURE() << "cannot write " << conf.toStdString();
    return {};
  }
  daemon = ChildProcess();
  daemon->setStandardErrorFile(QProcess::nullDevice());
  daemon->start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + conf, QStringLiteral("--nofork"),
                                                QStringLiteral("--print-address=1")});
  if (!daemon->waitForStarted(5000)) {
    ADD_FAILURE() << "dbus-daemon did not start: " << daemon->errorString().toStdString();
    return {};
  }
  QByteArray line;
  QElapsedTimer t;
  t.start();
  while (!line.contains('\n') && t.elapsed() < 10000 && daemon->state() == QProcess::Running) {
    daemon->waitForReadyRead(200);
    line += daemon->readAllStandardOutput();
  }
  const QString address = QString::fromUtf8(line.trimmed());
  if (address.isEmpty()) ADD_FAILURE() << "dbus-daemon gave no address";
  return address;
}


// ---- a framework --------------------------------------------------------------

InputMethod::InputMethod(const Desktop& desk, Facts facts) : desk_(desk), facts_(std::move(facts)) {}

InputMethod::~InputMethod() {
  End(daemon_);
  End(busDaemon_);
}

QString InputMethod::Missing() const {
  QStringList tools = facts_.tools;
  tools << facts_.daemon << QStringLiteral("dbus-daemon") << QStringLiteral("dbus-send");
  for (const QString& tool : tools)
    if (QStandardPaths::findExecutable(tool).isEmpty())
      return tool + QStringLiteral(" is not installed; run scripts/setup --tests");
  if (!QFile::exists(facts_.engineFile))
    return Name() + QStringLiteral("-chewing is not installed; run scripts/setup --tests");
  return {};
}

bool InputMethod::Start() {
  if (!home_.isValid()) {
    ADD_FAILURE() << "no home folder for " << Name().toStdString();
    return false;
  }
  if (bus_.isEmpty() && (bus_ = StartSessionBus(home_.path(), busDaemon_)).isEmpty()) return false;
  if (!WriteConfiguration()) {
    ADD_FAILURE() << "cannot write " << Name().toStdString() << "'s configuration in " << Home().toStdString();
    return false;
  }
  End(daemon_);
  daemon_ = ChildProcess();
  daemon_->setProcessEnvironment(Environment());
  daemon_->setProcessChannelMode(QProcess::MergedChannels);
  daemon_->setStandardOutputFile(Home() + QStringLiteral("/") + Name() + QStringLiteral(".log"), QIODevice::Append);
  daemon_->start(facts_.daemon, facts_.arguments);
  if (!daemon_->waitForStarted(5000)) {
    ADD_FAILURE() << facts_.daemon.toStdString() << " did not start: " << daemon_->errorString().toStdString();
    return false;
  }
  if (!WaitFor([&] { return Answers(); }, 20000, 200)) {
    ADD_FAILURE() << facts_.daemon.toStdString() << " did not answer on its bus\n" << Log();
    return false;
  }
  return true;
}

void InputMethod::Kill() {
  if (!daemon_) return;
  daemon_->kill();
  daemon_->waitForFinished(5000);
}

std::string InputMethod::Log() const {
  QFile f(Home() + QStringLiteral("/") + Name() + QStringLiteral(".log"));
  return f.open(QIODevice::ReadOnly) ? f.readAll().right(3000).toStdString() : std::string();
}

QProcessEnvironment InputMethod::Environment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), Home());
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), Home() + QStringLiteral("/.config"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), Home() + QStringLiteral("/.local/share"));
  env.insert(QStringLiteral("XDG_CACHE_HOME"), Home() + QStringLiteral("/.cache"));
  env.insert(QStringLiteral("DISPLAY"), desk_.Name());
  env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_);
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  env.remove(QStringLiteral("LANGUAGE"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  return env;
}

std::optional<QString> InputMethod::Call(const QString& tool, const QStringList& arguments, int timeoutMs,
                                         const QProcessEnvironment& env) const {
  const auto out = RunTool(tool, arguments, env, timeoutMs);
  return out ? std::optional<QString>(QString::fromUtf8(*out)) : std::nullopt;
}

// ---- fcitx5 -------------------------------------------------------------------

Fcitx5::Fcitx5(const Desktop& desk)
    : InputMethod(desk, {QStringLiteral("fcitx5"),
                         QStringLiteral("fcitx5"),
                         {QStringLiteral("-D"), QStringLiteral("--disable=all"),
                          QStringLiteral("--enable=xcb,dbus,dbusfrontend,keyboard,chewing,classicui")},
                         {},
                         QStringLiteral("/usr/share/fcitx5/inputmethod/chewing.conf")}) {}

// A profile of the plain keyboard and Chewing, Ctrl+Space to switch, each
// window starting with it off.
bool Fcitx5::WriteConfiguration() {
  const QString config = Home() + QStringLiteral("/.config/fcitx5/");
  return WriteWholeFile(config + QStringLiteral("profile"),
                        "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=chewing\n\n"
                        "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                        "[Groups/0/Items/1]\nName=chewing\nLayout=\n\n"
                        "[GroupOrder]\n0=Default\n") &&
         WriteWholeFile(config + QStringLiteral("config"),
                        "[Hotkey/TriggerKeys]\n0=Control+space\n\n"
                        "[Behavior]\nActiveByDefault=False\nShareInputState=No\nPreeditEnabledByDefault=True\n"
                        "ShowInputMethodInformation=False\nshowInputMethodInformationWhenFocusIn=False\n"
                        "ShowFirstInputMethodInformation=False\n");
}

bool Fcitx5::Answers() const { return Controller(QStringLiteral("State")).has_value(); }

bool Fcitx5::Prepare(e2e::Installation& inst) const {
  inst.SetEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), Bus());
  inst.SetEnvironment(QStringLiteral("QT_IM_MODULE"), QStringLiteral("fcitx"));
  inst.SetEnvironment(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=fcitx"));
  return true;
}

// In the focused window: fcitx5 keeps a state a window.
::testing::AssertionResult Fcitx5::Chewing(bool on) {
  auto is = [&] {
    const auto current = Controller(QStringLiteral("CurrentInputMethod"));
    return current && current->contains(QStringLiteral("\"chewing\"")) == on;
  };
  if (WaitFor(is, 500)) return ::testing::AssertionSuccess();
  desk_.Key(QStringLiteral("ctrl+space"));
  if (WaitFor(is, 3000)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "Chewing did not switch " << (on ? "on" : "off") << ": "
                                       << Controller(QStringLiteral("CurrentInputMethod")).value_or("no answer").toStdString();
}

std::optional<QString> Fcitx5::Controller(const QString& method) const {
  return Call(QStringLiteral("dbus-send"),
              {QStringLiteral("--bus=") + Bus(), QStringLiteral("--print-reply"), QStringLiteral("--reply-timeout=1000"),
               QStringLiteral("--dest=org.fcitx.Fcitx5"), QStringLiteral("/controller"),
               QStringLiteral("org.fcitx.Fcitx.Controller1.") + method},
              3000);
}

// ---- ibus ---------------------------------------------------------------------

namespace {
const QString kKeyboard = QStringLiteral("xkb:us::eng");
}

Ibus::Ibus(const Desktop& desk)
    : InputMethod(desk, {QStringLiteral("ibus"),
                         QStringLiteral("ibus-daemon"),
                         {QStringLiteral("--panel=disable"), QStringLiteral("--config=disable"),
                          QStringLiteral("--emoji-extension=disable")},
                         {QStringLiteral("ibus")},
                         QStringLiteral("/usr/share/ibus/component/chewing.xml")}) {}

// The panel a desktop runs would preload these; the program reads them
// where the daemon reads its own settings.
bool Ibus::WriteConfiguration() {
  return WriteWholeFile(Config() + QStringLiteral("glib-2.0/settings/keyfile"),
                        "[desktop/ibus/general]\npreload-engines=['xkb:us::eng', 'chewing']\n");
}

// Answering, it takes an engine (with none set it answers with a failure).
bool Ibus::Answers() const { return Tool({QStringLiteral("engine"), kKeyboard}).has_value(); }

QProcessEnvironment Ibus::Environment() const {
  QProcessEnvironment env = InputMethod::Environment();
  env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
  env.remove(QStringLiteral("IBUS_ADDRESS"));
  env.remove(QStringLiteral("IBUS_ADDRESS_FILE"));
  return env;
}

bool Ibus::Prepare(e2e::Installation& inst) const {
  inst.SetEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), Bus());
  inst.SetEnvironment(QStringLiteral("QT_IM_MODULE"), QStringLiteral("ibus"));
  inst.SetEnvironment(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=ibus"));
  inst.SetEnvironment(QStringLiteral("XDG_CONFIG_HOME"), Home() + QStringLiteral("/.config"));
  inst.SetEnvironment(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
  // Qt's front end takes a WAYLAND_DISPLAY that is set, even empty (as
  // the harness sets it), to name the address file: the file is named.
  const QStringList files = AddressFiles();
  if (files.size() != 1) {
    ADD_FAILURE() << "ibus-daemon wrote " << files.size() << " address files: " << files.join(u' ').toStdString();
    return false;
  }
  inst.SetEnvironment(QStringLiteral("IBUS_ADDRESS_FILE"), files[0]);
  return true;
}

// One engine for every window, as a person picks it in the panel.
::testing::AssertionResult Ibus::Chewing(bool on) { return Engine(on ? QStringLiteral("chewing") : kKeyboard); }

::testing::AssertionResult Ibus::Engine(const QString& id) const {
  Tool({QStringLiteral("engine"), id});
  if (WaitFor([&] { return Tool({QStringLiteral("engine")}) == id; }, 5000, 100))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "ibus did not switch to " << id.toStdString() << ": "
                                       << Tool({QStringLiteral("engine")}).value_or("no answer").toStdString()
                                       << "\n" << Log();
}

std::optional<QString> Ibus::Tool(const QStringList& arguments) const {
  const auto out = Call(QStringLiteral("ibus"), arguments, 5000, Environment());
  return out ? std::optional<QString>(out->trimmed()) : std::nullopt;
}

QStringList Ibus::AddressFiles() const {
  const QString folder = Config() + QStringLiteral("ibus/bus/");
  QStringList files = QDir(folder).entryList(QDir::Files);
  for (QString& f : files) f.prepend(folder);
  return files;
}

bool Ibus::HasFocusedContext() const {
  const QStringList files = AddressFiles();
  QFile f(files.value(0));
  if (files.isEmpty() || !f.open(QIODevice::ReadOnly)) return false;
  QString address;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("IBUS_ADDRESS=")) address = QString::fromUtf8(line.mid(13));
  const auto reply = Call(QStringLiteral("dbus-send"),
                          {QStringLiteral("--bus=") + address, QStringLiteral("--print-reply"),
                           QStringLiteral("--reply-timeout=1000"), QStringLiteral("--dest=org.freedesktop.IBus"),
                           QStringLiteral("/org/freedesktop/IBus"), QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                           QStringLiteral("string:org.freedesktop.IBus"), QStringLiteral("string:CurrentInputContext")},
                          3000);
  return reply && reply->contains(QStringLiteral("/InputContext_"));
}

}  // namespace desktop
