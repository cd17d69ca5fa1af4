// The three programs together, as an exam room runs them: the test program
// started with a candidate's particulars runs the sample test at the shortest
// length the set-up allows, the typing goes in through the test screen, time-up
// writes the record and starts the scorer, which scores and writes its files;
// "again" starts the second test of the series, whose score is appended to
// the same score file; leaving after it hands over to the batch scorer, which
// sums the series and writes its result line. Real processes, offscreen.
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <cmath>
#include <gtest/gtest.h>

#include "exam/record/testrecord.h"
#include "tests/e2e/installation.h"

namespace e2e {
namespace {

// The sample test's first three lines.
const QString kLine1 = QStringLiteral("　清晨的公園裡，空氣格外清新。");
const QString kLine2 = QStringLiteral("許多老人在樹下打太極拳，動作緩慢而有力。");
const QString kLine3 = QStringLiteral("　孩子們背著書包，三五成群地走向學校。");
// Line 2 with 打 typed as 大.
const QString kLine2Typo = QStringLiteral("許多老人在樹下大太極拳，動作緩慢而有力。");

// The candidate: the set-up's Start and OK in its confirmation box, the first Play (the clock waits for
// it), the lines, each ended by Enter; the scorer's sheet left for another
// test, then left for good; the batch scorer's exit once it has delivered.
QString Script() {
  QString s;
  auto test = [&s](const QStringList& lines) {
    s += QStringLiteral(
        "[Tavrel]\nclick 輸入資料表面/Command1\nclick MessageBox/Ok\nwait 正式測驗\nclick 正式測驗/MMControl1/Play\n");
    for (const QString& l : lines) s += QStringLiteral("type ") + l + QStringLiteral("\nkey Return\n");
  };
  test({kLine1, kLine2Typo});
  s += QStringLiteral("[score]\nclick 成績單/Command3\nclick 直續測驗/Command1\n");
  test({kLine1, kLine2, kLine3});
  s += QStringLiteral("[score]\nclick 成績單/Command3\n");
  s += QStringLiteral("[Tallisk]\nwait Display\nsleep 1000\nclick Display/Command1\n");
  return s;
}

// The speed as the scorer works it out: the minutes are the seconds / 60 to
// two decimals, the speed net / minutes to one.
float Speed(int seconds, double net) {
  const double minutes = std::round(seconds / 60.0 * 100) / 100;
  return static_cast<float>(std::round(net / minutes * 10) / 10);
}

QString TwoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); }

class SeriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QStringList missing = MissingPrograms(QStringLiteral(BIN_DIR));
    if (!missing.isEmpty())
      GTEST_SKIP() << "not built yet in " BIN_DIR ": " << missing.join(QStringLiteral(", ")).toStdString();
    // The set-up refuses a test that would run past midnight, and the
    // scorer counts in seconds of the day.
    if (QTime::currentTime().msecsSinceStartOfDay() > (86400 - 420) * 1000)
      GTEST_SKIP() << "too close to midnight for two tests in a row";
    QString error;
    ASSERT_TRUE(inst.Make(QStringLiteral(BIN_DIR), &error)) << error.toStdString();
    // What the series needs of the shipped settings, each set here so that
    // the test does not lean on the shipped defaults.
    ASSERT_TRUE(inst.SetSettings(
        {
            {201, "1"},     // the test time starts at its shortest, one minute
            {7999, "1"},    // the scorer writes its files
            {149, "0"},     // nothing is deleted on exit: the test reads it all
            {803, "1"},     // leaving the scorer hands over to the batch scorer
            {804, "1"},     // which delivers the summary when it first shows
            {306, "2"},     // two tests to a series
            {7901, "0"},    // the scorer asks before the next test
            {307, "0"},     // and leaves without asking after the last
            {181, "3"},     // scrambled records
            {701, "2"},     // audio part by part
            {705, "1"},     // the clock starts with the first Play
            {905, "2"},     // result files named by the identity number
            {202, ""},      // and kept in the programs' folder
            {800, "0"},     // the batch scorer totals the series
            {801, "0"},     // no pass mark
            {301, "0.5"},   // an error costs half a character
            {302, "1"},
            {933, "1"},     // a confirmation box at the start, answered OK
            {917, "1"},     // the identity number checked
        },
        &error))
        << error.toStdString();
    inst.WriteScript(Script());
  }

  // Waits for a stage of the road; a failure names it and shows the logs.
  void Stage(const char* what, const std::function<bool()>& done) {
    ASSERT_TRUE(WaitUntil(done, deadline)) << "stuck before: " << what << "\n" << inst.Describe().toStdString();
  }

  Installation inst;
  qint64 deadline = 0;
};

TEST_F(SeriesTest, TwoTestsScoredThenTheSeriesSummedByTheBatchScorer) {
  const qint64 t0 = QDateTime::currentMSecsSinceEpoch();
  deadline = t0 + 360 * 1000;  // two one-minute tests with their hand-overs take about 2.5 minutes
  QString error;
  // Name, identity number, birthday.
  ASSERT_TRUE(inst.Start(QStringLiteral("Tavrel"), {QStringLiteral("王小明,A123456789,1990/5/3")},
                         deadline + 15000, &error))
      << error.toStdString();

  const QString folder = inst.Folder();
  const QString scoreFile = folder + QStringLiteral("A123456789.R01");
  Stage("the first test's record and the scorer", [&] { return inst.CountStarts(QStringLiteral("score")) >= 1; });
  Stage("the first score record", [&] { return QFileInfo(scoreFile).size() >= 252; });
  Stage("the second test, started by the scorer", [&] { return inst.CountStarts(QStringLiteral("Tavrel")) >= 2; });
  Stage("the second scorer", [&] { return inst.CountStarts(QStringLiteral("score")) >= 2; });
  Stage("the batch scorer, started by the leaving scorer",
        [&] { return inst.CountStarts(QStringLiteral("Tallisk")) >= 1; });
  Stage("every program ended by its own exit", [&] { return inst.AllEnded(); });
  const QString date = QDate::currentDate().toString(QStringLiteral("MMdd"));

  // Two records in TMP, scrambled (".ttt"), in the order of their start.
  const QStringList records =
      QDir(inst.Tmp()).entryList({QStringLiteral("~T*.ttt")}, QDir::Files, QDir::Name);
  ASSERT_EQ(records.size(), 2) << inst.Describe().toStdString();
  int seconds[2] = {0, 0};
  const QStringList typed[2] = {{kLine1, kLine2Typo}, {kLine1, kLine2, kLine3}};
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run + 1);
    rec::TestRecordContent rc;
    ASSERT_TRUE(rec::ReadTestRecordFile(inst.Tmp() + records[run], rc, &error)) << error.toStdString();
    using rec::RecordKey;
    auto value = [&rc](RecordKey k) { return rc.Value(k).value_or(QStringLiteral("(none)")); };
    EXPECT_EQ(value(RecordKey::USERNAME), QStringLiteral("王小明"));
    EXPECT_EQ(value(RecordKey::IDENTITY), QStringLiteral("A123456789"));
    EXPECT_EQ(value(RecordKey::BIRTHDAY), QStringLiteral("1990/5/3"));
    EXPECT_EQ(value(RecordKey::TESTNAME), folder + QStringLiteral("Data/T0001.txt"));
    EXPECT_EQ(value(RecordKey::TESTTIME).toInt(), 1);
    EXPECT_EQ(value(RecordKey::TESTNUMB).toInt(), run + 1);
    // The second test read the first one's record back: same score file.
    EXPECT_EQ(value(RecordKey::SCORNAME), scoreFile);
    EXPECT_EQ(value(RecordKey::DTATNAME), folder + QStringLiteral("A123456789.S0%1").arg(run + 1));
    EXPECT_EQ(rc.typedLines, typed[run]);
    seconds[run] = value(RecordKey::END_TIME).toInt() -
                   value(RecordKey::STARTIME).toInt();
    // Time-up comes on the first tick past the minute.
    EXPECT_GE(seconds[run], 60);
    EXPECT_LE(seconds[run], 63);
  }

  // Worked out by hand. Run 1: line 1 typed as it stands is taken whole, its
  // 14 characters (the leading blank does not count) right; line 2 has one
  // character wrong in 20: 19 right, 1 wrong, weighted 0.5, net 18.5.
  // Correct 33, errors 0.5, net 32.5, accuracy (1 - 0.5 / 33.5) = 98.51 %,
  // error rate 1.49 %. Run 2: 14 + 20 + 18 right, nothing wrong.
  struct Expected {
    float correct, errors, net, accuracy, errorRate, speed;
  };
  const Expected want[2] = {{33, 0.5f, 32.5f, 98.51f, 1.49f, Speed(seconds[0], 32.5)},
                            {52, 0, 52, 100, 0, Speed(seconds[1], 52)}};

  // The score file: both runs, then the batch scorer's summary record.
  QList<ScoreRecord> rs;
  ASSERT_TRUE(ReadScoreRecords(scoreFile, rs));
  ASSERT_EQ(rs.size(), 3) << inst.Describe().toStdString();
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run + 1);
    const ScoreRecord& r = rs[run];
    EXPECT_EQ(r.testNumber, run + 1);
    EXPECT_EQ(r.name, QStringLiteral("王小明"));
    EXPECT_EQ(r.identity, QStringLiteral("A123456789"));
    EXPECT_EQ(r.birthday, QStringLiteral("1990/5/3"));
    EXPECT_EQ(r.testFile, folder + QStringLiteral("Data/T0001.txt"));
    EXPECT_EQ(r.duration, QStringLiteral("01:") + TwoDigits(seconds[run] - 60));
    EXPECT_EQ(r.answerFile, folder + QStringLiteral("A123456789.S0%1").arg(run + 1));
    const Expected& e = want[run];
    const float values[6] = {e.correct, e.errors, e.net, e.accuracy, e.errorRate, e.speed};
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(r.results[i], values[i]) << "result " << i + 1;

    // Its result line: <score file less ".R01">_<MMDD><test number><answer number>.Sco
    const QString line = folder + QStringLiteral("A123456789_%1%2%3.Sco").arg(date, TwoDigits(run + 1),
                                                                               TwoDigits(run + 1));
    const QStringList f = ReadResultFields(line);
    ASSERT_EQ(f.size(), 24) << line.toStdString();
    EXPECT_EQ(f[0], QStringLiteral("DovoRO__"));  // a test with audio
    EXPECT_EQ(f[1], QStringLiteral("Nuvo"));
    EXPECT_EQ(f[2], r.testFile);
    EXPECT_EQ(f[3], r.name);
    EXPECT_EQ(f[4], r.identity);
    EXPECT_EQ(f[5], r.birthday);
    EXPECT_EQ(f[8], r.duration);
    EXPECT_EQ(f[22], r.when);
    const int at[6] = {19, 18, 17, 15, 16, 7};
    for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(f[at[i]].toFloat(), values[i]) << "field " << at[i];
  }

  // The summary: totals of the counts; accuracy from them with the error
  // weight taken back out, (1 - 1 / (1 + 85)) = 98.84 %; speed from the
  // whole minutes, 84.5 / 2. The record holds the counts as whole numbers,
  // halves to even (0.5 gives 0, 84.5 gives 84).
  const ScoreRecord& sum = rs[2];
  EXPECT_EQ(sum.testNumber, 0);
  EXPECT_EQ(sum.name, QStringLiteral("王小明"));
  EXPECT_EQ(sum.identity, QStringLiteral("A123456789"));
  EXPECT_EQ(sum.duration, QStringLiteral("0"));
  EXPECT_TRUE(sum.answerFile.isEmpty());
  const float total[6] = {85, 0, 84, 98.84f, 1.16f, 42.25f};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(sum.results[i], total[i]) << "summary result " << i + 1;

  // Its result line: the record count before the summary (2) and the score
  // file's number (01) in the name.
  const QStringList f = ReadResultFields(folder + QStringLiteral("A123456789_%1%2%3.Sco").arg(date, "02", "01"));
  ASSERT_EQ(f.size(), 23) << inst.Describe().toStdString();
  EXPECT_EQ(f[0], QStringLiteral("DovoRO__"));
  EXPECT_EQ(f[1], QStringLiteral("Nuvo"));
  EXPECT_EQ(f[3], QStringLiteral("王小明"));
  EXPECT_EQ(f[4], QStringLiteral("A123456789"));
  EXPECT_EQ(f[8], QStringLiteral("2"));  // whole minutes of the series
  const float line[6] = {85, 0.5f, 84.5f, 98.84f, 1.16f, 42.25f};
  const int at[6] = {19, 18, 17, 15, 16, 7};
  for (int i = 0; i < 6; ++i) EXPECT_FLOAT_EQ(f[at[i]].toFloat(), line[i]) << "summary field " << at[i];
}

}  // namespace
}  // namespace e2e
