#include <gtest/gtest.h>

#include "common/accessors.h"
#include "common/settings.h"
#include "platform/core/paths.h"

using namespace common;

namespace {
class AccessorsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetCommonState(); }
  void TearDown() override { ResetCommonState(); }
};
}  // namespace

TEST_F(AccessorsTest, ByteAccessorsStoreBelow250Only) {
  Setting211.set(3);
  EXPECT_EQ(Setting211.set(255), 3);  // the old read marker only reads
  EXPECT_EQ(Setting211.set(250), 3);
  EXPECT_EQ(Setting211.set(-1), 3);
  EXPECT_EQ(Setting211.set(249), 249);  // no 60 limit here: that is the switch's
  EXPECT_EQ(Setting211.get(), 249);
  EXPECT_EQ(Setting211.set(0), 0);
}

TEST_F(AccessorsTest, TestNumberNeverWraps) {
  TestNumber.set(249);
  EXPECT_EQ(TestNumber.set(TestNumber.get() + 1), 249);
  TestNumber.set(7);
  EXPECT_EQ(TestNumber.set(TestNumber.get() + 1), 8);
}

TEST_F(AccessorsTest, ShortAccessorsHaveTheirOwnBounds) {
  EXPECT_EQ(Setting281.set(-1), -1);  // negatives are stored
  EXPECT_EQ(Setting281.set(250), -1);
  EXPECT_EQ(Setting281.set(249), 249);
  EXPECT_EQ(Setting704.set(32699), 32699);
  EXPECT_EQ(Setting704.set(32700), 32699);
  EXPECT_EQ(Setting704.set(32760), 32699);
  EXPECT_EQ(Setting704.set(-5), -5);
  EXPECT_EQ(Setting704.set(-40000), -5);
  // 201 keeps 16 bits but takes a byte.
  EXPECT_EQ(Setting201.set(15), 15);
  EXPECT_EQ(Setting201.set(250), 15);
  EXPECT_EQ(Setting201.set(-3), 15);
}

TEST_F(AccessorsTest, TextAccessorsAreNeverCleared) {
  EXPECT_EQ(AssignedPath.set(QStringLiteral("/srv/成績")), QStringLiteral("/srv/成績"));
  EXPECT_EQ(AssignedPath.set(QString()), QStringLiteral("/srv/成績"));
  EXPECT_EQ(AssignedPath.set(QStringLiteral("x")), QStringLiteral("x"));
  EXPECT_EQ(DownloadFieldText.get(), QString());
}

TEST_F(AccessorsTest, ScreenColorStoresPositiveColoursOnly) {
  ScreenColor.set(3, 14737632);
  EXPECT_EQ(ScreenColor.set(3, 0), 14737632.0f);
  EXPECT_EQ(ScreenColor.set(3, -4), 14737632.0f);
  EXPECT_EQ(ScreenColor.set(3, 255), 255.0f);
  EXPECT_EQ(ScreenColor.get(3), 255.0f);
  // The index is bounded, not a crash.
  ScreenColor.set(20, 5);
  EXPECT_EQ(ScreenColor.get(8), 5.0f);
}

TEST_F(AccessorsTest, ContactInfoItems) {
  SeedSettingDefaults();
  EXPECT_EQ(ContactInfo(99), StoreValue(std::uint8_t(1)));
  EXPECT_TRUE(ContactInfo(1).isText());
  EXPECT_TRUE(ContactInfo(2).asText().startsWith(QStringLiteral("//")));
  EXPECT_TRUE(ContactInfo(4).isEmpty());
  EXPECT_TRUE(ContactInfo(0).isEmpty());
}

TEST_F(AccessorsTest, DefaultsOfTheTable) {
  plat::SetProgramFolder(QStringLiteral("/opt/tavrel"));
  SeedSettingDefaults();
  EXPECT_EQ(Setting201.get(), 10);
  EXPECT_EQ(Setting208.get(), 1);
  EXPECT_EQ(Setting211.get(), 3);
  EXPECT_EQ(Setting212.get(), 10);
  EXPECT_EQ(Setting213.get(), 30);
  EXPECT_EQ(Setting281.get(), 1);
  EXPECT_EQ(Setting294.get(), QStringLiteral("Nuvo"));
  EXPECT_EQ(Setting300.get(), QStringLiteral("*╳>△^▽"));
  EXPECT_EQ(Setting301.get(), 0.5f);
  EXPECT_EQ(Setting303.get(), 1.0f);
  EXPECT_EQ(Setting704.get(), 3);
  EXPECT_EQ(Setting905.get(), 2);
  EXPECT_EQ(Setting907.get(), 3);
  EXPECT_EQ(TestFilePattern.get(), QStringLiteral("T*.txt"));
  EXPECT_EQ(FieldOrderFlags.get(), QStringLiteral("12341110"));
  EXPECT_EQ(FeatureDigits.get(), QStringLiteral("4312000001110"));
  EXPECT_TRUE(FtpServerSpec.get().endsWith(QStringLiteral(",21,dunro,kelpa")));
  EXPECT_TRUE(ProductTitle.get().endsWith(QStringLiteral(" V2.7")));
  EXPECT_FALSE(MakerLine.get().isEmpty());
  EXPECT_EQ(DataPath.get(), QStringLiteral("/opt/tavrel"));
  const float colours[] = {4210752, 4210753, 14737632, 16777215, 4210752, 14737632, 255, 0};
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(ScreenColor.get(i), colours[i - 1]) << i;
  plat::SetProgramFolder(QString());
}

TEST_F(AccessorsTest, ProgramFolderEndsWithSeparatorAndPartChoiceHasTwoNames) {
  EXPECT_EQ(ProgramFolder.set(QStringLiteral("C:\\Tavrel")), QStringLiteral("C:/Tavrel/"));
  EXPECT_EQ(ProgramFolder.set(QStringLiteral("/opt/t/")), QStringLiteral("/opt/t/"));
  PartChoice.set(2);
  EXPECT_EQ(SessionAttr3.get(), 2);
}
