#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/core/batch.h"
#include "common/store.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "printers.h"
#include "scoring/engine/scorerecord.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/fulldisk.h"
#include "testsupport/core/seams.h"

using namespace batch;

namespace {

QByteArray bytesOf(const QString& path) {
  QByteArray b;
  plat::readAllBytes(path, b);
  return b;
}

QByteArray fixture(const char* name) { return bytesOf(QStringLiteral(TEST_DATA_DIR "/score/") + name); }

// A batch scorer in a fresh program folder at 09:00 on 5 March 2026, with
// the texts a shipped settings file gives.
class SummaryFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    saved = plat::ProgramFolder();
    plat::SetProgramFolder(dir.path() + u'/');
    seams.Set(plat::SetClock, &clock);
    seams.Set(plat::SetPrompt, &prompt);
    b = std::make_unique<Batch>();
    b->settings.SetDefaults();
    for (auto [id, text] : std::initializer_list<std::pair<int, const char*>>{
             {12701, "總成績"}, {12702, "排序"}, {12703, "平均"}, {12704, "總分"}, {12705, "分"},
             {12710, "%"}, {12711, "字/分"}, {14001, "訊息"}, {14006, "找不到"}, {14007, "檔案"}})
      common::SystemIniValue(id, QString::fromUtf8(text));
    b->settings.SettingValue(800, "2");
    b->settings.SettingValue(294, "Nuvo");
    b->localHost = [] { return LocalHost{"192.168.1.20", "testhost"}; };
  }
  void TearDown() override {
    plat::SetProgramFolder(saved);
    common::ResetCommonState();
  }
  QString Install(const char* name, const QString& as) {
    const QString p = dir.filePath(as);
    QFile::remove(p);
    QFile::copy(QStringLiteral(TEST_DATA_DIR "/score/") + name, p);
    QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner);
    return p;
  }
  void Load(const QString& path) {
    b->table.ClearRecords();
    b->table.ScoreFileName(path);
    ASSERT_EQ(b->table.LoadScoreRecords(), 1);
    b->RecomputeScores();
  }
  QStringList Log() {
    QStringList l;
    plat::readTextLines(dir.filePath("ZetError.Txt"), l);
    return l;
  }

  QTemporaryDir dir;
  QString saved;
  plat::FakeClock clock{QDateTime(QDate(2026, 3, 5), QTime(9, 0, 0))};
  plat::FakePrompt prompt;
  std::unique_ptr<Batch> b;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST_F(SummaryFolder, TheScorersFileGetsOneGoldenSummaryAndTheResultLine) {
  const QString score = Install("Score.R01", "Score.R01");
  Load(score);
  EXPECT_EQ(b->table.LoadedCount(), 2);
  EXPECT_EQ(b->table.Working(1).name, QString("許功蓋"));
  EXPECT_EQ(b->table.Display().TEXT13, QString("10:02"));

  EXPECT_EQ(b->AppendScoreRecord(), AppendStatus::Appended);
  EXPECT_EQ(bytesOf(score), fixture("Score.R01") + fixture("summary-average.bin"));
  EXPECT_EQ(b->ResultFileName(), dir.filePath("Score_03050201.Sco"));
  EXPECT_EQ(bytesOf(b->ResultFileName()), fixture("line-average.Sco"));
  EXPECT_EQ(BatchResultFields(b->LineValues()).size(), 23);

  // The scoring engine reads the summary back as one; the batch skips it.
  QList<scoring::ScoreRecord> all;
  ASSERT_TRUE(scoring::ReadScoreRecordFile(score, all));
  ASSERT_EQ(all.size(), 3);
  EXPECT_TRUE(scoring::IsSummaryRecord(all[2], u"總成績"));
  Load(score);
  EXPECT_EQ(b->table.LoadedCount(), 2);

  // A second summary right after the first is not added; the result line is
  // written again under the higher count.
  EXPECT_EQ(b->AppendScoreRecord(), AppendStatus::AlreadySummarised);
  EXPECT_EQ(bytesOf(score).size(), 3 * 252);
  EXPECT_EQ(b->ResultFileName(), dir.filePath("Score_03050301.Sco"));
  EXPECT_EQ(bytesOf(b->ResultFileName()), fixture("line-average.Sco"));
  EXPECT_TRUE(Log().join("\n").contains("存到成績檔的目錄是>" + score));
}

TEST_F(SummaryFolder, ATornTailIsIgnoredOnLoadAndOverwrittenByTheAppend) {
  const QString score = Install("Torn.R01", "Score.R01");
  Load(score);
  EXPECT_EQ(b->table.LoadedCount(), 2);
  EXPECT_EQ(b->AppendScoreRecord(), AppendStatus::Appended);
  EXPECT_EQ(bytesOf(score), fixture("Score.R01") + fixture("summary-average.bin"));
  EXPECT_EQ(b->ResultFileName(), dir.filePath("Score_03050201.Sco"));
  const QString log = Log().join("\n");
  EXPECT_TRUE(log.contains("成績檔尾端有不完整的記錄"));
  EXPECT_TRUE(log.contains("成績檔尾端不完整的記錄已覆蓋"));
}

TEST_F(SummaryFolder, AnEmptyScoreFileTakesTheSummaryAsRecordOne) {
  const QString score = dir.filePath("Empty.R03");
  plat::writeBytesAtomic(score, {});
  Load(score);
  EXPECT_EQ(b->table.LoadedCount(), 0);
  EXPECT_EQ(b->AppendScoreRecord(), AppendStatus::Appended);
  EXPECT_EQ(bytesOf(score).size(), 252);
  EXPECT_EQ(b->ResultFileName(), dir.filePath("Empty_03050003.Sco"));
}

TEST_F(SummaryFolder, AMissingScoreFileWritesNothingAndLeavesNoResultPath) {
  const QString score = Install("Score.R01", "Score.R01");
  Load(score);
  ASSERT_EQ(b->AppendScoreRecord(), AppendStatus::Appended);
  ASSERT_FALSE(b->ResultFileName().isEmpty());
  b->table.ScoreFileName(dir.filePath("Gone.R01"));
  EXPECT_EQ(b->AppendScoreRecord(), AppendStatus::NoScoreFile);
  EXPECT_EQ(b->ResultFileName(), QString());  // never the earlier file
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("Gone.R01")));
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(SummaryFolder, MissingScoreFileOnLoadWarnsAndKeepsTheTable) {
  const QString score = Install("Score.R01", "Score.R01");
  Load(score);
  b->table.ScoreFileName(dir.filePath("Gone.R01"));
  EXPECT_EQ(b->table.LoadScoreRecords(), 0);
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, "找不到 " + dir.filePath("Gone.R01") + " 檔案");
  EXPECT_EQ(prompt.calls[0].title, QString("訊息"));
  EXPECT_EQ(b->table.LoadedCount(), 2);
}

TEST_F(SummaryFolder, TheScorersLineOfTheSameNameIsReplacedAndLogged) {
  const QString score = Install("Score.R01", "Score.R01");
  plat::writeTextLines(dir.filePath("Score_03050201.Sco"), {"RudaZO__|Nuvo|T01.TXT|...24 fields...|"});
  Load(score);
  b->AppendScoreRecord();
  EXPECT_EQ(bytesOf(dir.filePath("Score_03050201.Sco")), fixture("line-average.Sco"));
  EXPECT_TRUE(Log().join("\n").contains("結果檔已存在,以總成績取代>" + dir.filePath("Score_03050201.Sco")));
}

// The score file's folder on a full disk: the summary still fits the score
// file's last page, the new result line does not. The scorer's line of that
// name stays as it was, no result path is handed on, and the log names the
// file and the reason.
TEST_F(SummaryFolder, AResultLineTheFullDiskRefusesKeepsTheEarlierOneAndIsTold) {
  testing_support::FullDisk disk;
  ASSERT_TRUE(disk.Ok());
  SCOPED_TRACE(disk.Kind().toStdString());
  const QString score = disk.Path() + QStringLiteral("/Score.R01");
  ASSERT_TRUE(plat::writeBytesAtomic(score, fixture("Score.R01")));
  const QString line = disk.Path() + QStringLiteral("/Score_03050201.Sco");
  ASSERT_TRUE(plat::writeBytesAtomic(line, "the scorer's line\r\n"));
  Load(score);
  ASSERT_TRUE(disk.Fill());
  b->AppendScoreRecord();
  EXPECT_EQ(bytesOf(line), QByteArray("the scorer's line\r\n"));
  EXPECT_TRUE(b->ResultFileName().isEmpty());
  EXPECT_TRUE(Log().join("\n").contains("無法寫入結果檔>無法寫入:" + line + " " + plat::systemReason(ENOSPC)))
      << Log().join("\n").toStdString();
}

TEST(ResultLine, FieldsOfEachMethodAndTag) {
  ResultLineValues v;
  v.setting701 = 1;
  v.subject = "Nuvo";
  v.method = "總分";
  v.display.TEXT01 = "王|小明";  // a "|" would shift the server's columns
  v.display.TEXT13 = "37";
  v.display.TEXT06 = "2026/3/5 下午 12:59:59";
  v.summary.results = {117.5f, 3, 0, 98.5f, 1.5f, 33.333332f};
  const QString line = BatchResultLine(v);
  EXPECT_EQ(line, QString("DovoRO__|Nuvo|總分|王｜小明||||33.33|37|||||||98.5|1.5|0|3|117.5|||2026/3/5 下午 12:59:59|"));
  EXPECT_EQ(line.count(u'|'), 23);
  v.setting701 = 0;
  EXPECT_TRUE(BatchResultLine(v).startsWith("RudaZO__|"));
}

TEST(ResultLine, NamesFollowTheRecordCountAndTheScoreSuffix) {
  EXPECT_EQ(BatchResultFileName("D/Score.R03", QDate(2026, 3, 14), 7), QString("D/Score_03140703.Sco"));
  EXPECT_EQ(BatchResultFileName("/d/A.R01", QDate(2026, 12, 1), 100), QString("/d/A_120110001.Sco"));
}

TEST(SummaryRecord, WholeCountsRatesAsShownAndTheMarker) {
  DisplayTexts d;
  d.TEXT01 = "王小明";
  d.TEXT05 = "總成績";
  d.TEXT06 = "2026/12/31 下午 12:59:59";
  ScoreRow s;
  s.results = {117.5f, 2.5f, 3.5f, 97.456f, 2.544f, 29.999f};
  s.answerFile = "/tmp/x";
  const ScoreRow r = SummaryRecordFrom(d, s);
  EXPECT_EQ(r.testNumber, 0);
  EXPECT_EQ(r.duration, QString("0"));
  EXPECT_EQ(r.answerFile, QString());
  EXPECT_EQ(r.results[Correct], 118.0f);  // halves to even
  EXPECT_EQ(r.results[Errors], 2.0f);
  EXPECT_EQ(r.results[Net], 4.0f);
  EXPECT_EQ(r.results[Accuracy], 97.46f);
  EXPECT_EQ(r.results[ErrorRate], 2.54f);
  EXPECT_EQ(r.results[Speed], 30.0f);
  // The longest date text fits its 24 bytes whole.
  EXPECT_EQ(scoring::FitField(r.scoredAt, 24), plat::toCp950(r.scoredAt));
  EXPECT_TRUE(scoring::IsSummaryRecord(r, u"總成績"));
}
