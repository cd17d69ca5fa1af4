#include <gtest/gtest.h>

#include <memory>

#include "scoring/engine/compute.h"
#include "scoring/engine/matcher.h"
#include "scoring/engine/tests/corpus.h"
#include "testsupport/core/recordingsinks.h"

using namespace scoring;

namespace {

QStringList L(std::initializer_list<const char16_t*> l) {
  QStringList out;
  for (const char16_t* s : l) out << QString::fromUtf16(s);
  return out;
}

struct Loaded {
  std::unique_ptr<CompareTables> t = std::make_unique<CompareTables>();
  Matcher m{*t};
  Loaded(const QStringList& test, const QStringList& typed) { LoadTexts(*t, typed, test); }
  int TestPartner(int row) const { return t->testMarks.Get(row, 0, kLayerPartner); }
  int TypedPartner(int row) const { return t->typedMarks.Get(row, 0, kLayerPartner); }
  int TypedMark(int row, int c) const { return t->typedMarks.Get(row, c, kLayerPartner); }
  int TestMark(int row, int c) const { return t->testMarks.Get(row, c, kLayerPartner); }
};

}  // namespace

TEST(Tables, LoaderStepsFillStartsLengthsParagraphsAndCounts) {
  Loaded x(L({u"　甲乙", u"丙 丁", u" x", u""}), L({u"ab"}));
  const CompareTables& t = *x.t;
  EXPECT_EQ(t.testText, QStringLiteral("　甲乙<<>>丙 丁<<>> x<<>><<>><<<<"));
  EXPECT_EQ(t.lines.Get(1, kTestStart), 1);
  EXPECT_EQ(t.lines.Get(2, kTestStart), 8);
  EXPECT_EQ(t.lines.Get(5, kTestStart), int(t.testText.size()) - 3);
  EXPECT_EQ(t.lines.Get(2, kTestCharCount), 2);
  EXPECT_EQ(t.lines.Get(1, kTestCharCount), 2);
  // Paragraphs start at each line that begins with a blank of either width.
  EXPECT_EQ(t.lines.Get(1, kTestParagraph), 1);
  EXPECT_EQ(t.lines.Get(2, kTestParagraph), 1);
  EXPECT_EQ(t.lines.Get(3, kTestParagraph), 2);
  EXPECT_EQ(t.testMarks.Get(3, 0, kLayerSource), 2);
  // An empty line: length 0, start = next start - 4.
  EXPECT_EQ(t.lines.Get(4, kTestLength), 0);
  EXPECT_EQ(t.lines.Get(4, kTestStart), t.lines.Get(5, kTestStart) - 4);
  EXPECT_TRUE(t.Line(Side::Test, 4).isEmpty());
}

TEST(Tables, HundredSixtyLinesFitAndTheNextIsNotStored) {
  QStringList many;
  for (int i = 0; i < 170; ++i) many << QStringLiteral("L%1").arg(i);
  auto t = std::make_unique<CompareTables>();
  const TextLoadNotes notes = LoadTexts(*t, many, many);
  EXPECT_EQ(t->typedLineCount, 160);
  EXPECT_EQ(t->testLineCount, 160);
  EXPECT_TRUE(notes.typedStopped);
  EXPECT_EQ(t->Line(Side::Typed, 160), QStringLiteral("L159"));
  EXPECT_EQ(t->Line(Side::Test, 160), QStringLiteral("L159"));
}

TEST(Tables, BadIndexesThrowInsteadOfTouchingMemory) {
  MarkMatrix m;
  EXPECT_THROW(m.Get(162, 0, 0), TableIndexError);
  EXPECT_THROW(m.Get(0, 62, 0), TableIndexError);
  EXPECT_THROW(m.Set(0, 0, 7, 1), TableIndexError);
  EXPECT_THROW(m.Set(0, 0, 0, 256), TableOverflowError);
  EXPECT_FALSE(m.MarkedOrOutside(1, 62));
  EXPECT_FALSE(m.MarkedOrOutside(1, -1));
}

TEST(LineCutting, LongLinesAreCutWholeButWorkedOnForSixtyCharacters) {
  const QString seventy(70, u'字');
  Loaded x(L({u"x"}), {seventy});
  // The loader keeps 60 of a typed line.
  x.m.GetTypedLine(1);
  EXPECT_EQ(x.m.typedLength(), 60);
  Loaded y({seventy}, L({u"x"}));
  y.m.GetTestLine(1);
  EXPECT_EQ(y.m.testLine().size(), 70);
  EXPECT_EQ(y.m.testLength(), 60);
  EXPECT_TRUE(y.m.TestPiece(61, 1).isEmpty());
  EXPECT_EQ(y.m.TestPiece(59, 5).size(), 2);
  // Line 0 is the empty line, not the line cut before.
  y.m.GetTestLine(0);
  EXPECT_TRUE(y.m.testLine().isEmpty());
  EXPECT_EQ(y.m.testLength(), 0);
}

TEST(LineCutting, RepeatsCountOccurrencesInTheLine) {
  Loaded x(L({u"ABACA"}), L({u"x"}));
  x.m.GetTestLine(1);
  x.m.CountTestRepeats();
  const int expect[] = {3, 1, 3, 1, 3};
  for (int c = 1; c <= 5; ++c) EXPECT_EQ(x.t->testMarks.Get(1, c, kLayerRepeats), expect[c - 1]);
}

TEST(WindowCompare, GrowsAcrossAgreeingCharactersAndMarksBothSides) {
  // The lines agree in four characters and differ in the fifth.
  Loaded x(L({u"ABCDEFG"}), L({u"ABCDXFG"}));
  x.m.GetTestLine(1);
  x.m.GetTypedLine(1);
  EXPECT_EQ(x.m.CompareWindow(33, x.m.TestPiece(1, 3), x.m.TypedPiece(1, 3), 1, 1), 1);
  for (int c = 1; c <= 4; ++c) {
    EXPECT_EQ(x.TestMark(1, c), c);
    EXPECT_EQ(x.TypedMark(1, c), c);
    EXPECT_EQ(x.t->typedMarks.Get(1, c, kLayerSource), 33);
  }
  EXPECT_EQ(x.TestMark(1, 5), 0);
  EXPECT_EQ(x.t->typedMarks.Code(1), kCodePartial);
  EXPECT_EQ(x.TestPartner(1), 1);
  EXPECT_EQ(x.TypedPartner(1), 1);
}

TEST(WindowCompare, FirstMarkingIsCodeThirtyThreeEvenWhenItCoversTheLine) {
  Loaded x(L({u"ABC"}), L({u"ABC"}));
  x.m.GetTestLine(1);
  x.m.GetTypedLine(1);
  EXPECT_EQ(x.m.CompareWindow(3, x.m.TestPiece(1, 1), x.m.TypedPiece(1, 1), 1, 1), 1);
  EXPECT_EQ(x.t->typedMarks.Code(1), kCodePartial);
  // Run code 3 writes nothing into the source layer.
  EXPECT_EQ(x.t->typedMarks.Get(1, 1, kLayerSource), 0);
}

TEST(WindowCompare, EqualPiecesOverlappingAMarkChangeNothing) {
  Loaded x(L({u"ABCDEF"}), L({u"ABCDEF"}));
  x.m.GetTestLine(1);
  x.m.GetTypedLine(1);
  x.t->typedMarks.Set(1, 5, kLayerPartner, 9);
  const CompareTables before = *x.t;
  EXPECT_EQ(x.m.CompareWindow(11, x.m.TestPiece(1, 2), x.m.TypedPiece(1, 2), 1, 1), 0);
  EXPECT_TRUE(x.t->testMarks == before.testMarks);
  EXPECT_TRUE(x.t->typedMarks == before.typedMarks);
  EXPECT_EQ(x.m.CompareWindow(11, x.m.TestPiece(1, 2), x.m.TypedPiece(2, 2), 1, 2), 0);
  EXPECT_EQ(x.m.CompareWindow(11, QStringView(), QStringView(), 1, 1), 0);
}

TEST(WindowCompare, MarkingThatCompletesTheTypedLineGivesFiftyFiveOrSeventySeven) {
  Loaded x(L({u"ABCDE", u"X"}), L({u"ABXDE"}));
  x.m.GetTypedLine(1);
  x.m.GetTestLine(1);
  EXPECT_EQ(x.m.CompareWindow(3, x.m.TestPiece(1, 1), x.m.TypedPiece(1, 1), 1, 1), 1);  // AB
  EXPECT_EQ(x.m.CompareWindow(3, x.m.TestPiece(4, 1), x.m.TypedPiece(4, 1), 4, 4), 1);  // DE
  EXPECT_EQ(x.t->typedMarks.Code(1), kCodePartial);
  x.m.GetTestLine(2);
  EXPECT_EQ(x.m.CompareWindow(3, x.m.TestPiece(1, 1), x.m.TypedPiece(3, 1), 1, 3), 1);  // X
  EXPECT_EQ(x.t->typedMarks.Code(1), kCodeCovered);
  EXPECT_EQ(x.t->testMarks.Code(2), kCodeCovered);
  // A one-character line marked a second time: its partner position equals
  // its own line number, the self-valued code 77, which always pairs.
  Loaded y(L({u"A"}), L({u"A"}));
  y.m.GetTypedLine(1);
  y.m.GetTestLine(1);
  y.m.CompareWindow(3, y.m.TestPiece(1, 1), y.m.TypedPiece(1, 1), 1, 1);
  y.t->testMarks.Set(1, 1, kLayerPartner, 0);
  y.t->typedMarks.Set(1, 1, kLayerPartner, 0);
  y.t->typedMarks.Set(1, 0, kLayerPartner, 0);
  EXPECT_EQ(y.m.CompareWindow(3, y.m.TestPiece(1, 1), y.m.TypedPiece(1, 1), 1, 1), 1);
  EXPECT_EQ(y.t->typedMarks.Code(1), kCodeCoveredSelf);
  EXPECT_EQ(y.TypedPartner(1), 1);
}

TEST(WindowCompare, TakeoverMovesTypedCharactersToFreeTestCharacters) {
  // Typed "CD" is matched to line 1; line 2 offers free "CD" at the same
  // place: the takeover moves the match and clears line 1's cells.
  Loaded x(L({u"xxCD", u"ABCD"}), L({u"ABCD"}));
  x.m.GetTypedLine(1);
  x.m.GetTestLine(1);
  ASSERT_EQ(x.m.CompareWindow(3, x.m.TestPiece(3, 2), x.m.TypedPiece(3, 2), 3, 3), 1);
  x.m.GetTestLine(2);
  EXPECT_EQ(x.m.CompareWindowTakeover(x.m.TestPiece(3, 1), x.m.TypedPiece(3, 1), 3, 3), 1);
  EXPECT_EQ(x.TestMark(1, 3), 0);
  EXPECT_EQ(x.TestMark(1, 4), 0);
  EXPECT_EQ(x.TestMark(2, 3), 3);
  EXPECT_EQ(x.t->typedMarks.Get(1, 3, kLayerLine), 2);
  // Nothing to take over when the typed characters are free.
  EXPECT_EQ(x.m.CompareWindowTakeover(x.m.TestPiece(1, 1), x.m.TypedPiece(1, 1), 1, 1), 0);
}

TEST(WindowCompare, NeighbourTestStaysInsideTheColumns) {
  const QString sixty(60, u'字');
  Loaded x({sixty}, {sixty});
  x.m.GetTestLine(1);
  x.m.GetTypedLine(1);
  x.t->testMarks.Set(1, 60, kLayerPartner, 60);
  x.t->typedMarks.Set(1, 59, kLayerPartner, 59);
  EXPECT_EQ(x.m.NeighbourMarked(61, 60), 1);
  EXPECT_EQ(x.m.NeighbourMarked(62, 60), 0);
  // Position 1's left neighbour is the pairing cell.
  Loaded y(L({u"AB"}), L({u"AB"}));
  y.m.GetTestLine(1);
  y.m.GetTypedLine(1);
  y.t->testMarks.Set(1, 0, kLayerPartner, 1);
  y.t->typedMarks.Set(1, 0, kLayerPartner, 1);
  EXPECT_EQ(y.m.NeighbourMarked(1, 1), 1);
}

TEST(PassA, IdenticalLinesPairInReadingOrderAndBackwardsGetTwentyTwo) {
  Loaded x(L({u"same", u"other", u"same", u"first"}), L({u"first", u"same", u"same", u"none"}));
  x.m.PassA();
  EXPECT_EQ(x.TypedPartner(1), 4);
  EXPECT_EQ(x.TypedPartner(2), 1);  // behind test line 4: code 22
  EXPECT_EQ(x.TypedPartner(3), 3);
  EXPECT_EQ(x.TypedPartner(4), 0);
  EXPECT_EQ(x.t->typedMarks.Code(1), kCodeIdentical);
  EXPECT_EQ(x.t->typedMarks.Code(2), kCodeIdenticalBack);
  EXPECT_EQ(x.t->testMarks.Code(1), kCodeIdenticalBack);
  EXPECT_EQ(x.t->typedMarks.Code(3), kCodeIdentical);
  EXPECT_EQ(x.t->typedMarks.Get(2, 3, kLayerSource), 1);
  EXPECT_EQ(x.TypedMark(2, 4), 4);
}

TEST(PassB, WindowLengthsRoundHalvesToEven) {
  EXPECT_EQ(WindowLength(25, 2), 12);
  EXPECT_EQ(WindowLength(15, 2), 8);
  EXPECT_EQ(WindowLength(13, 2), 6);
  EXPECT_EQ(WindowLength(60, 7), 9);
  EXPECT_EQ(WindowLength(1, 3), 0);
}

TEST(PassB, MinimumRunEndsTheSearchForTheTestLine) {
  // Test line of 12: h = 2 gives 6, not above the minimum run 6, so the
  // common "EFGHIJ" in the middle is not found (no anchor: t != y).
  Loaded x(L({u"zz", u"ABCDEFGHIJKL"}), L({u"qqEFGHIJqq"}));
  x.m.PassB(10, 6, 11);
  EXPECT_EQ(x.TypedPartner(1), 0);
  x.m.PassB(30, 4, 22);
  EXPECT_EQ(x.TypedPartner(1), 2);
  EXPECT_EQ(x.TypedMark(1, 3), 5);
  EXPECT_EQ(x.t->typedMarks.Get(1, 3, kLayerSource), 22);
}

TEST(PassB, IndentedTestLineIsAnchoredAtItsThirdCharacter) {
  Loaded x(L({u"　　今天天氣很好"}), L({u"今天天氣很好"}));
  x.m.PassB(10, 6, 11);
  for (int c = 1; c <= 6; ++c) EXPECT_EQ(x.TypedMark(1, c), c + 2);
}

TEST(PassJ, LastTestLineIsCutWhereTheTypingStopped) {
  Loaded x(L({u"ABCDEFGHIJ", u"KLMN PQRST"}), L({u"ABCDEFGHIJ", u"KLMN"}));
  NullLog log;
  NullProgress progress;
  x.m.RunPasses(progress, log);
  EXPECT_EQ(x.t->lines.Get(2, kTestLength), 4);
  // The blank of the test line is kept out of the count.
  EXPECT_EQ(x.t->lines.Get(2, kTestCharCount), 3);
  // Equal lengths: nothing changes.
  Loaded y(L({u"ABCDEFGHIJ", u"KLMNOPQRST"}), L({u"ABCDEFGHIJ", u"KLMNOPQRSX"}));
  y.m.RunPasses(progress, log);
  EXPECT_EQ(y.t->lines.Get(2, kTestLength), 10);
}

TEST(Passes, SequenceLogsEveryPassAndMovesTheBar) {
  Loaded x(L({u"ABCDEFGHIJ"}), L({u"ABCDXFGHIJ"}));
  RecordingLog log;
  RecordingProgress progress;
  x.m.RunPasses(progress, log);
  EXPECT_EQ(progress.values, (QList<int>{5, 15, 30, 45, 50, 55, 60, 65, 70, 73, 77}));
  EXPECT_EQ(progress.tips.first(), QStringLiteral("第1區比較校對的副程式"));
  EXPECT_EQ(progress.tips.last(), QStringLiteral("第9區比較校對的副程式"));
  EXPECT_EQ(log.errors.count(QStringLiteral("第二區xZet_B_PartCompare")), 4);
  EXPECT_EQ(log.errors.count(QStringLiteral("第三區xZet_C_PartCompare")), 3);
  EXPECT_EQ(log.errors.last(), QStringLiteral("第十區xZet_J_PartCompare"));
}

TEST(PairList, UnpairedTestLinesArePlacedOrInserted) {
  auto t = std::make_unique<CompareTables>();
  LoadTexts(*t, L({u"a", u"b", u"c", u"d"}), L({u"1", u"2", u"3", u"4", u"5", u"6"}));
  // typed 1 -> 1, typed 2 unpaired, typed 3 -> 5, typed 4 unpaired
  t->typedMarks.Set(1, 0, kLayerPartner, 1);
  t->typedMarks.Set(3, 0, kLayerPartner, 5);
  const std::vector<LinePair> list = BuildPairList(*t);
  // 2 goes onto typed 2 (after test 1); 3 and 4 find no place and are
  // inserted before test 5; 6 is past the highest partner and not counted.
  std::vector<std::pair<int, int>> got;
  for (const LinePair& p : list) got.emplace_back(p.test, p.typed);
  const std::vector<std::pair<int, int>> want = {{1, 1}, {2, 2}, {3, 0}, {4, 0}, {5, 3}, {0, 4}};
  EXPECT_EQ(got, want);
}

TEST(PairList, FirstTestLineGoesToTheFirstTypedLineBeforeTestLineTwo) {
  auto t = std::make_unique<CompareTables>();
  LoadTexts(*t, L({u"a", u"b"}), L({u"1", u"2"}));
  t->typedMarks.Set(2, 0, kLayerPartner, 2);
  const std::vector<LinePair> list = BuildPairList(*t);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].test, 1);
  EXPECT_EQ(list[0].typed, 1);
}

// The indexed window search and incremental growth must leave exactly the
// marks of the literal reading on every kind of record.
TEST(Equivalence, IndexedSearchGivesTheLiteralMarksAndResults) {
  using corpus::Kind;
  int records = 0;
  for (Kind kind : {Kind::Typing, Kind::Garbage, Kind::Repeated}) {
    for (double rate : {0.0, 0.02, 0.05, 0.10, 0.30}) {
      for (unsigned seed = 1; seed <= 4; ++seed) {
        corpus::Spec spec;
        spec.kind = kind;
        spec.errorRate = rate;
        spec.seed = seed * 7919 + unsigned(rate * 1000);
        spec.lines = seed % 2 ? 12 : 25;
        spec.width = seed % 2 ? 30 : 45;
        if (kind == Kind::Garbage) spec.lines = 8;
        const corpus::Record rec = corpus::Make(spec);
        auto a = std::make_unique<CompareTables>();
        auto b = std::make_unique<CompareTables>();
        MatchOptions literal;
        literal.literalWindowSearch = literal.literalGrowth = true;
        const ScoreOutcome oa = ScoreLines(*a, rec.test, rec.typed, ScoreSettings{}, 0, 600);
        const ScoreOutcome ob = ScoreLines(*b, rec.test, rec.typed, ScoreSettings{}, 0, 600, literal);
        ASSERT_TRUE(a->testMarks == b->testMarks) << "seed " << spec.seed;
        ASSERT_TRUE(a->typedMarks == b->typedMarks) << "seed " << spec.seed;
        ASSERT_TRUE(a->lines == b->lines);
        ASSERT_EQ(oa.results, ob.results);
        ASSERT_EQ(oa.pairs, ob.pairs);
        ASSERT_EQ(oa.listing, ob.listing);
        ++records;
      }
    }
  }
  EXPECT_EQ(records, 60);
}

TEST(Robustness, OddInputsEndInAResult) {
  const QString bad = QString(QChar(0xFFFD)) + QStringLiteral("[x]=|") + QChar(0);
  const QStringList cases[][2] = {
      {{}, {}},
      {{QString()}, {QString()}},
      {{QString(255, u'字'), QString(300, u'A')}, {QString(255, u'字')}},
      {{bad, bad}, {bad}},
      {{QStringLiteral("　　"), QStringLiteral("　")}, {QStringLiteral("　　"), QStringLiteral("　")}},
      {{QString(60, u'A')}, {QString(60, u'A') + u'B', QString(59, u'A'), QString(61, u'A')}},
  };
  for (const auto& c : cases) {
    auto t = std::make_unique<CompareTables>();
    RecordingLog log;
    const ScoreOutcome out = ScoreLines(*t, c[0], c[1], ScoreSettings{}, 0, 60, {}, &log);
    for (const QString& e : log.errors) EXPECT_FALSE(e.contains(QStringLiteral("內部錯誤"))) << e.toStdString();
    EXPECT_GE(out.results.errorRate, 0);
  }
}
