#pragma once
// The folders a run writes into, checked when a program starts: the
// programs' folder (logs, settings, downloads), the data folder of the score
// and result files, and the temporary folder (the test record and the work
// files). A folder that is missing, takes no file, or whose path the records'
// code page cannot hold, or that has no room left for a test's files, would
// lose the run's record or its score at the end, so the programs say so at
// the start. The account's own temporary folder (TMP and TMPDIR unset) must
// also be the account's and closed to others.
#include <QList>
#include <QString>

namespace common {

enum class WorkFolder { Programs, Data, Temp };
enum class FolderFault { None, Missing, NotWritable, NotCp950, NoSpace, NotPrivate, HasComma };

struct FolderProblem {
  WorkFolder folder = WorkFolder::Programs;
  QString path;
  FolderFault fault = FolderFault::None;
  QString detail;  // the room left, or what is wrong with a private folder
};

// The room a test's files need in each folder: the record, the report, the
// score and result files, the logs.
constexpr qint64 kRoomForATest = 1024 * 1024;

// One folder: it exists, a new file can be made in it (a probe file that is
// removed at once), its path survives CP950 and it has kRoomForATest free.
// The first fault found; `detail` gets the room left for NoSpace.
FolderFault CheckFolder(const QString& path, QString* detail = nullptr);

// The programs hand paths to one another as ","-joined fields of one
// argument, with no quoting: a path with a "," would be cut there.
bool PathFitsCommandLine(const QString& path);
// Why such a path is refused, for the person who chose it.
QString CommaInPathText();

// The three folders; the data folder is made when it is missing, as the
// score's naming would make it. Only the folders with a fault are listed;
// a folder given twice (the data folder is the programs' folder by default)
// is listed once. The programs' and the data folder go on the command lines
// (the temporary folder's record falls back to a folder without a ","), so
// a "," in them is a fault.
QList<FolderProblem> CheckWorkFolders(const QString& programs, const QString& data, const QString& temp);

// The test program's folders from the settings loaded: ProgramFolder, the
// data folder of setting 202 (relative to the programs' folder) and the
// temporary folder.
QList<FolderProblem> CheckRunFolders();

// A folder named in the settings, relative to the programs' folder when it
// is not absolute; either separator. An empty value stays empty.
QString FolderInProgramFolder(const QString& value);

// The message: `lead` (what the fault keeps from happening), then each
// folder, its path and its fault.
QString FolderProblemsText(const QString& lead, const QList<FolderProblem>& problems);

// What a fault keeps each program from doing, the lead of its message.
QString TestFolderLead();
QString ScorerFolderLead();
QString BatchFolderLead();

// Shows the problems, if any, in a warning box (OK only); true when there
// were none.
bool WarnOfFolderProblems(const QString& lead, const QList<FolderProblem>& problems);

}  // namespace common
