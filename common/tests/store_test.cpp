#include <gtest/gtest.h>

#include "common/settings.h"
#include "common/store.h"

using namespace common;

namespace {
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetCommonState(); }
  void TearDown() override { ResetCommonState(); }
};
}  // namespace

TEST_F(StoreTest, ValueCoercionNeverThrows) {
  EXPECT_EQ(StoreValue().asNumber(), 0.0);
  EXPECT_EQ(StoreValue().asText(), QString());
  EXPECT_TRUE(StoreValue().isEmpty());
  EXPECT_EQ(StoreValue(QStringLiteral(" 4 5abc")).asNumber(), 45.0);
  EXPECT_EQ(StoreValue(QStringLiteral("abc")).asNumber(), 0.0);
  EXPECT_EQ(StoreValue(std::uint8_t(30)).asText(), QStringLiteral("30"));
  EXPECT_EQ(StoreValue(std::int16_t(-7)).asText(), QStringLiteral("-7"));
  EXPECT_EQ(StoreValue(0.5f).asText(), QStringLiteral("0.5"));
  EXPECT_EQ(StoreValue(1.0f).asText(), QStringLiteral("1"));
  EXPECT_EQ(StoreValue(QStringLiteral("2.5")).asInt(), 2);
}

TEST_F(StoreTest, EveryValueStartsZeroOrEmptyAndDefaultsComeFromTheLoad) {
  EXPECT_EQ(SystemIniValue(5902).asText(), QString());
  EXPECT_EQ(SystemIniValue(149), StoreValue(std::uint8_t(0)));
  SeedSettingDefaults();
  EXPECT_EQ(SystemIniValue(5902), StoreValue(QStringLiteral("5568")));
  EXPECT_EQ(SystemIniValue(7910).asText(), QStringLiteral("100010"));
  EXPECT_EQ(SystemIniValue(149).asNumber(), 1);
  EXPECT_EQ(SystemIniValue(7499).asNumber(), 26);
  EXPECT_EQ(SystemIniValue(181).asNumber(), 3);
  EXPECT_FALSE(SystemIniValue(9902).asText().isEmpty());
  EXPECT_EQ(SystemIniValue(9902).asText(), SystemIniValue(198).asText());
  // Texts have no built-in wording.
  EXPECT_EQ(SystemIniValue(14001), StoreValue(QString()));
}

TEST_F(StoreTest, ByteNumbersRoundHalfToEvenAndRefuseWhatDoesNotFit) {
  struct Case {
    const char* text;
    int stored;  // -1: refused, old value kept
  } cases[] = {{"30", 30}, {"2.5", 2}, {"3.5", 4}, {"abc", 0}, {"255.4", 255}, {"-0.4", 0},
               {"300", -1}, {"-1", -1}, {"255.6", -1}, {"1e400", -1}};
  for (const Case& c : cases) {
    SystemIniValue(7499, QStringLiteral("17"));
    bool ok = true;
    StoreValue got = SystemIniValue(7499, QString::fromUtf8(c.text), &ok);
    if (c.stored < 0) {
      EXPECT_TRUE(got.isEmpty()) << c.text;
      EXPECT_FALSE(ok) << c.text;
      EXPECT_EQ(SystemIniValue(7499), StoreValue(std::uint8_t(17))) << c.text;
    } else {
      EXPECT_TRUE(ok) << c.text;
      EXPECT_EQ(got, StoreValue(std::uint8_t(c.stored))) << c.text;
      EXPECT_EQ(SystemIniValue(7499), StoreValue(std::uint8_t(c.stored))) << c.text;
    }
  }
}

TEST_F(StoreTest, TextsAreKeptExactly) {
  const QString t = QStringLiteral("  a = b , c  許功蓋 ");
  EXPECT_EQ(SystemIniValue(10177, t).asText(), t);
  EXPECT_EQ(SystemIniValue(10177).asText(), t);
  EXPECT_EQ(SystemIniValue(5902, QStringLiteral("6000")), StoreValue(QStringLiteral("6000")));
}

TEST_F(StoreTest, NumbersOutsideTheCatalogueKeepNothing) {
  for (int id : {12345, 0, 10122, 10134, 13920, 14008, 70000, -1}) {
    EXPECT_TRUE(SystemIniValue(id, QStringLiteral("5")).isEmpty()) << id;
    EXPECT_TRUE(SystemIniValue(id).isEmpty()) << id;
    EXPECT_FALSE(StoreHasId(id)) << id;
  }
  // An unset UI text reads empty, so a caption set from it is blank.
  EXPECT_EQ(SystemIniValue(10100), StoreValue(QString()));
}

TEST_F(StoreTest, CatalogueHasTheDocumentedGroups) {
  EXPECT_EQ(StoreIds(StoreGroup::UiText).size(), 402);
  EXPECT_EQ(StoreIds(StoreGroup::Byte).size(), 27);
  EXPECT_EQ(StoreIds(StoreGroup::ShortText).size(), 7);
  EXPECT_EQ(StoreGroupOf(9997), StoreGroup::Byte);
  EXPECT_EQ(StoreGroupOf(9998), StoreGroup::ShortText);
  EXPECT_EQ(StoreGroupOf(4498), StoreGroup::Byte);
  EXPECT_EQ(StoreGroupOf(4499), StoreGroup::ShortText);
  EXPECT_EQ(StoreGroupOf(10183), StoreGroup::UiText);
  EXPECT_EQ(StoreGroupOf(14007), StoreGroup::UiText);
  // The help page after an "Error-2" reply can be switched on.
  EXPECT_EQ(SystemIniValue(9997, QStringLiteral("1")).asNumber(), 1);
  EXPECT_EQ(SystemIniValue(9998, QStringLiteral("//help.example.org")).asText(), QStringLiteral("//help.example.org"));
}

namespace {
int resetCalls = 0;
void countReset() { ++resetCalls; }
}  // namespace

TEST_F(StoreTest, ResetClearsStoreAccessorsAndRegisteredState) {
  AddCommonStateReset(&countReset);
  AddCommonStateReset(&countReset);  // once only
  SystemIniValue(10177, QStringLiteral("x"));
  Setting211.set(45);
  ScreenColor.set(3, 77);
  resetCalls = 0;
  ResetCommonState();
  EXPECT_EQ(resetCalls, 1);
  EXPECT_EQ(SystemIniValue(10177).asText(), QString());
  EXPECT_EQ(Setting211.get(), 0);
  EXPECT_EQ(ScreenColor.get(3), 0.0f);
}
