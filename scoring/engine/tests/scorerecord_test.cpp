#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/filelock.h"
#include "platform/core/textfile.h"
#include "scoring/engine/resultline.h"
#include "scoring/engine/scorerecord.h"
#include "testsupport/core/fulldisk.h"
#include "testsupport/core/seams.h"

using namespace scoring;

namespace {

ScoreRecord Sample() {
  ScoreRecord r;
  r.testNumber = 0x0102;
  r.name = QStringLiteral("王小明");
  r.identity = QStringLiteral("A123456789");
  r.birthday = QStringLiteral("1990/5/3");
  r.scoredAt = QStringLiteral("2026/03/05 09:10:11");
  r.testFile = QStringLiteral("C:\\T\\T01.txt");
  r.duration = QStringLiteral("10:05");
  r.results = {120.0f, 1.5f, 118.5f, 98.76f, 1.24f, 11.9f};
  r.answerFile = QStringLiteral("C:\\R\\A123.T01");
  return r;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

}  // namespace

TEST(ScoreRecordCodec, LayoutIsLittleEndianAtFixedOffsets) {
  const QByteArray b = EncodeScoreRecord(Sample());
  ASSERT_EQ(b.size(), kScoreRecordSize);
  EXPECT_EQ(quint8(b[0]), 0x02);
  EXPECT_EQ(quint8(b[1]), 0x01);
  // 王小明 is six bytes in Big5, then blanks up to 20.
  EXPECT_EQ(b.mid(2, 6), plat::toCp950(u"王小明"));
  EXPECT_EQ(b.mid(8, 14), QByteArray(14, ' '));
  EXPECT_EQ(b.mid(22, 10), QByteArray("A123456789"));
  EXPECT_EQ(b.mid(42, 8), QByteArray("1990/5/3"));
  EXPECT_EQ(b.mid(90, 12), QByteArray("C:\\T\\T01.txt"));
  EXPECT_EQ(b.mid(136, 12), QByteArray("10:05       "));
  // 120.0f = 0x42F00000
  EXPECT_EQ(b.mid(148, 4), QByteArray::fromHex("0000f042"));
  // 1.5f = 0x3FC00000
  EXPECT_EQ(b.mid(152, 4), QByteArray::fromHex("0000c03f"));
  EXPECT_EQ(b.mid(172, 14), QByteArray("C:\\R\\A123.T01 "));
}

TEST(ScoreRecordCodec, RoundTripsAndNegativeTestNumbers) {
  ScoreRecord r = Sample();
  r.testNumber = -2;
  ScoreRecord back;
  ASSERT_TRUE(DecodeScoreRecord(EncodeScoreRecord(r), back));
  EXPECT_EQ(back, r);
  EXPECT_FALSE(DecodeScoreRecord(QByteArray(251, ' '), back));
}

TEST(ScoreRecordCodec, LongTextIsCutAtAWholeCharacter) {
  struct Case {
    QString text;
    int width;
    QString expect;
  } cases[] = {
      {QStringLiteral("一二三四五六七八九十甲"), 20, QStringLiteral("一二三四五六七八九十")},
      {QStringLiteral("A一二三四五六七八九十"), 20, QStringLiteral("A一二三四五六七八九")},
      {QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV"), 20, QStringLiteral("ABCDEFGHIJKLMNOPQRST")},
      {QStringLiteral("短"), 20, QStringLiteral("短")},
  };
  for (const Case& c : cases) {
    bool cut = false;
    const QByteArray f = FitField(c.text, c.width, &cut);
    ASSERT_EQ(f.size(), c.width);
    EXPECT_EQ(ReadField(f), c.expect) << c.text.toStdString();
    EXPECT_EQ(cut, c.text != c.expect);
    int bad = 0;
    plat::fromCp950(f, &bad);
    EXPECT_EQ(bad, 0) << "half a character left in the field";
  }
}

TEST(ScoreRecordCodec, ReadFieldDropsTrailingBlanksAndNuls) {
  EXPECT_EQ(ReadField(QByteArray("AB \0\0  ", 7)), QStringLiteral("AB"));
  EXPECT_EQ(ReadField(QByteArray("  A")), QStringLiteral("  A"));
}

TEST(ScoreRecordCodec, SummaryRecordNeedsTestNumberZeroAndTheMarker) {
  ScoreRecord r = Sample();
  r.testFile = QStringLiteral("平均值 of all");
  r.testNumber = 0;
  EXPECT_TRUE(IsSummaryRecord(r, u"平均值"));
  EXPECT_FALSE(IsSummaryRecord(r, u""));
  r.testNumber = 1;
  EXPECT_FALSE(IsSummaryRecord(r, u"平均值"));
  r.testNumber = 0;
  r.testFile = QStringLiteral("T01.txt");
  EXPECT_FALSE(IsSummaryRecord(r, u"平均值"));
}

TEST(ScoreRecordFile, AppendsAfterWholeRecordsAndOverwritesATornTail) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("A.R01"));
  struct Case {
    int existing;
    int recordNumber;
    bool torn;
    qint64 sizeAfter;
  } cases[] = {{-1, 1, false, 252}, {0, 1, false, 252}, {504, 3, false, 756}, {400, 2, true, 504}};
  for (const Case& c : cases) {
    QFile::remove(path);
    if (c.existing >= 0) {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(c.existing, 'x'));
    }
    const AppendOutcome out = AppendScoreRecord(path, Sample());
    ASSERT_TRUE(out.ok) << out.error.toStdString();
    EXPECT_EQ(out.recordNumber, c.recordNumber);
    EXPECT_EQ(out.tornTail, c.torn);
    const QByteArray all = ReadAll(path);
    EXPECT_EQ(all.size(), c.sizeAfter);
    EXPECT_EQ(all.right(252), EncodeScoreRecord(Sample()));
  }
}

namespace {

// Two writers in one process, each with its own open of the file (the lock
// is per open, as between two programs). The first stops between reading
// the size and writing until the second has either reached the same point
// (no lock: both write at one place and a record is lost) or been made to
// wait for the lock.
class TwoWriters {
 public:
  TwoWriters() {
    seams.Set(plat::SetAppendGapHook, [this] { Gap(); });
    seams.Set(plat::SetFileLockWaitHook, [this] { Note(secondWaiting_); });
  }
  using Append = std::function<AppendOutcome()>;
  void Run(const Append& first, const Append& second) {
    std::thread a([&] {
      firstId_ = std::this_thread::get_id();
      outA = first();
      Note(firstDone_);
    });
    {
      std::unique_lock l(m_);
      // Bounded: a first writer that never reaches its gap fails the test.
      if (!cv_.wait_for(l, std::chrono::seconds(30), [&] { return firstInGap_ || firstDone_; })) timedOut = true;
    }
    std::thread b([&] { outB = second(); });
    a.join();
    b.join();
  }
  AppendOutcome outA, outB;
  bool timedOut = false;
  bool secondInGap = false;

 private:
  void Note(bool& flag) {
    {
      std::lock_guard g(m_);
      flag = true;
    }
    cv_.notify_all();
  }
  void Gap() {
    std::unique_lock l(m_);
    if (std::this_thread::get_id() != firstId_) {
      secondInGap = true;
      l.unlock();
      cv_.notify_all();
      return;
    }
    firstInGap_ = true;
    cv_.notify_all();
    if (!cv_.wait_for(l, std::chrono::seconds(30), [&] { return secondWaiting_ || secondInGap; })) timedOut = true;
  }
  std::mutex m_;
  std::condition_variable cv_;
  std::thread::id firstId_;
  bool firstInGap_ = false, firstDone_ = false, secondWaiting_ = false;
  testsupport::Seams seams;  // last: the hooks go before what they touch
};

}  // namespace

TEST(ScoreRecordFile, TwoWritersAppendingAtOnceTakeTurnsAndNoRecordIsLost) {
  const auto summary = [](const ScoreRecord& r) { return IsSummaryRecord(r, u"總成績"); };
  ScoreRecord candidate = Sample(), other = Sample(), total = Sample();
  other.name = QStringLiteral("李大華");
  total.testNumber = 0;
  total.testFile = QStringLiteral("總成績");
  struct Case {
    const char* what;
    ScoreRecord first, second;
    bool secondChecksForSummary;
    QStringList names;  // the file afterwards, in order
  };
  const Case cases[] = {
      {"two scorers", candidate, other, false, {"王小明", "李大華"}},
      {"the batch summary, then a scorer", total, other, false, {"王小明", "李大華"}},
      // The summary check reads the last record under the same lock: it sees
      // the summary the first writer has just added, and adds none.
      {"two batch summaries", total, total, true, {"王小明"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir dir;
    const QString path = dir.filePath("S.R01");
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    TwoWriters w;
    w.Run([&] { return AppendScoreRecord(path, c.first, summary); },
          [&] { return c.secondChecksForSummary ? AppendScoreRecord(path, c.second, summary)
                                                 : AppendScoreRecord(path, c.second); });
    EXPECT_FALSE(w.timedOut);
    EXPECT_TRUE(w.outA.ok) << w.outA.error.toStdString();
    EXPECT_TRUE(w.outB.ok) << w.outB.error.toStdString();
    EXPECT_EQ(w.outA.recordNumber, 1);
    EXPECT_EQ(w.outB.recordNumber, 2);
    EXPECT_EQ(w.outB.skipped, c.secondChecksForSummary);
    QList<ScoreRecord> records;
    ASSERT_TRUE(ReadScoreRecordFile(path, records));
    QStringList names;
    for (const ScoreRecord& r : records) names << r.name;
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(ReadAll(path).size(), c.names.size() * kScoreRecordSize);
  }
}

TEST(ScoreRecordFile, ReadsWholeRecordsAndIgnoresATornTail) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("A.R01"));
  ScoreRecord second = Sample();
  second.testNumber = 2;
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(EncodeScoreRecord(Sample()));
    f.write(EncodeScoreRecord(second));
    f.write("torn");
  }
  QList<ScoreRecord> records;
  ASSERT_TRUE(ReadScoreRecordFile(path, records));
  ASSERT_EQ(records.size(), 2);
  EXPECT_EQ(records[1], second);
  EXPECT_FALSE(ReadScoreRecordFile(dir.filePath(QStringLiteral("none")), records));
}

TEST(ResultLine, TwentyFourFieldsInOrder) {
  ScorerResultValues v;
  v.productName = QStringLiteral("Nuvo");
  v.testFile = QStringLiteral("C:\\T\\T01.txt");
  v.name = QStringLiteral("王小明");
  v.identity = QStringLiteral("A123456789");
  v.classSeat = QStringLiteral("3-05");
  v.birthday = QStringLiteral("1990/5/3");
  v.speed = QStringLiteral("23.4");
  v.minutes = QStringLiteral("05");
  v.seconds = QStringLiteral("00");
  v.accuracy = QStringLiteral("97.56");
  v.errorRate = QStringLiteral("2.44");
  v.net = QStringLiteral("117");
  v.errors = QStringLiteral("3");
  v.correct = QStringLiteral("120");
  v.localAddress = QStringLiteral("10.0.0.7");
  v.hostName = QStringLiteral("pc7");
  v.scoredAt = QStringLiteral("2026/03/05 09:10:11");
  v.inputMethod = QStringLiteral("注音");
  const QStringList fields = ScorerResultFields(v);
  ASSERT_EQ(fields.size(), kResultFieldCount);
  EXPECT_EQ(JoinResultFields(fields),
            QStringLiteral("RudaZO__|Nuvo|C:\\T\\T01.txt|王小明|A1234567893-05|1990/5/3||23.4|05:00|||||||97.56|2.44|"
                           "117|3|120|10.0.0.7|pc7|2026/03/05 09:10:11|注音|"));
  v.setting701 = 1;
  v.classSeat.clear();
  const QString line = JoinResultFields(ScorerResultFields(v));
  EXPECT_TRUE(line.startsWith(QStringLiteral("DovoRO__|Nuvo|")));
  EXPECT_TRUE(line.contains(QStringLiteral("|A123456789|")));
}

TEST(ResultLine, BarsAndLineBreaksInValuesCannotShiftFields) {
  int cleaned = 0;
  const QString line = JoinResultFields({QStringLiteral("a|b"), QStringLiteral("c\r\nd"), QStringLiteral("e")}, &cleaned);
  EXPECT_EQ(line, QStringLiteral("a｜b|c  d|e|"));
  EXPECT_EQ(cleaned, 2);
  EXPECT_EQ(line.count(u'|'), 3);
}

TEST(ResultLine, FileNameFromScoreFileDateAndNumbers) {
  EXPECT_EQ(ResultFileNameFor(QStringLiteral("C:\\R\\A123.R01"), QDate(2026, 3, 5), 1, QStringLiteral("C:\\R\\A123.T01")),
            QStringLiteral("C:\\R\\A123_03050101.Sco"));
  EXPECT_EQ(ResultFileNameFor(QStringLiteral("/d/K.R07"), QDate(2026, 12, 31), 12, QStringLiteral("/d/K.S07")),
            QStringLiteral("/d/K_12311207.Sco"));
}

TEST(ResultLine, WritesOneLineWithCrLf) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("x.Sco"));
  ASSERT_TRUE(WriteResultLineFile(path, QStringLiteral("RudaZO__|王|")));
  EXPECT_EQ(ReadAll(path), plat::toCp950(u"RudaZO__|王|") + "\r\n");
}

// The display formats every stored result passes through. Halves round away
// from zero on the single's own seven-digit rendering, as the runtime's
// Format does: 2.675 as a single is 2.67499995..., shown 2.675000, so 2.68.
TEST(ResultFormats, PatternsTiesAndSingles) {
  struct Case {
    float v;
    const char16_t* pattern;
    const char16_t* text;
  } cases[] = {
      {4.25f, u"##0.0", u"4.3"},      {4.75f, u"##0.0", u"4.8"},     {90.625f, u"##0.00", u"90.63"},
      {9.375f, u"##0.00", u"9.38"},   {2.675f, u"##0.00", u"2.68"},  {97.56098f, u"##0.00", u"97.56"},
      {100.0f, u"##0.00", u"100.00"}, {0.0f, u"##0.00", u"0.00"},    {0.0f, u"0.0", u"0.0"},
      {1.5f, u"0.0", u"1.5"},         {0.05f, u"0.0", u"0.1"},       {2.0f, u"#0.00", u"2.00"},
      {0.25f, u"#0.00", u"0.25"},     {1234.5f, u"##0.0", u"1234.5"}, {23.4f, u"##0.0", u"23.4"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(plat::FormatSingle(c.v, c.pattern), QString::fromUtf16(c.text)) << c.v << " " << QString::fromUtf16(c.pattern).toStdString();
  EXPECT_EQ(plat::FormatNumber(5, u"000"), QStringLiteral("005"));
  EXPECT_EQ(plat::FormatNumber(160, u"000"), QStringLiteral("160"));
  EXPECT_EQ(plat::NumberText(double(97.56f), 7), QStringLiteral("97.56"));
  EXPECT_EQ(plat::NumberText(double(120.0f), 7), QStringLiteral("120"));
}

namespace {
int NoLocks(int, int) {
  errno = ENOLCK;
  return -1;
}
}  // namespace

// A network mount without a lock service: the record is written all the
// same and the caller is told there was no lock.
TEST(ScoreRecordFile, WithoutLocksTheRecordIsWrittenAndTheCallerTold) {
  QTemporaryDir dir;
  const QString path = dir.filePath("A123456789.R01");
  testsupport::Seams seams;
  seams.Set(plat::SetFlockFunction, &NoLocks);
  const AppendOutcome first = AppendScoreRecord(path, Sample());
  const AppendOutcome second = AppendScoreRecord(path, Sample());
  plat::SetFlockFunction(nullptr);
  ASSERT_TRUE(first.ok) << first.error.toStdString();
  ASSERT_TRUE(second.ok) << second.error.toStdString();
  EXPECT_EQ(second.recordNumber, 2);
  EXPECT_EQ(first.unlocked, plat::systemReason(ENOLCK));
  EXPECT_EQ(ReadAll(path), EncodeScoreRecord(Sample()) + EncodeScoreRecord(Sample()));
  EXPECT_TRUE(AppendScoreRecord(path, Sample()).unlocked.isEmpty());
}

// A new score file that takes no record is not left behind empty.
TEST(ScoreRecordFile, ANewFileThatTookNoRecordIsRemoved) {
  testing_support::FullDisk disk;
  ASSERT_TRUE(disk.Ok());
  if (!disk.Mounted()) GTEST_SKIP() << "needs a full file system of its own (tmpfs, as root)";
  ASSERT_TRUE(disk.Fill());
  const QString path = disk.Path() + "/A123456789.R01";
  const AppendOutcome out = AppendScoreRecord(path, Sample());
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.error, plat::systemReason(ENOSPC));
  EXPECT_FALSE(QFileInfo::exists(path));
}
