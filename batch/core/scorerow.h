#pragma once
// One candidate's score as the batch scorer holds it in memory: the fields of
// a score record, text decoded, results in single precision.
#include <QString>
#include <array>
#include <cstdint>

namespace batch {

// Result slots, numbered as the sort keys (key k is results[k - 1]).
enum Result : int { Correct = 0, Errors = 1, Net = 2, Accuracy = 3, ErrorRate = 4, Speed = 5 };

struct ScoreRow {
  std::int16_t testNumber = 0;  // 0 in a summary record
  QString name;
  QString identity;
  QString caption;   // the third identity field (the scorer stores the birthday)
  QString dateTime;
  QString testFile;  // a summary record holds the summary marker here
  QString duration;  // "mm:ss" as the scorer writes it; free text in summaries
  std::array<float, 6> results{};
  QString typedFile;

  float& operator[](Result r) { return results[r]; }
  float operator[](Result r) const { return results[r]; }
  friend bool operator==(const ScoreRow&, const ScoreRow&) = default;
};

}  // namespace batch
