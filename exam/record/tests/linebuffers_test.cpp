#include <gtest/gtest.h>

#include "exam/record/linebuffers.h"

using namespace rec;

namespace {

TestLines Loaded(int count) {
  TestLines t;
  t.Reset();
  for (int i = 0; i < count && i <= kLastLineIndex; ++i) t.ModelLines[i] = QStringLiteral("m%1").arg(i);
  t.LineCount = std::min(count, kLastLineIndex);
  return t;
}

LineLayout Layout(int s208, int s906 = 0, int s907 = 0) { return LineLayout{s208, s906, s907}; }

}  // namespace

TEST(LineBuffers, AnswersOnlyLayoutPagesDownAndStopsAtLineCount) {
  TestLines t = Loaded(20);
  BoxTexts boxes;
  t.ScrollTestLines(kPageDown, boxes, Layout(0));
  EXPECT_EQ(t.FirstVisibleLine, 14);
  // Layout 0 shows answers in all sixteen boxes; rows past the text are empty.
  for (int i = 0; i < kBoxCount; ++i) EXPECT_EQ(boxes.boxes[i], QString()) << i;
  t.ScrollTestLines(kPageDown, boxes, Layout(0));
  EXPECT_EQ(t.FirstVisibleLine, 20);
}

TEST(LineBuffers, SplitLayoutShowsModelAboveAnswerAndSavesAnswersOnScroll) {
  TestLines t = Loaded(30);
  BoxTexts boxes;
  t.ScrollTestLines(kSaveOnly, boxes, Layout(1));
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(boxes.boxes[8 + i], QStringLiteral("m%1").arg(i));
    EXPECT_EQ(boxes.boxes[i], QString());
  }
  boxes.boxes[0] = QStringLiteral("typed0");
  boxes.boxes[7] = QStringLiteral("typed7");
  t.ScrollTestLines(kLineDown, boxes, Layout(1));
  EXPECT_EQ(t.AnswerLines[0], QStringLiteral("typed0"));
  EXPECT_EQ(t.AnswerLines[7], QStringLiteral("typed7"));
  EXPECT_EQ(t.FirstVisibleLine, 1);
  EXPECT_EQ(boxes.boxes[6], QStringLiteral("typed7"));  // row 6 now shows line 7
  EXPECT_EQ(boxes.boxes[8], QStringLiteral("m1"));
  t.ScrollTestLines(kLineUp, boxes, Layout(1));
  EXPECT_EQ(boxes.boxes[0], QStringLiteral("typed0"));
  t.ScrollTestLines(kLineUp, boxes, Layout(1));
  EXPECT_EQ(t.FirstVisibleLine, 0);  // never below 0
  EXPECT_EQ(t.LastAnswerIndex(), 7);
}

TEST(LineBuffers, MovesOfTheWindow) {
  struct Case {
    int s208, from, direction, lineCount, expect;
  } cases[] = {
      {1, 5, kPageUp, 30, 0},     // smaller than a page of 7
      {1, 9, kPageUp, 30, 2},
      {0, 14, kPageUp, 30, 0},
      {1, 0, kPageDown, 30, 7},
      {1, 28, kPageDown, 30, 30},  // not above LineCount
      {1, 30, kLineDown, 30, 30},
      {1, 4, 9, 30, 4},  // any other value only saves
  };
  for (const Case& c : cases) {
    TestLines t = Loaded(c.lineCount);
    t.FirstVisibleLine = c.from;
    BoxTexts boxes;
    t.ScrollTestLines(c.direction, boxes, Layout(c.s208));
    EXPECT_EQ(t.FirstVisibleLine, c.expect) << c.s208 << " " << c.from << " " << c.direction;
  }
}

TEST(LineBuffers, RowsPastTheBufferShowEmptyAndAreNeverSaved) {
  TestLines t = Loaded(300);
  ASSERT_EQ(t.LineCount, 240);
  t.FirstVisibleLine = 238;
  BoxTexts boxes;
  for (int i = 0; i < kBoxCount; ++i) boxes.boxes[i] = QStringLiteral("x%1").arg(i);
  t.ScrollTestLines(kSaveOnly, boxes, Layout(0));
  EXPECT_EQ(t.AnswerLines[238], QStringLiteral("x0"));
  EXPECT_EQ(t.AnswerLines[240], QStringLiteral("x2"));
  EXPECT_EQ(boxes.boxes[2], QStringLiteral("x2"));
  EXPECT_EQ(boxes.boxes[3], QString());
  EXPECT_EQ(t.ParagraphOfLine(5), 0);
  EXPECT_EQ(t.VisibleLineIndex(5), 243);
}

TEST(LineBuffers, HintLabelsAtParagraphStartsAndOtherLines) {
  TestLines t = Loaded(4);
  t.ModelLines[0] = QString::fromUtf8("　天地玄黃");
  t.ModelLines[1] = QString::fromUtf8("宇宙洪荒");
  t.ModelLines[2] = QString::fromUtf8(" 日月盈昃");
  BoxTexts boxes;
  t.ScrollTestLines(kSaveOnly, boxes, Layout(1, 2, 0));
  EXPECT_EQ(boxes.labels[8], QString::fromUtf8("　天"));
  EXPECT_EQ(boxes.labels[9], QString());
  EXPECT_EQ(boxes.labels[10], QString::fromUtf8(" 日"));
  t.ScrollTestLines(kSaveOnly, boxes, Layout(1, 0, 3));
  EXPECT_EQ(boxes.labels[8], QString::fromUtf8("　天地"));
  EXPECT_EQ(boxes.labels[9], QString::fromUtf8("宇宙洪"));
  // Layout 0 labels all sixteen rows.
  t.ScrollTestLines(kSaveOnly, boxes, Layout(0, 1, 1));
  EXPECT_EQ(boxes.labels[0], QString::fromUtf8("　"));
  EXPECT_EQ(boxes.labels[1], QString::fromUtf8("宇"));
}

TEST(LineBuffers, ClearEmptiesAllSixteenBoxesButKeepsTheBuffers) {
  TestLines t = Loaded(3);
  t.AnswerLines[0] = QStringLiteral("kept");
  BoxTexts boxes;
  for (int i = 0; i < kBoxCount; ++i) boxes.boxes[i] = QStringLiteral("b");
  TestLines::ClearTestLines(boxes);
  for (int i = 0; i < kBoxCount; ++i) EXPECT_TRUE(boxes.boxes[i].isEmpty()) << i;
  EXPECT_EQ(t.AnswerLines[0], QStringLiteral("kept"));
}

TEST(LineBuffers, ParagraphOfVisibleRow) {
  TestLines t = Loaded(10);
  t.ParagraphNumbers[3] = 1;
  t.ParagraphNumbers[5] = 2;
  t.FirstVisibleLine = 2;
  EXPECT_EQ(t.ParagraphOfLine(1), 1);
  EXPECT_EQ(t.ParagraphOfLine(3), 2);
  EXPECT_EQ(t.ParagraphOfLine(-5), 0);
}
