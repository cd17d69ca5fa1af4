#pragma once
// The batch scorer's table of candidates from one score file: up to 100
// candidates plus the summary row, the sort table that summaries work on, the
// range that stepping stays inside, and the captions the windows show.
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "batch/core/scorerow.h"

namespace batch {

inline constexpr int kMaxRecords = 100;

// How a summary is made (settings 800, 801, 880, 881, 301, 302, 882).
struct SummaryRules {
  int method = 0;                   // 800: 1 sort, 2 average, else total
  int passMarkOn = 0;               // 801: 1 applies the pass mark
  QString order = "006003002002";   // 880: six keys, six directions
  int passMark = 0;                 // 881: failing error rate starts here
  float errorDivisor = 0.5f;        // 301
  float correctDivisor = 1.0f;      // 302
  int blueSpeed = 30;               // 882: lowest speed shown blue
};

enum class Colour { Plain, Red, Blue };

// What the main window's value labels show for the summary row.
struct DisplayTexts {
  QString TEXT01, TEXT02, TEXT03, TEXT04, TEXT05, TEXT06, TEXT07, TEXT08, TEXT09, TEXT10,
      TEXT11, TEXT12, TEXT13;
  Colour TEXT09Colour = Colour::Plain;
  Colour TEXT11Colour = Colour::Blue;
  Colour TEXT12Colour = Colour::Plain;
};

// What the score sheet's labels show for one candidate.
struct SheetTexts {
  QString Text1, TEXT2, TEXT3, TEXT12, TEXT4;
  QString Text5A;  // the duration as the record holds it (empty when it holds none)
  QString Text6, Text7, Text8, Text9, TEXT10, TEXT11, TEXT14, Label15;
};

// Everything the table needs from around it. Each member has a safe default.
struct TableEnv {
  std::function<QString(int)> text;          // numbered texts (12701, 12705...)
  std::function<void(const QString&)> log;   // the run log
  std::function<QString()> now;              // date and time text of "now"
};

// The number a caption starts with, as the windows write it.
QString CountText(float v);  // counts and sheet values: shortest decimal, 7 digits
QString RateText(float v);   // the main window's rates and speed: "##0.0#"

// The marker of summary records: text 12701, or this when it is empty.
QString SummaryMarker(const QString& text12701);
inline const QString kDefaultSummaryMarker = QStringLiteral("總成績");

// A summary record has test number 0 and a test file that starts with the
// marker.
bool IsSummaryRow(const ScoreRow& row, const QString& marker);

// Time of day as text ("mm:ss", "h:mm:ss", "m:ss") to seconds: minutes × 60 +
// seconds, minutes unbounded. Empty when the text is not a duration.
std::optional<int> DurationSeconds(const QString& text);
// Minutes of the time of day × 60 + its seconds; 0 for text that is no time.
int TimeToSeconds(const QString& time);
// Whole minutes, ":", seconds always two digits (125 gives "2:05").
QString SecondsToMinSec(int seconds);

class ScoreTable {
 public:
  explicit ScoreTable(TableEnv env = {});

  // Empties the working table; the sort table keeps what it holds.
  void ClearRecords();
  // Sets the score-file path when not empty; returns it.
  QString ScoreFileName(const QString& path = {});
  // Loads the score file into both tables (replacing what they hold).
  // 1 when loaded, 0 when missing or unreadable (tables then unchanged).
  int LoadScoreRecords();
  // The same from rows already decoded, in file order; `inFile` is the
  // number of whole records the file held (for the warning beyond 100).
  void TakeRows(const QList<ScoreRow>& rows, qsizetype inFile);

  // Fills the summary row by the rules, applies the pass mark, shows it.
  void RecomputeScores(const SummaryRules& rules);
  void SortRecords(const QString& order);
  void SwapRecords(int i, int j);
  // A record whose results are not all finite numbers takes no part in a
  // sort, an average or a total; the error report names it.
  void AverageRecords();
  void TotalRecords(float errorDivisor, float correctDivisor);

  // 1 previous, 2 next, anything else first; shows the record on the sheet.
  int MoveToRecord(int direction);
  QString CandidateTextPath() const { return candidateTextPath_; }

  DisplayTexts ShowRecord(const ScoreRow& row);
  SheetTexts ShowRecordOnSheet(const ScoreRow& row);

  // State, for the windows and for tests.
  const ScoreRow& Working(int i) const { return working_[i]; }
  const ScoreRow& Sorted(int i) const { return sorted_[i]; }
  const ScoreRow& Summary() const { return working_[0]; }
  int LoadedCount() const { return count_; }
  int First() const { return first_; }
  int Last() const { return last_; }
  int CurrentIndex() const { return current_; }
  const DisplayTexts& Display() const { return display_; }
  const SheetTexts& Sheet() const { return sheet_; }
  const SummaryRules& Rules() const { return rules_; }
  QString Marker() const;

  // Called whenever the main window's or the sheet's captions change.
  std::function<void(const DisplayTexts&)> onDisplay;
  std::function<void(const SheetTexts&)> onSheet;

 private:
  QString text(int id) const;
  void log(const QString& line) const;
  // Whether sort-table record i takes part in a summary (logs it when not).
  bool Counts(int i) const;
  float& sortedResult(int i, int key) { return sorted_[i].results[key - 1]; }

  TableEnv env_;
  std::array<ScoreRow, kMaxRecords + 1> working_{};
  std::array<ScoreRow, kMaxRecords + 1> sorted_{};
  int count_ = 0;
  int first_ = 0;
  int last_ = 0;
  int current_ = 1;
  QString scorePath_;
  QString candidateTextPath_;
  SummaryRules rules_;
  Colour text11Colour_ = Colour::Blue;
  DisplayTexts display_;
  SheetTexts sheet_;
};

}  // namespace batch
