#include "tests/sound/sound.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace sound {

namespace {

// Starts a program with its own environment, stdin from /dev/null, stdout to
// `out` (-1: the log) and stderr to the log; its id, or 0.
qint64 Spawn(const QString& program, const QStringList& arguments, const QProcessEnvironment& env,
             const QString& log, int out, QString* error) {
  const QString path = QStandardPaths::findExecutable(program);
  if (path.isEmpty()) {
    *error = program + QStringLiteral(" is not installed; run scripts/setup --tests");
    return 0;
  }
  std::vector<QByteArray> args{QFile::encodeName(path)};
  for (const QString& a : arguments) args.push_back(a.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<QByteArray> vars;
  for (const QString& v : env.toStringList()) vars.push_back(v.toLocal8Bit());
  std::vector<char*> envp;
  for (QByteArray& v : vars) envp.push_back(v.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  const QByteArray logName = QFile::encodeName(log);
  posix_spawn_file_actions_addopen(&actions, 2, logName.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (out >= 0)
    posix_spawn_file_actions_adddup2(&actions, out, 1);
  else
    posix_spawn_file_actions_adddup2(&actions, 2, 1);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    *error = program + QStringLiteral(" did not start: ") + QString::fromLocal8Bit(strerror(rc));
    return 0;
  }
  return pid;
}

// Looks without reaping: only EndProcess reaps, so an id is never reused
// while we still hold it.
bool Alive(qint64 pid) {
  if (pid <= 0) return false;
  siginfo_t info{};
  if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
  return info.si_pid == 0;
}

// Ends a process of ours by its id: the signal, then SIGKILL if it stays.
void EndProcess(qint64 pid, int signal) {
  if (pid <= 0) return;
  ::kill(static_cast<pid_t>(pid), signal);
  for (int i = 0; i < 60; ++i) {
    if (::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) != 0) return;
    QThread::msleep(50);
  }
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  ::waitpid(static_cast<pid_t>(pid), nullptr, 0);
}

bool MakePrivate(const QString& dir) {
  return QDir().mkpath(dir) &&
         QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool WriteFile(const QString& path, const QByteArray& text) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size() && f.flush() &&
         (f.close(), f.error() == QFileDevice::NoError);
}

}  // namespace

bool WriteNoAutospawnConfig(const QString& path) { return WriteFile(path, "autospawn = no\n"); }

// ---- server -------------------------------------------------------------------

Server::Server(const QString& folder) : folder_(QDir(folder).absolutePath()) {}

Server::~Server() { Stop(); }

QString Server::Unavailable() {
  if (!QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()) return {};
  if (!QStandardPaths::findExecutable(QStringLiteral("pipewire")).isEmpty() &&
      !QStandardPaths::findExecutable(QStringLiteral("pipewire-pulse")).isEmpty())
    return {};
  return QStringLiteral("neither pulseaudio nor pipewire-pulse is installed; run scripts/setup --tests");
}

QString Server::Address() const { return QStringLiteral("unix:") + socket_; }

void Server::Prepare(QProcessEnvironment& env) const {
  env.insert(QStringLiteral("PULSE_SERVER"), Address());
  env.insert(QStringLiteral("PULSE_CLIENTCONFIG"), ClientConfig());
  env.remove(QStringLiteral("PULSE_SINK"));
  env.remove(QStringLiteral("PULSE_SOURCE"));
}

QString Server::Log() const {
  QFile f(folder_ + QStringLiteral("/server.log"));
  return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(3000)) : QString();
}

bool Server::Running() const {
  return !pids_.empty() && std::all_of(pids_.begin(), pids_.end(), [](qint64 p) { return Alive(p); });
}

bool Server::Answers() const {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  Prepare(env);
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sinks")});
  if (!p.waitForFinished(3000)) {
    p.kill();
    p.waitForFinished(1000);
    return false;
  }
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && p.readAll().contains(Sink().toUtf8());
}

bool Server::Start(QString* error) {
  if (Running()) return true;
  End(SIGKILL);
  if (!MakePrivate(folder_) || !MakePrivate(folder_ + QStringLiteral("/home")) ||
      !MakePrivate(folder_ + QStringLiteral("/runtime")) || !WriteNoAutospawnConfig(ClientConfig())) {
    *error = QStringLiteral("cannot make the sound server's folder ") + folder_;
    return false;
  }
  const QString why = Unavailable();
  if (!why.isEmpty()) {
    *error = why;
    return false;
  }
  const bool ok = QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty() ? StartPipeWire(error)
                                                                                          : StartPulse(error);
  if (!ok) {
    End(SIGKILL);
    return false;
  }
  for (int i = 0; i < 100; ++i) {
    if (Answers()) return true;
    if (!Running()) break;
    QThread::msleep(100);
  }
  *error = QStringLiteral("the sound server did not answer at ") + socket_ + u'\n' + Log();
  End(SIGKILL);
  return false;
}

bool Server::StartPulse(QString* error) {
  socket_ = folder_ + QStringLiteral("/native");
  const QString script = folder_ + QStringLiteral("/server.pa");
  const QByteArray text = "load-module module-null-sink sink_name=" + Sink().toUtf8() +
                          "\nload-module module-native-protocol-unix auth-anonymous=1 socket=" +
                          QFile::encodeName(socket_) + "\nset-default-sink " + Sink().toUtf8() + "\n";
  if (!WriteFile(script, text)) {
    *error = QStringLiteral("cannot write ") + script;
    return false;
  }
  // A socket left by a server that was killed would be taken for a live one.
  QFile::remove(socket_);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), folder_ + QStringLiteral("/home"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder_ + QStringLiteral("/runtime"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_ + QStringLiteral("/home/.config"));
  env.insert(QStringLiteral("PULSE_CLIENTCONFIG"), ClientConfig());
  for (const char* v : {"PULSE_SERVER", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH", "DISPLAY", "WAYLAND_DISPLAY",
                        "DBUS_SESSION_BUS_ADDRESS"})
    env.remove(QString::fromLatin1(v));
  const qint64 pid = Spawn(QStringLiteral("pulseaudio"),
                           {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                            QStringLiteral("--disallow-exit"), QStringLiteral("--use-pid-file=no"),
                            QStringLiteral("--realtime=no"), QStringLiteral("--high-priority=no"),
                            QStringLiteral("--log-target=stderr"), QStringLiteral("-F"), script},
                           env, folder_ + QStringLiteral("/server.log"), -1, error);
  if (!pid) return false;
  pids_ = {pid};
  return true;
}

// A desktop that runs PipeWire: the daemon, its session manager and its
// PulseAudio server on a runtime folder of our own, the sink made over it.
bool Server::StartPipeWire(QString* error) {
  const QString runtime = folder_ + QStringLiteral("/runtime");
  socket_ = runtime + QStringLiteral("/pulse/native");
  QFile::remove(socket_);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), folder_ + QStringLiteral("/home"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_ + QStringLiteral("/home/.config"));
  env.insert(QStringLiteral("XDG_STATE_HOME"), folder_ + QStringLiteral("/home/.state"));
  for (const char* v : {"PULSE_SERVER", "PIPEWIRE_REMOTE", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
    env.remove(QString::fromLatin1(v));
  const QString log = folder_ + QStringLiteral("/server.log");
  pids_.clear();
  QStringList programs{QStringLiteral("pipewire")};
  if (!QStandardPaths::findExecutable(QStringLiteral("wireplumber")).isEmpty()) programs << QStringLiteral("wireplumber");
  programs << QStringLiteral("pipewire-pulse");
  for (const QString& program : programs) {
    const qint64 pid = Spawn(program, {}, env, log, -1, error);
    if (!pid) return false;
    pids_.push_back(pid);
    QThread::msleep(300);
  }
  for (int i = 0; i < 50 && !QFileInfo::exists(socket_); ++i) QThread::msleep(100);
  QProcessEnvironment client = QProcessEnvironment::systemEnvironment();
  Prepare(client);
  for (const QStringList& args : {QStringList{QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                                              QStringLiteral("sink_name=") + Sink()},
                                  QStringList{QStringLiteral("set-default-sink"), Sink()}}) {
    QProcess p;
    p.setProcessEnvironment(client);
    p.start(QStringLiteral("pactl"), args);
    if (!p.waitForFinished(5000) || p.exitCode() != 0) {
      p.kill();
      p.waitForFinished(1000);
      *error = QStringLiteral("pactl ") + args.join(u' ') + QStringLiteral(" failed at the private PipeWire");
      return false;
    }
  }
  return true;
}

void Server::End(int signal) {
  // The PulseAudio server of PipeWire first, the daemon last.
  for (auto it = pids_.rbegin(); it != pids_.rend(); ++it) EndProcess(*it, signal);
  pids_.clear();
}

void Server::Stop() { End(SIGTERM); }
void Server::Kill() { End(SIGKILL); }

// ---- recorder -----------------------------------------------------------------

Recorder::Recorder() { clock_.start(); }

Recorder::~Recorder() { Stop(); }

bool Recorder::Start(const Server& server, QString* error) {
  Stop();
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    *error = QStringLiteral("no pipe for parec");
    return false;
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  server.Prepare(env);
  pid_ = Spawn(QStringLiteral("parec"),
               {QStringLiteral("--device=") + server.Monitor(), QStringLiteral("--format=s16le"),
                QStringLiteral("--channels=1"), QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--raw"),
                QStringLiteral("--latency-msec=20")},
               env, QDir::tempPath() + QStringLiteral("/parec-%1.log").arg(::getpid()), fds[1], error);
  ::close(fds[1]);
  if (!pid_) {
    ::close(fds[0]);
    return false;
  }
  fd_ = fds[0];
  reading_ = true;
  reader_ = std::thread([this, fd = fd_] { Read(fd); });
  return true;
}

void Recorder::Read(int fd) {
  char buffer[8192];
  int carry = -1;  // a byte of a sample split between reads
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const qint64 now = clock_.nsecsElapsed();
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<qint16> got;
    ssize_t at = 0;
    if (carry >= 0) {
      got.push_back(static_cast<qint16>(static_cast<quint8>(carry) | (static_cast<quint8>(buffer[0]) << 8)));
      at = 1;
      carry = -1;
    }
    for (; at + 1 < n; at += 2)
      got.push_back(static_cast<qint16>(static_cast<quint8>(buffer[at]) | (static_cast<quint8>(buffer[at + 1]) << 8)));
    if (at < n) carry = static_cast<quint8>(buffer[at]);
    // The monitor sends nothing while nothing plays: what comes after such
    // a stretch belongs at the moment it came.
    const qint64 due = now / 1000 * kRate / 1000000;
    const qint64 end = static_cast<qint64>(samples_.size() + got.size());
    if (due - end > kRate * 6 / 100) samples_.resize(static_cast<size_t>(due - static_cast<qint64>(got.size())), 0);
    samples_.insert(samples_.end(), got.begin(), got.end());
  }
  ::close(fd);
  reading_ = false;
}

void Recorder::Stop() {
  if (pid_) EndProcess(pid_, SIGTERM);
  pid_ = 0;
  if (reader_.joinable()) reader_.join();
  fd_ = -1;
}

double Recorder::Now() const { return clock_.nsecsElapsed() / 1e9; }

std::vector<qint16> Recorder::Samples() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<qint16> out = samples_;
  const size_t now = static_cast<size_t>(Now() * kRate);
  if (out.size() < now) out.resize(now, 0);
  return out;
}

std::vector<qint16> Recorder::Last(double seconds) const {
  const std::vector<qint16> all = Samples();
  const size_t n = std::min(all.size(), static_cast<size_t>(seconds * kRate));
  return {all.end() - static_cast<std::ptrdiff_t>(n), all.end()};
}

double Recorder::LevelDb(double seconds) const {
  const std::vector<qint16> s = Last(seconds);
  double sum = 0;
  for (qint16 v : s) sum += double(v) * v;
  if (s.empty() || sum <= 0) return -100;
  return 10 * std::log10(sum / s.size() / (32768.0 * 32768.0));
}

bool Recorder::Save(const QString& path) const {
  const std::vector<qint16> s = Samples();
  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(s.size() * 2));
  for (qint16 v : s) {
    bytes.append(static_cast<char>(v & 0xff));
    bytes.append(static_cast<char>((v >> 8) & 0xff));
  }
  return WriteFile(path, bytes);
}

// ---- decoding -----------------------------------------------------------------

std::vector<qint16> Decode(const QString& path, QString* error) {
  static const bool ready = [] {
    gst_init(nullptr, nullptr);
    return true;
  }();
  (void)ready;
  std::vector<qint16> out;
  GError* err = nullptr;
  GstElement* pipeline = gst_parse_launch(
      QStringLiteral("uridecodebin name=src ! audioconvert ! audioresample ! "
                     "audio/x-raw,format=S16LE,channels=1,rate=%1,layout=interleaved ! appsink name=out sync=false")
          .arg(kRate)
          .toUtf8()
          .constData(),
      &err);
  if (!pipeline) {
    *error = QStringLiteral("no decoding pipeline: ") + QString::fromUtf8(err ? err->message : "");
    if (err) g_error_free(err);
    return out;
  }
  GstElement* src = gst_bin_get_by_name(GST_BIN(pipeline), "src");
  GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "out");
  gchar* uri = gst_filename_to_uri(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), nullptr);
  g_object_set(src, "uri", uri, nullptr);
  g_free(uri);
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  for (;;) {
    GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 10 * GST_SECOND);
    if (!sample) break;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (buffer && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
      const auto* v = reinterpret_cast<const qint16*>(map.data);
      out.insert(out.end(), v, v + map.size / 2);
      gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
  }
  if (!gst_app_sink_is_eos(GST_APP_SINK(sink))) {
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* msg = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    QString why = QStringLiteral("decoding stopped early");
    if (msg) {
      GError* e = nullptr;
      gst_message_parse_error(msg, &e, nullptr);
      if (e) why = QString::fromUtf8(e->message), g_error_free(e);
      gst_message_unref(msg);
    }
    gst_object_unref(bus);
    *error = path + QStringLiteral(": ") + why;
    out.clear();
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(src);
  gst_object_unref(sink);
  gst_object_unref(pipeline);
  if (out.empty() && error->isEmpty()) *error = path + QStringLiteral(": no sound in the file");
  return out;
}

}  // namespace sound
