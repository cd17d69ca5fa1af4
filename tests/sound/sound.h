#pragma once
// A sound server of the test's own, what reaches it recorded, and the parts
// decoded, so that a test hears what a candidate would.
//
//   sound::Server server(dir);                  // a folder of the test's own
//   ASSERT_TRUE(server.Start(&error));          // pulseaudio -n, or pipewire
//   server.Prepare(env);                        // PULSE_SERVER, autospawn off
//   sound::Recorder rec;
//   ASSERT_TRUE(rec.Start(server, &error));     // parec of the sink's monitor
//   ... play ...
//   server.Kill(); server.Start(&error); rec.Start(server, &error);  // a restart
//   const std::vector<qint16> heard = rec.Samples();   // one time line
//
// Nothing here meets the machine's own server: the daemon runs with a HOME
// and XDG_RUNTIME_DIR of its own and listens only on the folder's socket,
// and every client is told not to start one by itself.
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace sound {

// The sample rate of every recording and decoded part (mono, s16le).
inline constexpr int kRate = 16000;

// A client.conf that keeps libpulse from starting a server by itself.
// False when it cannot be written.
bool WriteNoAutospawnConfig(const QString& path);

class Server {
 public:
  explicit Server(const QString& folder);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Empty when this machine can run a private server, else why not (for a
  // skip): neither pulseaudio nor pipewire-pulse is installed.
  static QString Unavailable();

  // Starts the server and waits until it answers (bounded). Again after a
  // Stop or Kill, on the same socket. False with a reason.
  bool Start(QString* error);
  // Ends it as a desktop's session does (SIGTERM), or as a crash (SIGKILL).
  void Stop();
  void Kill();
  bool Running() const;

  // What a client needs: "unix:<folder>/native", the client.conf, the sink.
  QString Address() const;
  QString ClientConfig() const { return folder_ + QStringLiteral("/client.conf"); }
  QString Sink() const { return QStringLiteral("tavrel_test"); }
  QString Monitor() const { return Sink() + QStringLiteral(".monitor"); }
  // Points a client's environment at this server, whether it runs or not.
  void Prepare(QProcessEnvironment& env) const;
  // What the daemon said, for a failure's message.
  QString Log() const;

 private:
  bool StartPulse(QString* error);
  bool StartPipeWire(QString* error);
  bool Answers() const;
  void End(int signal);

  QString folder_;
  QString socket_;
  std::vector<qint64> pids_;  // the daemon, or pipewire's processes
};

// Records the server's sink monitor with parec into one time line: what
// comes is placed at the moment it came, so the stretches when nothing
// played (the monitor sends nothing then) and when the server was away
// are silence of the right length.
class Recorder {
 public:
  Recorder();
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Starts (or, after the server came back, starts again) recording.
  bool Start(const Server& server, QString* error);
  void Stop();
  // Seconds of the time line so far (from the first Start).
  double Now() const;
  // The whole time line, or its last `seconds`.
  std::vector<qint16> Samples() const;
  std::vector<qint16> Last(double seconds) const;
  // Loudness of the last `seconds`, in dB of full scale (-100 for silence).
  double LevelDb(double seconds) const;
  bool Save(const QString& path) const;  // raw s16le mono at kRate

 private:
  void Read(int fd);

  QElapsedTimer clock_;
  mutable std::mutex mutex_;
  std::vector<qint16> samples_;
  qint64 pid_ = 0;
  int fd_ = -1;
  std::thread reader_;
  std::atomic<bool> reading_{false};
};

// A part file decoded to mono s16le at kRate (GStreamer). Empty with a
// reason when it cannot be decoded.
std::vector<qint16> Decode(const QString& path, QString* error);

}  // namespace sound
