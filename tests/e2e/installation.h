#pragma once
// A programs' folder of the test's own: copies of the built programs with the
// shipped files in a temporary folder, a TMP folder beside it, the scripted
// candidate's script and its log. The programs started there are real
// processes; every one of them is stopped by its id when the installation
// goes, if it has not ended by itself.
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <array>
#include <functional>
#include <memory>
#include <ostream>

// Failure messages show texts as they read.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace e2e {

// What the programs need to be there, by file name.
inline const QStringList kPrograms = {QStringLiteral("Tavrel"), QStringLiteral("score"), QStringLiteral("Tallisk")};

// The programs missing from a folder, for a skip message.
QStringList MissingPrograms(const QString& folder);

class Installation {
 public:
  Installation();
  ~Installation();

  // Copies the programs, Tavrel.Ini, Key.Ini and Data/ of `from`, and makes
  // NOTE/ and the TMP folder. False with a reason.
  bool Make(const QString& from, QString* error);
  // Or installs a build tree there (cmake --install <build> --prefix <dir>)
  // and takes the installed programs' folder, <dir>/bin.
  bool Install(const QString& cmake, const QString& buildTree, QString* error);
  QString Prefix() const { return prefix_; }
  // The programs' folder and TMP, each ending in "/".
  QString Folder() const { return folder_; }
  QString Tmp() const { return tmp_; }

  // Sets settings of Tavrel.Ini by number ("7999,label=value" lines keep
  // their label); a number the file lacks is added at its end.
  bool SetSettings(const QMap<int, QString>& values, QString* error);

  // The scripted candidate's steps (see testsupport/gui/scripted_user.h).
  void WriteScript(const QString& text);

  // A variable for the programs started from now on, over their own
  // environment (a desktop test sets the X display and platform).
  void SetEnvironment(const QString& name, const QString& value) {
    environment_[name] = value;
    unset_.removeAll(name);
  }
  // A variable the programs started from now on do not get.
  void UnsetEnvironment(const QString& name) {
    environment_.remove(name);
    if (!unset_.contains(name)) unset_ << name;
  }
  // The file prefix under which each program writes where its windows and
  // widgets are (see apps/widget_probe.h): "<prefix>.<pid>".
  QString WidgetsPrefix() const { return root_ + QStringLiteral("/widgets"); }
  // What the programs wrote on stdout and stderr.
  QString OutputPath() const { return output_; }

  // Starts a program of the folder with its own environment (offscreen, TMP,
  // the script, a deadline after which every program ends itself).
  bool Start(const QString& program, const QStringList& arguments, qint64 deadlineEpochMs, QString* error);
  // The id of the program started last by Start, 0 when none runs.
  qint64 StartedPid() const;

  struct Started {
    QString program;
    qint64 pid = 0;
  };
  // Every program that started, in order, from the script's log.
  QList<Started> Starts() const;
  int CountStarts(const QString& program) const;
  // True when the script's log holds the text: ": <step>" is a step taken
  // (a step that waits long is also logged, as "waiting on \"<step>\"").
  bool Logged(const QString& text) const;
  // True when no process of the folder that the log knows is alive.
  bool AllEnded() const;
  // Stops every process of the folder that is still alive, by its id.
  void StopAll();

  // The log and the programs' output, for a failure's message.
  QString Describe() const;

 private:
  QTemporaryDir dir_;
  QString root_;
  QString prefix_;
  QString folder_;
  QString tmp_;
  QString script_;
  QString output_;
  QMap<QString, QString> environment_;
  QStringList unset_;
  std::unique_ptr<QProcess> first_;
};

// Polls the condition (events processed) until it holds or the time (ms since
// the epoch) has passed.
bool WaitUntil(const std::function<bool()>& condition, qint64 deadlineEpochMs);

// One 252-byte record of a score file.
struct ScoreRecord {
  int testNumber = 0;
  QString name, identity, birthday, when, testFile, duration;
  std::array<float, 6> results{};  // correct, errors, net, accuracy, error rate, speed
  QString answerFile;
};
// Every whole record of a score file; false when it cannot be read.
bool ReadScoreRecords(const QString& path, QList<ScoreRecord>& out);

// The fields of a one-line result file (each field is followed by "|").
QStringList ReadResultFields(const QString& path);

}  // namespace e2e
