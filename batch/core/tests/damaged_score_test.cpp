// Score records as a damaged score file holds them: results that are no
// numbers (NaN, infinity), a name cut inside a character. Every summary and
// the result line still come out, and say only what the sound data says.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <limits>

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

namespace {

ScoreRow Candidate(const char* name, std::array<float, 6> results, const char* duration = "10:00") {
  ScoreRow r;
  r.testNumber = 1;
  r.name = QString::fromUtf8(name);
  r.identity = QStringLiteral("A123456789");
  r.testFile = QStringLiteral("T01.TXT");
  r.duration = QString::fromUtf8(duration);
  r.results = results;
  return r;
}

}  // namespace

// One damaged record among sound ones: the sort, the average and the total
// are those of the sound records alone, and the error report names the
// damaged one. It is loaded last, where the sort takes its summary from.
TEST(DamagedScoreFile, ARecordThatIsNoNumberIsLeftOutOfEverySummary) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const ScoreRow a = Candidate("甲", {300, 10, 295, 96.77f, 3.23f, 29.5f}, "10:00");
  const ScoreRow b = Candidate("乙", {400, 4, 398, 99.0f, 1.0f, 39.8f}, "11:00");
  for (const ScoreRow& bad : {Candidate("壞", {nan, 0, 0, 0, 0, 0}, "5:00"), Candidate("壞", {1, 1, 1, 1, 1, inf})}) {
    for (int method : {1, 2, 3}) {
      SCOPED_TRACE(method);
      QStringList log;
      TableEnv env;
      env.log = [&log](const QString& s) { log << s; };
      ScoreTable damaged(env), sound;
      damaged.TakeRows({a, b, bad}, 3);
      sound.TakeRows({a, b}, 2);
      SummaryRules rules;
      rules.method = method;
      rules.order = QStringLiteral("006003002002");
      damaged.RecomputeScores(rules);
      sound.RecomputeScores(rules);
      EXPECT_EQ(damaged.Summary().results, sound.Summary().results);
      EXPECT_EQ(damaged.Summary().duration, sound.Summary().duration);
      for (float v : damaged.Summary().results) EXPECT_TRUE(std::isfinite(v));
      ASSERT_EQ(log.size(), 1) << log.join('\n').toStdString();
      EXPECT_TRUE(log[0].contains(QString::fromUtf8("壞")));
      EXPECT_TRUE(log[0].contains("A123456789"));
    }
  }
  // Nothing sound at all: zeros, never NaN.
  // (A total of nothing has an error rate of 100.)
  for (int method : {1, 2}) {
    ScoreTable none;
    none.TakeRows({Candidate("壞", {nan, nan, nan, nan, nan, nan})}, 1);
    SummaryRules rules;
    rules.method = method;
    none.RecomputeScores(rules);
    for (float v : none.Summary().results) EXPECT_EQ(v, 0.0f) << "method " << method;
  }
}

// A name cut inside its last character by another writer: the batch sheet
// and the result line show the whole characters, no "?" for the half.
TEST(DamagedScoreFile, ANameCutInsideACharacterLosesOnlyTheHalf) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QByteArray bytes = scoring::EncodeScoreRecord(Candidate("王", {300, 10, 295, 96.77f, 3.23f, 29.5f}));
  const QByteArray torn("\xB3\x5C\xA5\x5C\xBB", 5);  // 許功 and the first byte of 蓋
  bytes.replace(scoring::recfield::kName, torn.size(), torn);
  const QString path = dir.filePath("Torn.R01");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  f.close();
  ScoreTable t;
  t.ScoreFileName(path);
  ASSERT_EQ(t.LoadScoreRecords(), 1);
  SummaryRules rules;
  rules.method = 2;
  t.RecomputeScores(rules);
  t.MoveToRecord(0);
  EXPECT_EQ(t.Sheet().Text1, QString::fromUtf8("許功"));
  ResultLineValues v;
  v.display = t.Display();
  v.summary = t.Summary();
  EXPECT_EQ(BatchResultFields(v)[3], QString::fromUtf8("許功"));
}
