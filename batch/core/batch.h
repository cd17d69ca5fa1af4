#pragma once
// The batch scorer's state for the life of the program, with the calls the
// windows make: settings, the setup record, the score table and its
// summaries, the summary record and result line, floppy copies, printing and
// the run log. The windows hold no logic of their own beyond their controls.
#include <QString>
#include <functional>

#include "batch/core/files.h"
#include "batch/core/scoretable.h"
#include "batch/core/setupfile.h"
#include "batch/core/startup.h"
#include "batch/core/summaryfile.h"

namespace batch {

class Batch {
 public:
  Batch();
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

  // The run log; never fails towards the caller.
  void WriteErrorLog(const QString& text) const;

  // The rules of a summary from the settings (800, 801, 880, 881, 301, 302, 882).
  SummaryRules Rules() const;
  // Summary by the settings, pass mark, captions of the main window.
  void RecomputeScores();

  // The summary shown on the main window, appended once, and its result line.
  AppendStatus AppendScoreRecord();
  QString ResultFileName() const { return summary.ResultFileName(); }
  // The values of the result line now (the upload uses the same columns).
  ResultLineValues LineValues(int firstMethodText = 12702) const;

  // The score file and the result file of this run to a floppy disk.
  int CopyFloppyScoreFiles();
  // The candidate shown on the sheet: its typed text to the printer.
  bool PrintTextFile(plat::LinePrinter& printer) const;

  StartupSettings settings;
  SetupFile setup;
  ScoreTable table;
  SummaryFile summary;
  FloppyDrives drives = FloppyDrivesFromEnvironment();
  // The local address and host name (the windows hand in the network's).
  std::function<LocalHost()> localHost;
  // A summary record or result line of this run could not be written: the
  // program ends with a failing exit code, however it ends.
  bool writeFailed = false;
};

// The one instance of the program, created on first use.
Batch& batch();
// Drops the instance; the next batch() starts afresh (tests run many
// programs in one process).
void ResetBatch();

}  // namespace batch
