#pragma once
// Writing the summary back: one summary record appended to the score file
// (never twice in a row) and the one-line result file of 23 fields beside it.
// Both are built from the summary row and the captions the main window shows,
// through the same formatting, so they say what the window says.
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

#include "batch/core/scoretable.h"

namespace batch {

struct LocalHost {
  QString address;  // IPv4, dotted
  QString name;
};

// A caption's leading number as plain number text ("98.5" of "98.5 %").
QString PlainNumber(const QString& captionNumber);

struct ResultLineValues {
  int setting701 = 0;
  QString subject;  // setting 294
  QString method;   // text 12702, 12703 or 12704 by setting 800
  DisplayTexts display;
  ScoreRow summary;
  LocalHost host;
};

// The 23 fields, in order, not yet joined (the upload sends the same columns
// with its own method text).
QStringList BatchResultFields(const ResultLineValues& v);
// The fields joined, each followed by "|" ("|" inside a value made "｜").
QString BatchResultLine(const ResultLineValues& v);
// The summary record: test number 0, the marker, duration "0", whole counts.
ScoreRow SummaryRecordFrom(const DisplayTexts& display, const ScoreRow& summary);
// <score file less 4>_MMDD<records before the append "00"><last 2 of the
// score file>.Sco
QString BatchResultFileName(const QString& scoreFile, const QDate& today, qint64 recordsBefore);

enum class AppendStatus {
  NoScoreFile,        // nothing written, no result file
  Appended,           // the summary record was added
  AlreadySummarised,  // the last record is a summary already: not added
  RecordFailed,       // the record could not be written (logged); no result line
  ResultLineFailed,   // the record was added or was there; the result line
                      // could not be written (logged)
};

class SummaryFile {
 public:
  struct Env {
    std::function<void(const QString&)> log;
    std::function<QDate()> today;
    // The record's append (default: the scoring engine's), skipped when the
    // test holds for the last record.
    std::function<scoring::AppendOutcome(const QString&, const ScoreRow&, const std::function<bool(const ScoreRow&)>&)>
        append;
  };
  explicit SummaryFile(Env env = {});

  // Appends the summary to `scoreFile` unless its last record is one, then
  // writes the result line. When the record cannot be written no result
  // line is either: a score file without its summary is not delivered. The
  // result-file path is empty afterwards when no result line was written,
  // so no caller copies an older one.
  AppendStatus AppendScoreRecord(const QString& scoreFile, const QString& marker, const ResultLineValues& values);
  // Writes the line to the result-file path, replacing an earlier file.
  bool AppendResultLine(const ResultLineValues& values);
  QString ResultFileName() const { return resultPath_; }

 private:
  void log(const QString& s) const {
    if (env_.log) env_.log(s);
  }
  Env env_;
  QString resultPath_;
};

}  // namespace batch
