#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/scramble.h"
#include "platform/core/codec.h"
#include "platform/core/textfile.h"
#include "exam/record/testrecord.h"

using namespace rec;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

QByteArray Bytes(const QString& path) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
  return f.readAll();
}

void Put(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

// The values behind tests/data/record_golden.*: a name whose CP950 second
// bytes are "\" (許功蓋), a class with a "|" second byte (四), an answer gap.
TestRecordFields GoldenFields() {
  TestRecordFields f;
  f.testFile = "/opt/tavrel/Data/T0001.txt";
  f.recordPath = "/tmp/~T045310.txt";
  f.answerFile = U("/opt/tavrel/Data/許功蓋.S01");
  f.scoreFile = U("/opt/tavrel/Data/許功蓋.R01");
  f.name = U("許功蓋");
  f.birthday = "1990/5/3";
  f.identity = "A123456789";
  f.classSeat = U("三年四班 12");
  f.startTime = 45310.4;
  f.endTime = 45910.6;
  f.testCount = "1";
  f.testMinutes = "10";
  f.imeName = U("注音");
  f.withAssigned = true;
  f.assignedPath = U("/srv/成績");
  f.assignedHost = "127.0.0.1";
  f.systemAttributes = "0,1,1,1,1,1,1,3,1";
  f.version = U("Tavrel 聽打測驗系統 V2.7[1.0.0]");
  f.typedLines = {U("　天地玄黃，宇宙洪荒。"), U("日月盈昃，辰宿列張。"), U(" 寒來暑往|秋收冬藏 end\\")};
  return f;
}

QString Data(const char* name) { return QStringLiteral(TEST_DATA_DIR "/") + name; }

}  // namespace

TEST(TestRecordWriter, ReproducesTheGoldenRecordsByteForByte) {
  QTemporaryDir dir;
  BuiltRecord b = BuildRecordLines(GoldenFields());
  EXPECT_EQ(b.guardedLines, 0);
  EXPECT_EQ(b.replacedLines, 0);
  const QString plain = dir.filePath("~T045310.txt");
  const QString scr = dir.filePath("~T045310.ttt");
  ASSERT_TRUE(WriteRecordLines(plain, b.lines, false));
  ASSERT_TRUE(WriteRecordLines(scr, b.lines, true));
  EXPECT_EQ(Bytes(plain), Bytes(Data("record_golden.txt")));
  EXPECT_EQ(Bytes(scr), Bytes(Data("record_golden.ttt")));
}

TEST(TestRecordReader, ReadsBothGoldenRecordsFieldForField) {
  for (const char* name : {"record_golden.txt", "record_golden.ttt"}) {
    SCOPED_TRACE(name);
    TestRecordContent c;
    QString err;
    ASSERT_TRUE(ReadTestRecordFile(Data(name), c, &err)) << err.toStdString();
    const TestRecordFields f = GoldenFields();
    EXPECT_EQ(c.keys.size(), 17);
    EXPECT_EQ(c.Value(RecordKey::TESTNAME), f.testFile);
    EXPECT_EQ(c.Value(RecordKey::USERFILE), f.recordPath);
    EXPECT_EQ(c.Value(RecordKey::DTATNAME), f.answerFile);
    EXPECT_EQ(c.Value(RecordKey::SCORNAME), f.scoreFile);
    EXPECT_EQ(c.Value(RecordKey::USERNAME), f.name);
    EXPECT_EQ(c.Value(RecordKey::BIRTHDAY), f.birthday);
    EXPECT_EQ(c.Value(RecordKey::IDENTITY), f.identity);
    EXPECT_EQ(c.Value(RecordKey::CLASSDAT), f.classSeat);
    EXPECT_EQ(c.Value(RecordKey::STARTIME), QStringLiteral("045310"));
    EXPECT_EQ(c.Value(RecordKey::END_TIME), QStringLiteral("045911"));
    EXPECT_EQ(c.Value(RecordKey::TESTNUMB), f.testCount);
    EXPECT_EQ(c.Value(RecordKey::TESTTIME), f.testMinutes);
    EXPECT_EQ(c.Value(RecordKey::IME_MODE), f.imeName);
    EXPECT_EQ(c.Value(RecordKey::PATHFILE), f.assignedPath);
    EXPECT_EQ(c.Value(RecordKey::NET_WORK), f.assignedHost);
    EXPECT_EQ(c.Value(RecordKey::SYST_ATT), f.systemAttributes);
    EXPECT_EQ(c.Value(RecordKey::SYST_VER), f.version);
    EXPECT_FALSE(c.Has(RecordKey::ERR_DATA));
    EXPECT_EQ(c.typedLines, f.typedLines);
  }
}

TEST(TestRecordReader, HeaderEndsAtTheFirstLineThatIsNotKeyShaped) {
  const QStringList lines = {
      U("[測驗檔名]=a.txt"),
      U("[未知鍵名]=skipped but does not end the header"),
      U("[檢定姓名]=王小明   "),  // trailing blanks are not part of the value
      U("[檢定生日]="),          // empty value
      U("[TESTNAME]=x"),         // an eight-letter key is typed text
      U("[成績檔案]=/evil"),     // after the first typed line: typed text
      QString(),
      U("末行"),
  };
  TestRecordContent c = ParseRecordLines(lines);
  ASSERT_EQ(c.keys.size(), 4);
  EXPECT_EQ(c.keys[1].key, U("未知鍵名"));
  EXPECT_EQ(c.Value(RecordKey::USERNAME), U("王小明"));
  EXPECT_EQ(c.Value(RecordKey::BIRTHDAY), QString(""));
  EXPECT_FALSE(c.Has(RecordKey::SCORNAME));
  EXPECT_EQ(c.typedLines, (QStringList{"[TESTNAME]=x", U("[成績檔案]=/evil"), "", U("末行")}));

  // A blank line before the keys end turns the rest into typed text.
  TestRecordContent d = ParseRecordLines({U("[測驗檔名]=a"), "", U("[檢定姓名]=b")});
  EXPECT_EQ(d.keys.size(), 1);
  EXPECT_EQ(d.typedLines.size(), 2);

  // The last of two lines with one key wins, as every reader dispatches both.
  EXPECT_EQ(ParseRecordLines({U("[檢定姓名]=a"), U("[檢定姓名]=b")}).Value(RecordKey::USERNAME), "b");
}

TEST(TestRecordReader, FileNamesLineEndsAndMissingFiles) {
  QTemporaryDir dir;
  // LF line ends and a name in another letter case, given with "\".
  Put(dir.filePath("~T000001.txt"), plat::toCp950(U("[檢定姓名]=許功蓋\n[身分證號]=A1\ntyped\n")));
  QString winStyle = dir.filePath("~t000001.TXT");
  winStyle.replace(u'/', u'\\');
  TestRecordContent c;
  ASSERT_TRUE(ReadTestRecordFile(winStyle, c));
  EXPECT_EQ(c.Value(RecordKey::USERNAME), U("許功蓋"));
  EXPECT_EQ(c.typedLines, QStringList{"typed"});

  // The name rule: T or t next-to-last means scrambled, wherever it is.
  EXPECT_TRUE(IsScrambledName(u"/tmp/~T045310.ttt"));
  EXPECT_TRUE(IsScrambledName(u"C:\\x\\rec.T1"));
  EXPECT_TRUE(IsScrambledName(u"/tmp/~T045310.tXt") == false);
  EXPECT_FALSE(IsScrambledName(u"/tmp/~T045310.txt"));
  EXPECT_FALSE(IsScrambledName(u"t"));

  // A record made by hand under a scrambled name, scrambled line by line by
  // the shared routine, with an empty line kept empty.
  QByteArray s = common::ScrambleBytes(plat::toCp950(U("[檢定姓名]=蓋"))) + "\r\n\r\n" +
                 common::ScrambleBytes(plat::toCp950(U("後"))) + "\r\n";
  Put(dir.filePath("r.T1"), s);
  ASSERT_TRUE(ReadTestRecordFile(dir.filePath("r.T1"), c));
  EXPECT_EQ(c.Value(RecordKey::USERNAME), U("蓋"));
  EXPECT_EQ(c.typedLines, (QStringList{"", U("後")}));

  QString err;
  EXPECT_FALSE(ReadTestRecordFile(dir.filePath("none.txt"), c, &err));
  EXPECT_FALSE(err.isEmpty());
  EXPECT_TRUE(c.keys.isEmpty());
}

TEST(TestRecordWriter, TypedLinesCannotPassForKeyLines) {
  struct Case {
    QStringList typed;
    QStringList expect;
    int guarded;
  } cases[] = {
      {{U("[答案檔案]=/etc/x"), U("[成績檔案]=/y")}, {U("〔答案檔案]=/etc/x"), U("[成績檔案]=/y")}, 1},
      {{U("[錯誤經驗]=1,2")}, {U("〔錯誤經驗]=1,2")}, 1},
      {{U("[許功蓋]=x")}, {U("[許功蓋]=x")}, 0},  // three characters: no key shape
      {{U("你好"), U("[測驗檔名]=z")}, {U("你好"), U("[測驗檔名]=z")}, 0},
      // "?" for a character CP950 lacks comes first, so the guard sees the
      // line as the file will hold it.
      {{U("[😀abc]=x")}, {U("〔?abc]=x")}, 1},
  };
  for (const Case& c : cases) {
    TestRecordFields f = GoldenFields();
    f.typedLines = c.typed;
    BuiltRecord b = BuildRecordLines(f);
    EXPECT_EQ(b.guardedLines, c.guarded) << c.typed.join('|').toStdString();
    EXPECT_EQ(b.lines.mid(b.lines.size() - c.expect.size()), c.expect);
    TestRecordContent read = ParseRecordLines(b.lines);
    EXPECT_EQ(read.keys.size(), 17);
    EXPECT_EQ(read.typedLines, c.expect);
  }
  EXPECT_TRUE(plat::fitsCp950(U("〔")));
}

TEST(TestRecordWriter, OptionalLinesTimesAndAwkwardValues) {
  TestRecordFields f = GoldenFields();
  f.classSeat.clear();
  f.withAssigned = false;
  f.startTime = 3600.4;
  f.endTime = 86399.6;
  f.name = U("王\r\n[成績檔案]=/evil");  // a line break cannot start a line of its own
  f.identity = U("A1😀");
  f.typedLines = {"a", "", "b"};
  BuiltRecord b = BuildRecordLines(f);
  EXPECT_EQ(b.replacedLines, 1);
  TestRecordContent c = ParseRecordLines(b.lines);
  EXPECT_EQ(c.keys.size(), 14);
  EXPECT_FALSE(c.Has(RecordKey::CLASSDAT));
  EXPECT_FALSE(c.Has(RecordKey::PATHFILE));
  EXPECT_FALSE(c.Has(RecordKey::NET_WORK));
  EXPECT_EQ(c.Value(RecordKey::STARTIME), "003600");
  EXPECT_EQ(c.Value(RecordKey::END_TIME), "086400");
  EXPECT_EQ(c.Value(RecordKey::USERNAME), U("王  [成績檔案]=/evil"));
  EXPECT_EQ(c.Value(RecordKey::SCORNAME), f.scoreFile);
  EXPECT_EQ(c.Value(RecordKey::IDENTITY), "A1?");
  EXPECT_EQ(c.typedLines, (QStringList{"a", "b"}));
}

TEST(TestRecordWriter, AFailedWriteLeavesTheEarlierFile) {
  QTemporaryDir dir;
  const QString p = dir.filePath("~T000002.txt");
  ASSERT_TRUE(WriteRecordLines(p, {"one"}, false));
  QString err;
  EXPECT_FALSE(WriteRecordLines(dir.filePath("missing/~T000002.txt"), {"x"}, false, &err));
  EXPECT_FALSE(err.isEmpty());
  EXPECT_EQ(Bytes(p), QByteArray("one\r\n"));
  // No temporary file is left beside it.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"~T000002.txt"});
}
