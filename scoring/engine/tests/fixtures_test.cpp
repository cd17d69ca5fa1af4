// The hand-worked records through the passes and the computation, with the
// literal and the indexed window search.
#include <gtest/gtest.h>

#include <memory>

#include "scoring/engine/compute.h"
#include "scoring/engine/tests/handworked.h"

using namespace scoring;

namespace {

using namespace scoring::handworked;

ScoreOutcome ScoreIt(const QStringList& test, const QStringList& typed, float start, float end, MatchOptions opt = {}) {
  auto tables = std::make_unique<CompareTables>();
  return ScoreLines(*tables, test, typed, ScoreSettings{}, start, end, opt);
}

class HandWorked : public ::testing::TestWithParam<Fixture> {};

TEST_P(HandWorked, SixResults) {
  const Fixture& f = GetParam();
  for (bool literal : {false, true}) {
    MatchOptions opt;
    opt.literalWindowSearch = literal;
    opt.literalGrowth = literal;
    const Results r = ScoreIt(f.test, f.typed, f.start, f.end, opt).results;
    SCOPED_TRACE(literal ? "literal" : "indexed");
    EXPECT_EQ(r.correct, f.expect.correct);
    EXPECT_EQ(r.errors, f.expect.errors);
    EXPECT_EQ(r.net, f.expect.net);
    EXPECT_EQ(r.accuracy, f.expect.accuracy);
    EXPECT_EQ(r.errorRate, f.expect.errorRate);
    EXPECT_EQ(r.speed, f.expect.speed);
  }
}

INSTANTIATE_TEST_SUITE_P(Records, HandWorked, ::testing::ValuesIn(kFixtures), [](const auto& info) {
  std::string n = info.param.name;
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
});

TEST(HandWorkedDetail, CountingCasesOfThePairs) {
  struct Case {
    const char* name;
    QStringList test, typed;
    std::vector<int> cases;  // per pair; 0 = taken whole
  } cases[] = {
      {"substitution", Lines({u"ABCDEFGHIJ"}), Lines({u"ABCDXFGHIJ"}), {10}},
      {"deletion", Lines({u"ABCDEFGHIJ"}), Lines({u"ABCDFGHIJ"}), {30}},
      {"insertion", Lines({u"ABCDEFGHIJ"}), Lines({u"ABCDXEFGHIJ"}), {20}},
      {"skipped", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST", u"UVWXYZabcd"}), Lines({u"ABCDEFGHIJ", u"UVWXYZabcd"}), {0, 99, 0}},
      {"extra", Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"xyz", u"KLMNOPQRST"}), {0, 98, 0}},
      {"blank test line", Lines({u"ABCDEFGHIJ", u"", u"KLMNOPQRST"}), Lines({u"ABCDEFGHIJ", u"KLMNOPQRST"}), {0, 10, 0}},
  };
  for (const Case& c : cases) {
    const ScoreOutcome out = ScoreIt(c.test, c.typed, 0, 120);
    std::vector<int> got;
    for (const PairResult& p : out.pairs) got.push_back(p.caseNo);
    EXPECT_EQ(got, c.cases) << c.name;
  }
}

TEST(HandWorkedDetail, UnmatchedTestCharactersGoToTheLineMarks) {
  auto tables = std::make_unique<CompareTables>();
  ScoreLines(*tables, Lines({u"ABCDEFGHIJ", u"KLMNOPQRST", u"　　今天天氣很好我們去公園"}),
             Lines({u"ABCDXFGHIJ", u"今天天氣很好我們去公園"}), ScoreSettings{}, 0, 120);
  EXPECT_EQ(tables->lineMarkText[1], QStringLiteral("E"));
  EXPECT_EQ(tables->lineMarkText[2], QStringLiteral("KLMNOPQRST"));
  EXPECT_EQ(tables->lineMarkText[3], QStringLiteral("　　"));
}

}  // namespace
