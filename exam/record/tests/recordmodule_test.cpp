#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/scramble.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/random.h"
#include "exam/record/recordmodule.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace rec;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

QByteArray Bytes(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return f.readAll();
}

void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(bytes);
}

void PutLines(const QString& path, const QStringList& lines) {
  QByteArray b;
  for (const QString& l : lines) b += plat::toCp950(l) + "\r\n";
  Put(path, b);
}

QString Data(const char* name) { return QStringLiteral(TEST_DATA_DIR "/") + name; }

class RecordModule : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    folder = dir.path() + u'/';
    oldTmp = qgetenv("TMP");
    qputenv("TMP", (folder + "tmp").toUtf8());
    QDir().mkpath(folder + "tmp");
    common::ResetCommonState();
    plat::SetProgramFolder(folder);
    common::SeedSettingDefaults();
    common::ProgramFolder.set(folder);
    common::SettingsBase.set(folder + "Tavrel");
    seams.Set(plat::SetClock, &clock);
    seams.Set(plat::SetLauncher, &launcher);
    seams.Set(plat::SetPrompt, &prompt);
    m.OwnProgramName = "Tavrel";
    m.VersionNumbers = "1.0.0";
  }
  void TearDown() override {
    plat::SetProgramFolder(QString());
    qputenv("TMP", oldTmp);
    common::ResetCommonState();
  }

  // The run behind tests/data/record_golden.txt.
  void GoldenRun(SetupValues& s, ProcessingNames& n) {
    s.testFile = "/opt/tavrel/Data/T0001.txt";
    s.name = U("許功蓋");
    s.identity = "A123456789";
    s.classSeat = U("三年四班 12");
    s.birthYear = "1990";
    s.birthMonth = "05";
    s.birthDay = "03";
    s.count = "1";
    s.minutes = "10";
    s.imeName = U("注音");
    n.recordPath = "/tmp/~T045310.txt";
    n.resultName = U("/opt/tavrel/Data/許功蓋.S01");
    common::Setting904.set(0);
    common::Setting305.set(1);
    common::PartChoice.set(1);
    common::Setting208.set(1);
    common::Setting701.set(1);
    common::Setting281.set(1);
    common::Setting705.set(1);
    common::Setting704.set(3);
    common::Setting908.set(1);
    common::AssignedPath.set(U("/srv/成績"));
    common::AssignedHost.set("127.0.0.1");
    m.SetTestTimes(45310.4, 45910.6);
    m.lines.AnswerLines[0] = U("　天地玄黃，宇宙洪荒。");
    m.lines.AnswerLines[2] = U("日月盈昃，辰宿列張。");
    m.lines.AnswerLines[5] = U(" 寒來暑往|秋收冬藏 end\\");
  }

  QString Log() { return plat::fromCp950(Bytes(folder + "ZetError.Txt")); }

  QTemporaryDir dir;
  QString folder;
  QByteArray oldTmp;
  plat::FakeClock clock;
  plat::FakeLauncher launcher;
  plat::FakePrompt prompt;
  TestRecordModule m;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

// ---------------------------------------------------------------------------
// Test text and audio parts

TEST_F(RecordModule, LoadTestTextFillsAtMost241LinesWithParagraphNumbers) {
  QStringList text = {U("標題   "), U("　第一段"), U("續"), U(" 第二段")};
  for (int i = text.size(); i < 300; ++i) text << QStringLiteral("line%1").arg(i + 1);
  PutLines(folder + "T0001.txt", text);
  m.lines.AnswerLines[3] = "old";
  m.lines.FirstVisibleLine = 9;
  m.LoadTestText(folder + "T0001.txt", SetupValues());
  EXPECT_EQ(m.lines.LineCount, 240);
  EXPECT_EQ(m.lines.ModelLines[0], U("標題"));
  EXPECT_EQ(m.lines.ModelLines[240], "line241");
  EXPECT_EQ(m.lines.ParagraphCount, 2);
  EXPECT_EQ(m.lines.ParagraphNumbers[0], 0);
  EXPECT_EQ(m.lines.ParagraphNumbers[1], 1);
  EXPECT_EQ(m.lines.ParagraphNumbers[2], 1);
  EXPECT_EQ(m.lines.ParagraphNumbers[3], 2);
  EXPECT_EQ(m.lines.AnswerLines[3], QString());
  EXPECT_EQ(m.lines.FirstVisibleLine, 0);
  EXPECT_EQ(m.TestFilePath, folder + "T0001.txt");

  // A short text: LineCount is the number of lines.
  PutLines(folder + "T0002.txt", {"a", "b", "c"});
  m.LoadTestText(folder + "T0002.txt", SetupValues());
  EXPECT_EQ(m.lines.LineCount, 3);

  // Scrambled by the name rule, written by the shared scrambler.
  PutLines(folder + "plain.txt", {U("　許功蓋"), "x"});
  ASSERT_TRUE(common::ScrambleFile(folder + "plain.txt", folder + "T0003.ttt"));
  m.LoadTestText(folder + "T0003.ttt", SetupValues());
  EXPECT_EQ(m.lines.ModelLines[0], U("　許功蓋"));
  EXPECT_EQ(m.lines.ParagraphCount, 1);

  EXPECT_THROW(m.LoadTestText(folder + "none.txt", SetupValues()), common::AppError);
}

TEST_F(RecordModule, AudioPartNames) {
  PutLines(folder + "Data/T0001.txt", {U("　一"), U("　二"), U("　三")});
  Put(folder + "Data/T0001A-01.mp3", "");
  Put(folder + "Data/T0001-01.ogg", "");
  const QString d = folder + "Data/";
  struct Case {
    bool a, b;
    const char* s707;
    const char* e4447;
    QString base;
  } cases[] = {
      {true, false, "", "", d + "T0001A-.mp3"},      // found beside the test
      {false, true, "", "", d + "T0001B-.wma"},      // nothing found: wma
      {false, false, "", "", d + "T0001-.ogg"},      // no part letter
      {true, false, "wav", "", d + "T0001A-.wav"},   // setting 707 skips the probe
      {false, true, "", "/x/y-.au", "/x/y-.au"},     // store entry 4447
  };
  common::Setting701.set(1);
  for (const Case& c : cases) {
    common::Setting707.set(QString::fromUtf8(c.s707));
    common::SystemIniValue(4447, QString::fromUtf8(c.e4447));
    if (!*c.s707) common::ApplySetting(707, QString());
    if (!*c.e4447) common::ApplySetting(4447, QString());
    SetupValues s;
    s.option5 = c.a;
    s.option6 = c.b;
    m.LoadTestText(d + "T0001.txt", s);
    EXPECT_EQ(m.AudioBase, c.base);
  }
  common::ApplySetting(707, QString());
  common::ApplySetting(4447, QString());
  SetupValues s;
  s.option5 = true;
  m.LoadTestText(d + "T0001.txt", s);
  EXPECT_EQ(m.ParagraphAudioFile(3), d + "T0001A-03.mp3");
  EXPECT_EQ(m.ParagraphAudioFile(1), d + "T0001A-01.mp3");
  EXPECT_EQ(m.ParagraphAudioFile(0), "ZZZZZZZZ.ZZZ");
  EXPECT_EQ(m.ParagraphAudioFile(4), "ZZZZZZZZ.ZZZ");
  EXPECT_TRUE(Log().contains("7>" + d + "T0001A-.mp3"));
  common::Setting701.set(0);
  EXPECT_EQ(m.ParagraphAudioFile(1), QString());
}

TEST_F(RecordModule, RandomTestFilesAreFoundInAnyCaseAndPickedBySeed) {
  Put(folder + "Tests/T01.txt", "");
  Put(folder + "Tests/t02.TXT", "");
  Put(folder + "Tests/T03.txt", "");
  Put(folder + "Tests/X04.txt", "");
  plat::FakeRandom rnd({0.0, 0.5, 0.99});
  seams.Set(plat::SetRandom, &rnd);
  const QString pat = folder + "Tests/T*.txt";
  EXPECT_EQ(TestRecordModule::PickRandomTestFile(pat), "T01.txt");
  EXPECT_EQ(TestRecordModule::PickRandomTestFile(pat), "t02.TXT");
  EXPECT_EQ(TestRecordModule::PickRandomTestFile(pat), "T03.txt");
  EXPECT_EQ(TestRecordModule::PickRandomTestFile(folder + "Tests/Q*.txt"), QString());
  EXPECT_EQ(TestRecordModule::PickRandomTestFile(folder + "nowhere/T*.txt"), QString());

  // The test folder setting, with its doubled separator, comes first.
  plat::FakeRandom zero({0.0, 0.0, 0.0, 0.0});
  seams.Set(plat::SetRandom, &zero);
  common::ApplySetting(210, folder + "Tests//");
  EXPECT_EQ(m.ResolveTestDataPath(), folder + "Tests/T01.txt");
  // Nothing there: the program folder.
  common::ApplySetting(210, folder + "Empty");
  QDir().mkpath(folder + "Empty");
  Put(folder + "T09.txt", "");
  EXPECT_EQ(m.ResolveTestDataPath(), folder + "T09.txt");
  QFile::remove(folder + "T09.txt");
  EXPECT_EQ(m.ResolveTestDataPath(), QString());
}

// ---------------------------------------------------------------------------
// The record

TEST_F(RecordModule, WriteSessionFileReproducesTheGoldenRecord) {
  SetupValues s;
  ProcessingNames n;
  GoldenRun(s, n);
  const QString out = folder + "tmp/~T045310.txt";
  m.WriteSessionFile(out, s, n);
  EXPECT_EQ(Bytes(out), Bytes(Data("record_golden.txt")));
  EXPECT_EQ(m.ScoreFilePath, U("/opt/tavrel/Data/許功蓋.R01"));
  EXPECT_TRUE(Log().contains(U("儲存所有資料,準備往處理成績...")));
}

TEST_F(RecordModule, EmptyBirthdayStaysEmptyAndTheScoreFileRule) {
  clock.Set(QDateTime(QDate(2026, 3, 5), QTime(10, 0)));
  SetupValues s;
  ProcessingNames n;
  n.recordPath = folder + "tmp/~T000001.txt";
  n.resultName = folder + "T0001.S00";
  // No birthday given: the score sheet must not show today as one.
  m.WriteSessionFile(n.recordPath, s, n);
  EXPECT_EQ(s.birthYear, "");
  EXPECT_EQ(s.birthMonth, "");
  EXPECT_EQ(s.birthDay, "");
  TestRecordContent c;
  ASSERT_TRUE(ReadTestRecordFile(n.recordPath, c));
  EXPECT_TRUE(c.Has(RecordKey::BIRTHDAY));
  EXPECT_EQ(c.Value(RecordKey::BIRTHDAY), "");
  // A birthday begun gets today's parts where its boxes are empty.
  s.birthYear = "1990";
  m.WriteSessionFile(n.recordPath, s, n);
  EXPECT_EQ(s.birthMonth, "03");
  EXPECT_EQ(s.birthDay, "05");
  ASSERT_TRUE(ReadTestRecordFile(n.recordPath, c));
  EXPECT_EQ(c.Value(RecordKey::BIRTHDAY), "1990/3/5");
  s = SetupValues();
  EXPECT_EQ(c.Value(RecordKey::SCORNAME), folder + "T0001.R00");
  EXPECT_FALSE(c.Has(RecordKey::CLASSDAT));
  EXPECT_FALSE(c.Has(RecordKey::PATHFILE));  // setting 908 is 0
  EXPECT_TRUE(c.typedLines.isEmpty());

  // A later test of a series keeps the score file it was given.
  s.count = "2";
  m.ScoreFileName("/d/First.R00");
  m.WriteSessionFile(n.recordPath, s, n);
  ASSERT_TRUE(ReadTestRecordFile(n.recordPath, c));
  EXPECT_EQ(c.Value(RecordKey::SCORNAME), "/d/First.R00");

  // A result name too short to hold ".S" is kept as it is, never indexed.
  s.count = "1";
  n.resultName = "ab";
  m.WriteSessionFile(n.recordPath, s, n);
  EXPECT_EQ(m.ScoreFilePath, "ab");
  n.resultName.clear();
  m.WriteSessionFile(n.recordPath, s, n);
  EXPECT_EQ(m.ScoreFilePath, QString());

  // A record that cannot be written is an error for the caller.
  EXPECT_THROW(m.WriteSessionFile(folder + "no/such/~T1.txt", s, n), common::AppError);
}

TEST_F(RecordModule, ReadTestRecordRestoresTheSeriesPlainAndScrambled) {
  for (const char* ext : {".txt", ".ttt"}) {
    SCOPED_TRACE(ext);
    common::ResetCommonState();
    common::SeedSettingDefaults();
    common::ProgramFolder.set(folder);
    SetupValues s;
    ProcessingNames n;
    GoldenRun(s, n);
    common::Setting704.set(700);  // a 16-bit value must come back too
    m.lines.AnswerLines[1] = U("[成績檔案]=/evil");
    const QString path = folder + "tmp/~T045310" + ext;
    m.WriteSessionFile(path + ".plain", s, n);
    if (QString(ext) == ".ttt")
      ASSERT_TRUE(common::ScrambleFile(path + ".plain", path));
    else
      ASSERT_TRUE(QFile::rename(path + ".plain", path));

    common::ResetCommonState();
    TestRecordModule back;
    SetupValues r;
    back.ReadTestRecord(path, r);
    EXPECT_EQ(back.RecordFilePath, path);
    EXPECT_EQ(r.testFile, s.testFile);
    EXPECT_EQ(back.TestFilePath, s.testFile);
    EXPECT_EQ(r.name, U("許功蓋"));
    EXPECT_EQ(r.identity, s.identity);
    EXPECT_EQ(r.classSeat, s.classSeat);
    EXPECT_EQ(r.minutes, "10");
    EXPECT_EQ(r.birthYear, "1990");
    EXPECT_EQ(r.birthMonth, "05");
    EXPECT_EQ(r.birthDay, "03");
    EXPECT_EQ(back.ScoreFilePath, U("/opt/tavrel/Data/許功蓋.R01"));
    EXPECT_FLOAT_EQ(back.TestStartTime, 45310.0f);
    EXPECT_FLOAT_EQ(back.TestEndTime, 45911.0f);
    EXPECT_EQ(common::TestNumber.get(), 2);
    EXPECT_EQ(common::AssignedPath.get(), U("/srv/成績"));
    EXPECT_EQ(common::AssignedHost.get(), "127.0.0.1");
    EXPECT_EQ(common::Setting704.get(), 700);
    EXPECT_EQ(common::Setting908.get(), 1);
    EXPECT_EQ(common::PartChoice.get(), 1);
  }
  SetupValues r;
  EXPECT_THROW(m.ReadTestRecord(folder + "missing.txt", r), common::AppError);
  EXPECT_EQ(m.RecordFilePath, folder + "missing.txt");
}

TEST_F(RecordModule, ReadTestRecordFieldRules) {
  struct Case {
    QStringList lines;
    const char *year, *month, *day;
    int testNumber;
  } cases[] = {
      // Not a date, yet it comes back as written so the next record matches.
      {{U("[檢定生日]=2000/2/31"), U("[測驗次數]=3")}, "2000", "02", "31", 4},
      {{U("[檢定生日]=90/1/2")}, "90", "01", "02", 0},
      {{U("[檢定生日]=")}, "", "", "", 0},  // none given: none comes back
      {{U("[測驗次數]=255")}, "", "", "", 249},  // held at the highest the series can have
      {{U("[測驗次數]=abc")}, "", "", "", 1},
  };
  for (const Case& c : cases) {
    common::ResetCommonState();
    PutLines(folder + "r.txt", c.lines);
    SetupValues s;
    m.ReadTestRecord(folder + "r.txt", s);
    EXPECT_EQ(s.birthYear, c.year) << c.lines.join('|').toStdString();
    EXPECT_EQ(s.birthMonth, c.month);
    EXPECT_EQ(s.birthDay, c.day);
    EXPECT_EQ(common::TestNumber.get(), c.testNumber);
  }
  // A blank 成績檔案 leaves the name held; keys the reader does not take back
  // change nothing.
  m.ScoreFileName("/keep.R01");
  PutLines(folder + "r.txt", {U("[成績檔案]=  "), U("[答案檔案]=/x"), U("[指輸入法]=y")});
  SetupValues s;
  m.ReadTestRecord(folder + "r.txt", s);
  EXPECT_EQ(m.ScoreFileName(QString()), "/keep.R01");
}

TEST_F(RecordModule, SystemAttributesOutOfRangeAreSkippedNotFatal) {
  common::Setting904.set(2);
  TestRecordModule::ApplySessionSettings("300,2,3,0,1,0,0,32699,6,77");
  EXPECT_EQ(common::Setting904.get(), 2);  // 300 is no byte: skipped
  EXPECT_EQ(common::Setting305.get(), 2);
  EXPECT_EQ(common::PartChoice.get(), 3);
  EXPECT_EQ(common::Setting208.get(), 0);
  EXPECT_EQ(common::Setting701.get(), 1);
  EXPECT_EQ(common::Setting281.get(), 0);
  EXPECT_EQ(common::Setting704.get(), 32699);
  EXPECT_EQ(common::Setting908.get(), 6);
  EXPECT_TRUE(Log().contains("ApplySessionSettings"));
  TestRecordModule::ApplySessionSettings("1,-4,,x,,,,40000");
  EXPECT_EQ(common::Setting904.get(), 1);
  EXPECT_EQ(common::Setting305.get(), 2);  // negative: skipped
  EXPECT_EQ(common::PartChoice.get(), 0);  // empty field reads 0
  EXPECT_EQ(common::Setting704.get(), 32699);
  TestRecordModule::ApplySessionSettings("");
}

// ---------------------------------------------------------------------------
// End of the test

TEST_F(RecordModule, HandOffScramblesTheRecordUnderItsOwnName) {
  common::SystemIniValue(181, "3");
  SetupValues s;
  ProcessingNames n;
  GoldenRun(s, n);
  s.check1 = kChecked;  // keeps setting 908 at 1
  n.recordPath = NewTestRecordPath(45310.2);
  EXPECT_EQ(n.recordPath, folder + "tmp/~T045310.ttt");
  QString stale = n.recordPath;
  stale[stale.size() - 2] = u'X';
  Put(stale, "left by a crash\r\n");  // must not stop the hand-over

  EXPECT_EQ(m.FinishAndHandOff(n, s), n.recordPath);
  EXPECT_EQ(m.HandOffRecordPath, n.recordPath);
  EXPECT_FALSE(QFileInfo::exists(stale));
  TestRecordContent c;
  ASSERT_TRUE(ReadTestRecordFile(n.recordPath, c));
  EXPECT_EQ(c.Value(RecordKey::USERFILE), n.recordPath);
  EXPECT_EQ(c.Value(RecordKey::USERNAME), U("許功蓋"));
  EXPECT_EQ(c.typedLines.size(), 3);
  EXPECT_FALSE(Bytes(n.recordPath).contains(plat::toCp950(U("測驗檔名")))) << "stored scrambled";
  // Only 使用檔名 differs from the golden scrambled record.
  QList<QByteArray> got = Bytes(n.recordPath).split('\n');
  QList<QByteArray> want = Bytes(Data("record_golden.ttt")).split('\n');
  ASSERT_EQ(got.size(), want.size());
  for (int i = 0; i < got.size(); ++i)
    if (i != 1) {
      EXPECT_EQ(got[i], want[i]) << i;
    }

  // Store 181 off: plain, and no temporary name is ever used.
  common::SystemIniValue(181, "0");
  n.recordPath = NewTestRecordPath(100);
  EXPECT_EQ(n.recordPath, folder + "tmp/~T000100.txt");
  EXPECT_EQ(m.FinishAndHandOff(n, s), n.recordPath);
  EXPECT_TRUE(Bytes(n.recordPath).startsWith(plat::toCp950(U("[測驗檔名]="))));
}

TEST_F(RecordModule, AFailedScrambleHandsOverThePlainCopy) {
  common::SystemIniValue(181, "2");
  SetupValues s;
  ProcessingNames n;
  GoldenRun(s, n);
  n.recordPath = folder + "tmp/~T045310.ttt";
  QDir().mkpath(n.recordPath);  // the scrambled file cannot be made there
  const QString temp = folder + "tmp/~T045310.tXt";
  EXPECT_EQ(m.FinishAndHandOff(n, s), temp);
  TestRecordContent c;
  ASSERT_TRUE(ReadTestRecordFile(temp, c));  // "X" next-to-last reads plain
  EXPECT_EQ(c.Value(RecordKey::USERNAME), U("許功蓋"));
  EXPECT_EQ(c.typedLines.size(), 3);
  EXPECT_TRUE(Log().contains(temp));
  m.StartScorer();
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls[0].arguments, QStringList{temp + "," + folder + "Tavrel"});
}

TEST_F(RecordModule, HandOffWithNoWritableRecordIsAnError) {
  common::SystemIniValue(181, "0");
  SetupValues s;
  ProcessingNames n{folder + "gone/~T000001.txt", folder + "A.S01"};
  EXPECT_THROW(m.FinishAndHandOff(n, s), common::AppError);
  // The system's reason, for the box that names the folder.
  EXPECT_FALSE(m.RecordWriteReason.isEmpty());
  EXPECT_TRUE(m.HandOffRecordPath.isEmpty());
  common::SystemIniValue(181, "3");
  n.recordPath = folder + "gone/~T000001.ttt";
  EXPECT_THROW(m.FinishAndHandOff(n, s), common::AppError);
}

TEST_F(RecordModule, CopyInTheDataFolderMatchesItsNameRule) {
  common::SystemIniValue(181, "3");
  common::SystemIniValue(205, "1");
  common::DataPath.set(folder + "Data");  // created when missing
  SetupValues s;
  ProcessingNames n;
  GoldenRun(s, n);
  n.recordPath = folder + "tmp/~T045310.ttt";
  m.FinishAndHandOff(n, s);
  const QString copy = folder + "Data/~T045310.ttt";
  EXPECT_EQ(Bytes(copy), Bytes(n.recordPath));
  TestRecordContent c;
  ASSERT_TRUE(ReadTestRecordFile(copy, c));
  EXPECT_EQ(c.Value(RecordKey::USERNAME), U("許功蓋"));

  common::SystemIniValue(181, "0");
  n.recordPath = folder + "tmp/~T045311.txt";
  m.FinishAndHandOff(n, s);
  EXPECT_EQ(Bytes(folder + "Data/~T045311.txt"), Bytes(n.recordPath));

  // A copy that cannot be made never stops the hand-over.
  common::DataPath.set(folder + "tmp/~T045311.txt/sub");
  n.recordPath = folder + "tmp/~T045312.txt";
  EXPECT_EQ(m.FinishAndHandOff(n, s), n.recordPath);
}

TEST_F(RecordModule, HandOffCarriesTheSetupChoicesIntoTheSettings) {
  common::SystemIniValue(181, "0");
  const QString ini = folder + "Tavrel.Ini";
  PutLines(ini, {"908,x=2", "292,p=/old", "293,h=old"});
  common::SystemIniValue(4499, ini);
  common::AssignedPath.set("/srv/p");
  common::AssignedHost.set("10.0.0.9");

  struct Case {
    int s305, s904, part, s908;
    bool o1, o2, o3, o4, o5, o6, o7;
    int c1, c2;
    int e305, e904, epart, e908, eflag;
  } cases[] = {
      {1, 1, 1, 2, false, true, true, false, false, true, false, kChecked, kChecked, 2, 2, 2, 6, 1},
      {2, 2, 3, 0, true, false, false, true, false, false, true, kUnchecked, kUnchecked, 1, 1, 3, 0, 0},
      {0, 0, 0, 4, true, true, true, true, true, true, true, kChecked, kUnchecked, 0, 0, 0, 4, 0},
      {1, 1, 1, 1, false, false, false, false, false, false, false, kGrayed, kChecked, 1, 1, 1, 1, 0},
  };
  for (const Case& c : cases) {
    common::Setting305.set(c.s305);
    common::Setting904.set(c.s904);
    common::PartChoice.set(c.part);
    common::Setting908.set(c.s908);
    common::RunModeFlag.set(0);
    SetupValues s;
    s.option1 = c.o1, s.option2 = c.o2, s.option3 = c.o3, s.option4 = c.o4;
    s.option5 = c.o5, s.option6 = c.o6, s.option7 = c.o7;
    s.check1 = c.c1, s.check2 = c.c2;
    ProcessingNames n{folder + "tmp/~T000001.txt", folder + "A.S01"};
    m.FinishAndHandOff(n, s);
    EXPECT_EQ(common::Setting305.get(), c.e305);
    EXPECT_EQ(common::Setting904.get(), c.e904);
    EXPECT_EQ(common::PartChoice.get(), c.epart);
    EXPECT_EQ(common::Setting908.get(), c.e908);
    EXPECT_EQ(common::RunModeFlag.get(), c.eflag);
  }
  // The first case ticked both boxes over 2: 292, 293 and 908 were saved.
  PutLines(ini, {"908,x=2", "292,p=/old", "293,h=old"});
  common::Setting908.set(2);
  common::RunModeFlag.set(0);
  SetupValues s;
  s.check1 = s.check2 = kChecked;
  m.FinishAndHandOff({folder + "tmp/~T000002.txt", folder + "A.S01"}, s);
  QString saved = plat::fromCp950(Bytes(ini));
  EXPECT_TRUE(saved.contains("908,x=6")) << saved.toStdString();
  EXPECT_TRUE(saved.contains("/srv/p"));
  EXPECT_TRUE(saved.contains("10.0.0.9"));

  // 4 is left by the boxes but saved with 292 when the flag asks for it.
  PutLines(ini, {"908,x=2", "292,p=/old", "293,h=old"});
  common::Setting908.set(4);
  common::RunModeFlag.set(2);
  m.FinishAndHandOff({folder + "tmp/~T000003.txt", folder + "A.S01"}, s);
  saved = plat::fromCp950(Bytes(ini));
  EXPECT_TRUE(saved.contains("908,x=4")) << saved.toStdString();
  EXPECT_TRUE(saved.contains("/srv/p"));
  EXPECT_TRUE(saved.contains("h=old"));
}

TEST_F(RecordModule, InputMethodIsAskedForOnlyWhenSetting214IsZero) {
  common::SystemIniValue(181, "0");
  int asked = 0;
  m.PrepareImeName = [&](SetupValues& s) {
    ++asked;
    s.imeName = U("倉頡");
  };
  SetupValues s;
  ProcessingNames n{folder + "tmp/~T000001.txt", folder + "A.S01"};
  m.FinishAndHandOff(n, s);
  EXPECT_EQ(asked, 1);
  TestRecordContent c;
  ASSERT_TRUE(ReadTestRecordFile(n.recordPath, c));
  EXPECT_EQ(c.Value(RecordKey::IME_MODE), U("倉頡"));
  common::Setting214.set(1);
  m.FinishAndHandOff(n, s);
  EXPECT_EQ(asked, 1);
}

TEST_F(RecordModule, StartScorerAndRunNextProgramCommandLines) {
  for (const char* p : {"score", "Tallisk", "Tavrel"}) Put(folder + p, "");
  m.HandOffRecordPath = "/tmp/~T045310.ttt";
  m.StartScorer();
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls[0].program, folder + "score");
  EXPECT_EQ(launcher.calls[0].arguments, QStringList{"/tmp/~T045310.ttt," + folder + "Tavrel"});
  EXPECT_EQ(launcher.calls[0].style, plat::WindowStyle::MinimizedFocus);

  m.RecordFilePath = "/tmp/~T045310.ttt";
  m.ScoreFileName("/d/T0001.R00");
  EXPECT_TRUE(m.RunNextProgram(2));
  EXPECT_EQ(launcher.calls[1].program, folder + "Tavrel");
  EXPECT_EQ(launcher.calls[1].arguments, QStringList{"/tmp/~T045310.ttt,/d/T0001.R00,123"});
  EXPECT_EQ(launcher.calls[1].style, plat::WindowStyle::NormalFocus);
  EXPECT_TRUE(m.RunNextProgram(1));
  EXPECT_EQ(launcher.calls[2].arguments, QStringList{"/tmp/~T045310.ttt,/d/T0001.R00"});
  EXPECT_TRUE(m.RunNextProgram(0));
  EXPECT_EQ(launcher.calls[3].program, folder + "Tallisk");
  EXPECT_EQ(launcher.calls[3].arguments, QStringList{"/tmp/~T045310.ttt," + folder + "Tavrel"});
  EXPECT_TRUE(Log().contains(U("正在返回打字的程式>") + folder + "Tallisk.EXE /tmp/~T045310.ttt," + folder + "Tavrel"));

  // A missing program starts nothing.
  QFile::remove(folder + "Tallisk");
  EXPECT_FALSE(m.RunNextProgram(7));
  EXPECT_EQ(launcher.calls.size(), 4);

  launcher.result = false;
  EXPECT_THROW(m.StartScorer(), common::AppError);
  EXPECT_FALSE(m.RunNextProgram(1));
}

TEST_F(RecordModule, RecordPathAndResultNameBase) {
  common::SystemIniValue(181, "2");
  EXPECT_EQ(NewTestRecordPath(3600.4), folder + "tmp/~T003600.ttt");
  // A "," in TMP would split the scorer's command line.
  qputenv("TMP", (folder + "a,b").toUtf8());
  EXPECT_FALSE(NewTestRecordPath(1).contains(u','));
  EXPECT_TRUE(NewTestRecordPath(1).endsWith("/~T000001.ttt"));

  SetupValues s;
  s.name = U("王,小/明");
  s.identity = "../A1";
  s.label7 = "T0001";
  common::Setting905.set(1);
  EXPECT_EQ(ResultNameBase(s), U("王_小_明"));
  common::Setting905.set(2);
  EXPECT_EQ(ResultNameBase(s), "_A1");
  s.identity.clear();
  EXPECT_EQ(ResultNameBase(s), "T0001");
  common::Setting905.set(0);
  s.identity = "A1";
  EXPECT_EQ(ResultNameBase(s), "T0001");
}

TEST_F(RecordModule, TheBoxesFollowTheLayoutSettings) {
  PutLines(folder + "T0001.txt", {U("　一二三四"), U("五六七八")});
  m.LoadTestText(folder + "T0001.txt", SetupValues());
  common::Setting208.set(0);
  common::Setting906.set(2);
  common::Setting907.set(1);
  BoxTexts boxes;
  boxes.boxes[0] = "typed";
  m.ScrollTestLines(kSaveOnly, boxes);
  EXPECT_EQ(m.lines.AnswerLines[0], "typed");
  EXPECT_EQ(boxes.boxes[0], "typed");  // answers only in layout 0
  EXPECT_EQ(boxes.labels[0], U("　一"));
  EXPECT_EQ(boxes.labels[1], U("五"));
  common::Setting208.set(3);
  m.ScrollTestLines(kSaveOnly, boxes);
  EXPECT_EQ(boxes.boxes[8], U("　一二三四"));
  EXPECT_EQ(boxes.boxes[0], "typed");
  m.ClearTestLines(boxes);
  EXPECT_EQ(boxes.boxes[8], QString());
}
