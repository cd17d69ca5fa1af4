#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/core/startup.h"
#include "common/scramble.h"
#include "common/store.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "printers.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace batch;

namespace {

// Points the program folder at a fresh folder holding `fixture` (or
// nothing), answers prompts, and gives the store a clean start.
class StartupFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    seams.Set(plat::SetPrompt, &prompt);
    saved = plat::ProgramFolder();
    plat::SetProgramFolder(dir.path() + u'/');
  }
  void TearDown() override {
    plat::SetProgramFolder(saved);
    common::ResetCommonState();
  }
  void Install(const QString& fixture, const QString& name) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_DATA_DIR "/settings/") + fixture, dir.filePath(name)));
  }
  QString StoreText(int id) { return common::StoreText(id); }

  QTemporaryDir dir;
  plat::FakePrompt prompt;
  QString saved;
  QStringList log;
  StartupSettings settings{{}, [this](const QString& s) { log << s; }};
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST_F(StartupFolder, PlainFileSetsTheTableAndTheStore) {
  Install("plain/Tavrel.Ini", "Tavrel.Ini");
  settings.ReadStartupIni();
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_EQ(settings.Number(800), 2);
  EXPECT_EQ(settings.Text(880), QString("006003002002"));
  EXPECT_EQ(settings.Text(294), QString("A=B,C"));
  EXPECT_EQ(settings.ProgramFolder(), QString("D:/test/"));
  EXPECT_EQ(settings.Number(999), 0);
  EXPECT_EQ(settings.Number(882), 25);
  EXPECT_EQ(settings.Text(916), QString("座號|班級："));
  // Numbers the table does not hold reach the store, values whole.
  EXPECT_EQ(StoreText(12701), QString("總成績"));
  EXPECT_EQ(StoreText(9902), QString("http://h/p?a=1"));
  EXPECT_EQ(StoreText(12401), QString("請先等監考老師登記完畢後，再跳離本畫面,否則視同零分!"));
  EXPECT_EQ(StoreText(5902), QString("5568"));
  EXPECT_EQ(common::SystemIniValue(9901).asInt(), 1);
  // Out of range: 904 and 881 keep their values (logged), a byte becomes 0,
  // a divisor not above 0 becomes 1.
  EXPECT_EQ(settings.Number(904), 0);
  EXPECT_EQ(settings.Number(881), 0);
  EXPECT_EQ(settings.Number(701), 0);
  EXPECT_EQ(settings.Single(301), 1.0f);
  EXPECT_EQ(settings.Single(302), 1.0f);
  EXPECT_GE(log.size(), 2);
}

TEST_F(StartupFolder, ScrambledFileIsPreferredAndReadsTheSame) {
  Install("plain/Tavrel.Ini", "Tavrel.Ini");
  Install("scrambled/Tavrel.Ixi", "TAVREL.IXI");  // found in any letter case
  settings.ReadStartupIni();
  EXPECT_TRUE(settings.SettingsFilePath().endsWith("TAVREL.IXI"));
  EXPECT_EQ(settings.Number(800), 2);
  EXPECT_EQ(settings.Text(294), QString("A=B,C"));
  EXPECT_EQ(settings.ProgramFolder(), QString("D:/test/"));
  EXPECT_EQ(StoreText(12401), QString("請先等監考老師登記完畢後，再跳離本畫面,否則視同零分!"));
  EXPECT_EQ(StoreText(12705), QString("分"));
}

TEST_F(StartupFolder, AFileSavedAsUtf8IsRefusedAndTheDefaultsStay) {
  Install("utf8/Tavrel.Ini", "Tavrel.Ini");
  settings.ReadStartupIni();
  ASSERT_EQ(prompt.calls.size(), 1);
  const QString text = prompt.calls[0].text;
  EXPECT_TRUE(text.contains(dir.filePath("Tavrel.Ini")) && text.contains("Big5 (CP950)") &&
              text.contains("iconv -f UTF-8 -t CP950"))
      << text.toStdString();
  EXPECT_TRUE(settings.SettingsFilePath().isEmpty());
  EXPECT_EQ(settings.Number(802), 1);  // defaults, as without a file
  EXPECT_TRUE(StoreText(12701).isEmpty());
}

TEST_F(StartupFolder, MissingFileWarnsAndKeepsTheDefaults) {
  settings.ReadStartupIni();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, QString("無法讀得 Tavrel.Ini 檔案,請檢查原因"));
  EXPECT_EQ(prompt.calls[0].title, QString("警告訊息"));
  EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Exclamation);
  EXPECT_EQ(settings.ProgramFolder(), dir.path() + u'/');
  EXPECT_EQ(settings.Number(802), 1);
  EXPECT_EQ(settings.Number(804), 1);
  EXPECT_EQ(settings.Text(880), QString("006003002002"));
  EXPECT_EQ(settings.Number(882), 30);
  EXPECT_EQ(settings.Single(301), 0.5f);
  EXPECT_EQ(settings.Single(302), 1.0f);
  EXPECT_FALSE(settings.ProductTitle().isEmpty());
  EXPECT_FALSE(settings.MakerLine().isEmpty());
  EXPECT_EQ(StoreText(5902), QString("5568"));
}

TEST_F(StartupFolder, SingleLines) {
  struct Case {
    const char* line;
    int number;
    QVariant expected;
  };
  const Case cases[] = {
      {"880,order=[006003002002] ;x", 880, QString("006003002002 ")},  // the blank before ";" stays
      {"202,folder=D:\\test", 202, QString("D:/test/")},
      {"202,folder=/srv/dovo/", 202, QString("/srv/dovo/")},
      {"202,folder=x", 202, QString("/srv/dovo/")},  // shorter than 2: unchanged
      {"999,x=1", 999, 1},
      {"999,x=5", 999, 1},
      {"801,x=1.5", 801, 2},   // halves to even
      {"802,x=-1", 802, 0},    // outside a byte: 0
      {"  800 ,x=3", 800, 3},  // blanks before the number
      {"800=3", 800, 3},       // no ",": no effect
      {"800,x", 800, 3},       // no "=": no effect
      {"302,x=2.5", 302, 2.5f},
  };
  settings.ApplySettingsLine("202,folder=D:\\test\\");
  for (const Case& c : cases) {
    settings.ApplySettingsLine(c.line);
    if (c.expected.typeId() == QMetaType::QString)
      EXPECT_EQ(settings.Text(c.number), c.expected.toString()) << c.line;
    else if (c.expected.typeId() == QMetaType::Float)
      EXPECT_EQ(settings.Single(c.number), c.expected.toFloat()) << c.line;
    else
      EXPECT_EQ(settings.Number(c.number), c.expected.toInt()) << c.line;
  }
}

TEST_F(StartupFolder, WhatSettingValueGivesBack) {
  EXPECT_EQ(settings.SettingValue(292, "/remote"), QVariant());
  EXPECT_EQ(settings.SettingValue(293), QVariant());
  EXPECT_EQ(settings.Text(292), QString("/remote"));  // kept, never given back
  EXPECT_EQ(settings.SettingValue(994, "a@b.c"), QVariant(0));
  EXPECT_EQ(settings.ContactInfo(1), QVariant(QString("a@b.c")));
  EXPECT_EQ(settings.SettingValue(992, "1"), QVariant(0));
  EXPECT_EQ(settings.ContactInfo(99), QVariant(1));
  EXPECT_EQ(settings.ContactInfo(7), QVariant());
  EXPECT_EQ(settings.SettingValue(12702, "排序"), QVariant(0));
  EXPECT_EQ(StoreText(12702), QString("排序"));
  EXPECT_EQ(settings.SettingValue(881, "10"), QVariant(10));
  EXPECT_EQ(settings.SettingValue(997, ""), QVariant(QString()));  // stored also when empty
  EXPECT_EQ(settings.ProductTitle(), QString());
  settings.SettingValue(294, "Nuvo");
  EXPECT_EQ(settings.SettingValue(294, ""), QVariant(QString("Nuvo")));  // empty only reads
}

TEST_F(StartupFolder, ProgramName) {
  EXPECT_FALSE(settings.ProgramNameSetting().isEmpty());
  EXPECT_EQ(settings.ProgramNameSetting("/tmp/~T123456.ttt"), QString("/tmp/~T123456.ttt"));
  EXPECT_EQ(settings.ProgramNameSetting(), QString("/tmp/~T123456.ttt"));
}

TEST_F(StartupFolder, ScrambledLinesRebuildEveryCharacter) {
  // A user-defined character (lead byte 0x81, below 0xA0), ordinary Big5
  // whose second bytes look like "\" and "|", and ASCII.
  const QString eudc = plat::fromCp950(QByteArray("\x81\x40", 2));
  ASSERT_EQ(eudc.size(), 1);
  const QString value = eudc + QStringLiteral("許功蓋|x=1,2");
  QByteArray file = common::ScrambleBytes(plat::toCp950(QStringLiteral("12706,label=[") + value + u']')) + "\r\n";
  file += "!!!!\r\n\r\n";  // decodes to nothing: skipped
  file += common::ScrambleBytes("12707,label=ab") + "   \r\n";  // trailing blanks before unscrambling
  settings.ApplySettingsFile(file, true);
  EXPECT_EQ(StoreText(12706), value);
  EXPECT_EQ(StoreText(12707), QString("ab"));
}

TEST_F(StartupFolder, SettingsBaseOfTheStartingProgram) {
  // The starting program hands over its base ("<folder>\<name>"): its own
  // file is read when it exists, else the fixed name of the program folder.
  QDir(dir.path()).mkpath("other");
  ASSERT_TRUE(QFile::copy(QStringLiteral(TEST_DATA_DIR "/settings/plain/Tavrel.Ini"), dir.filePath("other/EXAM.INI")));
  settings.ReadStartupIni(dir.path() + "/other/Exam");
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_EQ(settings.SettingsFilePath(), dir.filePath("other/EXAM.INI"));
  EXPECT_EQ(settings.Number(800), 2);

  struct Case {
    QString base;
    bool found;
  };
  const Case cases[] = {
      {QString(dir.path() + "\\other\\Exam").replace('/', '\\'), true},  // backslashes
      {dir.path() + "/other/Missing", false},
      {dir.path() + "/other/", false},
      {"C:\\Tavrel\\Tavrel", false},
      {QString(), false},
  };
  for (const Case& c : cases) {
    prompt.calls.clear();
    settings.ReadStartupIni(c.base);
    if (c.found) {
      EXPECT_EQ(settings.SettingsFilePath(), dir.filePath("other/EXAM.INI")) << c.base.toStdString();
    } else {
      // No Tavrel.Ini in the program folder either: the warning, defaults.
      EXPECT_TRUE(settings.SettingsFilePath().isEmpty()) << c.base.toStdString();
      EXPECT_EQ(prompt.calls.size(), 1) << c.base.toStdString();
    }
  }
  Install("plain/Tavrel.Ini", "Tavrel.Ini");
  settings.ReadStartupIni(dir.path() + "/other/Missing");
  EXPECT_EQ(settings.SettingsFilePath(), dir.filePath("Tavrel.Ini"));
}
