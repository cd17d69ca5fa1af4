#pragma once
// The scorer's engine as its windows use it: one current scoring run, the
// scoring state, the run's file names, the scorer log, printing of the
// report and the start of the next program. Single-threaded, like the
// windows that call it.
#include <QString>
#include <cstdint>
#include <functional>

#include "platform/core/lineprinter.h"
#include "scoring/engine/run.h"
#include "scoring/engine/sinks.h"

namespace scoring {

// "CrsError.Txt" in the program folder: every call appends the time, ">" and
// the text; an empty text begins a new log ("開始> " and the date). Never
// throws: a log that cannot be written does not stop scoring.
QString CrsErrorPath();
void WriteCrsError(const QString& text) noexcept;

// The logs of the programs' files.
class FileEngineLog : public EngineLog {
 public:
  void ErrorLog(const QString& text) override;
  void CrsLog(const QString& text) override { WriteCrsError(text); }
};

// The first IPv4 address of an interface that is up and not the loopback
// (127.0.0.1 when there is none), and the host name.
HostInfo LocalHostInfo();

// Where the engine reports and what it reads; all optional (the programs'
// files, no progress, the store's settings, this machine's address).
void SetEngineLog(EngineLog* log);
void SetEngineProgress(ProgressSink* progress);
void SetSettingsSource(std::function<ScorerSettings()> source);
void SetHostInfoSource(std::function<HostInfo()> source);

// Loads a record as the start of a new run (the earlier run is dropped).
// ok is the explicit success flag; the scoring state is 1 during the load
// and 0 after a failure.
LoadOutcome xZet_LoadData(const QString& recordFile, const QString& testFileOverride = {});
// Scores the loaded record and writes its files; the state is 99 after it,
// also when a file could not be written (the results stand and the outcome
// lists the failure).
ProcessOutcome ProcessScoring();
// The run of the last load, or nullptr.
ScoringRun* CurrentRun();

// Stores a value below 250; returns the state (0 failed, 1 loading, 99 done).
std::uint8_t ScoreState(int value = 255);

QString RecordFileName();
QString AnswerFileName();
QString ScoreFileName();
QString ResultFileName();
QString MarkedLinesFileName();

// Prints the report (the answer file) line by line on plat::printer(); a
// missing file or a printer error gives its message box. true when the report was printed.
bool Test_Print();

// Mode 1 or 2 starts the test program again with the record and the score
// file (mode 2 adds "123"); any other mode starts the batch scorer. Nothing
// happens when the program is not installed.
void ReturnToTypingProgram(int mode);

// The clean-up the settings ask for once the run's files have been used.
void CleanUpAfterRun(bool keepScoreFiles);

// Forgets the current run and the state (tests, and a fresh entry form).
void ResetScorer();

}  // namespace scoring
