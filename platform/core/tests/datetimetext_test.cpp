#include <gtest/gtest.h>

#include "platform/core/codec.h"
#include "platform/core/compat.h"

// The hours around noon and midnight are where a 12-hour clock goes wrong.
TEST(DateTimeText, ShortDateLongTimeOfTheZhTwRuntime) {
  struct Case {
    QDateTime at;
    const char* text;
  };
  const Case cases[] = {
      {QDateTime(QDate(2026, 3, 5), QTime(9, 0, 0)), "2026/3/5 上午 09:00:00"},
      {QDateTime(QDate(2026, 3, 5), QTime(0, 0, 0)), "2026/3/5 上午 12:00:00"},
      {QDateTime(QDate(2026, 3, 5), QTime(0, 59, 7)), "2026/3/5 上午 12:59:07"},
      {QDateTime(QDate(2026, 3, 5), QTime(11, 59, 59)), "2026/3/5 上午 11:59:59"},
      {QDateTime(QDate(2026, 3, 5), QTime(12, 0, 0)), "2026/3/5 下午 12:00:00"},
      {QDateTime(QDate(2026, 3, 5), QTime(13, 5, 9)), "2026/3/5 下午 01:05:09"},
      {QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)), "2024/12/31 下午 11:59:59"},
  };
  for (const Case& c : cases) EXPECT_EQ(plat::DateTimeText(c.at), QString::fromUtf8(c.text)) << c.text;
  // The longest date still fits a 24-byte field.
  EXPECT_EQ(plat::toCp950(plat::DateTimeText(QDateTime(QDate(2024, 12, 31), QTime(12, 59, 59)))).size(), 24);
}

TEST(DateTimeText, APatternOfTheSettings) {
  const QDateTime at(QDate(2026, 3, 5), QTime(21, 5, 30));
  EXPECT_EQ(plat::DateTimeText(at, QStringLiteral("yyyy/MM/dd AP hh:mm:ss")), QStringLiteral("2026/03/05 下午 09:05:30"));
  EXPECT_EQ(plat::DateTimeText(at, QStringLiteral("yyyy-MM-dd HH:mm")), QStringLiteral("2026-03-05 21:05"));
}
