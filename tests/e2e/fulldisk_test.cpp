// The three programs on a bad day: the temporary folder is a small tmpfs of
// its own that fills up while the candidate types. At time-up the test record
// cannot be written; the box names the folder and the reason, the proctor
// frees the disk and tries again, and the record written then is the one the
// scorer scores and the batch scorer sums: every typed line and every score
// where it belongs, nothing counted as written that was not.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <gtest/gtest.h>

#include "platform/core/codec.h"
#include "platform/core/textfile.h"
#include "exam/record/testrecord.h"
#include "tests/e2e/installation.h"
#include "testsupport/core/fulldisk.h"

namespace e2e {
namespace {

const QString kLine1 = QStringLiteral("　清晨的公園裡，空氣格外清新。");
const QString kLine2 = QStringLiteral("許多老人在樹下打太極拳，動作緩慢而有力。");

// The candidate types two lines; at time-up the proctor answers the box
// with "try again" once the disk has room (the test frees it when it sees
// the box); the scorer's sheet is left, and the batch scorer ends.
QString Script() {
  return QStringLiteral(
             "[Tavrel]\nclick 輸入資料表面/Command1\nclick MessageBox/Ok\nwait 正式測驗\n"
             "click 正式測驗/MMControl1/Play\ntype ") +
         kLine1 + QStringLiteral("\nkey Return\ntype ") + kLine2 +
         QStringLiteral(
             "\nkey Return\nwait MessageBox/Choice0\nsleep 3000\nclick MessageBox/Choice0\n"
             "[score]\nclick 成績單/Command3\n"
             "[Tallisk]\nwait Display\nsleep 1000\nclick Display/Command1\n");
}

QString ReportText(const QString& folder) {
  QByteArray bytes;
  plat::readAllBytes(folder + QStringLiteral("ZetError.Txt"), bytes);
  return plat::fromCp950(bytes);
}

TEST(FullDisk, ARecordTheFullTemporaryFolderRefusedIsWrittenWholeOnceFreedAndScored) {
  const QStringList missing = MissingPrograms(QStringLiteral(BIN_DIR));
  if (!missing.isEmpty())
    GTEST_SKIP() << "not built yet in " BIN_DIR ": " << missing.join(QStringLiteral(", ")).toStdString();
  if (QTime::currentTime().msecsSinceStartOfDay() > (86400 - 300) * 1000)
    GTEST_SKIP() << "too close to midnight for a test";
  // Room for the start-up check (1 MB) and the scorer's work files.
  testing_support::FullDisk tmp(4 * 1024 * 1024);
  ASSERT_TRUE(tmp.Ok());
  if (!tmp.Mounted())
    GTEST_SKIP() << "the programs run in processes of their own: a full temporary folder needs a tmpfs mount (root)";

  Installation inst;
  QString error;
  ASSERT_TRUE(inst.Make(QStringLiteral(BIN_DIR), &error)) << error.toStdString();
  ASSERT_TRUE(inst.SetSettings(
      {
          {201, "1"},   // one minute
          {7999, "1"},  // the scorer writes its files
          {149, "0"},   // and deletes nothing on exit
          {803, "1"},   // leaving the scorer hands over to the batch scorer
          {804, "1"},   // which delivers the summary when it first shows
          {306, "1"},   // one test to the series
          {307, "0"},   // left without asking
          {181, "3"},   // scrambled records
          {701, "2"},   // audio part by part
          {705, "1"},   // the clock starts with the first Play
          {905, "2"},   // result files named by the identity number
          {202, ""},    // kept in the programs' folder
          {800, "0"},   // the batch scorer totals
          {801, "0"},
          {301, "0.5"},
          {302, "1"},
          {933, "1"},  // a confirmation box at the start, answered OK
          {917, "1"},
      },
      &error))
      << error.toStdString();
  inst.WriteScript(Script());
  inst.SetEnvironment(QStringLiteral("TMP"), tmp.Path());
  inst.SetEnvironment(QStringLiteral("TMPDIR"), tmp.Path());

  const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + 240 * 1000;
  ASSERT_TRUE(inst.Start(QStringLiteral("Tavrel"), {QStringLiteral("王小明,A123456789,1990/5/3")}, deadline + 15000,
                         &error))
      << error.toStdString();
  auto stage = [&](const char* what, const std::function<bool()>& done) {
    return WaitUntil(done, deadline) ? ::testing::AssertionSuccess()
                                     : ::testing::AssertionFailure() << "stuck before: " << what << "\n"
                                                                     << inst.Describe().toStdString();
  };
  // The disk fills once the test has begun (the start-up check saw room).
  ASSERT_TRUE(stage("the test screen", [&] { return inst.Logged(QStringLiteral(": wait 正式測驗")); }));
  ASSERT_TRUE(tmp.Fill());
  ASSERT_TRUE(stage("the box at time-up", [&] { return inst.Logged(QStringLiteral(": wait MessageBox/Choice0")); }));
  // Nothing was counted as written: no record, no scorer, no "saved".
  EXPECT_TRUE(QDir(tmp.Path()).entryList({QStringLiteral("~T*")}, QDir::Files).isEmpty());
  EXPECT_EQ(inst.CountStarts(QStringLiteral("score")), 0);
  const QString folder = inst.Folder();
  EXPECT_FALSE(ReportText(folder).contains(QStringLiteral("儲存所有資料")));
  tmp.Free();  // the proctor makes room, then presses "try again"

  ASSERT_TRUE(stage("the scorer", [&] { return inst.CountStarts(QStringLiteral("score")) >= 1; }));
  ASSERT_TRUE(stage("the batch scorer", [&] { return inst.CountStarts(QStringLiteral("Tallisk")) >= 1; }));
  ASSERT_TRUE(stage("every program ended by its own exit", [&] { return inst.AllEnded(); }));

  // The failure is in the error report with the folder and the reason, and
  // "saved" comes once, after it.
  const QString report = ReportText(folder);
  const qsizetype failed = report.indexOf(plat::systemReason(ENOSPC));
  ASSERT_GE(failed, 0) << report.toStdString();
  EXPECT_TRUE(report.indexOf(tmp.Path()) >= 0);
  const qsizetype saved = report.indexOf(QStringLiteral("儲存所有資料"));
  EXPECT_GT(saved, failed);
  EXPECT_EQ(report.indexOf(QStringLiteral("儲存所有資料"), saved + 1), -1);

  // The record in the temporary folder, whole, with both typed lines.
  const QStringList records = QDir(tmp.Path()).entryList({QStringLiteral("~T*.ttt")}, QDir::Files);
  ASSERT_EQ(records.size(), 1) << inst.Describe().toStdString();
  rec::TestRecordContent rc;
  ASSERT_TRUE(rec::ReadTestRecordFile(tmp.Path() + u'/' + records[0], rc, &error)) << error.toStdString();
  EXPECT_EQ(rc.typedLines, (QStringList{kLine1, kLine2}));
  EXPECT_EQ(rc.Value(rec::RecordKey::USERNAME).value_or(QString()), QStringLiteral("王小明"));

  // Scored: the run's record, then the batch scorer's summary.
  QList<ScoreRecord> rs;
  ASSERT_TRUE(ReadScoreRecords(folder + QStringLiteral("A123456789.R01"), rs)) << inst.Describe().toStdString();
  ASSERT_EQ(rs.size(), 2) << inst.Describe().toStdString();
  EXPECT_EQ(rs[0].testNumber, 1);
  EXPECT_FLOAT_EQ(rs[0].results[0], 34);  // 14 + 20 characters, all right
  EXPECT_FLOAT_EQ(rs[0].results[1], 0);
  EXPECT_EQ(rs[1].testNumber, 0);
  EXPECT_FLOAT_EQ(rs[1].results[0], 34);
  EXPECT_TRUE(report.contains(QStringLiteral("成績出來正常")));
}

}  // namespace
}  // namespace e2e
