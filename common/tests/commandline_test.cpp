// The command-line splitter the three programs share; each program's own
// limit and reading of the rest is tested beside it.
#include <gtest/gtest.h>

#include "common/commandline.h"

namespace {

using common::CommandFieldsFromArguments;
using common::SplitCommandFields;

TEST(CommandLineFields, SplitAtEveryCommaUpToTheLimit) {
  struct Case {
    QString text;
    int limit;
    QStringList fields;
    int separators;
    bool truncated;
    QString rest;
  } const cases[] = {
      {"", 0, {}, 0, false, ""},
      {",", 0, {"", ""}, 1, false, ""},
      {"a,,b,", 0, {"a", "", "b", ""}, 3, false, ""},
      {"a,b,c", 3, {"a", "b", "c"}, 2, false, ""},
      // A "," after the last kept field cuts, even with nothing behind it.
      {"a,b,c,", 3, {"a", "b", "c"}, 2, true, ""},
      {"a,b,c,d,,e", 3, {"a", "b", "c"}, 2, true, "d,,e"},
      {"許功蓋,A1", 1, {"許功蓋"}, 0, true, "A1"},
  };
  for (const Case& c : cases) {
    const common::CommandFields f = SplitCommandFields(c.text, c.limit);
    const std::string at = c.text.toStdString() + " / " + std::to_string(c.limit);
    EXPECT_EQ(f.fields, c.fields) << at;
    EXPECT_EQ(f.separators, c.separators) << at;
    EXPECT_EQ(f.truncated, c.truncated) << at;
    EXPECT_EQ(f.rest, c.rest) << at;
  }
}

TEST(CommandLineFields, ArgumentsAreJoinedWithBlanksFirst) {
  EXPECT_EQ(CommandFieldsFromArguments({"/my", "docs/~T1.txt,/opt/x/Tavrel"}).fields,
            (QStringList{"/my docs/~T1.txt", "/opt/x/Tavrel"}));
  EXPECT_TRUE(CommandFieldsFromArguments({}).Empty());
  EXPECT_EQ(CommandFieldsFromArguments({"a,b", "c"}).Field(1), QString("b c"));
  EXPECT_EQ(CommandFieldsFromArguments({"a"}).Field(5), QString());
}

}  // namespace
