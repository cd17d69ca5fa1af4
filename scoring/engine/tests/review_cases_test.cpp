// Records worked out by hand, a second time and independently of the engine,
// from the matching and counting rules alone. Each comment follows the
// passes that decide the marks, then the counting case of every pair and the
// six results in single precision (errors weighted 0.5).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "scoring/engine/compute.h"

using namespace scoring;

namespace {

QStringList L(std::initializer_list<const char16_t*> l) {
  QStringList out;
  for (const char16_t* s : l) out << QString::fromUtf16(s);
  return out;
}

struct ReviewCase {
  const char* name;
  QStringList test, typed;
  float minutesEnd;  // seconds from 0
  std::vector<int> cases;  // counting case per pair, 0 = taken whole
  float correct, errors, net, accuracy, errorRate, speed;
  QStringList lineMarks;  // non-empty line-mark texts in row order
};

const ReviewCase kCases[] = {
    // Transposition, ABCDEFGHIJ typed ABCDFEGHIJ.
    // B(10,6,11): anchor ABC grows to ABCD (the fifth differs), code 33; the
    // window search stops at once (10/2 = 5 <= 6). D: 8 equal positions, 4
    // of them free: realigned to ABCD and GHIJ. E: typed F and E sit between
    // marks on both sides, so the neighbour rule skips test F and E; every
    // other test character differs. H: GHIJ's test cells are marked, F/E
    // have no typed match to take over. Case 10: right 8, wrong = the two
    // missing E F. Errors 1, net 7, accuracy (1 - 1/9) x 100 = 88.888893 ->
    // 88.89, error rate 11.111107 -> 11.11, speed 7/2 = 3.5.
    {"transposition", L({u"ABCDEFGHIJ"}), L({u"ABCDFEGHIJ"}), 120, {10}, 8, 1, 7, 88.89f, 11.11f, 3.5f, L({u"EF"})},
    // A doubled line. A pairs typed 1 with test 1 and typed 3 with test 2
    // (code 11); the second copy finds test 1 taken. B only looks at test
    // lines of code 0: none. E works the copy against no test line and marks
    // nothing. Pairs (1,1) whole 10; (0,2) case 98 wrong 10, net 0; (2,3)
    // whole 10. Right 20, errors 5, accuracy (1 - 5/25) x 100 = 80, speed
    // 20/2 = 10.
    {"doubled line", L({u"ABCDEFGHIJ", u"KLMNOPQRST"}), L({u"ABCDEFGHIJ", u"ABCDEFGHIJ", u"KLMNOPQRST"}), 120,
     {0, 98, 0}, 20, 5, 20, 80, 20, 10, {}},
    // One line typed in two halves, ABCDE / FGHIJ. B: anchor ABC grows to
    // ABCDE (the typed line ends), pairs typed 1 with test 1 and gives test 1
    // code 33, so typed 2 finds no test line of code 0 in any B run and stays
    // unpaired; E works it against no test line. J: the last typed line has
    // no partner. Pair (1,1) case 30 (test longer): right 5, wrong 5 missing,
    // net 2.5; (0,2) case 98 wrong 5. Errors 5, net 2.5, accuracy 50, speed
    // 2.5/2 = 1.25, a tie: 1.3.
    {"line typed in two halves", L({u"ABCDEFGHIJ"}), L({u"ABCDE", u"FGHIJ"}), 120, {30, 98}, 5, 5, 2.5f, 50, 50, 1.3f,
     L({u"FGHIJ"})},
    // Half-width blank in the test, full-width typed: ABCDE FGHIJ against
    // ABCDE　FGHIJ (11 each). A: not equal (width counts). B: anchor grows to
    // ABCDE; 11/2 = 5.5 -> 6 (even) <= 6 stops the search. D: 10 equal, 5
    // free: realigned to ABCDE and FGHIJ. E: the blanks differ. Case 10:
    // right 10, wrong 1 (the blank). Errors 0.5, net 9.5, accuracy (1 -
    // 0.5/10.5) x 100 = 95.238098 -> 95.24, error rate 4.761902 -> 4.76,
    // speed 9.5/2 = 4.75 -> 4.8. The missing blank trims to nothing, so no
    // marked line is kept.
    {"half-width blank typed full-width", L({u"ABCDE FGHIJ"}), L({u"ABCDE\u3000FGHIJ"}), 120, {10}, 10, 0.5f, 9.5f,
     95.24f, 4.76f, 4.8f, L({u" "})},
    // A missing middle line and an error on the next: test 2 skipped, typed
    // UVWXYZabXd for UVWXYZabcd. A pairs line 1. B(10,6,11): no anchor for
    // test 3 (t != y), 10/2 = 5 <= 6. B(30,4,22): test 2 shares nothing;
    // test 3 at d = 5 hits UVWXY at 1/1, grown to UVWXYZab (code 22 in the
    // source layer), pairs typed 2 with test 3; d = 3 <= 4 stops. D: 9 equal,
    // d at 10 free: realigned to UVWXYZab and d. Pair list (1,1), (3,2);
    // test 2 finds no entry after test 1 and is inserted before (3,2): case
    // 99, wrong 10. (3,2) case 10: right 9, wrong 1. Right 19, wrong 11 ->
    // errors 5.5, net 10 + 8.5 = 18.5, accuracy (1 - 5.5/24.5) x 100 =
    // 77.551018 -> 77.55, error rate 22.448982 -> 22.45, speed 18.5/3 =
    // 6.1666665 -> 6.2.
    {"missing middle line then an error", L({u"ABCDEFGHIJ", u"KLMNOPQRST", u"UVWXYZabcd"}),
     L({u"ABCDEFGHIJ", u"UVWXYZabXd"}), 180, {0, 99, 10}, 19, 5.5f, 18.5f, 77.55f, 22.45f, 6.2f,
     L({u"KLMNOPQRST", u"c"})},
    // The last typed line reaches past the end of its partner test line.
    // Test BG / FEHC, typed HCBE. The first B runs find no window above
    // their minimum run. B(30,0,44): test 1, d = 1: B at 1 against typed B
    // at 3 (BG/BE differ after it), pairs both lines; test 2, d = 1 at h = 3:
    // H at 3 against typed H at 1 grows to HC. J: the highest partner
    // position of the typed line is 4, beyond the two characters of BG; the
    // test line keeps its length (counting characters 3 and 4 of BG would
    // make up two missing characters). Pair (1,1), test 2 lies past the
    // highest partner: case 60 (test shorter, 1 < 3 matched): right 1, wrong
    // = the extra E, plus one back jump (partners 3, 4, 1) = 2; net 1 - 1 =
    // 0. Errors 1, accuracy 50, no speed.
    {"last line reaching past its test line", L({u"BG", u"FEHC"}), L({u"HCBE"}), 120, {60}, 1, 1, 0, 50, 50, 0,
     L({u"G"})},
};

class ReviewCases : public ::testing::TestWithParam<ReviewCase> {};

TEST_P(ReviewCases, ResultsCasesAndLineMarks) {
  const ReviewCase& c = GetParam();
  for (bool literal : {false, true}) {
    SCOPED_TRACE(literal ? "literal" : "indexed");
    MatchOptions opt;
    opt.literalWindowSearch = opt.literalGrowth = literal;
    auto tables = std::make_unique<CompareTables>();
    const ScoreOutcome out = ScoreLines(*tables, c.test, c.typed, ScoreSettings{}, 0, c.minutesEnd, opt);
    std::vector<int> cases;
    for (const PairResult& p : out.pairs) cases.push_back(p.caseNo);
    EXPECT_EQ(cases, c.cases);
    const Results& r = out.results;
    EXPECT_EQ(r.correct, c.correct);
    EXPECT_EQ(r.errors, c.errors);
    EXPECT_EQ(r.net, c.net);
    EXPECT_EQ(r.accuracy, c.accuracy);
    EXPECT_EQ(r.errorRate, c.errorRate);
    EXPECT_EQ(r.speed, c.speed);
    QStringList marks;
    for (const QString& m : tables->lineMarkText)
      if (!m.isEmpty()) marks << m;
    EXPECT_EQ(marks, c.lineMarks);
  }
}

INSTANTIATE_TEST_SUITE_P(ByHand, ReviewCases, ::testing::ValuesIn(kCases), [](const auto& info) {
  std::string n = info.param.name;
  for (char& ch : n)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
});

}  // namespace
