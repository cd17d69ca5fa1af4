// The minutes box as both the set-up's Start and the test screen read it.
#include <gtest/gtest.h>

#include "exam/record/setupvalues.h"

namespace {

TEST(TestMinutes, WholeMinutesInRangeOnly) {
  struct Case {
    const char* text;
    std::optional<int> minutes;
  } const cases[] = {
      {"10", 10}, {" 120 ", 120}, {"01", 1}, {"1440", 1440}, {"\t5", 5},
      {"", {}}, {"  ", {}}, {"0", {}}, {"1441", {}}, {"-5", {}}, {"+5", {}},
      {"3x", {}}, {"5分", {}}, {"x10", {}}, {"1.5", {}}, {"5.", {}}, {"1,5", {}},
      {"1 0", {}}, {"９", {}}, {"99999999999", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(rec::TestMinutes(QString::fromUtf8(c.text)), c.minutes) << c.text;
}

}  // namespace
