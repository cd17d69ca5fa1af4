#pragma once
// The score computation: pairs the typed lines with their test lines, counts
// right and wrong characters per pair from the marks, writes the per-line
// listing and computes the six results.
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

#include "scoring/engine/matcher.h"
#include "scoring/engine/sinks.h"

namespace scoring {

// Numbered texts of the store, looked up by number (empty when unknown).
using TextLookup = std::function<QString(int)>;

struct ScoreSettings {
  // Markers: unmatched single-byte, unmatched double-byte, shifted single,
  // shifted double, matched single and double of a test line without typing.
  QString markers = QStringLiteral("*╳>△^▽");
  float ratioA = 0.5f;  // error weight; never 0 (the accessor makes it 1)
  float ratioB = 1.0f;  // wrong count of an empty typed line without a test line
  TextLookup text;
};

// The six results, each already rounded through its display format.
struct Results {
  float correct = 0;
  float errors = 0;
  float net = 0;
  float accuracy = 0;
  float errorRate = 0;
  float speed = 0;
  QString minutesText;  // test minutes, "#0.00"
  std::array<float, 6> AsArray() const { return {correct, errors, net, accuracy, errorRate, speed}; }
  bool operator==(const Results& o) const = default;
};

// One pair of the list and what the computation found for it.
struct PairResult {
  int test = 0;
  int typed = 0;
  int caseNo = 0;  // 0 when the pair was taken whole (identical lines)
  int matchedTest = 0;
  int matchedTyped = 0;
  int missing = 0;
  int extra = 0;
  int missingRuns = 0;
  int extraRuns = 0;
  int backJumps = 0;
  int shiftedRuns = 0;
  float right = 0;
  float wrong = 0;
  float net = 0;
  bool operator==(const PairResult& o) const = default;
};

struct ScoreOutcome {
  Results results;
  QStringList listing;  // the per-line listing (the report's tail)
  std::vector<PairResult> pairs;
  bool loopGuardHit = false;
};

// Pair list: typed lines with their partners, the test lines up to the
// highest partner that no typed line holds placed or inserted.
struct LinePair {
  int test = 0;
  int typed = 0;
};
std::vector<LinePair> BuildPairList(const CompareTables& tables);

// Elapsed seconds of a run from its start and end seconds since midnight; a
// run across midnight counts on into the next day.
float ElapsedSeconds(float startTime, float endTime);

// Everything after the passes: reads the marks, appends the unmatched
// characters of each test line to its line-mark text, computes the results.
ScoreOutcome ComputeScore(Matcher& matcher, const ScoreSettings& settings, float startTime, float endTime,
                          EngineLog& log);

// Fills the tables from lines already read: typed lines cut at 60
// characters, each side at most 160 lines. Returns how many typed lines were
// cut and whether either side was stopped at 160.
struct TextLoadNotes {
  int cutTypedLines = 0;
  bool typedStopped = false;
  bool testStopped = false;
  int longTestLines = 0;  // longer than 255 characters
};
TextLoadNotes LoadTexts(CompareTables& tables, const QStringList& typedLines, const QStringList& testLines);

// The whole comparison on lines in memory: load, passes, computation.
ScoreOutcome ScoreLines(CompareTables& tables, const QStringList& testLines, const QStringList& typedLines,
                        const ScoreSettings& settings, float startTime, float endTime, MatchOptions options = {},
                        EngineLog* log = nullptr, ProgressSink* progress = nullptr);

}  // namespace scoring
