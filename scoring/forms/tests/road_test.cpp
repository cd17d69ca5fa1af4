// The scorer started by the test program: record in, scoring window, sheet.
#include "scorer_fixture.h"

#include <QTemporaryDir>

#include "platform/core/textfile.h"
#include "scoring/engine/scorerecord.h"
#include "testsupport/core/readonlyfolder.h"

namespace {

using namespace scorertest;
using scorer::Form3;
using scorer::成績單;
using scorer::輸入資料;

class Road : public ScorerFixture {};

TEST_F(Road, StartedWithARecordScoresItAndShowsTheSheet) {
  IniLines({{7999, "1"}});
  const QString record = WriteRecord();
  成績單* sheet = StartAndScore(record);
  ASSERT_NE(sheet, nullptr);

  EXPECT_EQ(backdrops, 1);
  // The credits window shows the scorer's limits: 160 lines of 60.
  EXPECT_EQ(creditsLimits, QStringList{"160/60"});
  輸入資料& entry = plat::forms::get<輸入資料>();
  EXPECT_FALSE(entry.isEnabled());
  // Nobody comes back to it from the sheet: it leaves the screen.
  EXPECT_FALSE(entry.isVisible());
  EXPECT_EQ(entry.TFILE->text(), record);
  EXPECT_EQ(common::SettingsBase.get(), ProgramFile("Tavrel"));
  EXPECT_FALSE(plat::forms::exists<Form3>());
  EXPECT_TRUE(sheet->isEnabled());

  // Particulars from the record, duration from its times, results from the run.
  EXPECT_EQ(sheet->Text1->text(), "王小明");
  EXPECT_EQ(sheet->Text2->text(), "A123456789");
  EXPECT_EQ(sheet->Text12->text(), "1990/5/3");
  EXPECT_EQ(sheet->Text15->text(), "3-05");
  EXPECT_EQ(sheet->Text13->text(), "注音");
  EXPECT_EQ(sheet->TEXT4B->text(), "T0001");
  EXPECT_EQ(sheet->Text5A->text(), "10");
  EXPECT_EQ(sheet->Text5B->text(), "00");
  const scoring::Results& r = scoring::CurrentRun()->results();
  // 32 characters in the passage besides its indent, one of them not typed.
  EXPECT_EQ(r.correct, 31.0f);
  EXPECT_EQ(sheet->Text6->text(), "31");
  EXPECT_EQ(sheet->Text7->text(), scoring::CurrentRun()->sheet().Text7);
  EXPECT_EQ(sheet->Text11->text(), scoring::CurrentRun()->sheet().Text11);
  EXPECT_FALSE(sheet->Text6->text().isEmpty());
  EXPECT_FALSE(sheet->TEXT3->text().isEmpty());

  // One run, one score record.
  QList<scoring::ScoreRecord> records;
  ASSERT_TRUE(scoring::ReadScoreRecordFile(work.filePath("A123456789.R01"), records));
  EXPECT_EQ(records.size(), 1);
  EXPECT_EQ(app.ends, 0);
}

TEST_F(Road, TheSheetComesOnTheTwelfthTickOfTheScoringWindow) {
  const QString record = WriteRecord();
  scorer::SetCommandLine(record + u',' + ProgramFile("Tavrel"));
  plat::forms::get<輸入資料>().Show();
  Form3& f3 = plat::forms::get<Form3>();
  ASSERT_TRUE(f3.isVisible());
  EXPECT_EQ(scoring::ScoreState(), 99);
  EXPECT_EQ(f3.ProgressBar1->value(), 100);
  scheduler->Advance(11 * 250);
  EXPECT_FALSE(plat::forms::exists<成績單>());
  EXPECT_EQ(scoring::ScoreState(), 120);  // the window waits, its text dark red
  EXPECT_EQ(f3.Label1->palette().color(QPalette::WindowText), QColor(170, 0, 0));
  scheduler->Advance(250);
  EXPECT_TRUE(plat::forms::exists<成績單>() && plat::forms::get<成績單>().isVisible());
  EXPECT_FALSE(plat::forms::exists<Form3>());
}

// However soon after the test (or across midnight) the scorer comes up, a
// record that loads is scored.
TEST_F(Road, AFreshRecordIsNeverThrownAway) {
  for (const char* end : {"032400", "032401", "086399"}) {
    SCOPED_TRACE(end);
    scoring::ResetScorer();
    plat::FormRegistry::DestroyAll();
    const QString record = WriteRecord(QStringLiteral("~T%1.txt").arg(QString::fromLatin1(end)), 1,
                                       {QStringLiteral("[終止時間]=") + QString::fromLatin1(end)});
    EXPECT_NE(StartAndScore(record), nullptr);
  }
}

TEST_F(Road, ActivatingTheScoringWindowAgainDoesNotScoreAgain) {
  IniLines({{7999, "1"}});
  const QString record = WriteRecord();
  scorer::SetCommandLine(record + u',' + ProgramFile("Tavrel"));
  plat::forms::get<輸入資料>().Show();
  Form3& f3 = plat::forms::get<Form3>();
  // A message box closing, a click: the window becomes active again.
  f3.Hide();
  f3.Show();
  f3.Hide();
  f3.Show();
  ASSERT_TRUE(scheduler->RunUntil([] { return plat::forms::exists<成績單>(); }, 10000));
  QList<scoring::ScoreRecord> records;
  ASSERT_TRUE(scoring::ReadScoreRecordFile(work.filePath("A123456789.R01"), records));
  EXPECT_EQ(records.size(), 1);
}

TEST_F(Road, AMissingRecordGivesTheEntryFormBack) {
  scorer::SetCommandLine(temp.filePath("~T000000.txt") + u',' + ProgramFile("Tavrel"));
  plat::forms::get<輸入資料>().Show();
  ASSERT_FALSE(prompt.calls.isEmpty());
  EXPECT_TRUE(prompt.calls.first().text.contains("~T000000.txt"));  // the missing-file box
  EXPECT_EQ(creditsLimits, QStringList{"160/60"});  // written before the record is read
  Form3& f3 = plat::forms::get<Form3>();
  EXPECT_EQ(f3.Label1->text(), common::SystemIniValue(11704).asText());
  EXPECT_FALSE(f3.isVisible());
  輸入資料& entry = plat::forms::get<輸入資料>();
  EXPECT_TRUE(entry.isEnabled());
  scheduler->Advance(10 * 250);
  EXPECT_TRUE(plat::forms::exists<Form3>());
  scheduler->Advance(250);  // the eleventh tick
  EXPECT_FALSE(plat::forms::exists<Form3>());
  EXPECT_TRUE(entry.isVisible());
  EXPECT_FALSE(plat::forms::exists<成績單>());
  EXPECT_EQ(app.ends, 0);
}

TEST_F(Road, FilesThatCannotBeWrittenAreReportedAndTheResultStillShows) {
  IniLines({{7999, "1"}});
  const QString record =
      WriteRecord(QStringLiteral("~T032400.txt"), 1,
                  {QStringLiteral("[成績檔案]=") + work.filePath("no/such/folder/A123456789.R01")});
  prompt.calls.clear();
  成績單* sheet = StartAndScore(record);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->Text6->text(), "31");
  bool told = false;
  for (const plat::PromptCall& c : prompt.calls) told = told || c.text.contains("A123456789.R01");
  EXPECT_TRUE(told);
}

// Test 1 starts a new series, but the old score file cannot be deleted (its
// folder is read-only, the file is not: the folder's mode for an account, a
// read-only bind mount for root). The box says so; the old series is kept
// as it was, with nothing of this test added to it.
TEST_F(Road, AnOldSeriesThatCannotBeClearedIsToldAndKeptAsItWas) {
  IniLines({{7999, "1"}});
  QTemporaryDir series;
  const QString score = series.filePath("A123456789.R01");
  const QByteArray old = scoring::EncodeScoreRecord({}) + scoring::EncodeScoreRecord({});
  ASSERT_TRUE(plat::writeBytesAtomic(score, old));
  const testing_fs::ReadOnlyFolder readOnly(series.path(), {score});
  ASSERT_TRUE(readOnly.ok()) << readOnly.error().toStdString();
  const QString record =
      WriteRecord(QStringLiteral("~T032400.txt"), 1, {QStringLiteral("[成績檔案]=") + score});
  prompt.calls.clear();
  成績單* sheet = StartAndScore(record);
  ASSERT_NE(sheet, nullptr);
  bool told = false;
  for (const plat::PromptCall& c : prompt.calls) told = told || c.text.contains(score + " (舊的成績無法刪除");
  EXPECT_TRUE(told);
  QByteArray now;
  ASSERT_TRUE(plat::readAllBytes(score, now));
  EXPECT_EQ(now, old);
}

}  // namespace
