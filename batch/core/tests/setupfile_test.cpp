#include <gtest/gtest.h>

#include "batch/core/scoretable.h"
#include "batch/core/setupfile.h"
#include "printers.h"
#include "exam/record/testrecord.h"

using namespace batch;

namespace {
QString fixture(const char* name) { return QStringLiteral(TEST_DATA_DIR "/records/") + QString::fromUtf8(name); }
}  // namespace

TEST(SetupFile, PlainAndScrambledRecordsGiveTheSameValues) {
  for (const char* name : {"record.txt", "~T090000.ttt"}) {
    QStringList log;
    SetupFile setup([&](const QString& s) { log << s; });
    ScoreTable table;
    ASSERT_TRUE(setup.ReadSetupFile(fixture(name), table)) << name;
    EXPECT_EQ(table.ScoreFileName(), QString("/data/許功蓋.R01")) << name;  // a key after typed text is text
    EXPECT_EQ(setup.AssignedPath(), QString("/srv/remote\\"));
    EXPECT_EQ(setup.AssignedHost(), QString("127.0.0.1"));
    // The eighth attribute (300) is not a byte; it is not used either.
    EXPECT_EQ(setup.ByteSettingA(), 1);
    EXPECT_EQ(setup.ByteSettingB(), 2);
    EXPECT_TRUE(log.isEmpty());
  }
}

TEST(SetupFile, ATextLineFirstMeansNoKeys) {
  SetupFile setup;
  ScoreTable table;
  table.ScoreFileName("/before.R01");
  ASSERT_TRUE(setup.ReadSetupFile(fixture("textfirst.txt"), table));
  EXPECT_EQ(table.ScoreFileName(), QString("/before.R01"));
}

TEST(SetupFile, MissingRecordIsLoggedNotThrown) {
  QStringList log;
  SetupFile setup([&](const QString& s) { log << s; });
  ScoreTable table;
  EXPECT_FALSE(setup.ReadSetupFile(fixture("none.ttt"), table));
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].endsWith("none.ttt"));
}

TEST(SetupFile, KeyValues) {
  SetupFile setup;
  ScoreTable table;
  table.ScoreFileName("/before.R01");
  setup.AssignedPath("/kept");
  setup.ApplyRecord(rec::ParseRecordLines({"[成績檔案]=   ", "[指定路徑]=", "[SCORNAME]=/x.R01"}), table);
  EXPECT_EQ(table.ScoreFileName(), QString("/before.R01"));  // blank value skipped
  EXPECT_EQ(setup.AssignedPath(), QString("/kept"));           // empty value not stored
}

TEST(SetupFile, SystemAttributes) {
  struct Case {
    const char* list;
    int a, b;
    int logged;
  };
  const Case cases[] = {
      {"1,0,0,0,0,0,0,0,2", 1, 2, 0},
      {"1,0,0", 1, 9, 0},                 // B unchanged
      {"3,0,0,0,0,0,0,0,6,7", 3, 6, 0},   // a tenth is ignored
      {"300,0,0,0,0,0,0,0,4", 7, 4, 1},   // A out of a byte: kept, logged
      {"250,0,0,0,0,0,0,0,255", 7, 9, 0}, // 250..255 are not stored
      {" 2 ,0,0,0,0,0,0,0, 5x", 2, 5, 0}, // leading numbers, blanks ignored
      {"1.5,0,0,0,0,0,0,0,2.5", 2, 2, 0}, // halves to even
      {"", 0, 9, 0},
  };
  for (const Case& c : cases) {
    QStringList log;
    SetupFile setup([&](const QString& s) { log << s; });
    setup.ByteSettingA(7);
    setup.ByteSettingB(9);
    setup.ParseSystemAttributes(c.list);
    EXPECT_EQ(setup.ByteSettingA(), c.a) << c.list;
    EXPECT_EQ(setup.ByteSettingB(), c.b) << c.list;
    EXPECT_EQ(log.size(), c.logged) << c.list;
  }
}
