// Score records whose results are no numbers (NaN, infinity), as a damaged
// score file holds them: every summary and the result line still come out.
#include <gtest/gtest.h>

#include <cmath>

#include "batch/core/scoretable.h"
#include "batch/core/summaryfile.h"

using namespace batch;

TEST(DamagedScoreFile, NonFiniteResultsNeitherStopTheSummaryNorTheResultLine) {
  for (int method : {1, 2, 3}) {
    ScoreTable t;
    t.ScoreFileName(QStringLiteral(TEST_DATA_DIR "/score/NonFinite.R01"));
    ASSERT_EQ(t.LoadScoreRecords(), 1);
    ASSERT_EQ(t.LoadedCount(), 2);
    EXPECT_TRUE(std::isnan(t.Working(1).results[Accuracy]));
    EXPECT_TRUE(std::isinf(t.Working(2).results[Speed]));
    SummaryRules rules;
    rules.method = method;
    rules.passMarkOn = 1;
    ASSERT_NO_THROW(t.RecomputeScores(rules)) << "method " << method;
    for (int i = 0; i < 3; ++i) ASSERT_NO_THROW(t.MoveToRecord(2));
    EXPECT_EQ(RateText(t.Working(1).results[Accuracy]), "0.0") << "a NaN shows as 0";

    ResultLineValues v;
    v.display = t.Display();
    v.summary = t.Summary();
    QStringList fields;
    ASSERT_NO_THROW(fields = BatchResultFields(v));
    EXPECT_EQ(fields.size(), 23);
    EXPECT_EQ(BatchResultLine(v).count(u'|'), 23);
  }
}
