// The typing column's editing rules over plain boxes: where text goes at
// Enter, Delete, a hot key, the indent spaces and a full box, at the column's
// edges and the buffer's end.
#include <gtest/gtest.h>

#include <QSet>

#include "exam/record/linebuffers.h"
#include "exam/run/core/keycodes.h"
#include "exam/run/core/typing_column.h"

namespace {

using run::TypingColumn;

// Sixteen boxes as texts and carets over the line buffers, answers only
// (layout 0): the boxes the screen has, without a window.
struct PlainColumn : run::ColumnBoxes {
  explicit PlainColumn(rec::TestLines& l) : lines(l) {}
  rec::TestLines& lines;
  rec::LineLayout layout{0, 0, 0};
  std::array<QString, rec::kBoxCount> text;
  std::array<int, rec::kBoxCount> caret{};
  std::array<QString, rec::kBoxCount> labels;
  int last = 15;
  bool handedOver = false;
  int focus = -1;
  int paragraphRow = -1;
  int scrolls = 0;
  int depth = 0;     // inside a write
  int deepest = 0;

  QString BoxText(int i) const override { return text.at(i); }
  void SetBoxText(int i, const QString& t) override {
    text.at(i) = t;
    caret.at(i) = 0;
  }
  void SetLabelText(int i, const QString& t) override { labels.at(i) = t; }
  void EditText(int i, const QString& t) override {
    text.at(i) = t;
    caret.at(i) = t.size();
  }
  int Caret(int i) const override { return caret.at(i); }
  void SetCaret(int i, int pos) override { caret.at(i) = pos; }
  bool HasSelection(int) const override { return false; }
  bool ReadOnly(int i) const override {
    return !run::BoxTakesTyping(lines.FirstVisibleLine, i, last, handedOver);
  }
  void Focus(int i) override { focus = i; }
  void ShowParagraph(int row) override { paragraphRow = row; }
  void Scroll(int direction) override {
    ++scrolls;
    lines.ScrollTestLines(direction, *this, layout);
  }
  void Write(const std::function<void()>& body) override {
    deepest = std::max(deepest, ++depth);
    body();
    --depth;
  }
};

class Column : public ::testing::Test {
 protected:
  // A text of `count` lines, the window at `first`; every buffer line k
  // holds the answer "ak".
  void Fill(int count, int first = 0) {
    lines.Reset();
    lines.LineCount = count;
    for (int k = 0; k <= rec::kLastLineIndex; ++k) lines.AnswerLines[k] = QString("a%1").arg(k);
    lines.FirstVisibleLine = first;
    for (int i = 0; i < rec::kBoxCount; ++i) {
      const int k = first + i;
      boxes.SetBoxText(i, k <= rec::kLastLineIndex ? lines.AnswerLines[k] : QString());
    }
  }
  TypingColumn Rules() { return TypingColumn(boxes, lines, boxes.last); }
  // Saves the boxes, so the buffer shows what the candidate has typed.
  const std::array<QString, rec::kLineSlots>& Saved() {
    lines.ScrollTestLines(rec::kSaveOnly, boxes, boxes.layout);
    return lines.AnswerLines;
  }

  rec::TestLines lines;
  PlainColumn boxes{lines};
};

TEST_F(Column, EnterSplitsTheLineAtTheCaretIntoTheNextBox) {
  Fill(20);
  boxes.caret[3] = 1;  // "a|3"
  const auto r = Rules().Key(3, run::kVkReturn);
  EXPECT_TRUE(r.handled);
  EXPECT_EQ(r.moved, 3);
  EXPECT_EQ(boxes.text[3], "a");
  EXPECT_EQ(boxes.text[4], "3a4");
  EXPECT_EQ(boxes.focus, 4);
  EXPECT_EQ(boxes.caret[4], 0);
  EXPECT_EQ(boxes.caret[3], 1);  // an edit leaves it at the end
  EXPECT_EQ(boxes.deepest, 1);   // one write: commits meanwhile are held
  EXPECT_EQ(boxes.scrolls, 0);
}

struct LastBoxCase {
  const char* name;
  int count;       // lines of text
  int first;       // first visible line
  int caret;       // in the last box
  int firstAfter;  // the window after Enter
  const char* saved;  // the buffer line the last box showed, after Enter
  const char* box;    // what the last box shows after Enter
};

TEST_F(Column, EnterInTheLastBox) {
  const LastBoxCase cases[] = {
      // The cut text goes down with the window onto the next line.
      {"MidText", 40, 0, 1, 1, "a", "15a16"},
      // At the end of the text the window cannot move: nothing changes.
      {"EndOfText", 10, 10, 1, 10, "a25", "a25"},
      // The next line would be past the buffer: the line stays whole.
      {"BufferEnd", 240, 225, 2, 226, "a240", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(c.count, c.first);
    const int line = c.first + 15;
    boxes.caret[15] = c.caret;
    const auto r = Rules().Key(15, run::kVkReturn);
    EXPECT_TRUE(r.handled);
    EXPECT_EQ(r.moved, 15);
    EXPECT_EQ(lines.FirstVisibleLine, c.firstAfter);
    EXPECT_EQ(boxes.text[15], QString(c.box));
    EXPECT_EQ(boxes.caret[15], c.firstAfter == c.first ? c.caret : 0);
    EXPECT_EQ(Saved()[line], QString(c.saved));
    EXPECT_EQ(boxes.deepest, 1);
  }
}

TEST_F(Column, EnterKeepsTheLineWholeWhenTheNextBoxTakesNoTyping) {
  Fill(240, 226);  // box 15 shows line 241, past the buffer
  boxes.caret[14] = 1;
  Rules().Key(14, run::kVkReturn);
  EXPECT_EQ(boxes.text[14], "a240");
  EXPECT_EQ(boxes.text[15], "");
  EXPECT_EQ(boxes.focus, 15);
}

TEST_F(Column, EnterInABoxThatTakesNoTypingDoesNothing) {
  Fill(20);
  boxes.handedOver = true;
  const auto r = Rules().Key(2, run::kVkReturn);
  EXPECT_TRUE(r.handled);
  EXPECT_EQ(r.moved, -1);
  EXPECT_EQ(boxes.text[2], "a2");
  EXPECT_EQ(boxes.text[3], "a3");
}

TEST_F(Column, ArrowsMoveBetweenBoxesAndScrollAtTheEdges) {
  struct Case {
    int key;
    int box;
    int moved;
    int focus;
    int firstAfter;
  };
  const Case cases[] = {
      {run::kVkUp, 4, 3, 3, 5},      {run::kVkDown, 4, 5, 5, 5},
      {run::kVkUp, 0, 0, -1, 4},     {run::kVkDown, 15, 15, -1, 6},
      {run::kVkPrior, 9, 9, -1, 0},  {run::kVkNext, 9, 9, -1, 19},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.key << " in box " << c.box);
    Fill(30, 5);
    boxes.focus = -1;
    const auto r = Rules().Key(c.box, c.key);
    EXPECT_TRUE(r.handled);
    EXPECT_EQ(r.moved, c.moved);
    EXPECT_EQ(boxes.focus, c.focus);
    EXPECT_EQ(lines.FirstVisibleLine, c.firstAfter);
    EXPECT_EQ(boxes.paragraphRow, c.moved);
  }
}

TEST_F(Column, DeleteAtALinesEndPullsTheNextLineUp) {
  Fill(20);
  boxes.caret[2] = 2;
  auto r = Rules().Key(2, run::kVkDelete);
  EXPECT_FALSE(r.handled);
  EXPECT_TRUE(r.consumed);
  EXPECT_EQ(boxes.text[2], "a2a3");
  EXPECT_EQ(boxes.text[3], "");
  EXPECT_EQ(boxes.caret[2], 4);

  // Inside the line the box deletes as usual.
  boxes.caret[5] = 1;
  r = Rules().Key(5, run::kVkDelete);
  EXPECT_FALSE(r.consumed);
  EXPECT_EQ(boxes.text[5], "a5");

  // The last box has no next line to pull.
  boxes.caret[15] = 3;
  r = Rules().Key(15, run::kVkDelete);
  EXPECT_TRUE(r.consumed);
  EXPECT_EQ(boxes.text[15], "a15");
}

TEST_F(Column, AHotKeyGoesInAtTheCaretEvenIntoAFullBox) {
  Fill(20);
  boxes.caret[1] = 1;
  Rules().InsertHotKey(1, "。」");
  EXPECT_EQ(boxes.text[1], "a。」1");
  EXPECT_EQ(boxes.caret[1], 2);  // one on, whatever the text's length

  boxes.text[2] = QString(30, u'字');
  boxes.caret[2] = 30;
  Rules().InsertHotKey(2, "，");
  EXPECT_EQ(boxes.text[2], QString(30, u'字') + "，");
  EXPECT_EQ(boxes.caret[2], 31);
  EXPECT_EQ(lines.FirstVisibleLine, 0);  // a full box does not move on for it
}

TEST_F(Column, TheFirstTwoSpacesOfALineAreTheIndent) {
  Fill(20);
  boxes.text[0].clear();
  auto r = Rules().Character(0, u' ', 30);
  EXPECT_TRUE(r.drop);
  r = Rules().Character(0, u' ', 30);
  EXPECT_TRUE(r.drop);
  EXPECT_EQ(boxes.text[0], QString(2, QChar(0x3000)));
  EXPECT_EQ(boxes.caret[0], 2);
  r = Rules().Character(0, u' ', 30);  // a third is typed as it is
  EXPECT_FALSE(r.drop);
  EXPECT_EQ(boxes.text[0], QString(2, QChar(0x3000)));
}

TEST_F(Column, AFullBoxMovesTheCaretOnAndScrollsAtTheLastBox) {
  Fill(40);
  boxes.text[6] = QString(31, u'字');
  auto r = Rules().Character(6, u'字', 30);
  EXPECT_FALSE(r.drop);
  EXPECT_EQ(r.moveTo, 7);
  EXPECT_EQ(boxes.scrolls, 0);

  boxes.text[15] = QString(31, u'字');
  r = Rules().Character(15, u'字', 30);
  EXPECT_EQ(r.moveTo, 15);
  EXPECT_EQ(lines.FirstVisibleLine, 1);
  EXPECT_EQ(lines.AnswerLines[15], QString(31, u'字'));  // kept as it was

  r = Rules().Character(3, u'字', 30);  // room left: nothing happens
  EXPECT_EQ(r.moveTo, -1);
}

TEST_F(Column, AHeldCommitGoesWhereItsLineIsNow) {
  Fill(40, 10);
  // Line 12 shows in box 2: the caret goes where it was, within the text.
  EXPECT_EQ(Rules().PlaceHeldCommit(12, 9, "字", false), 2);
  EXPECT_EQ(boxes.caret[2], 3);
  // Line 3 scrolled out of sight: into the buffer at its caret.
  EXPECT_EQ(Rules().PlaceHeldCommit(3, 1, "字", false), -1);
  EXPECT_EQ(lines.AnswerLines[3], "a字3");
  // After the hand-over, or for a line the buffer cannot hold: nowhere.
  boxes.handedOver = true;
  EXPECT_EQ(Rules().PlaceHeldCommit(12, 0, "字", true), -1);
  EXPECT_EQ(Rules().PlaceHeldCommit(4, 0, "字", true), -1);
  EXPECT_EQ(lines.AnswerLines[4], "a4");
  EXPECT_EQ(Rules().PlaceHeldCommit(rec::kLineSlots, 0, "字", false), -1);
}

TEST(ColumnLayout, EachLayoutPutsEveryBoxOnARowOfItsOwn) {
  for (int mode = 0; mode <= 6; ++mode) {
    QSet<int> rows;
    for (int i = 0; i < rec::kBoxCount; ++i) rows.insert(run::BoxRowOf(mode, i));
    EXPECT_EQ(rows.size(), rec::kBoxCount) << mode;
    EXPECT_EQ(*std::min_element(rows.begin(), rows.end()), 0) << mode;
    EXPECT_EQ(*std::max_element(rows.begin(), rows.end()), 15) << mode;
  }
  EXPECT_EQ(run::CaretState("", 0), 0);
  EXPECT_EQ(run::CaretState("字字", 2), 1);
  EXPECT_EQ(run::CaretState("字字", 1), 2);
}

}  // namespace
