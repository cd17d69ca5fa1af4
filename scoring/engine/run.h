#pragma once
// One scoring run: load a test record and its test text, run the passes and
// the computation, write the report, the score record, the marked lines and
// the result line, and compare with the record's expected results.
//
// A run is built fresh for every record, so nothing of an earlier candidate
// (file names, times, labels, expected results) can leak into the next.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "scoring/engine/compute.h"
#include "scoring/engine/scorerecord.h"
#include "scoring/engine/scorersettings.h"
#include "scoring/engine/sinks.h"

namespace scoring {

// What the score sheet shows, by the sheet's label names.
struct SheetLabels {
  QString TEXT4;   // test file
  QString TEXT4B;  // bare test name
  QString TEXT3;   // scoring date and time
  QString Text1;   // name
  QString Text2;   // identity number
  QString Text12;  // birthday
  QString Text15;  // class and seat
  QString Text13;  // input method
  QString Text5A;  // minutes "00"
  QString Text5B;  // seconds "00"
  QString Text6, Text7, Text8, Text9, Text10, Text11;  // results 1..6
  // Check mode: results that differ from the expected ones (shown red).
  std::array<bool, 6> red{};
};

struct ExpectedResults {
  std::array<float, 6> values{};
  std::array<bool, 6> given{};  // a field left out or blank is not checked
};

// The six expected results of a check record: "120,3,117,97.56,2.44,23.4".
ExpectedResults ParseErrData(const QString& list);

// The local address and host name for the result line.
struct HostInfo {
  QString address;
  QString name;
};

struct LoadOutcome {
  bool ok = false;
  // Seconds from the record's end time to now, taken over midnight.
  double elapsedSeconds = 0;
  QString missingFile;  // when a file was missing
};

struct ProcessOutcome {
  bool ok = false;          // every file that was due was written
  QStringList failures;     // what could not be written, for the sheet
};

// Work files in the temporary folder.
QString ReportWorkFile();   // ~TEMP.txt, the per-line listing
QString MarkedLinesWorkFile();  // ~TEMP.Dat, the unmatched test characters

// The name with its third character from the end replaced (.T01 -> .R01).
QString WithThirdFromEnd(const QString& name, QChar c);

class ScoringRun {
 public:
  ScoringRun(ScorerSettings settings, EngineLog& log, ProgressSink& progress);
  ~ScoringRun();

  // Reads the record and its test text into the tables; the test file box of
  // the entry form, when it holds more than 2 characters, names the test
  // text instead of the record's key.
  LoadOutcome Load(const QString& recordPath, const QString& testFileOverride = {});
  // The passes, the computation and the files. Never throws: a failure is
  // logged and listed, and the results computed still stand.
  ProcessOutcome Process(const HostInfo& host);
  // The clean-up the settings ask for after a run (setting 149), to be run
  // once the run's files have been shown, copied and handed over; a run
  // whose delivery failed keeps its score and result files.
  void CleanUpAfterUse(bool keepScoreFiles);

  bool loaded() const { return loaded_; }
  const SheetLabels& sheet() const { return sheet_; }
  const Results& results() const { return results_; }
  const ScoreOutcome& outcome() const { return outcome_; }
  const ScoreRecord& record() const { return record_; }
  const CompareTables& tables() const { return *tables_; }
  const QStringList& reportLines() const { return report_; }
  const QString& resultLine() const { return resultLine_; }
  bool checkMode() const { return checkMode_; }
  const ExpectedResults& expected() const { return expected_; }

  const QString& recordFileName() const { return recordFile_; }
  const QString& testFileName() const { return testFile_; }
  const QString& answerFileName() const { return answerFile_; }
  const QString& scoreFileName() const { return scoreFile_; }
  const QString& resultFileName() const { return resultFile_; }
  // The "E" copy beside the answer file (named whether or not it was made).
  const QString& markedLinesFileName() const { return markedCopy_; }
  float startTime() const { return startTime_; }
  float endTime() const { return endTime_; }

 private:
  void TakeKey(const QString& key, const QString& value);
  void ParseSystemAttributes(const QString& list);
  bool ReadTestText(const QString& path);
  void RunComparePasses();
  void WriteScoreFiles(const HostInfo& host, QStringList& failures);
  QStringList BuildReport() const;
  void MarkResultDifferences();

  ScorerSettings s_;
  EngineLog& log_;
  ProgressSink& progress_;
  std::unique_ptr<CompareTables> tables_;
  bool loaded_ = false;
  SheetLabels sheet_;
  Results results_;
  ScoreOutcome outcome_;
  ScoreRecord record_;
  QStringList report_;
  QString resultLine_;
  bool checkMode_ = false;
  bool markedWritten_ = false;  // ~TEMP.Dat holds this run's marks
  ExpectedResults expected_;
  QString recordFile_, testFile_, answerFile_, scoreFile_, resultFile_, markedCopy_;
  float startTime_ = 0, endTime_ = 0;
};

}  // namespace scoring
