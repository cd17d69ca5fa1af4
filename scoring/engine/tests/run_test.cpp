#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/scramble.h"
#include "common/store.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/filelock.h"
#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "scoring/engine/recordlist.h"
#include "scoring/engine/resultline.h"
#include "scoring/engine/scorer.h"
#include "scoring/engine/scorerecord.h"
#include "scoring/engine/tests/handworked.h"
#include "testsupport/core/linerecorder.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/fulldisk.h"
#include "testsupport/core/readonlyfolder.h"
#include "testsupport/core/recordingsinks.h"
#include "testsupport/core/seams.h"

using namespace scoring;

namespace {

QStringList CheckText() {
  const QString pool = QStringLiteral(
      "的一是在不了有和人這中大為上個國我以要他時來用們生到作地於出就分對成會可主發年動同工也能下過子說產種面而方後多定行學法所民得經"
      "十三之進著等部度家電力裡如水化高自二理起小物現實加量都兩體制機當使點從業本去把性好應開它合還因由其些然前外天政四日那社義事平形相");
  QStringList lines;
  for (int i = 0; i < 12; ++i) lines << pool.mid(i * 10, 10);
  return lines;
}

QStringList CheckTyped() {
  QStringList typed = CheckText();
  for (int i = 0; i < 12; i += 2) typed[i].insert(4, QChar(u'鬱'));
  return typed;
}

class ScorerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    plat::SetProgramFolder(program.path());
    common::ProgramFolder.set(program.path() + u'/');
    common::DataPath.set(data());
    hadTmp = qEnvironmentVariableIsSet("TMP");
    oldTmp = qgetenv("TMP");
    qputenv("TMP", temp.path().toLocal8Bit());
    clock.Set(QDateTime(QDate(2026, 3, 5), QTime(9, 5, 30)));
    seams.Set(plat::SetClock, &clock);
    seams.Set(plat::SetPrompt, &prompt);
    seams.Set(plat::SetLauncher, &launcher);
    texts = {{13921, QStringLiteral("行過長:")},  {13922, QStringLiteral("行過多:")},
             {13931, QStringLiteral("產品:")},    {13932, QStringLiteral("第")},
             {13933, QStringLiteral("次")},       {13934, QStringLiteral("姓名:")},
             {13935, QStringLiteral("生日:")},    {13936, QStringLiteral("證號:")},
             {13937, QStringLiteral("班級:")},    {13938, QStringLiteral("日期:")},
             {13939, QStringLiteral("測驗:")},    {13940, QStringLiteral("時間:")},
             {13941, QStringLiteral("正確:")},    {13942, QStringLiteral("錯誤:")},
             {13943, QStringLiteral("淨字:")},    {13944, QStringLiteral("正確率:")},
             {13945, QStringLiteral("錯誤率:")},  {13946, QStringLiteral("速度:")},
             {13951, QStringLiteral("行")},       {13952, QStringLiteral(":")},
             {12701, QStringLiteral("平均值")}};
    settings.score.text = [this](int id) { return texts.value(id); };
    settings.writeFiles = true;
    settings.productName = QStringLiteral("Nuvo");
    settings.productTitle = QStringLiteral("Tavrel");
    seams.Set(SetSettingsSource, [this] { return settings; });
    seams.Set(SetHostInfoSource, [] { return HostInfo{QStringLiteral("10.1.2.3"), QStringLiteral("pc7")}; });
    seams.Set(SetEngineLog, &log);
    seams.Set(SetEngineProgress, &progress);
    seams.Set(plat::SetPrinter, &printer);
    ResetScorer();
  }
  void TearDown() override {
    ResetScorer();
    if (hadTmp)
      qputenv("TMP", oldTmp);
    else
      qunsetenv("TMP");
    plat::SetProgramFolder(QString());
    common::ResetCommonState();
  }

  QString data() const { return program.path() + QStringLiteral("/Data"); }
  QString At(const QString& name) const { return work.filePath(name); }

  void WriteLines(const QString& path, const QStringList& lines) { ASSERT_TRUE(plat::writeTextLines(path, lines)); }

  // A record with the usual keys; `extra` lines go after them, then typed.
  QString WriteRecord(const QStringList& typed, const QStringList& extraKeys = {}, const QString& name = "~T012345.txt",
                      bool withFiles = true) {
    QStringList l;
    l << QStringLiteral("[測驗檔名]=") + At(QStringLiteral("T01.txt"));
    if (withFiles) {
      l << QStringLiteral("[答案檔案]=") + At(QStringLiteral("A123.T01"));
      l << QStringLiteral("[成績檔案]=") + At(QStringLiteral("A123.R01"));
    }
    l << QStringLiteral("[檢定姓名]=王小明") << QStringLiteral("[檢定生日]=1990/5/3")
      << QStringLiteral("[身分證號]=A123456789") << QStringLiteral("[開始時間]=032400")
      << QStringLiteral("[終止時間]=032700") << QStringLiteral("[測驗次數]=1") << QStringLiteral("[指輸入法]=注音");
    l << extraKeys << typed;
    const QString path = At(name);
    WriteLines(path, l);
    return path;
  }

  QTemporaryDir program, temp, work;
  QByteArray oldTmp;
  bool hadTmp = false;
  plat::FakeClock clock;
  plat::FakePrompt prompt;
  plat::FakeLauncher launcher;
  plat::LineRecorder printer;
  RecordingLog log;
  RecordingProgress progress;
  QHash<int, QString> texts;
  ScorerSettings settings;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST_F(ScorerRun, CheckRecordScoresWritesEveryFileAndFlagsNothing) {
  WriteLines(At("T01.txt"), CheckText());
  const QString rec = WriteRecord(CheckTyped(), {QStringLiteral("[錯誤經驗]=120,3,117,97.56,2.44,23.4")});
  const LoadOutcome load = xZet_LoadData(rec);
  ASSERT_TRUE(load.ok);
  EXPECT_DOUBLE_EQ(load.elapsedSeconds, 30.0);
  EXPECT_EQ(ScoreState(), 1);
  const ProcessOutcome done = ProcessScoring();
  EXPECT_TRUE(done.ok) << done.failures.join(u',').toStdString();
  EXPECT_EQ(ScoreState(), 99);
  EXPECT_EQ(progress.last, 100);

  const ScoringRun* run = CurrentRun();
  ASSERT_TRUE(run->checkMode());
  EXPECT_EQ(run->sheet().red, (std::array<bool, 6>{}));
  EXPECT_EQ(run->sheet().Text6, QStringLiteral("120"));
  EXPECT_EQ(run->sheet().Text9, QStringLiteral("97.56"));
  EXPECT_EQ(run->sheet().Text11, QStringLiteral("23.4"));
  EXPECT_EQ(run->sheet().Text5A, QStringLiteral("05"));
  EXPECT_EQ(run->sheet().Text5B, QStringLiteral("00"));
  EXPECT_EQ(run->sheet().TEXT4B, QStringLiteral("T01"));

  // The score record.
  QList<ScoreRecord> records;
  ASSERT_TRUE(ReadScoreRecordFile(At("A123.R01"), records));
  ASSERT_EQ(records.size(), 1);
  EXPECT_EQ(records[0].testNumber, 1);
  EXPECT_EQ(records[0].name, QStringLiteral("王小明"));
  EXPECT_EQ(records[0].duration, QStringLiteral("05:00"));
  EXPECT_EQ(records[0].results, (std::array<float, 6>{120, 3, 117, 97.56f, 2.44f, 23.4f}));
  EXPECT_EQ(records[0].answerFile, At("A123.T01"));
  EXPECT_EQ(records[0].scoredAt, QStringLiteral("2026/03/05 上午 09:05:30"));
  EXPECT_EQ(plat::cp950Length(records[0].scoredAt), 24);

  // The report in the answer file.
  QStringList report;
  ASSERT_TRUE(plat::readTextLines(At("A123.T01"), report));
  EXPECT_EQ(report[0], QStringLiteral("產品:Tavrel[1.0.0]"));
  EXPECT_EQ(report[1], QStringLiteral("第1次"));
  EXPECT_EQ(report[2], QStringLiteral("姓名:王小明") + QString(17, u' '));
  EXPECT_TRUE(report.contains(QStringLiteral("證號:A123456789")));
  EXPECT_TRUE(report.contains(QStringLiteral("時間:05:00")));
  EXPECT_TRUE(report.contains(QStringLiteral("正確率:97.56％")));
  EXPECT_TRUE(report.contains(QStringLiteral("速度:23.4")));
  EXPECT_GT(report.size(), 16);  // the listing follows

  // The result line.
  const QString resultFile = At("A123_03050101.Sco");
  EXPECT_EQ(ResultFileName(), resultFile);
  QStringList line;
  ASSERT_TRUE(plat::readTextLines(resultFile, line));
  ASSERT_EQ(line.size(), 1);
  EXPECT_EQ(line[0].count(u'|'), 24);
  EXPECT_TRUE(line[0].startsWith(QStringLiteral("RudaZO__|Nuvo|")));
  EXPECT_TRUE(line[0].endsWith(QStringLiteral("|97.56|2.44|117|3|120|10.1.2.3|pc7|2026/03/05 上午 09:05:30|注音|")));

  // Work files: the listing is gone, the marked lines have their copy.
  EXPECT_FALSE(QFileInfo::exists(ReportWorkFile()));
  // Every test character was typed: no marked lines, no copy.
  EXPECT_EQ(MarkedLinesFileName(), At("A123.E01"));
  EXPECT_FALSE(QFileInfo::exists(At("A123.E01")));
}

// Every hand-worked record as a record file that carries its own expected
// results: check mode must flag nothing.
TEST_F(ScorerRun, HandWorkedRecordsPassTheirOwnCheck) {
  for (const handworked::Fixture& f : handworked::kFixtures) {
    SCOPED_TRACE(f.name);
    WriteLines(At("T01.txt"), f.test);
    const handworked::Expected& e = f.expect;
    QStringList expected;
    for (float v : {e.correct, e.errors, e.net, e.accuracy, e.errorRate, e.speed})
      expected << plat::NumberText(double(v), 7);
    const QString rec = WriteRecord(f.typed, {QStringLiteral("[開始時間]=") + plat::NumberText(f.start),
                                              QStringLiteral("[終止時間]=") + plat::NumberText(f.end),
                                              QStringLiteral("[錯誤經驗]=") + expected.join(u',')});
    ASSERT_TRUE(xZet_LoadData(rec).ok);
    ProcessScoring();
    ASSERT_TRUE(CurrentRun()->checkMode());
    EXPECT_EQ(CurrentRun()->sheet().red, (std::array<bool, 6>{}));
    QList<ScoreRecord> records;
    ASSERT_TRUE(ReadScoreRecordFile(At("A123.R01"), records));
    EXPECT_EQ(records.last().results, (std::array<float, 6>{e.correct, e.errors, e.net, e.accuracy, e.errorRate, e.speed}));
  }
}

TEST_F(ScorerRun, UndecodableBytesAndOddLinesStillScore) {
  WriteLines(At("T01.txt"), {QStringLiteral("ABCDEFGHIJ")});
  QByteArray bytes = plat::toCp950(QStringLiteral("[測驗檔名]=") + At("T01.txt")) + "\r\n";
  bytes += QByteArray("AB\xC8\x7F\xFF", 5) + "\r\n" + QByteArray(300, 'Z') + "\r\n\r\n";
  QFile f(At("odd.txt"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
  f.close();
  ASSERT_TRUE(xZet_LoadData(At("odd.txt")).ok);
  EXPECT_TRUE(ProcessScoring().ok);
  EXPECT_EQ(ScoreState(), 99);
  EXPECT_EQ(CurrentRun()->tables().typedLineCount, 3);
  EXPECT_FALSE(log.errors.filter(QStringLiteral("undecodable")).isEmpty());
  for (const QString& e : log.errors) EXPECT_FALSE(e.contains(QStringLiteral("內部錯誤"))) << e.toStdString();
}

TEST_F(ScorerRun, CheckModeMarksOnlyResultsThatDiffer) {
  WriteLines(At("T01.txt"), CheckText());
  const QString rec = WriteRecord(CheckTyped(), {QStringLiteral("[錯誤經驗]=120,3,117,97.5609,,23.4")});
  ASSERT_TRUE(xZet_LoadData(rec).ok);
  ProcessScoring();
  // Accuracy differs; the blank error-rate field is not checked.
  EXPECT_EQ(CurrentRun()->sheet().red, (std::array<bool, 6>{false, false, false, true, false, false}));
  ResetScorer();
  const QString plain = WriteRecord(CheckTyped());
  ASSERT_TRUE(xZet_LoadData(plain).ok);
  ProcessScoring();
  EXPECT_FALSE(CurrentRun()->checkMode());
  EXPECT_EQ(CurrentRun()->sheet().red, (std::array<bool, 6>{}));
}

TEST_F(ScorerRun, ExpectedResultsParse) {
  const ExpectedResults e = ParseErrData(QStringLiteral("120,3,117"));
  EXPECT_EQ(e.given, (std::array<bool, 6>{true, true, true, false, false, false}));
  EXPECT_EQ(e.values[2], 117.0f);
  const ExpectedResults f = ParseErrData(QStringLiteral("1,2,3,4,5,6,7"));
  EXPECT_EQ(f.values[5], 6.0f);
}

TEST_F(ScorerRun, WithoutTheWriteSwitchNothingIsWrittenButTheSheetIsFilled) {
  settings.writeFiles = false;
  WriteLines(At("T01.txt"), CheckText());
  ASSERT_TRUE(xZet_LoadData(WriteRecord(CheckTyped())).ok);
  QFile::copy(At("T01.txt"), At("A123.R01"));  // an older score file stays
  EXPECT_TRUE(ProcessScoring().ok);
  EXPECT_FALSE(QFileInfo::exists(At("A123.T01")));
  EXPECT_TRUE(QFileInfo::exists(At("A123.R01")));
  EXPECT_FALSE(QFileInfo::exists(At("A123.E01")));
  EXPECT_EQ(MarkedLinesFileName(), At("A123.E01"));
  EXPECT_EQ(ResultFileName(), At("A123_03050101.Sco"));
  EXPECT_FALSE(QFileInfo::exists(ResultFileName()));
  EXPECT_EQ(CurrentRun()->sheet().Text8, QStringLiteral("117"));
  EXPECT_EQ(ScoreState(), 99);
}

TEST_F(ScorerRun, HeaderRulesLongLinesAndParagraphs) {
  WriteLines(At("T01.txt"), {QStringLiteral("x")});
  const QString sixtyOne(61, u'字');
  const QString rec = WriteRecord({QStringLiteral("[TESTNAME]=x"), QStringLiteral("[檢定姓名]=later"), sixtyOne,
                                   QStringLiteral("　甲"), QStringLiteral("乙"), QString()});
  ASSERT_TRUE(xZet_LoadData(rec).ok);
  const ScoringRun* run = CurrentRun();
  const CompareTables& t = run->tables();
  EXPECT_EQ(run->sheet().Text1, QStringLiteral("王小明"));  // the later key line is typed text
  EXPECT_EQ(t.typedLineCount, 6);
  EXPECT_EQ(t.Line(Side::Typed, 1), QStringLiteral("[TESTNAME]=x"));
  EXPECT_EQ(t.Line(Side::Typed, 3).size(), 60);
  EXPECT_TRUE(log.errors.contains(QStringLiteral("行過長:") + rec));
  EXPECT_EQ(t.lines.Get(4, kTypedParagraph), 1);
  EXPECT_EQ(t.lines.Get(5, kTypedParagraph), 1);
  EXPECT_EQ(t.lines.Get(6, kTypedLength), 0);
}

TEST_F(ScorerRun, ABlankLineEndsTheHeader) {
  WriteLines(At("T01.txt"), {QStringLiteral("x")});
  QStringList l = {QStringLiteral("[測驗檔名]=") + At("T01.txt"), QString(), QStringLiteral("[檢定姓名]=王")};
  WriteLines(At("r.txt"), l);
  ASSERT_TRUE(xZet_LoadData(At("r.txt")).ok);
  EXPECT_TRUE(CurrentRun()->sheet().Text1.isEmpty());
  EXPECT_EQ(CurrentRun()->tables().typedLineCount, 2);
}

TEST_F(ScorerRun, MissingFilesGiveTheMessageAndStateZero) {
  LoadOutcome out = xZet_LoadData(At("none.txt"));
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.missingFile, At("none.txt"));
  EXPECT_EQ(ScoreState(), 0);
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.contains(At("none.txt")));
  // The record is there but its test text is not.
  out = xZet_LoadData(WriteRecord({QStringLiteral("abc")}));
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.missingFile, At("T01.txt"));
  EXPECT_EQ(ScoreState(), 0);
  EXPECT_FALSE(ProcessScoring().ok);
  EXPECT_EQ(ScoreState(), 0);
}

TEST_F(ScorerRun, TestFileBoxOverridesTheRecordsTestFile) {
  WriteLines(At("other.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")}), At("other.txt")).ok);
  EXPECT_EQ(CurrentRun()->sheet().TEXT4, At("other.txt"));
  EXPECT_EQ(CurrentRun()->sheet().TEXT4B, QStringLiteral("other"));
  // Two characters or fewer do not override.
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")}), QStringLiteral("ab")).ok);
  EXPECT_EQ(CurrentRun()->testFileName(), At("T01.txt"));
}

TEST_F(ScorerRun, AnswerFileNamedAfterTheCandidateWhenTheRecordHasNone) {
  settings.setting905 = 1;
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")}, {}, "~T1.txt", false)).ok);
  EXPECT_EQ(AnswerFileName(), data() + QStringLiteral("/王小明.S01"));
  EXPECT_EQ(ScoreFileName(), data() + QStringLiteral("/王小明.R01"));
  // A name that is not a safe file name never leaves the data folder.
  WriteLines(At("r2.txt"), {QStringLiteral("[測驗檔名]=") + At("T01.txt"), QStringLiteral("[檢定姓名]=../../x"),
                            QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(At("r2.txt")).ok);
  EXPECT_TRUE(AnswerFileName().startsWith(data() + u'/'));
  EXPECT_FALSE(AnswerFileName().contains(QStringLiteral("..")));
}

TEST_F(ScorerRun, ScrambledRecordAndTestTextAreReadLineByLine) {
  WriteLines(At("T01.ttt"), {common::ToBinaryScramble(QStringLiteral("ABCDEFGHIJ"))});
  QStringList l = {QStringLiteral("[測驗檔名]=") + At("T01.ttt"), QStringLiteral("[開始時間]=000000"),
                   QStringLiteral("[終止時間]=000120"), QStringLiteral("ABCDXFGHIJ")};
  for (QString& s : l) s = common::ToBinaryScramble(s);
  WriteLines(At("~T012345.T1"), l);
  ASSERT_TRUE(xZet_LoadData(At("~T012345.T1")).ok);
  ProcessScoring();
  EXPECT_EQ(CurrentRun()->results().correct, 9);
  EXPECT_EQ(CurrentRun()->results().speed, 4.3f);
}

TEST_F(ScorerRun, BadAttributeAndTestCountFieldsAreSkippedNotFatal) {
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  const QString rec = WriteRecord({QStringLiteral("abc")}, {QStringLiteral("[系統屬性]=3,1,3,300,0,1,1,3,2"),
                                                           QStringLiteral("[測驗次數]=999")});
  ASSERT_TRUE(xZet_LoadData(rec).ok);
  EXPECT_EQ(common::Setting904.get(), 3);
  EXPECT_EQ(common::Setting908.get(), 2);
  // 測驗次數=1 came first and stays; 999 was logged.
  EXPECT_EQ(common::TestNumber.get(), 1);
  EXPECT_TRUE(log.errors.filter(QStringLiteral("測驗次數")).size() == 1);
}

TEST_F(ScorerRun, FirstTestReplacesTheScoreFileLaterTestsAppend) {
  WriteLines(At("T01.txt"), CheckText());
  {
    QFile f(At("A123.R01"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(504, 'x'));
  }
  ASSERT_TRUE(xZet_LoadData(WriteRecord(CheckTyped())).ok);
  ProcessScoring();
  EXPECT_EQ(QFileInfo(At("A123.R01")).size(), 252);
  ASSERT_TRUE(xZet_LoadData(WriteRecord(CheckTyped(), {QStringLiteral("[測驗次數]=2")})).ok);
  ProcessScoring();
  QList<ScoreRecord> records;
  ASSERT_TRUE(ReadScoreRecordFile(At("A123.R01"), records));
  ASSERT_EQ(records.size(), 2);
  EXPECT_EQ(records[1].testNumber, 2);
}

TEST_F(ScorerRun, AnOldSeriesThatCannotBeDeletedIsToldAndTheFirstTestIsNotAddedToIt) {
  WriteLines(At("T01.txt"), CheckText());
  // The score file stays writable in a folder that is not: a user's folder
  // without write permission, or for root a read-only bind mount.
  QTemporaryDir series;
  const QString score = series.filePath("A123.R01");
  QByteArray old = EncodeScoreRecord(ScoreRecord{}) + EncodeScoreRecord(ScoreRecord{});
  {
    QFile f(score);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(old), old.size());
    ASSERT_TRUE(f.flush());
  }
  const testing_fs::ReadOnlyFolder readOnly(series.path(), {score});
  ASSERT_TRUE(readOnly.ok()) << readOnly.error().toStdString();
  auto run = [&](int testNumber) {
    const QString rec = WriteRecord(
        CheckTyped(), {QStringLiteral("[答案檔案]=") + At("A123.T01"), QStringLiteral("[成績檔案]=") + score},
        "~T012345.txt", false);
    QStringList lines;
    EXPECT_TRUE(plat::readTextLines(rec, lines));
    lines.replaceInStrings(QStringLiteral("[測驗次數]=1"), QStringLiteral("[測驗次數]=%1").arg(testNumber));
    WriteLines(rec, lines);
    EXPECT_TRUE(xZet_LoadData(rec).ok);
    return ProcessScoring();
  };
  const ProcessOutcome first = run(1);
  EXPECT_FALSE(first.ok);
  EXPECT_FALSE(first.failures.filter(score + QStringLiteral(" (舊的成績無法刪除: ")).isEmpty())
      << first.failures.join(u',').toStdString();
  EXPECT_EQ(log.errors.filter(QStringLiteral("無法刪除舊的成績檔,不寫成績紀錄>") + score).size(), 1);
  QByteArray now;
  ASSERT_TRUE(plat::readAllBytes(score, now));
  EXPECT_EQ(now, old);
  // A later test of the series still appends to the same file.
  run(2);
  ASSERT_TRUE(plat::readAllBytes(score, now));
  EXPECT_EQ(now.size(), 3 * kScoreRecordSize);
}

TEST_F(ScorerRun, NeverWritesWhatLooksLikeABatchSummary) {
  WriteLines(At("平均值x.txt"), {QStringLiteral("abc")});
  QStringList l = {QStringLiteral("[測驗檔名]=平均值x.txt"), QStringLiteral("[答案檔案]=") + At("A.T01"),
                   QStringLiteral("[成績檔案]=") + At("A.R01"), QStringLiteral("[測驗次數]=0"), QStringLiteral("abc")};
  WriteLines(At("r.txt"), l);
  // The record names its test file relative to the current folder.
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(work.path());
  const bool loaded = xZet_LoadData(At("r.txt")).ok;
  if (loaded) ProcessScoring();
  QDir::setCurrent(cwd);
  ASSERT_TRUE(loaded);
  EXPECT_FALSE(QFileInfo::exists(At("A.R01")));
  EXPECT_TRUE(QFileInfo::exists(At("A.T01")));
}

TEST_F(ScorerRun, PassMarkZeroesNetAndSpeedFromTheMarkOn) {
  // 19 right, 2 wrong: errors 1, error rate exactly 5.
  WriteLines(At("T01.txt"), {QStringLiteral("ABCDEFGHIJ"), QStringLiteral("KLMNOPQRST"), QStringLiteral("x")});
  const QStringList typed = {QStringLiteral("ABCDXFGHIJ"), QStringLiteral("KLMNXPQRST"), QStringLiteral("x")};
  settings.applyPassMark = true;
  for (int mark : {5, 6}) {
    settings.passMark = float(mark);
    ASSERT_TRUE(xZet_LoadData(WriteRecord(typed)).ok);
    ProcessScoring();
    const Results& r = CurrentRun()->results();
    EXPECT_EQ(r.errorRate, 5.0f);
    EXPECT_EQ(r.net, mark == 5 ? 0.0f : 18.0f);
    EXPECT_EQ(r.speed, mark == 5 ? 0.0f : 3.6f);
  }
  // The characters not typed, one test line a line, beside the answer file.
  QStringList marked;
  ASSERT_TRUE(plat::readTextLines(At("A123.E01"), marked));
  EXPECT_EQ(marked, (QStringList{QStringLiteral("E"), QStringLiteral("O")}));
}

TEST_F(ScorerRun, DurationRoundsTheSecondsFirst) {
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  struct Case {
    const char* start;
    const char* end;
    const char16_t* mm;
    const char16_t* ss;
  } cases[] = {{"0", "125", u"02", u"05"}, {"0", "59.6", u"01", u"00"}, {"0", "605", u"10", u"05"},
               {"86340", "60", u"02", u"00"}};
  for (const Case& c : cases) {
    const QString rec = WriteRecord({QStringLiteral("abc")}, {QStringLiteral("[開始時間]=") + QString::fromLatin1(c.start),
                                                             QStringLiteral("[終止時間]=") + QString::fromLatin1(c.end)});
    ASSERT_TRUE(xZet_LoadData(rec).ok);
    ProcessScoring();
    EXPECT_EQ(CurrentRun()->sheet().Text5A, QString::fromUtf16(c.mm)) << c.end;
    EXPECT_EQ(CurrentRun()->sheet().Text5B, QString::fromUtf16(c.ss)) << c.end;
  }
}

TEST_F(ScorerRun, ASecondRecordKeepsNothingOfTheFirst) {
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")}, {QStringLiteral("[班級座號]=3-05")})).ok);
  ProcessScoring();
  EXPECT_EQ(CurrentRun()->sheet().Text15, QStringLiteral("3-05"));
  WriteLines(At("r2.txt"), {QStringLiteral("[測驗檔名]=") + At("T01.txt"), QStringLiteral("[身分證號]=B2"),
                            QStringLiteral("abd")});
  ASSERT_TRUE(xZet_LoadData(At("r2.txt")).ok);
  EXPECT_TRUE(CurrentRun()->sheet().Text15.isEmpty());
  EXPECT_TRUE(CurrentRun()->sheet().Text1.isEmpty());
  EXPECT_NE(AnswerFileName(), At("A123.T01"));
  EXPECT_EQ(CurrentRun()->endTime(), 0.0f);
}

TEST_F(ScorerRun, AStaleMarkedLinesFileIsNeverCopied) {
  WriteLines(MarkedLinesWorkFile(), {QStringLiteral("stale")});
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")})).ok);
  ProcessScoring();
  EXPECT_FALSE(QFileInfo::exists(At("A123.E01")));
  EXPECT_FALSE(QFileInfo::exists(MarkedLinesWorkFile()));
}

TEST_F(ScorerRun, AFailedWriteStillLeavesTheResultsAndTheDoneState) {
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  const QString rec = WriteRecord({QStringLiteral("abc")}, {QStringLiteral("[成績檔案]=") + work.path() +
                                                           QStringLiteral("/no/such/folder/A.R01")});
  ASSERT_TRUE(xZet_LoadData(rec).ok);
  const ProcessOutcome out = ProcessScoring();
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(ScoreState(), 99);
  EXPECT_EQ(CurrentRun()->results().correct, 3);
  EXPECT_TRUE(QFileInfo::exists(At("A123.T01")));
}

TEST_F(ScorerRun, CleanUpAfterUseKeepsScoreFilesWhoseDeliveryFailed) {
  WriteLines(program.filePath("K.R01"), {QStringLiteral("x")});
  WriteLines(program.filePath("~T000001.txt"), {QStringLiteral("x")});
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")})).ok);
  ProcessScoring();
  CleanUpAfterRun(true);
  EXPECT_TRUE(QFileInfo::exists(program.filePath("K.R01")));
  EXPECT_FALSE(QFileInfo::exists(program.filePath("~T000001.txt")));
  CleanUpAfterRun(false);
  EXPECT_FALSE(QFileInfo::exists(program.filePath("K.R01")));
  // From the setting-306th test on nothing is cleaned.
  WriteLines(program.filePath("K.R02"), {QStringLiteral("x")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")}, {QStringLiteral("[測驗次數]=2")})).ok);
  CleanUpAfterRun(false);
  EXPECT_TRUE(QFileInfo::exists(program.filePath("K.R02")));
}

TEST_F(ScorerRun, ScorerLogBeginsAnewWithOneLine) {
  WriteCrsError(QStringLiteral("old"));
  WriteCrsError(QStringLiteral("older"));
  WriteCrsError(QString());
  QStringList lines;
  ASSERT_TRUE(plat::readTextLines(CrsErrorPath(), lines));
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0], QStringLiteral("09:05:30>開始> 2026/3/5"));
  WriteCrsError(QStringLiteral("row"));
  ASSERT_TRUE(plat::readTextLines(CrsErrorPath(), lines));
  EXPECT_EQ(lines.last(), QStringLiteral("09:05:30>row"));
}

TEST_F(ScorerRun, ScoreStateStoresBelow250Only) {
  EXPECT_EQ(ScoreState(99), 99);
  EXPECT_EQ(ScoreState(250), 99);
  EXPECT_EQ(ScoreState(255), 99);
  EXPECT_EQ(ScoreState(120), 120);
}

TEST_F(ScorerRun, ReturnToTypingProgramStartsTheRightProgramWithOneArgument) {
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")})).ok);
  common::SettingsBase.set(work.path() + QStringLiteral("/Tavrel"));
  ReturnToTypingProgram(2);
  EXPECT_TRUE(launcher.calls.isEmpty());  // not installed: nothing happens
  for (const QString& exe : {At("Tavrel"), program.filePath("Tallisk")}) {
    WriteLines(exe, {QStringLiteral("#!/bin/sh")});
    QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner);
  }
  ReturnToTypingProgram(2);
  ReturnToTypingProgram(0);
  ASSERT_EQ(launcher.calls.size(), 2);
  EXPECT_EQ(launcher.calls[0].program.toStdString(), At("Tavrel").toStdString());
  EXPECT_EQ(launcher.calls[0].arguments, QStringList{At("~T012345.txt") + u',' + At("A123.R01") + QStringLiteral(",123")});
  EXPECT_EQ(launcher.calls[1].program, program.filePath("Tallisk"));
  EXPECT_EQ(launcher.calls[1].arguments, QStringList{At("~T012345.txt") + u',' + work.path() + QStringLiteral("/Tavrel")});
  EXPECT_TRUE(log.errors.filter(QStringLiteral("正在返回打字的程式>")).size() == 2);
}

TEST_F(ScorerRun, PrintSendsTheReportLineByLineAndReportsPrinterErrors) {
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")})).ok);
  Test_Print();  // no report yet
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.contains(At("A123.T01")));
  ProcessScoring();
  Test_Print();
  ASSERT_EQ(printer.docs.size(), 1);
  EXPECT_EQ(printer.docs[0], CurrentRun()->reportLines());
  EXPECT_EQ(printer.ended, 1);
  texts[13962] = QStringLiteral("印表機錯誤");
  settings.score.text = [this](int id) { return texts.value(id); };
  common::SystemIniValue(13962, QStringLiteral("印表機錯誤"));
  printer.failAtLine = 2;
  Test_Print();
  EXPECT_EQ(prompt.calls.last().text, QStringLiteral("印表機錯誤"));
  EXPECT_TRUE(log.errors.last().startsWith(QStringLiteral("內部錯誤發生於檔案 Test_Print 的 >482")));
}

TEST_F(ScorerRun, RecordListSummarisesHeadersOnly) {
  common::SystemIniValue(13901, QStringLiteral("測驗檔名"));
  common::SystemIniValue(13904, QStringLiteral("檢定姓名"));
  common::SystemIniValue(13905, QStringLiteral("檢定生日"));
  common::SystemIniValue(13906, QStringLiteral("身分證號"));
  common::SystemIniValue(13911, QStringLiteral("測驗次數"));
  WriteRecord({QStringLiteral("abc"), QStringLiteral("[檢定姓名]=typed")}, {}, "~T000001.txt");
  WriteLines(At("~T000002.TXT"), {QStringLiteral("[測驗檔名]=C:\\T\\T02.txt"), QStringLiteral("[測驗次數]=02")});
  const QStringList entries = ScanTestRecordFiles(work.path() + QStringLiteral("/~T*.txt"));
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries[0], QStringLiteral("T01.txt-王小明-1990/5/3-A123456789-1-~T000001.txt"));
  EXPECT_EQ(entries[1], QStringLiteral("T02.txt----2-~T000002.TXT"));
  EXPECT_TRUE(ScanTestRecordFiles(work.path() + QStringLiteral("/~Q*.txt")).isEmpty());
}

TEST_F(ScorerRun, CopyToARemovableDriveOrCancel) {
  WriteLines(At("T01.txt"), CheckText());
  ASSERT_TRUE(xZet_LoadData(WriteRecord(CheckTyped())).ok);
  settings.writeFiles = true;
  ProcessScoring();
  seams.Set(SetDriveSource, [] { return QStringList(); });
  prompt.answers = {plat::Answer::Cancel};
  EXPECT_EQ(CopyTestRecordFiles(), 0);
  EXPECT_EQ(prompt.calls.last().buttons, plat::Buttons::RetryCancel);

  QTemporaryDir stick;
  int asked = 0;
  seams.Set(SetDriveSource, [&] { return asked++ == 0 ? QStringList() : QStringList{stick.path()}; });
  prompt.answers = {plat::Answer::Retry};
  EXPECT_EQ(CopyTestRecordFiles(), 1);
  for (const char* name : {"A123.T01", "A123.E01", "A123.R01", "A123_03050101.Sco"})
    EXPECT_EQ(QFileInfo::exists(QDir(stick.path()).filePath(QString::fromLatin1(name))),
              QFileInfo::exists(At(QString::fromLatin1(name))))
        << name;
  EXPECT_TRUE(QFileInfo::exists(QDir(stick.path()).filePath("A123.R01")));
  EXPECT_FALSE(QFileInfo::exists(QDir(stick.path()).filePath("Err")));
  EXPECT_EQ(CheckDriveWritable(1), QString());
}

TEST(RunFiles, CopyAndScoreNamesChangeTheThirdCharacterFromTheEnd) {
  EXPECT_EQ(WithThirdFromEnd(QStringLiteral("D:\\X\\K01.T05"), u'E'), QStringLiteral("D:\\X\\K01.E05"));
  EXPECT_EQ(WithThirdFromEnd(QStringLiteral("/d/111.S01"), u'R'), QStringLiteral("/d/111.R01"));
  EXPECT_EQ(WithThirdFromEnd(QStringLiteral("ab"), u'R'), QStringLiteral("ab"));
}

TEST(RuntimeFileError, ErrnoValuesMapToTheRuntimeNumbers) {
  EXPECT_EQ(RuntimeFileError(ENOSPC), 61);
  EXPECT_EQ(RuntimeFileError(ENODEV), 68);
  EXPECT_EQ(RuntimeFileError(EACCES), 70);
  EXPECT_EQ(RuntimeFileError(EROFS), 70);
  EXPECT_EQ(RuntimeFileError(ENOMEDIUM), 71);
  EXPECT_EQ(RuntimeFileError(ENOENT), 53);
  EXPECT_EQ(RuntimeFileError(EIO), 75);
}

namespace {

bool Logged(const QStringList& lines, const QString& part) {
  for (const QString& l : lines)
    if (l.contains(part)) return true;
  return false;
}

}  // namespace

namespace {
int NoLocks(int, int) {
  errno = ENOLCK;
  return -1;
}
}  // namespace

// The data folder on a mount without a lock service: the score record is
// written all the same, and the log says it went without the lock.
TEST_F(ScorerRun, WithoutLocksTheScoreRecordIsWrittenAndTheLogSaysSo) {
  WriteLines(At("T01.txt"), {QStringLiteral("ABCDEFGHIJ")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("ABCDXFGHIJ")})).ok);
  seams.Set(plat::SetFlockFunction, &NoLocks);
  const ProcessOutcome out = ProcessScoring();
  plat::SetFlockFunction(nullptr);
  EXPECT_TRUE(out.ok) << out.failures.join(u'\n').toStdString();
  QList<ScoreRecord> records;
  ASSERT_TRUE(ReadScoreRecordFile(At("A123.R01"), records));
  EXPECT_EQ(records.size(), 1);
  EXPECT_TRUE(Logged(log.errors, QStringLiteral("成績檔無法上鎖,不加鎖寫入>") + At("A123.R01")))
      << log.errors.join(u'\n').toStdString();
  EXPECT_FALSE(Logged(log.errors, QStringLiteral("無法寫入成績檔")));
}

// Another account's ~TEMP.Dat that this run can neither remove nor replace
// (here: on a read-only tmpfs) is never copied as this candidate's marks.
TEST_F(ScorerRun, AWorkFileThatCouldNotBeWrittenIsNeverCopiedAsTheMarks) {
  testing_support::FullDisk tmp;
  ASSERT_TRUE(tmp.Ok());
  if (!tmp.Mounted()) GTEST_SKIP() << "needs a read-only file system of its own (tmpfs, as root)";
  qputenv("TMP", tmp.Path().toLocal8Bit());
  WriteLines(MarkedLinesWorkFile(), {QStringLiteral("another run's marks")});
  ASSERT_TRUE(tmp.MakeReadOnly());
  WriteLines(At("T01.txt"), {QStringLiteral("ABCDEFGHIJ")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("ABCDXFGHIJ")})).ok);
  const ProcessOutcome out = ProcessScoring();
  EXPECT_FALSE(out.ok);
  EXPECT_FALSE(QFileInfo::exists(At("A123.E01")));
  ASSERT_FALSE(out.failures.isEmpty());
  // The file and the reason the system gave, in words a desk reads.
  EXPECT_TRUE(Logged(out.failures, MarkedLinesWorkFile() + u' ' + plat::systemReason(EROFS)))
      << out.failures.join(u'\n').toStdString();
  EXPECT_TRUE(Logged(log.errors, QStringLiteral("ProcessScoring 未能寫入>") + MarkedLinesWorkFile()));
  EXPECT_FALSE(Logged(log.errors, QStringLiteral("成績出來正常")));
}

// The data folder on a full disk: the report, the score record and the
// result line each fail with the system's reason, the earlier files stay
// as they were, and the log never says the scores came out.
TEST_F(ScorerRun, AFullDataFolderKeepsTheEarlierFilesAndNamesEachFailure) {
  testing_support::FullDisk disk;
  ASSERT_TRUE(disk.Ok());
  SCOPED_TRACE(disk.Kind().toStdString());
  const QString answer = disk.Path() + QStringLiteral("/A123.T02");
  const QString score = disk.Path() + QStringLiteral("/A123.R01");
  const QString result = disk.Path() + QStringLiteral("/A123_03050202.Sco");
  // Sixteen records fill the score file's page: the next one needs a new one.
  const QByteArray records(16 * 252, 'r');
  ASSERT_TRUE(plat::writeBytesAtomic(score, records));
  ASSERT_TRUE(plat::writeBytesAtomic(result, "earlier line\r\n"));
  ASSERT_TRUE(plat::writeBytesAtomic(answer, "earlier report\r\n"));
  ASSERT_TRUE(disk.Fill());
  WriteLines(At("T01.txt"), {QStringLiteral("abc")});
  ASSERT_TRUE(xZet_LoadData(WriteRecord({QStringLiteral("abc")},
                                        {QStringLiteral("[答案檔案]=") + answer, QStringLiteral("[成績檔案]=") + score,
                                         QStringLiteral("[測驗次數]=2")},
                                        "~T012345.txt", false))
                  .ok);
  const ProcessOutcome out = ProcessScoring();
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(ScoreState(), 99);  // the results stand on the sheet
  const QString full = plat::systemReason(ENOSPC);
  for (const QString& file : {answer, score, result})
    EXPECT_TRUE(Logged(out.failures, file)) << file.toStdString() << "\n" << out.failures.join(u'\n').toStdString();
  EXPECT_TRUE(Logged(out.failures, full));
  QByteArray bytes;
  ASSERT_TRUE(plat::readAllBytes(answer, bytes));
  EXPECT_EQ(bytes, QByteArray("earlier report\r\n"));
  ASSERT_TRUE(plat::readAllBytes(result, bytes));
  EXPECT_EQ(bytes, QByteArray("earlier line\r\n"));
  ASSERT_TRUE(plat::readAllBytes(score, bytes));
  EXPECT_EQ(WholeRecordCount(bytes.size()), 16);
  EXPECT_EQ(bytes.left(16 * 252), records);
  EXPECT_TRUE(Logged(log.errors, QStringLiteral("ProcessScoring 未能寫入>") + score));
  EXPECT_FALSE(Logged(log.errors, QStringLiteral("成績出來正常")));
}

// What a full disk left before writes were checked: a record of 0 bytes.
TEST_F(ScorerRun, AnEmptyRecordIsNamedAndNotScored) {
  const QString rec = At("~T045310.txt");
  ASSERT_TRUE(plat::writeBytesAtomic(rec, QByteArray()));
  const LoadOutcome out = xZet_LoadData(rec);
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.missingFile, rec);
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.contains(QStringLiteral("測驗記錄 ") + rec + QStringLiteral(" 沒有測驗檔名")))
      << prompt.calls[0].text.toStdString();
  EXPECT_TRUE(Logged(log.errors, rec));
}
