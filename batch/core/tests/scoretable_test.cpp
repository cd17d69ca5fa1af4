#include <gtest/gtest.h>

#include <QMap>

#include "batch/core/scoretable.h"
#include "printers.h"

using namespace batch;

namespace {

ScoreRow row(const char* name, float correct, float errors, float net, float acc, float err, float speed,
             const char* duration = "10:00", std::int16_t test = 1) {
  ScoreRow r;
  r.testNumber = test;
  r.name = QString::fromUtf8(name);
  r.identity = "A123456789";
  r.testFile = "T01.TXT";
  r.duration = duration;
  r.results = {correct, errors, net, acc, err, speed};
  return r;
}

QMap<int, QString> texts() {
  return {{12701, "總成績"}, {12705, "分"}, {12706, "第"}, {12707, "次"}, {12708, "共"},
          {12709, "筆"},   {12710, "%"},  {12711, "字/分"}};
}

TableEnv env(QStringList* log = nullptr) {
  TableEnv e;
  auto t = texts();
  e.text = [t](int id) { return t.value(id); };
  e.log = [log](const QString& s) {
    if (log) log->append(s);
  };
  e.now = [] { return QStringLiteral("2026/3/5 上午 09:00:00"); };
  return e;
}

QStringList names(const ScoreTable& t, bool sorted) {
  QStringList out;
  for (int i = 1; i <= t.LoadedCount(); ++i) out << (sorted ? t.Sorted(i) : t.Working(i)).name;
  return out;
}

}  // namespace

TEST(ScoreTableLoad, SummaryRecordsAreSkippedAndTheRestCloseUp) {
  ScoreTable t(env());
  ScoreRow summary = row("總", 1, 1, 1, 1, 1, 1, "0", 0);
  summary.testFile = "總成績";
  ScoreRow zeroButCandidate = row("零", 1, 1, 1, 1, 1, 1, "10:00", 0);  // no marker: a candidate
  t.TakeRows({row("甲", 1, 0, 1, 100, 0, 1), summary, zeroButCandidate, row("乙", 2, 0, 2, 100, 0, 2)}, 4);
  EXPECT_EQ(t.LoadedCount(), 3);
  EXPECT_EQ(names(t, false), (QStringList{"甲", "零", "乙"}));
  EXPECT_EQ(names(t, true), (QStringList{"甲", "零", "乙"}));
}

TEST(ScoreTableLoad, OnlyTheFirstHundredRecordsAreConsideredAndTheRestLogged) {
  QStringList log;
  ScoreTable t(env(&log));
  QList<ScoreRow> rows;
  for (int i = 0; i < 130; ++i) {
    ScoreRow r = row("x", float(i), 0, 0, 0, 0, 0);
    if (i == 5) {
      r.testNumber = 0;
      r.testFile = "總成績";
    }
    rows << r;
  }
  t.TakeRows(rows, 130);
  EXPECT_EQ(t.LoadedCount(), 99);
  EXPECT_EQ(t.Working(99).results[Correct], 99.0f);
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].contains("30"));
}

TEST(ScoreTableLoad, FieldsAreTrimmedAndALoadReplacesWhatWasThere) {
  ScoreTable t(env());
  ScoreRow r = row("  王小明  ", 1, 0, 1, 100, 0, 1);
  r.answerFile = "/tmp/a.S01      ";
  r.birthday = " 2000/1/2  ";
  t.TakeRows({r, r, r}, 3);
  t.TakeRows({r}, 1);  // no clear in between: still one candidate
  t.RecomputeScores(SummaryRules{});
  EXPECT_EQ(t.LoadedCount(), 1);
  EXPECT_EQ(t.Working(1).name, QString("王小明"));
  EXPECT_EQ(t.Working(1).birthday, QString(" 2000/1/2"));
  EXPECT_EQ(t.Working(2), ScoreRow{});
  t.MoveToRecord(0);
  EXPECT_EQ(t.CandidateTextPath(), QString("/tmp/a.S01"));
}

TEST(ScoreTableSort, AllPairsExchangeOnAHandComputedCase) {
  // Speed descending then net descending (the default order). Hand trace of
  // the all-pairs pass over speeds 30, 50, 40 with nets 9, 7, 8:
  // i=1: j=1 -; j=2 step3 30>50 no, step6 9>7 swap -> (50,7)(30,9)(40,8)
  //      j=3 step3 50>40 swap -> (40,8)(30,9)(50,7); step6 8>7 swap -> (50,7)(30,9)(40,8)
  // i=2: j=1 step3 30>50 no; step6 9>7 swap -> (30,9)(50,7)(40,8)
  //      j=2 -; j=3 step3 50>40 swap -> (30,9)(40,8)(50,7); step6 8>7 swap -> (30,9)(50,7)(40,8)
  // i=3: j=1 step3 40>30 swap -> (40,8)(50,7)(30,9); step6 9>8 swap -> (30,9)(50,7)(40,8)
  //      j=2 step3 40>50 no; step6 8>7 swap -> (30,9)(40,8)(50,7); j=3 -
  ScoreTable t(env());
  t.TakeRows({row("A", 0, 0, 9, 0, 0, 30), row("B", 0, 0, 7, 0, 0, 50), row("C", 0, 0, 8, 0, 0, 40)}, 3);
  SummaryRules rules;
  rules.method = 1;
  t.RecomputeScores(rules);
  EXPECT_EQ(names(t, true), (QStringList{"A", "C", "B"}));
  EXPECT_EQ(t.Summary().name, QString("B"));
  EXPECT_EQ(names(t, false), (QStringList{"A", "B", "C"}));  // the working table keeps file order
}

TEST(ScoreTableSort, OrdersOfEachKindAndMalformedOrders) {
  struct Case {
    const char* order;
    QStringList sorted;
  };
  // Correct counts 5, 9, 1, 7.
  const Case cases[] = {
      {"100000100000", {"c", "a", "d", "b"}},  // ascending: the summary is the highest
      {"100000200000", {"b", "d", "a", "c"}},  // descending
      {"10000010000", {"a", "b", "c", "d"}},   // 11 characters: nothing moves
      {"1000001000000", {"a", "b", "c", "d"}}, // 13 characters
      {"700000100000", {"a", "b", "c", "d"}},  // key out of range
      {"100000300000", {"a", "b", "c", "d"}},  // unknown direction
  };
  for (const Case& c : cases) {
    ScoreTable t(env());
    t.TakeRows({row("a", 5, 0, 0, 0, 0, 0), row("b", 9, 0, 0, 0, 0, 0), row("c", 1, 0, 0, 0, 0, 0),
                row("d", 7, 0, 0, 0, 0, 0)},
               4);
    SummaryRules rules;
    rules.method = 1;
    rules.order = c.order;
    t.RecomputeScores(rules);
    EXPECT_EQ(names(t, true), c.sorted) << c.order;
    EXPECT_EQ(t.Summary().name, c.sorted.last()) << c.order;
  }
}

TEST(ScoreTableSort, ALaterStepOverridesAnEarlierOne) {
  // Step 1 ascending by correct, step 2 descending by correct: the second wins.
  ScoreTable t(env());
  t.TakeRows({row("a", 5, 0, 0, 0, 0, 0), row("b", 9, 0, 0, 0, 0, 0), row("c", 1, 0, 0, 0, 0, 0)}, 3);
  SummaryRules rules;
  rules.method = 1;
  rules.order = "110000120000";
  t.RecomputeScores(rules);
  EXPECT_EQ(names(t, true), (QStringList{"b", "a", "c"}));
}

TEST(ScoreTableSummary, OneCandidateByEachMethod) {
  for (int method : {1, 2, 3}) {
    ScoreTable t(env());
    t.TakeRows({row("甲", 300, 10, 290, 96.77f, 3.23f, 29, "10:30")}, 1);
    SummaryRules rules;
    rules.method = method;
    rules.errorDivisor = 0.5f;
    rules.correctDivisor = 1;
    t.RecomputeScores(rules);
    const ScoreRow& s = t.Summary();
    EXPECT_EQ(s.name, QString("甲"));
    EXPECT_EQ(s.results[Correct], 300.0f);
    if (method == 3) {
      // e' = 20, c' = 300: 93.75 %; ten whole minutes; 290 / 10.
      EXPECT_FLOAT_EQ(s.results[Accuracy], 93.75f);
      EXPECT_FLOAT_EQ(s.results[ErrorRate], 6.25f);
      EXPECT_EQ(s.duration, QString("10"));
      EXPECT_FLOAT_EQ(s.results[Speed], 29.0f);
    } else {
      EXPECT_FLOAT_EQ(s.results[Accuracy], 96.77f);
      EXPECT_EQ(s.duration, method == 2 ? QString("10:30") : QString("10:30"));
    }
  }
}

TEST(ScoreTableSummary, AverageOfDurationsAndResults) {
  struct Case {
    QStringList durations;
    const char* shown;
  };
  const Case cases[] = {
      {{"10:30", "11:00"}, "10:45"},
      {{"02:30"}, "2:30"},
      {{"00:45"}, "0:45"},
      {{"02:05"}, "2:05"},          // seconds keep two digits
      {{"75:00", "65:00"}, "70:00"},  // an hour or more still averages
      {{"10:00", "abc"}, "5:00"},   // an unreadable one counts as 0
      {{"00:01", "00:02"}, "0:02"}, // 1.5 s rounds half to even
  };
  for (const Case& c : cases) {
    QStringList log;
    ScoreTable t(env(&log));
    QList<ScoreRow> rows;
    for (const QString& d : c.durations) rows << row("x", 100, 2, 98, 98, 2, 20, d.toUtf8().constData());
    rows[0].results[Correct] = 101;
    t.TakeRows(rows, rows.size());
    SummaryRules rules;
    rules.method = 2;
    t.RecomputeScores(rules);
    EXPECT_EQ(t.Summary().duration, QString(c.shown)) << c.durations.join(",").toStdString();
    EXPECT_FLOAT_EQ(t.Summary().results[Correct], rows.size() == 1 ? 101.0f : (101.0f + 100 * (rows.size() - 1)) / rows.size());
    EXPECT_EQ(log.size(), c.durations.contains("abc") ? 1 : 0);
  }
}

TEST(ScoreTableSummary, TotalAccuracyDivisorsAndMinutes) {
  ScoreTable t(env());
  t.TakeRows({row("a", 200, 4, 196, 0, 0, 0, "10:59"), row("b", 100, 6, 94, 0, 0, 0, "12:01")}, 2);
  SummaryRules rules;
  rules.method = 0;
  rules.errorDivisor = 0.5f;
  rules.correctDivisor = 2;
  t.RecomputeScores(rules);
  const ScoreRow& s = t.Summary();
  // c' = 150, e' = 20: 1 - 20/170 = 88.235..% -> 88.24; 100 - 88.24 = 11.76.
  EXPECT_EQ(s.results[Correct], 300.0f);
  EXPECT_EQ(s.results[Errors], 10.0f);
  EXPECT_EQ(s.results[Net], 290.0f);
  EXPECT_FLOAT_EQ(s.results[Accuracy], 88.24f);
  EXPECT_FLOAT_EQ(s.results[ErrorRate], 11.76f);
  EXPECT_EQ(s.duration, QString("22"));
  EXPECT_FLOAT_EQ(s.results[Speed], 290.0f / 22);
}

TEST(ScoreTableSummary, TotalEdgeCases) {
  {
    ScoreTable t(env());
    t.TakeRows({row("a", 0, 5, 0, 0, 0, 0), row("b", 0, 3, 0, 0, 0, 0)}, 2);
    t.RecomputeScores(SummaryRules{});
    EXPECT_EQ(t.Summary().results[Accuracy], 0.0f);
    EXPECT_EQ(t.Summary().results[ErrorRate], 100.0f);
    EXPECT_EQ(t.Summary().results[Speed], 0.0f);
  }
  {
    // Unset divisors (0) do not give inf or NaN.
    ScoreTable t(env());
    t.TakeRows({row("a", 100, 0, 100, 0, 0, 0, "00:30")}, 1);
    SummaryRules rules;
    rules.errorDivisor = 0;
    rules.correctDivisor = 0;
    t.RecomputeScores(rules);
    EXPECT_EQ(t.Summary().results[Accuracy], 100.0f);
    EXPECT_EQ(t.Summary().results[ErrorRate], 0.0f);
    EXPECT_EQ(t.Summary().results[Speed], 0.0f);  // zero whole minutes
  }
}

TEST(ScoreTableSummary, PassMarkZeroesOnlyTheNetCount) {
  struct Case {
    float errorRate;
    bool fails;
  };
  for (Case c : {Case{10.0f, true}, Case{9.99f, false}, Case{12.0f, true}}) {
    ScoreTable t(env());
    t.TakeRows({row("a", 100, 10, 90, 90, c.errorRate, 25)}, 1);
    SummaryRules rules;
    rules.method = 2;
    rules.passMarkOn = 1;
    rules.passMark = 10;
    t.RecomputeScores(rules);
    EXPECT_EQ(t.Summary().results[Net], c.fails ? 0.0f : 90.0f) << c.errorRate;
    EXPECT_EQ(t.Summary().results[Speed], 25.0f);
    EXPECT_EQ(t.Display().TEXT11Colour, c.fails ? Colour::Red : Colour::Blue);
    EXPECT_EQ(t.Display().TEXT09Colour, c.fails ? Colour::Red : Colour::Blue);
  }
  // A failing summary followed by a passing one turns the label blue again.
  ScoreTable t(env());
  SummaryRules rules;
  rules.method = 2;
  rules.passMarkOn = 1;
  rules.passMark = 10;
  t.TakeRows({row("a", 100, 10, 90, 90, 20, 25)}, 1);
  t.RecomputeScores(rules);
  t.TakeRows({row("a", 100, 10, 90, 90, 1, 25)}, 1);
  t.RecomputeScores(rules);
  EXPECT_EQ(t.Display().TEXT11Colour, Colour::Blue);
}

TEST(ScoreTableShow, MainWindowCaptionsAndColours) {
  ScoreTable t(env());
  t.TakeRows({row("王", 117.5f, 3, 0, 97.456f, 2.5f, 30, "10:05")}, 1);
  SummaryRules rules;
  rules.method = 2;
  rules.blueSpeed = 30;
  DisplayTexts seen;
  t.onDisplay = [&](const DisplayTexts& d) { seen = d; };
  t.RecomputeScores(rules);
  EXPECT_EQ(seen.TEXT01, QString("王"));
  EXPECT_EQ(seen.TEXT04, QString("1"));
  EXPECT_EQ(seen.TEXT05, QString("總成績"));
  EXPECT_EQ(seen.TEXT06, QString("2026/3/5 上午 09:00:00"));
  EXPECT_EQ(seen.TEXT07, QString("117.5 分"));
  EXPECT_EQ(seen.TEXT09, QString("0 分"));
  EXPECT_EQ(seen.TEXT09Colour, Colour::Red);
  EXPECT_EQ(seen.TEXT10, QString("97.46 %"));
  EXPECT_EQ(seen.TEXT11, QString("2.5 %"));
  EXPECT_EQ(seen.TEXT12, QString("30.0 字/分"));
  EXPECT_EQ(seen.TEXT12Colour, Colour::Blue);  // equal to 882 is blue
  EXPECT_EQ(seen.TEXT13, QString("10:05"));
  t.TakeRows({row("王", 1, 0, 1, 100, 0, 29.99f)}, 1);
  t.RecomputeScores(rules);
  EXPECT_EQ(seen.TEXT12Colour, Colour::Red);
}

TEST(ScoreTableShow, SheetCaptionsAndDurationUnit) {
  struct Case {
    const char* duration;
    QString shown;
  };
  // An empty duration shows empty, never the previous candidate's time.
  const Case cases[] = {{"10:05", "10:05分"}, {":30", ":30"}, {"分", "分"}, {"  ", ""}, {"", ""}};
  for (const Case& c : cases) {
    ScoreTable t(env());
    t.TakeRows({row("王", 300, 2, 298, 99.33f, 0.67f, 29.8f, c.duration, 3)}, 1);
    t.RecomputeScores(SummaryRules{});
    t.MoveToRecord(0);
    const SheetTexts& s = t.Sheet();
    EXPECT_EQ(s.Text5A, c.shown) << c.duration;
    EXPECT_EQ(s.Text1, QString("王"));
    EXPECT_EQ(s.Text9, QString("99.33"));
    EXPECT_EQ(s.TEXT11, QString("29.8"));
    EXPECT_EQ(s.TEXT14, QString("第 3 次"));
    EXPECT_EQ(s.Label15, QString("共 1 筆"));
  }
}

TEST(ScoreTableStep, StaysInsideTheRange) {
  ScoreTable t(env());
  t.TakeRows({row("a", 1, 0, 0, 0, 0, 0), row("b", 2, 0, 0, 0, 0, 0), row("c", 3, 0, 0, 0, 0, 0)}, 3);
  // Before any summary the range is 0..0: stepping shows the summary row.
  EXPECT_EQ(t.MoveToRecord(2), 1);
  EXPECT_EQ(t.CurrentIndex(), 0);
  t.RecomputeScores(SummaryRules{});
  EXPECT_EQ(t.MoveToRecord(0), 1);
  EXPECT_EQ(t.Sheet().Text1, QString("a"));
  EXPECT_EQ(t.MoveToRecord(1), 0);  // back from the first stays
  EXPECT_EQ(t.CurrentIndex(), 1);
  EXPECT_EQ(t.MoveToRecord(2), 1);
  EXPECT_EQ(t.MoveToRecord(2), 1);
  EXPECT_EQ(t.Sheet().Text1, QString("c"));
  EXPECT_EQ(t.MoveToRecord(2), 0);  // on from the last stays
  EXPECT_EQ(t.CurrentIndex(), 3);
}

TEST(ScoreTableClear, EmptiesTheWorkingTableOnly) {
  ScoreTable t(env());
  t.TakeRows({row("a", 1, 0, 0, 0, 0, 0)}, 1);
  t.ClearRecords();
  EXPECT_EQ(t.LoadedCount(), 0);
  EXPECT_EQ(t.CurrentIndex(), 1);
  EXPECT_EQ(t.Working(1), ScoreRow{});
  EXPECT_EQ(t.Sorted(1).name, QString("a"));
}

TEST(Durations, TextAndSeconds) {
  EXPECT_EQ(SecondsToMinSec(150), QString("2:30"));
  EXPECT_EQ(SecondsToMinSec(59), QString("0:59"));
  EXPECT_EQ(SecondsToMinSec(125), QString("2:05"));
  EXPECT_EQ(SecondsToMinSec(6000), QString("100:00"));
  EXPECT_EQ(TimeToSeconds("10:05"), 605);
  EXPECT_EQ(TimeToSeconds("100:05"), 6005);
  EXPECT_EQ(TimeToSeconds(" 10:05 "), 605);
  EXPECT_EQ(TimeToSeconds(""), 0);
  EXPECT_EQ(TimeToSeconds("1:x"), 0);
  EXPECT_FALSE(DurationSeconds("").has_value());
  EXPECT_FALSE(DurationSeconds("10:").has_value());
}
