#include "scoring/engine/tables.h"

#include <algorithm>
#include <string>

namespace scoring {

void MarkMatrix::ThrowIndex(int row, int col, int layer) {
  throw TableIndexError("mark index out of range (" + std::to_string(row) + "," + std::to_string(col) + "," +
                        std::to_string(layer) + ")");
}

void LineTable::ThrowIndex(int row, int col) {
  throw TableIndexError("line table index out of range (" + std::to_string(row) + "," + std::to_string(col) + ")");
}

void CompareTables::Reset() {
  testText.clear();
  typedText.clear();
  testLineCount = typedLineCount = 0;
  testParagraphs = typedParagraphs = 0;
  lines.Clear();
  testMarks.Clear();
  typedMarks.Clear();
  for (auto& s : lineMarkText) s.clear();
}

bool BeginsParagraph(QStringView line) {
  return !line.isEmpty() && (line[0] == u' ' || line[0] == u'\u3000');
}

int NonBlankCount(QStringView line) {
  int n = 0;
  for (QChar c : line)
    if (c != u' ' && c != u'\u3000') ++n;
  return n;
}

int CompareTables::AppendLine(Side side, const QString& line) {
  const bool test = side == Side::Test;
  int& count = test ? testLineCount : typedLineCount;
  if (count >= kMaxLines) return 0;
  int& paragraphs = test ? testParagraphs : typedParagraphs;
  QString& text = test ? testText : typedText;
  MarkMatrix& marks = test ? testMarks : typedMarks;
  if (BeginsParagraph(line)) ++paragraphs;
  const int n = ++count;
  const int len = int(line.size());
  const int chars = NonBlankCount(line);
  lines.Set(n, test ? kTestParagraph : kTypedParagraph, paragraphs);
  marks.Set(n, 0, kLayerSource, std::min(paragraphs, 255));
  lines.Set(n, test ? kTestStart : kTypedStart, int(text.size()) + 1);
  lines.Set(n, test ? kTestLength : kTypedLength, len);
  // The byte layer cannot hold more; the line table keeps the real length.
  marks.Set(n, 0, kLayerLine, std::min(len, 255));
  lines.Set(n, test ? kTestCharCount : kTypedCharCount, chars);
  marks.Set(n, 0, kLayerRepeats, std::min(chars, 255));
  text += line;
  text += QStringView(kLineSeparator);
  return n;
}

void CompareTables::CloseText(Side side) {
  const bool test = side == Side::Test;
  QString& text = test ? testText : typedText;
  const int n = test ? testLineCount : typedLineCount;
  text += QStringView(kTextTerminator);
  lines.Set(n + 1, test ? kTestStart : kTypedStart, int(text.size()) - 3);
}

QStringView CompareTables::Line(Side side, int n) const {
  const bool test = side == Side::Test;
  const int col = test ? kTestStart : kTypedStart;
  const QString& text = test ? testText : typedText;
  const int start = lines.Get(n, col);
  const int len = lines.Get(n + 1, col) - start - 4;
  if (start < 1 || len <= 0 || start - 1 + len > text.size()) return {};
  return QStringView(text).mid(start - 1, len);
}

}  // namespace scoring
