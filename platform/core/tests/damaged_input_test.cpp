// Bytes from damaged files: a character torn at the end of the bytes.
#include <gtest/gtest.h>

#include "platform/core/codec.h"

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
