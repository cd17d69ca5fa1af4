#pragma once
// The test text and the candidate's typing as two parallel buffers of lines,
// and the window of them that the typing boxes of the test screen show.
#include <QString>

#include <array>
#include <cstdint>

namespace rec {

inline constexpr int kLineSlots = 241;  // buffer indexes 0..240
inline constexpr int kLastLineIndex = kLineSlots - 1;
inline constexpr int kBoxCount = 16;  // TB(0..15) and TbX(0..15)

// The boxes and their labels, as the test screen has them. The screen
// implements it over its controls; tests use BoxTexts.
class TypingBoxes {
 public:
  virtual ~TypingBoxes() = default;
  virtual QString BoxText(int i) const = 0;
  virtual void SetBoxText(int i, const QString& text) = 0;
  virtual void SetLabelText(int i, const QString& text) = 0;
};

struct BoxTexts : TypingBoxes {
  std::array<QString, kBoxCount> boxes;
  std::array<QString, kBoxCount> labels;
  QString BoxText(int i) const override { return boxes.at(i); }
  void SetBoxText(int i, const QString& text) override { boxes.at(i) = text; }
  void SetLabelText(int i, const QString& text) override { labels.at(i) = text; }
};

// What the window depends on: settings 208 (layout), 906 and 907 (hint
// lengths at paragraph starts and on other lines).
struct LineLayout {
  int setting208 = 1;
  int setting906 = 0;
  int setting907 = 3;
  // From the accessors of the running program.
  static LineLayout FromSettings();

  // Layout 0 shows only answers in all sixteen boxes; any other shows the
  // model line in boxes 8..15 above the answer in boxes 0..7.
  int BoxOffset() const { return setting208 == 0 ? 0 : 8; }
  int PageSize() const { return setting208 == 0 ? 14 : 7; }
};

enum ScrollDirection : int { kLineUp = 1, kLineDown = 2, kPageUp = 3, kPageDown = 4, kSaveOnly = 0 };

// True when the line starts a paragraph: its first character is a blank,
// half-width or full-width.
bool StartsParagraph(QStringView line);

class TestLines {
 public:
  std::array<QString, kLineSlots> ModelLines;
  std::array<QString, kLineSlots> AnswerLines;
  std::array<std::uint8_t, kLineSlots> ParagraphNumbers{};
  int LineCount = 0;       // at most 240
  int ParagraphCount = 0;
  int FirstVisibleLine = 0;

  // Empties every buffer and moves the window to the top.
  void Reset();

  // Empties all sixteen boxes; the buffers keep their lines.
  static void ClearTestLines(TypingBoxes& boxes);

  // Saves the answer boxes into AnswerLines, moves the window (see
  // ScrollDirection; any other value only saves and refills) and refills
  // boxes and labels. Rows past the buffer's end show empty and are never
  // saved.
  void ScrollTestLines(int direction, TypingBoxes& boxes, const LineLayout& layout);

  int VisibleLineIndex(int row) const { return FirstVisibleLine + row; }
  // Paragraph number of a visible row; 0 for a row past the buffer.
  int ParagraphOfLine(int row) const;

  // Highest index holding a typed line, -1 when nothing was typed.
  int LastAnswerIndex() const;
};

}  // namespace rec
