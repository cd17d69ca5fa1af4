#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "common/scramble.h"
#include "common/settings.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/fulldisk.h"
#include "testsupport/core/seams.h"

using namespace common;

namespace {

QByteArray cp950(const char* utf8) { return plat::toCp950(QString::fromUtf8(utf8)); }

QByteArray readBytes(const QString& path) {
  QByteArray b;
  plat::readAllBytes(path, b);
  return b;
}

void writeBytes(const QString& path, const QByteArray& b) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(b);
}

// A program folder of its own per test, with a fake prompt.
class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path() + u'/';
    plat::SetProgramFolder(folder_);
    seams.Set(plat::SetPrompt, &prompt_);
    ResetCommonState();
  }
  void TearDown() override {
    ResetCommonState();
    plat::SetProgramFolder(QString());
  }
  void copyFixture(const QString& name, const QString& as = {}) {
    const QString to = folder_ + (as.isEmpty() ? name : as);
    QFile::remove(to);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_DATA_DIR "/settings/") + name, to));
    QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
  }
  // Writes CP950 lines with CRLF.
  QString writeIni(const QString& name, const QList<QByteArray>& lines) {
    QByteArray b;
    for (const QByteArray& l : lines) b += l + "\r\n";
    writeBytes(folder_ + name, b);
    return folder_ + name;
  }
  // Points the save at a file as LoadSettings would.
  void useFile(const QString& path) { SystemIniValue(4499, path); }
  QString log() { return plat::fromCp950(readBytes(folder_ + QStringLiteral("ZetError.Txt"))); }

  QTemporaryDir dir_;
  QString folder_;
  plat::FakePrompt prompt_;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST(SettingsLineTest, TokenizerTable) {
  struct Case {
    const char* line;
    const char* number;  // nullptr: no pair
    const char* value;
  } cases[] = {
      {"211,beeps=45", "211", "45"},
      {"203,[label, with = signs]=T*.txt", "203", "T*.txt"},
      {"996,x=[ab;cd]", "996", "ab"},  // ";" ends the line inside brackets too
      {"10177,x=a,b=c", "10177", "a,b=c"},
      {"   305,x=1", "   305", "1"},
      {"208,x=[a=b]", "208", "a=b"},
      {"202,x=", "202", ""},
      {"10150,[標]=沍坤歧]", "10150", "沍坤歧"},  // trail bytes 0x5B/0x5D are not brackets
      {"10178,x=許功蓋|弋", "10178", "許功蓋|弋"},
      {"201=5,x=7", nullptr, nullptr},  // "=" before the comma
      {"208 no sign", nullptr, nullptr},
      {"208=3", nullptr, nullptr},
      {"201,x", nullptr, nullptr},
      {";201,x=5", nullptr, nullptr},
      {"", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    auto p = ParseSettingLine(QString::fromUtf8(c.line));
    if (!c.number) {
      EXPECT_FALSE(p.has_value()) << c.line;
      continue;
    }
    ASSERT_TRUE(p.has_value()) << c.line;
    EXPECT_EQ(p->numberText, QString::fromUtf8(c.number)) << c.line;
    EXPECT_EQ(p->value, QString::fromUtf8(c.value)) << c.line;
  }
}

TEST(SettingsLineTest, SettingNumbers) {
  EXPECT_EQ(SettingNumber(QStringLiteral("201")), 201);
  EXPECT_EQ(SettingNumber(QStringLiteral("  305")), 305);
  EXPECT_EQ(SettingNumber(QStringLiteral("2 01")), 201);
  EXPECT_EQ(SettingNumber(QStringLiteral("10177 ")), 10177);
  EXPECT_FALSE(SettingNumber(QStringLiteral("abc")));
  EXPECT_FALSE(SettingNumber(QStringLiteral("")));
  EXPECT_FALSE(SettingNumber(QStringLiteral("x201")));
  EXPECT_FALSE(SettingNumber(QStringLiteral("70000")));
}

TEST(SettingsLineTest, DecodedOffsetsFollowTheBytes) {
  // A damaged line: a lone lead byte and an undefined byte among good ones.
  const QByteArray bytes = QByteArray("a=") + cp950("許") + "\xFF" + "b" + "\x81";
  DecodedLine d = DecodeLineBytes(bytes);
  ASSERT_EQ(d.text.size(), d.byteOffset.size());
  EXPECT_EQ(d.text.left(3), QStringLiteral("a=許"));
  EXPECT_EQ(d.byteOffset[2], 2);
  EXPECT_EQ(d.byteOffset[3], 4);
  EXPECT_EQ(d.text[4], u'b');
  EXPECT_EQ(d.byteOffset[4], 5);
}

namespace {
class ApplySettingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir_.path());  // the log of skipped lines goes here
    ResetCommonState();
    SeedSettingDefaults();
  }
  void TearDown() override {
    ResetCommonState();
    plat::SetProgramFolder(QString());
  }
  QTemporaryDir dir_;
};
}  // namespace

TEST_F(ApplySettingTest, SwitchTable) {
  using Read = std::function<QString()>;
  auto num = [](auto& acc) { return Read([&acc] { return QString::number(double(acc.get())); }); };
  auto text = [](auto& acc) { return Read([&acc] { return acc.get(); }); };
  struct Case {
    int number;
    const char* value;
    Read read;
    const char* expected;
  } cases[] = {
      {211, "45", num(Setting211), "45"},
      {211, "61", num(Setting211), "45"},   // over the bound: unchanged
      {211, "300", num(Setting211), "45"},  // not a byte: unchanged
      {211, "-1", num(Setting211), "45"},
      {211, "abc", num(Setting211), "0"},  // no number reads 0
      {208, "7", num(Setting208), "7"},
      {208, "8", num(Setting208), "7"},
      {213, "251", num(Setting213), "30"},  // a byte accessor stores below 250
      {201, "15.5", num(Setting201), "16"},
      {201, "250", num(Setting201), "16"},
      {201, "-3", num(Setting201), "16"},
      {201, "40000", num(Setting201), "16"},
      {704, "32699", num(Setting704), "32699"},
      {704, "-2", num(Setting704), "-2"},
      {704, "40000", num(Setting704), "-2"},
      {281, "0", num(Setting281), "0"},
      {281, "2", num(Setting281), "0"},
      {281, "0.5", num(Setting281), "0"},
      {281, "1", num(Setting281), "1"},
      {305, "2", num(Setting305), "2"},
      {305, "256", num(Setting305), "2"},
      {306, "0", num(Setting306), "2"},
      {306, "11", num(Setting306), "2"},
      {306, "10", num(Setting306), "10"},
      {301, "0.25", num(Setting301), "0.25"},
      {301, "0", num(Setting301), "1"},
      {301, "-2", num(Setting301), "1"},
      {303, "0.75", num(Setting303), "0.75"},
      {307, "4", num(Setting307), "4"},
      {881, "5", num(Setting881), "5"},
      {992, "0", num(Setting992), "0"},
      {202, "x", text(DataPath), nullptr},  // one character: unchanged
      {202, "/data/t", text(DataPath), "/data/t"},
      {203, "", text(TestFilePattern), ""},  // always taken
      {209, "ab", text(Setting209), "ab"},
      {209, "5", text(Setting209), "ab"},  // other single character: ignored
      {209, "1", text(Setting209), "1"},
      {209, "0", text(Setting209), ""},
      {210, "cd", text(TestFolder), "cd"},
      {210, "x", text(TestFolder), ""},  // non-numeric: b is 0, empties
      {292, "/srv", text(AssignedPath), "/srv"},
      {292, "", text(AssignedPath), "/srv"},
      {984, "", text(FtpServerSpec), nullptr},
      {300, "12345", text(Setting300), "*╳>△^▽"},
      {300, "#╳>△^=", text(Setting300), "#╳>△^="},  // six characters, nine bytes
      {995, "http://www.example.org/c", text(Setting995), "//www.example.org/c"},
      {995, "example.net", text(Setting995), "//example.net"},
      {997, "測驗 V2.7", text(ProductTitle), "測驗 V2.7"},
      {989, "1", text(FeatureDigits), "1"},
      {10177, "a,b=c", [] { return SystemIniValue(10177).asText(); }, "a,b=c"},
      {7499, "300", [] { return SystemIniValue(7499).asText(); }, "26"},
      {9997, "1", [] { return SystemIniValue(9997).asText(); }, "1"},
  };
  for (const Case& c : cases) {
    const QString before = c.read();
    ApplySetting(c.number, QString::fromUtf8(c.value));
    const QString expected = c.expected ? QString::fromUtf8(c.expected) : before;
    EXPECT_EQ(c.read(), expected) << c.number << " = \"" << c.value << "\"";
  }
}

TEST_F(ApplySettingTest, ColoursTakeBlackAndIgnoreNegatives) {
  ApplySetting(401, QStringLiteral("0"));
  EXPECT_EQ(ScreenColor.get(1), 0.0f);
  ApplySetting(407, QStringLiteral("-1"));
  EXPECT_EQ(ScreenColor.get(7), 255.0f);
  ApplySetting(408, QStringLiteral("16777215"));
  EXPECT_EQ(ScreenColor.get(8), 16777215.0f);
}

TEST_F(SettingsFileTest, LoadsThePlainFileWithBig5Texts) {
  copyFixture(QStringLiteral("Tavrel.Ini"));
  RunModeFlag.set(2);
  ASSERT_EQ(LoadSettings(), LoadResult::Ok);
  EXPECT_TRUE(prompt_.calls.isEmpty());
  EXPECT_EQ(SystemIniValue(4498).asNumber(), 0);
  EXPECT_EQ(SystemIniValue(4499).asText(), folder_ + QStringLiteral("Tavrel.Ini"));
  EXPECT_EQ(SettingsBase.get(), folder_ + QStringLiteral("Tavrel"));
  EXPECT_EQ(ProgramFolder.get(), folder_);
  EXPECT_EQ(RunModeFlag.get(), 0);
  EXPECT_EQ(Setting201.get(), 15);  // "201=5,x=7" is ignored
  EXPECT_EQ(TestFilePattern.get(), QStringLiteral("Q*.txt"));
  EXPECT_EQ(Setting211.get(), 45);
  EXPECT_EQ(Setting212.get(), 10);
  EXPECT_EQ(Setting305.get(), 2);
  EXPECT_EQ(Setting208.get(), 1);
  EXPECT_EQ(Setting996.get(), QStringLiteral("聯絡"));
  EXPECT_EQ(SystemIniValue(10177).asText(), QStringLiteral("許功蓋,a=b"));
  EXPECT_EQ(SystemIniValue(10178).asText(), QStringLiteral("是否蓋上|弋四帆"));
  EXPECT_EQ(SystemIniValue(10179).asText(), QStringLiteral("也包因"));
  EXPECT_EQ(SystemIniValue(10150).asText(), QStringLiteral("沍坤歧"));
  EXPECT_EQ(SystemIniValue(9997).asNumber(), 1);
  EXPECT_EQ(SystemIniValue(9998).asText(), QStringLiteral("//help.example.org/e2"));
  EXPECT_EQ(SystemIniValue(1147).asNumber(), 1);
  EXPECT_EQ(SystemIniValue(7499).asNumber(), 26);
  EXPECT_EQ(ScreenColor.get(1), 0.0f);
  EXPECT_EQ(Setting995.get(), QStringLiteral("//www.example.org/contact"));
  EXPECT_EQ(SystemIniValue(5902).asText(), QStringLiteral("5568"));  // default kept
  const QString l = log();
  EXPECT_TRUE(l.contains(QStringLiteral("取得INI>") + folder_ + QStringLiteral("Tavrel.Ini"))) << l.toStdString();
  EXPECT_TRUE(l.contains(QStringLiteral("設定號碼超出範圍>70000"))) << l.toStdString();
  EXPECT_TRUE(l.contains(QStringLiteral("設定值略過>7499"))) << l.toStdString();
}

TEST_F(SettingsFileTest, PrefersTheScrambledFile) {
  copyFixture(QStringLiteral("Tavrel.Ini"));
  copyFixture(QStringLiteral("Tavrel.Ixi"), QStringLiteral("Tavrel.IXI"));  // any letter case
  ASSERT_EQ(LoadSettings(), LoadResult::Ok);
  EXPECT_EQ(SystemIniValue(4498).asNumber(), 1);
  EXPECT_EQ(SystemIniValue(4499).asText(), folder_ + QStringLiteral("Tavrel.IXI"));
  EXPECT_EQ(Setting201.get(), 20);
  EXPECT_EQ(SystemIniValue(10177).asText(), QStringLiteral("許功蓋"));
  EXPECT_EQ(AssignedPath.get(), QStringLiteral("/srv/成績"));
  EXPECT_EQ(Setting211.get(), 3);  // nothing of the plain file
}

TEST_F(SettingsFileTest, MissingFileIsFatalWithAWarning) {
  EXPECT_EQ(LoadSettings(), LoadResult::FatalNoSettings);
  ASSERT_EQ(prompt_.calls.size(), 1);
  EXPECT_TRUE(prompt_.calls[0].text.contains(folder_)) << prompt_.calls[0].text.toStdString();
  EXPECT_TRUE(SettingsBase.get().isEmpty());

  ResetCommonState();
  prompt_.calls.clear();
  SettingsBase.set(folder_ + QStringLiteral("Tavrel"));
  EXPECT_EQ(LoadSettings(), LoadResult::FatalNoSettings);
  ASSERT_EQ(prompt_.calls.size(), 1);
  EXPECT_TRUE(prompt_.calls[0].text.contains(folder_ + QStringLiteral("Tavrel.Ini")));
}

TEST_F(SettingsFileTest, AFileSavedAsUtf8IsRefusedAsIfMissing) {
  struct Case {
    const char* fixture;
    bool mark;
  } cases[] = {{"Tavrel-utf8.Ini", false}, {"Tavrel-bom.Ini", true}};
  for (const Case& c : cases) {
    ResetCommonState();
    prompt_.calls.clear();
    copyFixture(QString::fromUtf8(c.fixture), QStringLiteral("Tavrel.Ini"));
    EXPECT_EQ(LoadSettings(), LoadResult::FatalNoSettings) << c.fixture;
    ASSERT_EQ(prompt_.calls.size(), 1) << c.fixture;
    const QString text = prompt_.calls[0].text;
    EXPECT_TRUE(text.contains(folder_ + QStringLiteral("Tavrel.Ini"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Big5 (CP950)"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("iconv -f UTF-8 -t CP950"))) << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("\\xEF\\xBB\\xBF")), c.mark) << text.toStdString();
    EXPECT_EQ(prompt_.calls[0].icon, plat::Icon::Exclamation);
    EXPECT_EQ(Setting201.get(), 10) << c.fixture;  // no line of the file was applied
    EXPECT_EQ(Setting211.get(), 3) << c.fixture;
    EXPECT_TRUE(log().contains(QStringLiteral("Big5 (CP950)>") + folder_ + QStringLiteral("Tavrel.Ini")));
  }
}

TEST_F(SettingsFileTest, ANotesFileSavedAsUtf8IsRefused) {
  QDir(folder_).mkdir(QStringLiteral("NOTE"));
  // Scrambled from UTF-8 bytes: judged by its plain lines.
  writeBytes(folder_ + QStringLiteral("NOTE/Zet.ixi"),
             ScrambleBytes(QStringLiteral("10177,x=許功蓋").toUtf8()) + "\r\n" + ScrambleBytes("211,x=20") + "\r\n");
  copyFixture(QStringLiteral("Tavrel-utf8.Ini"), QStringLiteral("NOTE/extra.ini"));
  Setting201.set(12);
  Setting211.set(3);
  for (const char* name : {"NOTE/Zet.ixi", "NOTE/extra.ini"}) {
    prompt_.calls.clear();
    EXPECT_FALSE(ReadIniFile(folder_ + QString::fromUtf8(name))) << name;
    ASSERT_EQ(prompt_.calls.size(), 1) << name;
    EXPECT_TRUE(prompt_.calls[0].text.contains(QString::fromUtf8(name))) << prompt_.calls[0].text.toStdString();
    EXPECT_EQ(Setting211.get(), 3) << name;  // nothing of the file
    EXPECT_EQ(Setting201.get(), 12) << name;
  }
}

TEST_F(SettingsFileTest, ChoiceOfTheSettingsFile) {
  for (const char* n : {"tb.ini", "ta.ini", "Tavrel.INI", "tc.ixi"}) writeIni(QString::fromUtf8(n), {"201,x=1"});
  SettingsFileChoice c = ChooseSettingsFile(folder_, QString());
  EXPECT_EQ(c.base, folder_ + QStringLiteral("Tavrel"));
  EXPECT_EQ(c.path, folder_ + QStringLiteral("Tavrel.INI"));
  EXPECT_FALSE(c.scrambled);

  QFile::remove(folder_ + QStringLiteral("Tavrel.INI"));
  EXPECT_EQ(ChooseSettingsFile(folder_, QString()).base, folder_ + QStringLiteral("ta"));

  for (const char* n : {"tb.ini", "ta.ini"}) QFile::remove(folder_ + QString::fromUtf8(n));
  c = ChooseSettingsFile(folder_, QString());
  EXPECT_EQ(c.base, folder_ + QStringLiteral("tc"));
  EXPECT_TRUE(c.scrambled);

  // A base set by the caller is kept, whatever else the folder holds.
  c = ChooseSettingsFile(folder_, folder_ + QStringLiteral("score"));
  EXPECT_EQ(c.base, folder_ + QStringLiteral("score"));
  EXPECT_EQ(c.path, folder_ + QStringLiteral("score.Ini"));
}

TEST_F(SettingsFileTest, ReadIniFileAppliesAScrambledNotesFile) {
  QDir(folder_).mkdir(QStringLiteral("NOTE"));
  QByteArray b = ToBinaryScramble(QStringLiteral("10177,x=許功蓋")).toLatin1() + "\r\n" +
                 ToBinaryScramble(QStringLiteral("211,x=20")).toLatin1() + "\r\n";
  writeBytes(folder_ + QStringLiteral("NOTE/note.IXI"), b);
  EXPECT_TRUE(ReadIniFile(folder_ + QStringLiteral("NOTE\\note.ixi")));
  EXPECT_EQ(SystemIniValue(10177).asText(), QStringLiteral("許功蓋"));
  EXPECT_EQ(Setting211.get(), 20);

  EXPECT_FALSE(ReadIniFile(folder_ + QStringLiteral("NOTE/none.ini")));
  EXPECT_EQ(prompt_.calls.size(), 1);
}

TEST_F(SettingsFileTest, SaveLeavesAnUnchangedFileAlone) {
  // LF endings and a lossy character (0xA2CC) must survive a no-op save.
  const QByteArray original = QByteArray("908,") + "\xA2\xCC" + "=3\n211,x=45\n";
  writeBytes(folder_ + QStringLiteral("t.Ini"), original);
  useFile(folder_ + QStringLiteral("t.Ini"));
  EXPECT_TRUE(SaveSetting(908, QStringLiteral("3")));
  EXPECT_EQ(readBytes(folder_ + QStringLiteral("t.Ini")), original);
}

TEST_F(SettingsFileTest, SaveReplacesOnlyTheValueAndKeepsOtherLinesAsBytes) {
  const QString path = writeIni(QStringLiteral("t.Ini"),
                                {QByteArray("; ") + "\xA2\xCC" + " lossy comment", cp950("292,許功蓋|弋=/old"),
                                 "203,[a=b]=T*.txt", "908,x=1", "908,again=2", "908,no equals here"});
  useFile(path);
  EXPECT_TRUE(SaveSetting(292, QStringLiteral("/srv/成績")));
  EXPECT_TRUE(SaveSetting(203, QStringLiteral("X*.txt")));
  EXPECT_TRUE(SaveSetting(908, QStringLiteral("6")));
  const QByteArray expected = QByteArray("; ") + "\xA2\xCC" + " lossy comment\r\n" +
                              cp950("292,許功蓋|弋=/srv/成績") + "\r\n" + "203,[a=b]=X*.txt\r\n" +
                              "908,x=6\r\n908,again=6\r\n908,no equals here\r\n";
  EXPECT_EQ(readBytes(path), expected);
  // And it reads back.
  ResetCommonState();
  ASSERT_TRUE(ReadIniFile(path));
  EXPECT_EQ(AssignedPath.get(), QStringLiteral("/srv/成績"));
  EXPECT_EQ(TestFilePattern.get(), QStringLiteral("X*.txt"));
  EXPECT_EQ(Setting908.get(), 6);
}

TEST_F(SettingsFileTest, SaveAppendsANewSetting) {
  const QString path = writeIni(QStringLiteral("t.Ini"), {"211,x=45"});
  QByteArray noFinalBreak = readBytes(path);
  noFinalBreak.chop(2);
  writeBytes(path, noFinalBreak);
  useFile(path);
  EXPECT_TRUE(SaveSetting(293, QStringLiteral("10.0.0.1")));
  EXPECT_EQ(readBytes(path), QByteArray("211,x=45\r\n293,[]=10.0.0.1\r\n"));
}

TEST_F(SettingsFileTest, SaveRefusesValuesTheFormatCannotHold) {
  const QString path = writeIni(QStringLiteral("t.Ini"), {"292,x=/old"});
  const QByteArray before = readBytes(path);
  useFile(path);
  for (const QString& bad : {QStringLiteral("/a\r\n5951,=0"), QStringLiteral("a;b"), QStringLiteral("[x]"),
                             QStringLiteral("a]"), QStringLiteral("tab\there"), QStringLiteral("简体路径")}) {
    EXPECT_FALSE(SaveSetting(292, bad)) << bad.toStdString();
    EXPECT_EQ(readBytes(path), before) << bad.toStdString();
  }
  EXPECT_TRUE(log().contains(QStringLiteral("存回INI拒絕>292")));
}

TEST_F(SettingsFileTest, SaveOnAMissingFileWarns) {
  useFile(folder_ + QStringLiteral("gone.Ini"));
  EXPECT_FALSE(SaveSetting(292, QStringLiteral("/x")));
  ASSERT_EQ(prompt_.calls.size(), 1);
  EXPECT_EQ(prompt_.calls[0].title, QStringLiteral("警告訊息"));
  EXPECT_EQ(prompt_.calls[0].text, QStringLiteral("存回INI時,無法讀得 ") + folder_ +
                                       QStringLiteral("gone.Ini 檔案,請檢查原因"));
  EXPECT_EQ(prompt_.calls[0].icon, plat::Icon::Exclamation);
  EXPECT_FALSE(QFile::exists(folder_ + QStringLiteral("gone.Ini")));
}

TEST_F(SettingsFileTest, SaveIntoTheScrambledFile) {
  copyFixture(QStringLiteral("Tavrel.Ixi"));
  ASSERT_EQ(LoadSettings(), LoadResult::Ok);
  const QList<QByteArray> before = plat::splitRawLines(readBytes(folder_ + QStringLiteral("Tavrel.Ixi")));
  EXPECT_TRUE(SaveSetting(292, QStringLiteral("/srv/新")));
  EXPECT_TRUE(SaveSetting(908, QStringLiteral("2")));
  const QList<QByteArray> after = plat::splitRawLines(readBytes(folder_ + QStringLiteral("Tavrel.Ixi")));
  ASSERT_EQ(after.size(), before.size() + 1);
  EXPECT_EQ(after[0], before[0]);
  EXPECT_EQ(after[1], QByteArray());
  EXPECT_EQ(after[2], before[2]);
  EXPECT_EQ(FromBinaryScramble(QString::fromLatin1(after[3])), QStringLiteral("292,指定路徑=/srv/新"));
  EXPECT_EQ(FromBinaryScramble(QString::fromLatin1(after[4])), QStringLiteral("908,[]=2"));
  ResetCommonState();
  ASSERT_EQ(LoadSettings(), LoadResult::Ok);
  EXPECT_EQ(AssignedPath.get(), QStringLiteral("/srv/新"));
  EXPECT_EQ(Setting908.get(), 2);
  EXPECT_EQ(Setting201.get(), 20);
}

namespace {

// Tavrel.Ini on a full disk: the save fails whole, the file keeps every byte,
// and both the error report and the person at the screen are told why.
TEST_F(SettingsFileTest, ASaveOnAFullDiskLeavesTheFileAsItWasAndSaysWhy) {
  testing_support::FullDisk disk;
  ASSERT_TRUE(disk.Ok());
  SCOPED_TRACE(disk.Kind().toStdString());
  const QString path = disk.Path() + QStringLiteral("/Tavrel.Ini");
  const QByteArray original = "292,x=/old\r\n908,y=1\r\n";
  ASSERT_TRUE(plat::writeBytesAtomic(path, original));
  ASSERT_TRUE(disk.Fill());
  useFile(path);
  EXPECT_FALSE(SaveSetting(292, QStringLiteral("/new")));
  EXPECT_EQ(readBytes(path), original);
  ASSERT_EQ(prompt_.calls.size(), 1);
  EXPECT_TRUE(prompt_.calls[0].text.contains(path)) << prompt_.calls[0].text.toStdString();
  EXPECT_TRUE(prompt_.calls[0].text.contains(plat::systemReason(ENOSPC))) << prompt_.calls[0].text.toStdString();
  const QByteArray report = readBytes(folder_ + QStringLiteral("ZetError.Txt"));
  EXPECT_TRUE(plat::fromCp950(report).contains(QStringLiteral("存回INI時無法寫入>") + path + u' ' +
                                               plat::systemReason(ENOSPC)));
}

}  // namespace
