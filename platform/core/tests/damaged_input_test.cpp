// Bytes and numbers from damaged files: a character torn at the end of the
// bytes, results that are no numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/core/codec.h"
#include "platform/core/compat.h"

using namespace plat;

TEST(Cp950Damaged, ATornLastCharacterIsABadByteNotLost) {
  struct Case {
    QByteArray bytes;
    const char16_t* text;
    int bad;
  } cases[] = {
      {"\xB3\x5C\xA5\x5C\xBB", u"許功\uFFFD", 1},  // the record field cut inside 蓋
      {"\xBB", u"\uFFFD", 1},
      {"ab\xD6", u"ab\uFFFD", 1},
      {"\xD6 ", u"\uFFFD ", 1},                    // a lead byte before a blank
      {"\xB3\x5C\xA5\x5C", u"許功", 0},            // whole characters stay as they are
      {"", u"", 0},
      {"a\n", u"a\n", 0},
  };
  for (const Case& c : cases) {
    int bad = -1;
    EXPECT_EQ(fromCp950(c.bytes, &bad), QString::fromUtf16(c.text)) << c.bytes.toHex().constData();
    EXPECT_EQ(bad, c.bad) << c.bytes.toHex().constData();
  }
}

TEST(Cp950Damaged, AUtf8SaveIsToldFromBig5) {
  const QByteArray utf8Text = QStringLiteral("1,名稱=測驗程式\r\n").toUtf8();
  const QByteArray big5Text = toCp950(QStringLiteral("1,名稱=測驗程式\r\n許功蓋"));
  struct Case {
    QByteArray bytes;
    Utf8Save want;
  } cases[] = {
      {"\xEF\xBB\xBF" "201,[]=10\r\n", Utf8Save::ByteOrderMark},  // ASCII behind a mark
      {"\xEF\xBB\xBF" + big5Text, Utf8Save::ByteOrderMark},
      {utf8Text, Utf8Save::Utf8},
      {big5Text, Utf8Save::No},
      {"201,[]=10\r\n", Utf8Save::No},  // ASCII is both
      {"", Utf8Save::No},
      {"1,a=\xA4\xA4\x80\xFF", Utf8Save::No},  // damaged, but UTF-8 neither
  };
  for (const Case& c : cases) EXPECT_EQ(detectUtf8Save(c.bytes), c.want) << c.bytes.toHex().constData();
}

TEST(FormatNumberDamaged, NanAndInfinityFormatAsZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double v : {nan, inf, -inf}) {
    EXPECT_EQ(FormatNumber(v, u"##0.00"), "0.00");
    EXPECT_EQ(FormatNumber(v, u"000000"), "000000");
    EXPECT_EQ(FormatSingle(static_cast<float>(v), u"#0"), "0");
  }
}
