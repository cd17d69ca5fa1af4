#pragma once
// What the input-method tests share: processes that end with the test even
// when it dies, a session bus of the test's own that starts no service by
// itself (a call to a framework that is not there must not start one), and
// the frameworks they type through behind one interface.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "tests/desktop/desktop.h"

namespace desktop {

std::unique_ptr<QProcess> ChildProcess();
// Writes the whole file, making its folder; false when any of it failed.
bool WriteWholeFile(const QString& path, const QByteArray& text);
// Starts dbus-daemon with its configuration in `folder`; the bus's address,
// or empty with a failure added.
QString StartSessionBus(const QString& folder, std::unique_ptr<QProcess>& daemon);

// An input-method framework with Chewing: its daemon with a home and a
// session bus of its own, on the test's display. Every wait is bounded; a
// false or failed result has added or carries the reason.
class InputMethod {
 public:
  virtual ~InputMethod();
  InputMethod(const InputMethod&) = delete;
  InputMethod& operator=(const InputMethod&) = delete;

  QString Name() const { return facts_.name; }
  // What of the framework is not installed, empty when all is.
  QString Missing() const;
  // Starts the bus (once) and the daemon (again after Kill), and waits
  // until the daemon answers.
  bool Start();
  // The daemon gone at once, as a crash takes it; its engines go with it.
  void Kill();
  // What a program needs to type through it.
  virtual bool Prepare(e2e::Installation& inst) const = 0;
  // Chewing (on) or the plain keyboard (off) where the candidate types,
  // switched as a person does.
  virtual ::testing::AssertionResult Chewing(bool on) = 0;
  // The end of the daemon's log, for messages.
  std::string Log() const;

 protected:
  struct Facts {
    QString name;  // "fcitx5", "ibus"; also the log's name
    QString daemon;
    QStringList arguments;
    QStringList tools;  // besides the daemon and dbus's
    QString engineFile;  // there when Chewing is installed
  };
  InputMethod(const Desktop& desk, Facts facts);
  virtual bool WriteConfiguration() = 0;
  // Answering, the daemon is ready.
  virtual bool Answers() const = 0;
  // The daemon's and its tools' environment: this home, bus and display.
  virtual QProcessEnvironment Environment() const;
  // A tool run to its end with a bound; its output, or nullopt.
  std::optional<QString> Call(const QString& tool, const QStringList& arguments, int timeoutMs,
                              const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) const;
  QString Home() const { return home_.path(); }
  QString Bus() const { return bus_; }

  const Desktop& desk_;

 private:
  const Facts facts_;
  QTemporaryDir home_;
  QString bus_;
  std::unique_ptr<QProcess> busDaemon_, daemon_;
};

// fcitx5 with only the add-ons the typing needs; each window starts with it
// off, Ctrl+Space switches between the keyboard and Chewing.
class Fcitx5 : public InputMethod {
 public:
  explicit Fcitx5(const Desktop& desk);
  bool Prepare(e2e::Installation& inst) const override;
  ::testing::AssertionResult Chewing(bool on) override;

 protected:
  bool WriteConfiguration() override;
  bool Answers() const override;

 private:
  // A call to fcitx5's controller; its printed reply, or nullopt.
  std::optional<QString> Controller(const QString& method) const;
};

// ibus-daemon as a GNOME session runs it, without panel, config or emoji
// helper; the engine is one for every window, settings are shared through
// gsettings' key file.
class Ibus : public InputMethod {
 public:
  explicit Ibus(const Desktop& desk);
  bool Prepare(e2e::Installation& inst) const override;
  ::testing::AssertionResult Chewing(bool on) override;
  // The daemon has an input context with the focus: the program's, as it
  // connects and its box has the focus.
  bool HasFocusedContext() const;

 protected:
  bool WriteConfiguration() override;
  bool Answers() const override;
  QProcessEnvironment Environment() const override;

 private:
  ::testing::AssertionResult Engine(const QString& id) const;
  std::optional<QString> Tool(const QStringList& arguments) const;
  QString Config() const { return Home() + QStringLiteral("/.config/"); }
  // The daemon's address files (one a display).
  QStringList AddressFiles() const;
};

}  // namespace desktop
