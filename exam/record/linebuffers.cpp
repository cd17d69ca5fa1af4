#include "exam/record/linebuffers.h"

#include <algorithm>

#include "common/accessors.h"

namespace rec {

LineLayout LineLayout::FromSettings() {
  return LineLayout{common::Setting208.get(), common::Setting906.get(), common::Setting907.get()};
}

bool StartsParagraph(QStringView line) {
  return !line.isEmpty() && (line[0] == u' ' || line[0] == u'\u3000');
}

void TestLines::Reset() {
  for (int i = 0; i < kLineSlots; ++i) {
    ModelLines[i].clear();
    AnswerLines[i].clear();
    ParagraphNumbers[i] = 0;
  }
  LineCount = 0;
  ParagraphCount = 0;
  FirstVisibleLine = 0;
}

void TestLines::ClearTestLines(TypingBoxes& boxes) {
  for (int i = 0; i < kBoxCount; ++i) boxes.SetBoxText(i, QString());
}

static QString HintFor(const QString& model, const LineLayout& layout) {
  if (StartsParagraph(model) && layout.setting906 > 0) return model.left(layout.setting906);
  if (layout.setting907 > 0) return model.left(layout.setting907);
  return QString();
}

void TestLines::ScrollTestLines(int direction, TypingBoxes& boxes, const LineLayout& layout) {
  const int offset = layout.BoxOffset();
  const int page = layout.PageSize();

  for (int i = offset; i < kBoxCount; ++i) {
    const int k = FirstVisibleLine + i - offset;
    if (k >= 0 && k <= kLastLineIndex) AnswerLines[k] = boxes.BoxText(i - offset);
  }

  switch (direction) {
    case kLineUp:
      FirstVisibleLine = std::max(0, FirstVisibleLine - 1);
      break;
    case kLineDown:
      FirstVisibleLine = std::min(LineCount, FirstVisibleLine + 1);
      break;
    case kPageUp:
      FirstVisibleLine = FirstVisibleLine < page ? 0 : FirstVisibleLine - page;
      break;
    case kPageDown:
      FirstVisibleLine = std::min(LineCount, FirstVisibleLine + page);
      break;
    default:
      break;
  }

  for (int i = offset; i < kBoxCount; ++i) {
    const int k = FirstVisibleLine + i - offset;
    const bool inside = k >= 0 && k <= kLastLineIndex;
    const QString model = inside ? ModelLines[k] : QString();
    boxes.SetBoxText(i, model);
    boxes.SetBoxText(i - offset, inside ? AnswerLines[k] : QString());
    boxes.SetLabelText(i, HintFor(model, layout));
  }
}

int TestLines::ParagraphOfLine(int row) const {
  const int k = FirstVisibleLine + row;
  return k >= 0 && k <= kLastLineIndex ? ParagraphNumbers[k] : 0;
}

int TestLines::LastAnswerIndex() const {
  for (int i = kLastLineIndex; i >= 0; --i)
    if (!AnswerLines[i].isEmpty()) return i;
  return -1;
}

}  // namespace rec
