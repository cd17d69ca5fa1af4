#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <clocale>
#include <thread>

#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/filelock.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

using namespace plat;

TEST(Codec, TrailBytesThatLookLikeSeparatorsSurvive) {
  // 許 B3 5C, 功 A5 5C, 蓋 BB 5C: second bytes are "\".
  QByteArray raw("\xB3\x5C\xA5\x5C\xBB\x5C|", 7);
  QString s = fromCp950(raw);
  EXPECT_EQ(s, QString::fromUtf8("許功蓋|"));
  EXPECT_EQ(toCp950(s), raw);
}

TEST(Codec, UnencodableBecomesQuestionMarkAndBadBytesDoNotAbort) {
  bool lossless = true;
  EXPECT_EQ(toCp950(QString::fromUtf8("a简😀b"), &lossless), QByteArray("a??b"));
  EXPECT_FALSE(lossless);
  int bad = 0;
  QString s = fromCp950(QByteArray("A\xA4", 2), &bad);
  EXPECT_EQ(s, QStringView(u"A\uFFFD").toString());
  EXPECT_EQ(bad, 1);
  EXPECT_FALSE(fitsCp950(QString::fromUtf8("简")));
  EXPECT_TRUE(fitsCp950(QString::fromUtf8("測驗檔名")));
}

TEST(TextFile, ReadsEveryLineEndingAndWritesCrlf) {
  QTemporaryDir dir;
  QString p = dir.filePath("a.txt");
  QFile f(p);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("one\r\ntwo\nthree\rfour");
  f.close();
  QStringList lines;
  ASSERT_TRUE(readTextLines(p, lines));
  EXPECT_EQ(lines, (QStringList{"one", "two", "three", "four"}));
  ASSERT_TRUE(writeTextLines(p, {QString::fromUtf8("許"), "b"}));
  QByteArray bytes;
  ASSERT_TRUE(readAllBytes(p, bytes));
  EXPECT_EQ(bytes, QByteArray("\xB3\x5C\r\nb\r\n"));
  EXPECT_FALSE(readTextLines(dir.filePath("missing"), lines));
  EXPECT_EQ(trimTrailingBlanks(QString::fromUtf8("a \t　  ")), QString::fromUtf8("a \t　"));
}

TEST(FileLock, AnAppendWaitsForTheHolderAndAWaitThatRunsOutIsAFailure) {
  QTemporaryDir dir;
  const QString p = dir.filePath("log.txt");
  ASSERT_TRUE(appendTextLine(p, "one"));
  QFile holder(p);
  ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
  auto lock = std::make_unique<FileLock>(holder.handle());
  ASSERT_TRUE(lock->locked());

  // Another open of the same file does not get the lock while it is held.
  QFile other(p);
  ASSERT_TRUE(other.open(QIODevice::ReadWrite));
  const FileLock none(other.handle(), std::chrono::milliseconds(0));
  EXPECT_FALSE(none.locked());
  EXPECT_FALSE(none.error().isEmpty());

  // An append started meanwhile waits, and writes once the holder lets go.
  std::atomic<bool> waiting = false;
  SetFileLockWaitHook([&] { waiting = true; });
  bool appended = false;
  std::thread t([&] { appended = appendTextLine(p, "two"); });
  for (int i = 0; i < 3000 && !waiting; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const bool waited = waiting;
  lock.reset();
  t.join();
  SetFileLockWaitHook({});
  EXPECT_TRUE(waited);
  EXPECT_TRUE(appended);
  QStringList lines;
  ASSERT_TRUE(readTextLines(p, lines));
  EXPECT_EQ(lines, (QStringList{"one", "two"}));
}

TEST(Compat, ValNumberTable) {
  struct Case { const char* in; double out; };
  const Case cases[] = {{"2.5", 2.5}, {" 45", 45}, {"4 5", 45}, {"abc", 0}, {"1e1", 10},
                        {"0x10", 0}, {"-3.25x", -3.25}, {"", 0}, {".5", 0.5}, {"+7", 7},
                        {"1D2", 100}, {"12e", 12}, {"3.4.5", 3.4}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ValNumber(QString::fromUtf8(c.in)), c.out) << c.in;
  bool ok = true;
  ValNumber(u"1e400", &ok);
  EXPECT_FALSE(ok);
}

TEST(Compat, ValNumberIgnoresTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string keep = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
    EXPECT_DOUBLE_EQ(ValNumber(u"2.5"), 2.5);
    EXPECT_EQ(FormatNumber(2.5, u"0.00"), "2.50");
  }
  std::setlocale(LC_NUMERIC, keep.c_str());
}

TEST(Compat, RoundingHalvesToEvenAndRangeAfterRounding) {
  EXPECT_EQ(*RoundHalfEven(2.5), 2);
  EXPECT_EQ(*RoundHalfEven(3.5), 4);
  EXPECT_EQ(*RoundHalfEven(-0.5), 0);
  EXPECT_FALSE(ToByte(255.6).has_value());
  EXPECT_EQ(*ToByte(-0.4), 0);
  EXPECT_FALSE(ToByte(-1).has_value());
  EXPECT_FALSE(ToInt16(32767.5).has_value());
  EXPECT_EQ(*ToInt16(-32768), -32768);
}

TEST(Compat, FormatPatterns) {
  struct Case { double v; const char* pat; const char* out; };
  const Case cases[] = {{3723, "000000", "003723"}, {5, "00", "05"}, {97.8333, "0.00", "97.83"},
                        {0.125, "0.00", "0.13"}, {2.5, "0", "3"}, {0, "#0", "0"},
                        {7.5, "#0", "8"}, {1.005, "0.00", "1.01"}, {12.25, "##0.0", "12.3"},
                        {-1.5, "0", "-2"}, {-0.001, "0.00", "0.00"}, {100, "##0.00", "100.00"},
                        {5.0, "000.000", "005.000"}};
  for (const Case& c : cases) EXPECT_EQ(FormatNumber(c.v, QString::fromLatin1(c.pat)), c.out) << c.v << c.pat;
  // A single is taken to 7 digits first: 0.285f is 0.28499999... as a double.
  EXPECT_EQ(FormatSingle(0.285f, u"0.00"), "0.29");
  EXPECT_EQ(NumberText(0.5), "0.5");
  EXPECT_EQ(NumberText(1.0), "1");
}

TEST(Paths, WildcardsAsWindowsMatchesThem) {
  EXPECT_TRUE(WildcardMatch(u"T*.txt", u"T01.TXT"));
  EXPECT_TRUE(WildcardMatch(u"*.*", u"README"));
  EXPECT_TRUE(WildcardMatch(u"~T*.T*", u"~T123456.ttt"));
  EXPECT_FALSE(WildcardMatch(u"*.S??", u"lib.so"));
  EXPECT_TRUE(WildcardMatch(u"A?.S0?", u"ab.s01"));
  EXPECT_FALSE(WildcardMatch(u"T*.txt", u"xT01.txt"));
}

TEST(Paths, CaseInsensitiveLookupAndSanitizing) {
  QTemporaryDir dir;
  QFile f(dir.filePath("KEY.INI"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_EQ(FindCaseInsensitive(dir.path(), "Key.Ini"), dir.path() + "/KEY.INI");
  EXPECT_EQ(ResolvePath(dir.path() + "\\key.ini"), dir.path() + "/KEY.INI");
  EXPECT_EQ(SanitizeFileBase("../a/b*c?"), "_a_b_c_");
  EXPECT_EQ(SanitizeFileBase("J. Smith"), "J. Smith");
  EXPECT_EQ(SanitizeFileBase("..x"), "x");
  EXPECT_EQ(SanitizeFileBase("Lee,Ann"), "Lee_Ann");
  qputenv("TMP", "/var/tmp/");
  EXPECT_EQ(TempFolder(), "/var/tmp");
  qunsetenv("TMP");
}
