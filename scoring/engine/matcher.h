#pragma once
// Line cutting, the window compare and the matching passes that align the
// typed lines with the test lines, from identical lines down to single
// characters. All of them work on one CompareTables.
#include <QString>
#include <QStringView>
#include <functional>

#include "scoring/engine/sinks.h"
#include "scoring/engine/tables.h"

namespace scoring {

struct MatchOptions {
  // The common-substring pass tries every typed start position of every
  // window, as written, instead of skipping positions whose characters
  // cannot match. Both give the same marks; tests and benchmarks compare.
  bool literalWindowSearch = false;
  // The window growth compares whole candidate pieces at every step instead
  // of only the characters each step adds. Same marks again.
  bool literalGrowth = false;
};

// The common-substring pass's window length for divisor h: the real
// division taken to the nearest integer, halves to the even neighbour.
int WindowLength(int lineLength, int h);

class Matcher {
 public:
  explicit Matcher(CompareTables& tables, MatchOptions options = {});

  // Cursors of the running step.
  int testNo() const { return testNo_; }
  int typedNo() const { return typedNo_; }
  QStringView testLine() const { return testLine_; }
  QStringView typedLine() const { return typedLine_; }
  int testLength() const { return testLen_; }
  int typedLength() const { return typedLen_; }

  // Line n becomes the current line; its length for the per-character steps
  // is at most 60. Line 0 (no partner) gives the empty line of length 0.
  void GetTestLine(int n);
  void GetTypedLine(int n);

  void CountTestRepeats();
  void CountTypedRepeats();

  // Characters pos..pos+len-1 (1-based) of the current line, within its
  // per-character length: what Mid gives, never a character past column 60.
  QStringView TestPiece(int pos, int len) const;
  QStringView TypedPiece(int pos, int len) const;

  // 1 when the equal pieces at tp/yp were grown and marked; 0 otherwise.
  int CompareWindow(int runCode, QStringView testPiece, QStringView typedPiece, int tp, int yp);
  // Takes characters over from an earlier match: 1 when marked, else 0.
  int CompareWindowTakeover(QStringView testPiece, QStringView typedPiece, int tp, int yp);
  // 1 when both positions are unmarked next to a marked neighbour.
  int NeighbourMarked(int p, int q) const;

  // The passes. Each may throw TableIndexError/TableOverflowError; the
  // sequence below catches, logs and goes on.
  void PassA();
  void PassB(int divisorLimit, int minimumRun, int runCode);
  void PassC();
  void PassD();
  void PassE();
  void PassH();
  void PassJ();

  // The fixed sequence of passes, with progress and logs. `afterStep`, when
  // set, is called after each step with its number (1..13); the score
  // computation is not part of this call.
  void RunPasses(ProgressSink& progress, EngineLog& log, const std::function<void(int)>& afterStep = {});

  CompareTables& tables() { return t_; }

 private:
  int GrowLength(int n, int tp, int yp, int maxSteps, bool keepAtEnd) const;
  int CountMarked(const MarkMatrix& m, int row, int from, int count) const;
  void PassBWindowsLiteral(int runCode, int d);
  void PassBWindowsIndexed(int runCode, int d);
  void BuildTypedIndex();
  void BuildEqualityMasks();
  void RefreshMarkMasks();

  CompareTables& t_;
  MatchOptions opt_;
  int testNo_ = 0, typedNo_ = 0;
  QStringView testLine_, typedLine_;
  int testLen_ = 0, typedLen_ = 0;

  // Index of the current typed line for the window search: its characters
  // and, for each, the set of positions (bit j = position j).
  struct Slot {
    char16_t ch;
    bool used;
    quint64 mask;
  };
  Slot slots_[128];
  quint64 typedBits_[64];         // characters of the typed line, hashed to 4096 bits
  quint64 eq_[kMarkColumns + 1];  // eq_[i]: typed positions equal to test position i
  bool anyEqual_ = false;         // some character in common
  bool anyPair_ = false;          // some two adjacent characters in common
  quint64 testMask_ = 0, typedMask_ = 0;  // marked positions of the current lines
};

}  // namespace scoring
