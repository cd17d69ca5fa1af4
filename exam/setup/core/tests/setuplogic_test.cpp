// The set-up screen's rules without a window.
#include <gtest/gtest.h>

#include "exam/setup/core/setuplogic.h"

namespace {

using namespace setup;

TEST(CommandFields, SplitsAtCommasKeepingEmptyFieldsAndAtMostSeven) {
  struct Case {
    QString text;
    QStringList fields;
    int separators;
    bool truncated;
  } const cases[] = {
      {"", {}, 0, false},
      {"/tmp/~T000001.ttt", {"/tmp/~T000001.ttt"}, 0, false},
      {"/tmp/~T1.ttt,/d/T0001.R01", {"/tmp/~T1.ttt", "/d/T0001.R01"}, 1, false},
      {",,", {"", "", ""}, 2, false},
      {"王小明,A123456789,1990/5/3", {"王小明", "A123456789", "1990/5/3"}, 2, false},
      {"a,b,c,d,e,f,g", {"a", "b", "c", "d", "e", "f", "g"}, 6, false},
      {"a,b,c,d,e,f,g,h,i", {"a", "b", "c", "d", "e", "f", "g"}, 6, true},
  };
  for (const Case& c : cases) {
    const CommandFields f = SplitCommandFields(c.text);
    EXPECT_EQ(f.fields, c.fields) << c.text.toStdString();
    EXPECT_EQ(f.separators, c.separators) << c.text.toStdString();
    EXPECT_EQ(f.truncated, c.truncated) << c.text.toStdString();
  }
  EXPECT_TRUE(IsScorerRestart(SplitCommandFields("/tmp/~T1.ttt,/d/T0001.R01,123")));
  EXPECT_FALSE(IsScorerRestart(SplitCommandFields("王小明,A123456789,123,x")));
  EXPECT_FALSE(IsScorerRestart(SplitCommandFields("王小明,A123456789,1990/5/3")));
}

TEST(BirthDate, ReadsYearMonthDayOrNothing) {
  const auto d = ParseBirthDate("1990/5/3");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->year, "1990");
  EXPECT_EQ(d->month, "05");
  EXPECT_EQ(d->day, "03");
  EXPECT_TRUE(ParseBirthDate("2001-12-31"));
  EXPECT_TRUE(ParseBirthDate("2001.1.1"));
  EXPECT_EQ(ParseBirthDate("800/1/2")->year, "0800");
  for (const char* bad : {"123", "", "1990/2/30", "1990/13/1", "1990/5-3", "abc", "1990/5/3x", "0/1/1"})
    EXPECT_FALSE(ParseBirthDate(QString::fromUtf8(bad))) << bad;
}

TEST(Midnight, ATestMustEndBeforeMidnight) {
  EXPECT_TRUE(RunsPastMidnight(79200, 120));        // 22:00:00, two hours
  EXPECT_FALSE(RunsPastMidnight(79189, 120));       // 21:59:49 ends at 86399
  EXPECT_TRUE(RunsPastMidnight(79189, 120, 60));    // ... but not after a minute's countdown
  EXPECT_FALSE(RunsPastMidnight(32400, 10, 60));
}

TEST(ParticularsLayout, PlacesRowsBySpacingOfTheVisibleCount) {
  struct Case {
    QString layout;
    int step, first;
    QList<int> rows, tops, visible;
  } const cases[] = {
      {"12341110", 500, 150, {1, 2, 3, 4}, {150, 650, 1150, 1650}, {1, 1, 1, 0}},
      {"31241111", 400, 80, {3, 1, 2, 4}, {80, 480, 880, 1280}, {1, 1, 1, 1}},
      {"12340000", 500, 400, {1, 2, 3, 4}, {400, 900, 1400, 1900}, {0, 0, 0, 0}},
      {"12341100", 600, 300, {1, 2, 3, 4}, {300, 900, 1500, 2100}, {1, 1, 0, 0}},
      {"12341200", 500, 400, {1, 2, 3, 4}, {400, 900, 1400, 1900}, {1, 2, 0, 0}},
  };
  for (const Case& c : cases) {
    const ParticularsLayout l = ComputeParticularsLayout(c.layout);
    ASSERT_TRUE(l.valid);
    EXPECT_EQ(l.step, c.step) << c.layout.toStdString();
    EXPECT_EQ(l.firstTop, c.first) << c.layout.toStdString();
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(l.rows[i].row, c.rows[i]);
      EXPECT_EQ(l.rows[i].top, c.tops[i]);
      EXPECT_EQ(l.rows[i].visibility, c.visible[i]);
    }
  }
  EXPECT_FALSE(ComputeParticularsLayout("1234111").valid);
  EXPECT_FALSE(ComputeParticularsLayout("123411100").valid);
}

TEST(ResultBase, NameOrIdentityElseTheTestFileSafely) {
  using common::ResultBase;
  struct Case {
    int rule;
    QString name, identity;
    QString base;
    ResultBase kind;
  } const cases[] = {
      {1, "王小明", "A1", "王小明", ResultBase::UserEntry},
      {2, "王小明", "A123456789", "A123456789", ResultBase::UserEntry},
      {2, "王小明", "", "T0001.txt", ResultBase::FileName},
      {1, "", "A1", "T0001.txt", ResultBase::FileName},
      {0, "王小明", "A1", "T0001.txt", ResultBase::FileName},
      {1, "../..", "", "T0001.txt", ResultBase::FileName},
      {1, "///", "", "T0001.txt", ResultBase::FileName},
      {1, "  ", "", "T0001.txt", ResultBase::FileName},
      {1, "../etc/x", "", "../etc/x", ResultBase::UserEntry},  // the name is made safe when numbered
  };
  for (const Case& c : cases) {
    const ResultBaseChoice r = ChooseResultBase(c.rule, c.name, c.identity, "T0001.txt");
    EXPECT_EQ(r.base, c.base) << c.name.toStdString();
    EXPECT_EQ(r.kind, c.kind) << c.name.toStdString();
  }
}

TEST(FileNameOf, EitherSeparator) {
  EXPECT_EQ(FileNameOf("C:\\Data\\T0001.txt"), "T0001.txt");
  EXPECT_EQ(FileNameOf("/srv/Data/T0001.txt"), "T0001.txt");
  EXPECT_EQ(FileNameOf("T0001.txt"), "T0001.txt");
  EXPECT_EQ(FileNameOf("/srv/Data/"), "");
}

}  // namespace
