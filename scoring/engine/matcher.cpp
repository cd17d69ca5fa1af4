#include "scoring/engine/matcher.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <exception>

#include "common/errorlog.h"
#include "platform/core/compat.h"

namespace scoring {

namespace {

constexpr char16_t kIndent[] = u"\u3000\u3000";

bool StartsIndented(QStringView line) { return line.startsWith(QStringView(kIndent)); }

}  // namespace

int WindowLength(int length, int h) {
  return int(plat::RoundHalfEven(double(length) / double(h)).value_or(0));
}

Matcher::Matcher(CompareTables& tables, MatchOptions options) : t_(tables), opt_(options) {}

void Matcher::GetTestLine(int n) {
  testNo_ = n;
  if (n == 0) {
    // No partner: the empty line. Working on the line cut before would mark
    // or count characters of an unrelated line.
    testLine_ = {};
    testLen_ = 0;
    return;
  }
  testLine_ = t_.Line(Side::Test, n);
  testLen_ = std::min(t_.lines.Get(n, kTestLength), kMaxColumn);
  testLen_ = std::max(testLen_, 0);
}

void Matcher::GetTypedLine(int n) {
  typedNo_ = n;
  if (n == 0) {
    typedLine_ = {};
    typedLen_ = 0;
    return;
  }
  typedLine_ = t_.Line(Side::Typed, n);
  typedLen_ = std::min(t_.lines.Get(n, kTypedLength), kMaxColumn);
  typedLen_ = std::max(typedLen_, 0);
}

static void CountRepeats(MarkMatrix& m, int row, QStringView line, int len) {
  len = std::min<int>(len, int(line.size()));
  for (int i = 1; i <= len; ++i) {
    int count = m.Get(row, i, kLayerRepeats);
    for (int j = 1; j <= len; ++j)
      if (line[j - 1] == line[i - 1]) ++count;
    m.Set(row, i, kLayerRepeats, std::min(count, 255));
  }
}

void Matcher::CountTestRepeats() { CountRepeats(t_.testMarks, testNo_, testLine_, testLen_); }
void Matcher::CountTypedRepeats() { CountRepeats(t_.typedMarks, typedNo_, typedLine_, typedLen_); }

static QStringView Piece(QStringView line, int usable, int pos, int len) {
  usable = std::min<int>(usable, int(line.size()));
  if (pos < 1 || len < 1 || pos > usable) return {};
  return line.mid(pos - 1, std::min(len, usable - pos + 1));
}

QStringView Matcher::TestPiece(int pos, int len) const { return Piece(testLine_, testLen_, pos, len); }
QStringView Matcher::TypedPiece(int pos, int len) const { return Piece(typedLine_, typedLen_, pos, len); }

int Matcher::GrowLength(int n, int tp, int yp, int maxSteps, bool keepAtEnd) const {
  // Candidates grow one character a step from the equal pieces of length n;
  // a side that reaches the end of its line stops growing, and unequal
  // lengths mean unequal candidates.
  int keptT = n, keptY = n;
  for (int b = 1; b <= maxSteps; ++b) {
    int lt = n + b, ly = n + b;
    if (keepAtEnd) {
      if (tp + lt - 1 > testLen_) lt = keptT;
      if (yp + ly - 1 > typedLen_) ly = keptY;
    } else {
      if (tp + lt - 1 > testLen_) lt = testLen_ - tp + 1;
      if (yp + ly - 1 > typedLen_) ly = typedLen_ - yp + 1;
      if (lt < 1) lt = keptT;
      if (ly < 1) ly = keptY;
    }
    const QStringView ct = TestPiece(tp, lt);
    const QStringView cy = TypedPiece(yp, ly);
    if (ct.isEmpty() || cy.isEmpty()) break;
    if (opt_.literalGrowth) {
      if (ct != cy) break;
      if (ct.size() == keptT && cy.size() == keptY) break;
    } else {
      if (ct.size() != cy.size()) break;
      if (ct.size() == keptT && cy.size() == keptY) break;
      // Only the characters this step adds can differ.
      bool same = true;
      for (qsizetype k = keptT; k < ct.size(); ++k)
        if (ct[k] != cy[k]) {
          same = false;
          break;
        }
      if (!same) break;
    }
    keptT = int(ct.size());
    keptY = int(cy.size());
  }
  return keptT;
}

int Matcher::CountMarked(const MarkMatrix& m, int row, int from, int count) const {
  int marked = 0;
  for (int k = 0; k < count; ++k)
    if (m.Get(row, from + k, kLayerPartner) != 0) ++marked;
  return marked;
}

int Matcher::CompareWindow(int runCode, QStringView testPiece, QStringView typedPiece, int tp, int yp) {
  if (testPiece.isEmpty() || typedPiece.isEmpty() || testPiece != typedPiece) return 0;
  const int n = GrowLength(int(testPiece.size()), tp, yp, 30, false);
  MarkMatrix& tm = t_.testMarks;
  MarkMatrix& ym = t_.typedMarks;
  const int t = testNo_, y = typedNo_;
  if (CountMarked(tm, t, tp, n) != 0 || CountMarked(ym, y, yp, n) != 0) return 0;
  const bool source = runCode == 11 || runCode == 22 || runCode == 33;
  for (int k = 0; k < n; ++k) {
    tm.Set(t, tp + k, kLayerPartner, yp + k);
    tm.Set(t, tp + k, kLayerLine, y);
    if (source) tm.Set(t, tp + k, kLayerSource, runCode);
  }
  for (int k = 0; k < n; ++k) {
    ym.Set(y, yp + k, kLayerPartner, tp + k);
    ym.Set(y, yp + k, kLayerLine, t);
    if (source) ym.Set(y, yp + k, kLayerSource, runCode);
  }
  int code = kCodePartial;
  if (ym.Code(y) == kCodePartial) {
    int marked = 0, self = 0;
    for (int c = 1; c <= typedLen_; ++c) {
      const int v = ym.Get(y, c, kLayerPartner);
      if (v != 0) ++marked;
      if (v == y) ++self;
    }
    const bool covered = marked == t_.lines.Get(y, kTypedLength);
    code = covered && self == marked ? kCodeCoveredSelf : covered ? kCodeCovered : kCodePartial;
  }
  tm.Set(t, kCodeColumn, kLayerLine, code);
  ym.Set(y, kCodeColumn, kLayerLine, code);
  const int testMarked = CountMarked(tm, t, 1, testLen_);
  if (code == kCodeCoveredSelf || (tm.Get(t, 0, kLayerPartner) == 0 && typedLen_ >= testMarked))
    tm.Set(t, 0, kLayerPartner, y);
  const int typedMarked = CountMarked(ym, y, 1, typedLen_);
  if (code == kCodeCoveredSelf || (ym.Get(y, 0, kLayerPartner) == 0 && testLen_ >= typedMarked))
    ym.Set(y, 0, kLayerPartner, t);
  return 1;
}

int Matcher::CompareWindowTakeover(QStringView testPiece, QStringView typedPiece, int tp, int yp) {
  if (testPiece.isEmpty() || typedPiece.isEmpty() || testPiece != typedPiece) return 0;
  const int n = GrowLength(int(testPiece.size()), tp, yp, 15, true);
  MarkMatrix& tm = t_.testMarks;
  MarkMatrix& ym = t_.typedMarks;
  const int t = testNo_, y = typedNo_;
  int testCount = CountMarked(tm, t, tp, n);
  for (int k = 0; k < n; ++k)
    if (ym.Get(y, yp + k, kLayerSource) == kCodeIdentical) ++testCount;
  const int typedCount = CountMarked(ym, y, yp, n);
  if (testCount != 0 || typedCount <= 0) return 0;
  for (int k = 0; k < n; ++k) {
    tm.Set(t, tp + k, kLayerPartner, yp + k);
    tm.Set(t, tp + k, kLayerLine, y);
  }
  for (int k = 0; k < n; ++k) {
    const int u = ym.Get(y, yp + k, kLayerPartner);
    const int a = ym.Get(y, yp + k, kLayerLine);
    if (u > 0 && a != 0) {
      tm.Set(a, u, kLayerPartner, 0);
      tm.Set(a, u, kLayerLine, 0);
    }
    ym.Set(y, yp + k, kLayerPartner, tp + k);
    ym.Set(y, yp + k, kLayerLine, t);
  }
  int code = kCodePartial;
  if (ym.Code(y) == kCodePartial)
    code = CountMarked(ym, y, 1, typedLen_) == t_.lines.Get(y, kTypedLength) ? kCodeCovered : kCodePartial;
  tm.Set(t, kCodeColumn, kLayerLine, code);
  ym.Set(y, kCodeColumn, kLayerLine, code);
  if (CountMarked(tm, t, 1, testLen_) < typedLen_) tm.Set(t, 0, kLayerPartner, y);
  if (CountMarked(ym, y, 1, typedLen_) < testLen_) ym.Set(y, 0, kLayerPartner, t);
  return 1;
}

int Matcher::NeighbourMarked(int p, int q) const {
  const MarkMatrix& tm = t_.testMarks;
  const MarkMatrix& ym = t_.typedMarks;
  const bool testSide = !tm.MarkedOrOutside(testNo_, p) &&
                        (tm.MarkedOrOutside(testNo_, p - 1) || tm.MarkedOrOutside(testNo_, p + 1));
  if (!testSide) return 0;
  const bool typedSide = !ym.MarkedOrOutside(typedNo_, q) &&
                         (ym.MarkedOrOutside(typedNo_, q - 1) || ym.MarkedOrOutside(typedNo_, q + 1));
  return typedSide ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Pass A: identical lines.

void Matcher::PassA() {
  for (int y = 1; y <= t_.typedLineCount; ++y) {
    GetTypedLine(y);
    CountTypedRepeats();
  }
  for (int t = 1; t <= t_.testLineCount; ++t) {
    GetTestLine(t);
    CountTestRepeats();
  }
  MarkMatrix& tm = t_.testMarks;
  MarkMatrix& ym = t_.typedMarks;
  int lastPaired = 0;
  for (int y = 1; y <= t_.typedLineCount; ++y) {
    if (ym.Get(y, 0, kLayerPartner) != 0) continue;
    GetTypedLine(y);
    // The whole line, not only the first 60 characters.
    const QStringView typed = t_.Line(Side::Typed, y);
    for (int t = 1; t <= t_.testLineCount; ++t) {
      if (tm.Get(t, 0, kLayerPartner) != 0) continue;
      if (t_.Line(Side::Test, t) != typed) continue;
      tm.Set(t, 0, kLayerPartner, y);
      ym.Set(y, 0, kLayerPartner, t);
      const int code = t < lastPaired ? kCodeIdenticalBack : kCodeIdentical;
      tm.Set(t, kCodeColumn, kLayerLine, code);
      ym.Set(y, kCodeColumn, kLayerLine, code);
      for (int c = 1; c <= typedLen_; ++c) {
        tm.Set(t, c, kLayerPartner, c);
        ym.Set(y, c, kLayerPartner, c);
        tm.Set(t, c, kLayerLine, y);
        ym.Set(y, c, kLayerLine, t);
        tm.Set(t, c, kLayerSource, y);
        ym.Set(y, c, kLayerSource, t);
      }
      lastPaired = t;
      break;
    }
  }
}

// ---------------------------------------------------------------------------
// Pass B: common substrings.

static unsigned BitOf(char16_t c) { return (c * 2654435761u) >> 20 & 4095u; }

void Matcher::BuildTypedIndex() {
  for (auto& s : slots_) s.used = false;
  for (auto& w : typedBits_) w = 0;
  const int len = std::min<int>(typedLen_, int(typedLine_.size()));
  for (int j = 1; j <= len; ++j) {
    const char16_t c = typedLine_[j - 1].unicode();
    unsigned h = (c * 40503u) >> 9 & 127u;
    while (slots_[h].used && slots_[h].ch != c) h = (h + 1) & 127u;
    if (!slots_[h].used) slots_[h] = {c, true, 0};
    slots_[h].mask |= quint64(1) << j;
    const unsigned b = BitOf(c);
    typedBits_[b >> 6] |= quint64(1) << (b & 63);
  }
}

void Matcher::BuildEqualityMasks() {
  const int len = std::min<int>(testLen_, int(testLine_.size()));
  // Most pairs of unrelated lines share no character at all.
  bool maybe = false;
  for (int i = 1; i <= len && !maybe; ++i) {
    const unsigned b = BitOf(testLine_[i - 1].unicode());
    maybe = (typedBits_[b >> 6] >> (b & 63)) & 1;
  }
  if (!maybe) {
    anyEqual_ = anyPair_ = false;
    return;
  }
  for (int i = 0; i <= kMarkColumns; ++i) eq_[i] = 0;
  quint64 any = 0, pair = 0;
  for (int i = 1; i <= len; ++i) {
    const char16_t c = testLine_[i - 1].unicode();
    unsigned h = (c * 40503u) >> 9 & 127u;
    while (slots_[h].used && slots_[h].ch != c) h = (h + 1) & 127u;
    eq_[i] = slots_[h].used ? slots_[h].mask : 0;
    any |= eq_[i];
    if (i > 1) pair |= eq_[i - 1] & (eq_[i] >> 1);
  }
  anyEqual_ = any != 0;
  anyPair_ = pair != 0;
}

void Matcher::RefreshMarkMasks() {
  testMask_ = typedMask_ = 0;
  const std::uint8_t* tr = t_.testMarks.Row(testNo_, kLayerPartner);
  const std::uint8_t* yr = t_.typedMarks.Row(typedNo_, kLayerPartner);
  for (int c = 1; c <= testLen_; ++c)
    if (tr[c] != 0) testMask_ |= quint64(1) << c;
  for (int c = 1; c <= typedLen_; ++c)
    if (yr[c] != 0) typedMask_ |= quint64(1) << c;
}

void Matcher::PassBWindowsLiteral(int runCode, int d) {
  for (int i = 1; i <= testLen_ - d; ++i)
    for (int j = 1; j <= typedLen_ - d; ++j)
      if (CompareWindow(runCode, TestPiece(i, d), TypedPiece(j, d), i, j) == 1) break;
}

// Start positions j whose d characters are all unmarked.
static quint64 FreeStarts(quint64 marked, int d) {
  const quint64 free = ~marked;
  quint64 f = free;
  for (int k = 1; k < d && f; ++k) f &= free >> k;
  return f;
}

void Matcher::PassBWindowsIndexed(int runCode, int d) {
  // A compare that returns 0 changes nothing, so only start positions that
  // can give a hit are tried: the d characters equal and, since the window
  // only grows, none of them marked on either side.
  const int lastJ = typedLen_ - d;
  if (lastJ < 1) return;
  if (d == 1 ? !anyEqual_ : !anyPair_) return;
  const quint64 range = (lastJ >= 63 ? ~quint64(0) : ((quint64(1) << (lastJ + 1)) - 1)) & ~quint64(1);
  const quint64 window = d >= 64 ? ~quint64(0) : (quint64(1) << d) - 1;
  quint64 starts = FreeStarts(typedMask_, d) & range;
  for (int i = 1; i <= testLen_ - d; ++i) {
    if (testMask_ & (window << i)) continue;
    quint64 m = eq_[i] & starts;
    for (int k = 1; k < d && m; ++k) m &= eq_[i + k] >> k;
    while (m) {
      const int j = std::countr_zero(m);
      m &= m - 1;
      if (CompareWindow(runCode, TestPiece(i, d), TypedPiece(j, d), i, j) == 1) {
        RefreshMarkMasks();
        starts = FreeStarts(typedMask_, d) & range;
        break;
      }
    }
  }
}

void Matcher::PassB(int divisorLimit, int minimumRun, int runCode) {
  MarkMatrix& tm = t_.testMarks;
  MarkMatrix& ym = t_.typedMarks;
  for (int y = 1; y <= t_.typedLineCount; ++y) {
    if (ym.Get(y, 0, kLayerPartner) != 0) continue;
    const int yc = ym.Code(y);
    if (yc == kCodeCovered || yc == kCodeCoveredSelf) continue;
    GetTypedLine(y);
    if (!opt_.literalWindowSearch) BuildTypedIndex();
    for (int t = 1; t <= t_.testLineCount; ++t) {
      if (tm.Code(t) != kCodeFree) continue;
      GetTestLine(t);
      const bool testIndent = StartsIndented(testLine_);
      const bool typedIndent = StartsIndented(typedLine_);
      if (testIndent && typedIndent)
        CompareWindow(runCode, TestPiece(1, 3), TypedPiece(1, 3), 1, 1);
      else if (testIndent)
        CompareWindow(runCode, TestPiece(3, 3), TypedPiece(1, 3), 3, 1);
      else if (t == y)
        CompareWindow(runCode, TestPiece(1, 3), TypedPiece(1, 3), 1, 1);
      if (!opt_.literalWindowSearch) {
        BuildEqualityMasks();
        if (!anyEqual_) continue;  // no window of this pair can match
        RefreshMarkMasks();
      }
      int previous = 0;
      for (int h = 2; h <= divisorLimit; ++h) {
        const int d = WindowLength(testLen_, h);
        if (d == previous) continue;
        previous = d;
        if (d <= minimumRun) break;
        if (d >= typedLen_) continue;
        if (opt_.literalWindowSearch)
          PassBWindowsLiteral(runCode, d);
        else
          PassBWindowsIndexed(runCode, d);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Pass C: extend matched runs by their neighbours.

void Matcher::PassC() {
  MarkMatrix& tm = t_.testMarks;
  MarkMatrix& ym = t_.typedMarks;
  const int last = std::min(t_.typedLineCount, kMaxLines);
  for (int y = 1; y <= last; ++y) {
    const int yc = ym.Code(y);
    if (yc != kCodePartial44 && yc != kCodePartial) continue;
    GetTypedLine(y);
    auto tryPair = [&](int t, int p2, int i2, bool needChars) {
      const QStringView tc = TestPiece(p2, 1);
      const QStringView yc2 = TypedPiece(i2, 1);
      if (needChars && (tc.isEmpty() || yc2.isEmpty())) return;
      if (tc != yc2) return;
      if (tm.Get(t, p2, kLayerPartner) != 0 || ym.Get(y, i2, kLayerPartner) != 0) return;
      tm.Set(t, p2, kLayerPartner, i2);
      tm.Set(t, p2, kLayerLine, y);
      ym.Set(y, i2, kLayerPartner, p2);
      ym.Set(y, i2, kLayerLine, t);
    };
    for (int i = 1; i <= typedLen_; ++i) {
      const int p = ym.Get(y, i, kLayerPartner);
      const int t = ym.Get(y, i, kLayerLine);
      if (p <= 0 || t == 0) continue;
      GetTestLine(t);
      const int p2 = std::min({p + 1, testLen_, kMaxColumn});
      const int i2 = std::min({i + 1, typedLen_, kMaxColumn});
      if (p2 < 1 || i2 < 1) continue;
      tryPair(t, p2, i2, true);
    }
    for (int i = typedLen_; i >= 1; --i) {
      const int p = ym.Get(y, i, kLayerPartner);
      const int t = ym.Get(y, i, kLayerLine);
      if (p <= 0 || t == 0) continue;
      GetTestLine(t);
      const int p2 = std::max(p - 1, 1);
      const int i2 = std::max(i - 1, 1);
      tryPair(t, p2, i2, false);
    }
  }
}

// ---------------------------------------------------------------------------
// Pass D: same-position realignment.

void Matcher::PassD() {
  MarkMatrix& tm = t_.testMarks;
  MarkMatrix& ym = t_.typedMarks;
  for (int y = 1; y <= t_.typedLineCount; ++y) {
    const int yc = ym.Code(y);
    if (yc == kCodeIdentical || yc == kCodeIdenticalBack || yc == kCodeCovered || yc == kCodeCoveredSelf) continue;
    GetTypedLine(y);
    const int t = ym.Get(y, 0, kLayerPartner);
    GetTestLine(t);
    if (yc != kCodePartial44 && yc != kCodePartial) continue;
    int equal = 0, freeEqual = 0;
    for (int i = 1; i <= typedLen_; ++i) {
      const QStringView a = TypedPiece(i, 1);
      if (a != TestPiece(i, 1)) continue;
      ++equal;
      if (tm.Get(t, i, kLayerPartner) == 0) ++freeEqual;
    }
    if (!(double(equal) > double(typedLen_) / 2.0 && freeEqual >= 1)) continue;
    for (int c = 1; c <= testLen_; ++c) tm.Set(t, c, kLayerPartner, 0);
    for (int c = 1; c <= typedLen_; ++c) ym.Set(y, c, kLayerPartner, 0);
    for (int g = 1; g <= typedLen_; ++g) CompareWindow(3, TestPiece(g, 1), TypedPiece(g, 1), g, g);
  }
}

// ---------------------------------------------------------------------------
// Pass E: single characters.

void Matcher::PassE() {
  MarkMatrix& ym = t_.typedMarks;
  int latest = 0;  // carried from call to call and from line to line
  for (int y = 1; y <= t_.typedLineCount; ++y) {
    const int yc = ym.Code(y);
    if (yc == kCodeIdentical || yc == kCodeIdenticalBack || yc == kCodeCovered || yc == kCodeCoveredSelf) continue;
    GetTypedLine(y);
    GetTestLine(ym.Get(y, 0, kLayerPartner));
    for (int c = 1; c <= typedLen_; ++c) {
      const QStringView ch = TypedPiece(c, 1);
      if (NeighbourMarked(c, c) == 0) latest = CompareWindow(2, TestPiece(c, 1), ch, c, c);
      const int q = ym.Get(y, c, kLayerPartner) + 1;
      if (NeighbourMarked(q, c) == 0) latest = CompareWindow(2, TestPiece(q, 1), ch, q, c);
      if (latest == 1) break;
      for (int g = 1; g <= testLen_; ++g)
        if (NeighbourMarked(g, c) == 0) latest = CompareWindow(2, TestPiece(g, 1), ch, g, c);
    }
  }
}

// ---------------------------------------------------------------------------
// Pass H: takeover of unprotected characters.

void Matcher::PassH() {
  const MarkMatrix& tm = t_.testMarks;
  const MarkMatrix& ym = t_.typedMarks;
  for (int y = 1; y <= t_.typedLineCount; ++y) {
    const int yc = ym.Code(y);
    if (yc != kCodeFree && yc != kCodeCovered && yc != kCodePartial) continue;
    const int t = ym.Get(y, 0, kLayerPartner);
    if (t == 0) continue;
    GetTypedLine(y);
    GetTestLine(t);
    auto testFree = [&](int p) {
      const int s = tm.Get(t, p, kLayerSource);
      return s != kCodeIdentical && s != kCodeIdenticalBack;
    };
    auto typedFree = [&](int p) {
      const int s = ym.Get(y, p, kLayerSource);
      return s != kCodeIdentical && s != kCodeIdenticalBack && s != kCodePartial;
    };
    for (int i = 1; i <= testLen_; ++i)
      if (testFree(i) && typedFree(i)) CompareWindowTakeover(TestPiece(i, 1), TypedPiece(i, 1), i, i);
    for (int j = 1; j <= testLen_; ++j)
      for (int k = 1; k <= typedLen_; ++k)
        if (testFree(j) && typedFree(k)) CompareWindowTakeover(TestPiece(j, 1), TypedPiece(k, 1), j, k);
  }
}

// ---------------------------------------------------------------------------
// Pass J: where the typing stopped.

void Matcher::PassJ() {
  const int y = t_.typedLineCount;
  if (y < 1) return;
  const int t = t_.typedMarks.Get(y, 0, kLayerPartner);
  if (t == 0) return;  // the last typed line matched no test line
  const int y2 = t_.testMarks.Get(t, 0, kLayerPartner);
  const int testLength = t_.lines.Get(t, kTestLength);
  if (testLength == t_.lines.Get(y2, kTypedLength)) return;
  const int typedLength = t_.lines.Get(y, kTypedLength);
  int b = 0;
  for (int c = 1; c <= std::min(typedLength, kMaxColumn); ++c) b = std::max<int>(b, t_.typedMarks.Get(y, c, kLayerPartner));
  if (testLength >= typedLength && b < typedLength) b = typedLength;
  // Marks against another test line can reach past this one's end; the line
  // never grows.
  b = std::min(b, testLength);
  const int blanks = testLength - t_.lines.Get(t, kTestCharCount);
  t_.lines.Set(t, kTestLength, b);
  t_.lines.Set(t, kTestCharCount, b - blanks);
}

// ---------------------------------------------------------------------------
// The sequence.

void Matcher::RunPasses(ProgressSink& progress, EngineLog& log, const std::function<void(int)>& afterStep) {
  struct PassName {
    const char16_t* label;
    const char16_t* procedure;
  };
  auto run = [&](const PassName& name, const std::function<void()>& pass) {
    try {
      pass();
      log.ErrorLog(QString::fromUtf16(name.label));
    } catch (const TableIndexError&) {
      common::AppError err = common::MakeAppError(9, QStringLiteral("score"));
      log.ErrorLog(common::ErrorTrapLine(QString::fromUtf16(name.procedure), err));
    } catch (const std::overflow_error&) {
      common::AppError err = common::MakeAppError(common::kOverflow, QStringLiteral("score"));
      log.ErrorLog(common::ErrorTrapLine(QString::fromUtf16(name.procedure), err));
    } catch (const std::exception& e) {
      common::AppError err{5, QString::fromLocal8Bit(e.what()), QStringLiteral("score"), 0};
      log.ErrorLog(common::ErrorTrapLine(QString::fromUtf16(name.procedure), err));
    }
  };
  const PassName A{u"第一區xZet_A_PartCompare", u"xZet_A_PartCompare"};
  const PassName B{u"第二區xZet_B_PartCompare", u"xZet_B_PartCompare"};
  const PassName C{u"第三區xZet_C_PartCompare", u"xZet_C_PartCompare"};
  const PassName D{u"第四區xZet_D_PartCompare", u"xZet_D_PartCompare"};
  const PassName E{u"第五區xZet_E_PartCompare", u"xZet_E_PartCompare"};
  const PassName H{u"第八區xZet_H_PartCompare", u"xZet_H_PartCompare"};
  const PassName J{u"第十區xZet_J_PartCompare", u"xZet_J_PartCompare"};
  auto step = [&](int n) {
    if (afterStep) afterStep(n);
  };
  auto tip = [&](int area) { progress.SetToolTip(QStringLiteral("第%1區比較校對的副程式").arg(area)); };

  run(A, [&] { PassA(); });
  step(1);
  progress.SetValue(5);
  tip(1);
  run(B, [&] { PassB(10, 6, 11); });
  step(2);
  progress.SetValue(15);
  run(B, [&] { PassB(30, 4, 22); });
  step(3);
  progress.SetValue(30);
  run(B, [&] { PassB(30, 2, 33); });
  step(4);
  progress.SetValue(45);
  tip(2);
  run(C, [&] { PassC(); });
  step(5);
  progress.SetValue(50);
  tip(3);
  run(D, [&] { PassD(); });
  step(6);
  progress.SetValue(55);
  tip(4);
  run(E, [&] { PassE(); });
  step(7);
  tip(5);
  run(C, [&] { PassC(); });
  step(8);
  progress.SetValue(60);
  tip(6);
  run(E, [&] { PassE(); });
  step(9);
  tip(7);
  progress.SetValue(65);
  tip(8);
  run(B, [&] { PassB(30, 0, 44); });
  step(10);
  progress.SetValue(70);
  run(C, [&] { PassC(); });
  step(11);
  progress.SetValue(73);
  run(H, [&] { PassH(); });
  step(12);
  progress.SetValue(77);
  tip(9);
  run(J, [&] { PassJ(); });
  step(13);
}

}  // namespace scoring
