#pragma once
// The comparison tables one scoring run works on: the two texts joined into
// one string each, the per-line table and the two marking matrices.
//
// Every index is checked: a bad one throws TableIndexError, which ends the
// running pass the way a subscript error did in the old engine, and never
// touches memory outside the tables.
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace scoring {

inline constexpr int kMaxLines = 160;
// Rows 0..161: row n+1 holds the end position of line n, so 160 lines fit.
inline constexpr int kTableRows = kMaxLines + 2;
inline constexpr int kMarkColumns = 62;  // 0 line value, 1..60 characters, 61 pass code
inline constexpr int kMarkLayers = 7;
inline constexpr int kMaxColumn = 60;    // per-character steps see at most 60
inline constexpr int kCodeColumn = 61;
inline constexpr char16_t kLineSeparator[] = u"<<>>";
inline constexpr char16_t kTextTerminator[] = u"<<<<";

// Layers of the marking matrices.
enum MarkLayer : int {
  kLayerLine = 0,     // col 0 length; cols 1..60 the other text's line; col 61 pass code
  kLayerPartner = 1,  // col 0 partner line; cols 1..60 partner position
  kLayerRepeats = 5,  // col 0 non-blank count; cols 1..60 repeats of the character
  kLayerSource = 6,   // col 0 paragraph; cols 1..60 pass code or partner line of the match
};

// Pass codes (layer 0, column 61).
enum PassCode : int {
  kCodeFree = 0,
  kCodeIdentical = 11,
  kCodeIdenticalBack = 22,
  kCodePartial = 33,
  kCodePartial44 = 44,
  kCodeCovered = 55,
  kCodeCoveredSelf = 77,
};

// Columns of the line table.
enum LineColumn : int {
  kTestLength,
  kTypedLength,
  kTestStart,
  kTypedStart,
  kTestParagraph,
  kTypedParagraph,
  kTestCharCount,
  kTypedCharCount,
  kLineColumns
};

class TableIndexError : public std::out_of_range {
 public:
  using std::out_of_range::out_of_range;
};
class TableOverflowError : public std::overflow_error {
 public:
  using std::overflow_error::overflow_error;
};

// 162 rows x 7 layers x 62 columns of bytes; a row's layer is contiguous.
class MarkMatrix {
 public:
  static bool InBounds(int row, int col, int layer) {
    return row >= 0 && row < kTableRows && col >= 0 && col < kMarkColumns && layer >= 0 &&
           layer < kMarkLayers;
  }
  std::uint8_t Get(int row, int col, int layer) const {
    if (!InBounds(row, col, layer)) ThrowIndex(row, col, layer);
    return cells_[Index(row, col, layer)];
  }
  void Set(int row, int col, int layer, int value) {
    if (!InBounds(row, col, layer)) ThrowIndex(row, col, layer);
    if (value < 0 || value > 255) throw TableOverflowError("mark value out of byte range");
    cells_[Index(row, col, layer)] = static_cast<std::uint8_t>(value);
  }
  // Layer 1 cell of a position, 0 for positions outside the columns: the
  // neighbour test treats the outside as unmarked.
  bool MarkedOrOutside(int row, int col) const {
    if (col < 0 || col >= kMarkColumns) return false;
    return Get(row, col, kLayerPartner) != 0;
  }
  int Code(int row) const { return Get(row, kCodeColumn, kLayerLine); }
  // The 62 cells of a row's layer, for loops that stay within the columns.
  const std::uint8_t* Row(int row, int layer) const {
    if (!InBounds(row, 0, layer)) ThrowIndex(row, 0, layer);
    return &cells_[Index(row, 0, layer)];
  }
  void Clear() { cells_.fill(0); }
  bool operator==(const MarkMatrix& o) const { return cells_ == o.cells_; }

 private:
  static int Index(int row, int col, int layer) { return (row * kMarkLayers + layer) * kMarkColumns + col; }
  [[noreturn]] static void ThrowIndex(int row, int col, int layer);
  std::array<std::uint8_t, kTableRows * kMarkLayers * kMarkColumns> cells_{};
};

class LineTable {
 public:
  int Get(int row, int col) const {
    if (row < 0 || row >= kTableRows || col < 0 || col >= kLineColumns) ThrowIndex(row, col);
    return cells_[row * kLineColumns + col];
  }
  void Set(int row, int col, int value) {
    if (row < 0 || row >= kTableRows || col < 0 || col >= kLineColumns) ThrowIndex(row, col);
    cells_[row * kLineColumns + col] = value;
  }
  void Clear() { cells_.fill(0); }
  bool operator==(const LineTable& o) const { return cells_ == o.cells_; }

 private:
  [[noreturn]] static void ThrowIndex(int row, int col);
  // 32-bit: a joined text may pass 32,767 characters and a test line 255.
  std::array<std::int32_t, kTableRows * kLineColumns> cells_{};
};

enum class Side { Test, Typed };

struct CompareTables {
  QString testText;
  QString typedText;
  int testLineCount = 0;
  int typedLineCount = 0;
  int testParagraphs = 0;
  int typedParagraphs = 0;
  LineTable lines;
  MarkMatrix testMarks;
  MarkMatrix typedMarks;
  std::array<QString, kMaxLines + 1> lineMarkText;  // rows 0..160

  void Reset();

  // The loader's per-line steps: paragraph, start, length, non-blank count,
  // then the line and its separator joined to the text. Returns the new line
  // number, or 0 when the side already holds 160 lines.
  int AppendLine(Side side, const QString& line);
  // Appends the terminator and puts its position into row count+1.
  void CloseText(Side side);

  int LineCount(Side side) const { return side == Side::Test ? testLineCount : typedLineCount; }
  // Line n as stored in the joined text (full length, not cut at 60).
  QStringView Line(Side side, int n) const;
};

// A line begins a paragraph when it begins with a blank or a full-width blank.
bool BeginsParagraph(QStringView line);
// Characters that are neither " " nor the full-width blank.
int NonBlankCount(QStringView line);

}  // namespace scoring
