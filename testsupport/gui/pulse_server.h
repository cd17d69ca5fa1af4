#pragma once
// A private PulseAudio server for one test: a null sink "out" whose monitor
// is recorded with parec, reached through a socket in the test's own folder
// (PULSE_SERVER), with autospawn off so that a killed server stays dead.
// The loudness envelopes compare what was recorded with the decoded file.
#include <gst/gst.h>
#include <signal.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QVector>
#include <cmath>
#include <cstring>
#include <functional>

namespace pulsetest {

constexpr int kRate = 8000;   // recording and reference, mono
constexpr int kWindow = 160;  // 20 ms envelope windows

// Spins the event loop until cond holds or ms passed.
inline bool WaitFor(const std::function<bool()>& cond, int ms) {
  QElapsedTimer t;
  t.start();
  while (!cond() && t.elapsed() < ms) {
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return cond();
}

inline void Spin(int ms) {
  WaitFor([] { return false; }, ms);
}

class PulseServer {
 public:
  ~PulseServer() {
    StopRecording();
    Stop();
    qunsetenv("PULSE_SERVER");
    qunsetenv("PULSE_CLIENTCONFIG");
  }

  static bool Available() {
    return !QStandardPaths::findExecutable("pulseaudio").isEmpty() &&
           !QStandardPaths::findExecutable("parec").isEmpty() && !QStandardPaths::findExecutable("pactl").isEmpty();
  }

  // Also sets the process's PULSE_SERVER; false with *why when the server
  // did not come up within 10 s.
  bool Start(QString* why) {
    if (!dir_.isValid()) {
      *why = "no temporary folder";
      return false;
    }
    const QString d = dir_.path();
    QFile conf(d + "/server.pa");
    QFile client(d + "/client.conf");
    if (!conf.open(QIODevice::WriteOnly) || !client.open(QIODevice::WriteOnly)) {
      *why = "cannot write the server's configuration";
      return false;
    }
    conf.write(
        "load-module module-null-sink sink_name=out rate=44100\n"
        "load-module module-native-protocol-unix auth-anonymous=1 socket=" +
        QFile::encodeName(d) + "/native\nset-default-sink out\n");
    client.write("autospawn = no\n");
    if (!conf.flush() || !client.flush()) {
      *why = "cannot write the server's configuration";
      return false;
    }
    conf.close();
    client.close();
    qputenv("PULSE_SERVER", ("unix:" + d + "/native").toLocal8Bit());
    qputenv("PULSE_CLIENTCONFIG", (d + "/client.conf").toLocal8Bit());
    return Restart(why);
  }

  // Starts the server again (after Kill), on the same socket.
  bool Restart(QString* why) {
    const QString d = dir_.path();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", d);
    env.insert("XDG_RUNTIME_DIR", d);
    env.insert("PULSE_RUNTIME_PATH", d + "/run");
    env.insert("PULSE_STATE_PATH", d + "/state");
    env.remove("DISPLAY");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    server_.setProcessEnvironment(env);
    server_.setWorkingDirectory(d);
    server_.setStandardOutputFile(QProcess::nullDevice());
    server_.setStandardErrorFile(d + "/server.log", QIODevice::Append);
    server_.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
                                 "--disable-shm=yes", "-F", d + "/server.pa"});
    if (!server_.waitForStarted(5000)) {
      *why = "pulseaudio did not start";
      return false;
    }
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 10000) {
      if (Pactl({"info"}) == 0) return true;
      if (server_.state() != QProcess::Running) break;
      QThread::msleep(50);
    }
    *why = "pulseaudio did not answer; its log: " + d + "/server.log";
    Stop();
    return false;
  }

  // The server dies at once, as when a desktop's sound service crashes.
  void Kill() {
    if (server_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(server_.processId()), SIGKILL);
    server_.waitForFinished(5000);
  }

  void Stop() {
    if (server_.state() == QProcess::NotRunning) return;
    server_.terminate();
    if (!server_.waitForFinished(5000)) Kill();
  }

  int Pactl(const QStringList& args) {
    QProcess p;
    p.start("pactl", args);
    if (!p.waitForFinished(3000)) {
      p.kill();
      p.waitForFinished(1000);
      return -1;
    }
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  // Records the sink's monitor until StopRecording.
  bool StartRecording() {
    recordFile_ = dir_.path() + "/rec.raw";
    QFile::remove(recordFile_);
    rec_.setStandardOutputFile(recordFile_);
    rec_.start("parec", {"-d", "out.monitor", "--raw", "--format=s16le", "--rate=" + QString::number(kRate),
                         "--channels=1", "--latency-msec=20"});
    if (!rec_.waitForStarted(5000)) return false;
    // Recording has begun once bytes arrive (the monitor sends silence).
    return WaitFor([&] { return QFileInfo(recordFile_).size() > 0; }, 5000);
  }

  QVector<qint16> StopRecording() {
    if (rec_.state() == QProcess::NotRunning) return {};
    rec_.terminate();
    if (!rec_.waitForFinished(5000)) {
      rec_.kill();
      rec_.waitForFinished(1000);
    }
    return ReadRaw(recordFile_);
  }

  static QVector<qint16> ReadRaw(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray b = f.readAll();
    QVector<qint16> s(b.size() / 2);
    std::memcpy(s.data(), b.constData(), s.size() * 2);
    return s;
  }

  QString dir() const { return dir_.path(); }
  qint64 Pid() const { return server_.processId(); }

 private:
  QTemporaryDir dir_;
  QProcess server_;
  QProcess rec_;
  QString recordFile_;
};

// The file decoded to the recording's format; empty when it cannot be.
inline QVector<qint16> Decode(const QString& file, const QString& scratch) {
  const QString out = scratch + "/decoded.raw";
  gchar* loc = g_strescape(QFile::encodeName(file).constData(), nullptr);
  const QByteArray desc = "filesrc location=\"" + QByteArray(loc) +
                          "\" ! decodebin ! audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,rate=" +
                          QByteArray::number(kRate) + " ! filesink location=\"" + QFile::encodeName(out) + "\"";
  g_free(loc);
  GError* err = nullptr;
  GstElement* p = gst_parse_launch(desc.constData(), &err);
  if (err) g_error_free(err);
  if (!p) return {};
  gst_element_set_state(p, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(p);
  GstMessage* m = gst_bus_timed_pop_filtered(bus, 20 * GST_SECOND,
                                             static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool ok = m && GST_MESSAGE_TYPE(m) == GST_MESSAGE_EOS;
  if (m) gst_message_unref(m);
  gst_object_unref(bus);
  gst_element_set_state(p, GST_STATE_NULL);
  gst_object_unref(p);
  return ok ? PulseServer::ReadRaw(out) : QVector<qint16>();
}

// RMS loudness of each 20 ms window.
inline QVector<double> Envelope(const QVector<qint16>& s) {
  QVector<double> e;
  for (qsizetype i = 0; i + kWindow <= s.size(); i += kWindow) {
    double sum = 0;
    for (int k = 0; k < kWindow; ++k) sum += double(s[i + k]) * s[i + k];
    e.append(std::sqrt(sum / kWindow));
  }
  return e;
}

// Where and how much of a part the recording holds.
struct Heard {
  int lag = -1;  // windows from the recording's start to the part's start
  double correlation = 0;
  double firstHeardS = -1;   // the part's second from which it is heard without a break
  double fractionHeard = 0;  // of the part's loud windows
  double extraS = 0;         // loud sound in the recording outside the part
};

// Aligns the part's envelope with the recording's (best normalised
// correlation, the part starting within maxLagS), then looks window by
// window at what was heard.
inline Heard Match(const QVector<qint16>& recording, const QVector<qint16>& part, double maxLagS = 1e9) {
  const QVector<double> r = Envelope(recording), p = Envelope(part);
  Heard h;
  if (p.isEmpty() || r.size() < 10) return h;
  double pmax = 0;
  for (double v : p) pmax = std::max(pmax, v);
  const double loud = pmax * 0.1;
  for (int lag = 0; lag + 10 < r.size() && lag * double(kWindow) / kRate <= maxLagS; ++lag) {
    double sxy = 0, sxx = 0, syy = 0;
    for (int i = 0; i < p.size() && lag + i < r.size(); ++i) {
      sxy += p[i] * r[lag + i];
      sxx += p[i] * p[i];
      syy += r[lag + i] * r[lag + i];
    }
    const double c = (sxx > 0 && syy > 0) ? sxy / std::sqrt(sxx * syy) : 0;
    if (c > h.correlation) {
      h.correlation = c;
      h.lag = lag;
    }
  }
  if (h.lag < 0) return h;
  int loudN = 0, heardN = 0;
  // Heard from: the first loud window after the last loss, a loss being
  // three loud windows missed in a row (one alone is an edge that fell
  // across windows).
  int lastMiss = -1, missRun = 0;
  for (int i = 0; i < p.size(); ++i) {
    if (p[i] < loud) continue;
    ++loudN;
    // A window's sound may lie across its neighbours when the part does
    // not start on a window's edge.
    double got = 0;
    for (int j = h.lag + i - 1; j <= h.lag + i + 1; ++j)
      if (j >= 0 && j < r.size()) got = std::max(got, r[j]);
    const bool ok = got > p[i] * 0.35;
    if (ok) {
      ++heardN;
      missRun = 0;
    } else if (++missRun >= 3) {
      lastMiss = i;
    }
  }
  int first = -1;
  for (int i = lastMiss + 1; i < p.size(); ++i)
    if (p[i] >= loud) {
      first = i;
      break;
    }
  h.firstHeardS = first < 0 ? -1 : first * double(kWindow) / kRate;
  h.fractionHeard = loudN ? double(heardN) / loudN : 0;
  int extra = 0;
  for (int j = 0; j < r.size(); ++j) {
    // Sound where the part is quiet also one window either side (its edges
    // fall across windows).
    bool quiet = true;
    for (int i = j - h.lag - 1; i <= j - h.lag + 1; ++i)
      if (i >= 0 && i < p.size() && p[i] >= loud * 0.3) quiet = false;
    if (r[j] > loud && quiet) ++extra;
  }
  h.extraS = extra * double(kWindow) / kRate;
  return h;
}

}  // namespace pulsetest
