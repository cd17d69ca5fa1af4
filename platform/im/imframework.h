#pragma once
// The desktop's input-method framework, as it names its engines: fcitx5 on
// the session bus, else ibus on its own bus. Every call is bounded: a
// framework that has not answered in time counts as absent, so no caller
// waits long. Tests install FakeImFramework.
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace plat {

inline constexpr int kImAnswerMs = 300;

struct ImEngine {
  QString id;             // the framework's own: "chewing", "keyboard-us", "xkb:us::eng"
  QString name;           // as the framework shows it: "新酷音", "Chewing"
  bool keyboard = false;  // a plain keyboard layout, not an input method
  bool operator==(const ImEngine&) const = default;
};

struct ImState {
  QList<ImEngine> engines;  // what the user switches between, in the framework's order
  ImEngine current;         // empty id when no window has the focus
};

class ImFramework {
 public:
  virtual ~ImFramework() = default;
  // What the running framework says now; nullopt when none answers in time.
  virtual std::optional<ImState> State() = 0;
  // The current engine without waiting: `done` runs later on the event
  // loop, with an empty engine when no framework answered.
  virtual void AskCurrent(std::function<void(const ImEngine&)> done) = 0;
  // Waits, bounded, until every answer asked for has come.
  virtual void Settle() = 0;
};

// fcitx5 (org.fcitx.Fcitx5, /controller) on the session bus, else ibus
// (org.freedesktop.IBus) on the bus its address file names: its engines are
// those the settings preload, those the daemon has active and its current
// one, named as the daemon names them. Never starts a framework or a bus
// that is not running.
class DBusImFramework : public ImFramework {
 public:
  // Empty addresses: the process's session bus, and ibus's as ibus finds it.
  explicit DBusImFramework(QString sessionAddress = QString(), QString ibusAddress = QString(),
                           int answerMs = kImAnswerMs);
  ~DBusImFramework() override;
  std::optional<ImState> State() override;
  void AskCurrent(std::function<void(const ImEngine&)> done) override;
  void Settle() override;

  // Where ibus keeps its address: <folder>/ibus/bus/<machine id>-<host, or
  // "unix">-<display number>, below the runtime folder, then below the
  // configuration folder.
  static QStringList IbusAddressFiles(const QString& display, const QString& machineId, const QString& runtimeDir,
                                      const QString& configDir);
  // The IBUS_ADDRESS line of such a file; empty when none.
  static QString IbusAddressIn(const QByteArray& fileText);

  // The engines the desktop's settings give ibus, by id: ibus's preload
  // list, then GNOME's ibus input sources. The daemon itself names only
  // its current engine when no panel of its own runs.
  static QStringList IbusSettingsEngines();
  // Where the ibus engine ids come from (tests); IbusSettingsEngines unless set.
  void SetIbusSettingsEngines(std::function<QStringList()> source);

  struct Impl;

 private:
  std::unique_ptr<Impl> d_;
};

ImFramework& imFramework();
// Installs a framework (not owned); nullptr restores the real one.
void SetImFramework(ImFramework* f);

// The engine text was typed with: every input-method commit in the program
// asks the framework for its current engine, one question at a time, and
// the last answer that is not a plain keyboard is kept. Read at the end of a
// test, when the window then in front may have its input method off.
class TypedEngine {
 public:
  // Starts watching the application's commits (once; later calls do nothing).
  static void Watch();
  // A commit was seen (the watcher's entry; tests call it directly).
  static void Committed();
  // Settles what is still asked first; empty when none was seen.
  static ImEngine Engine();
  static void Forget();
};

}  // namespace plat
