// The score record file of 252-byte records, as the scorer reads it back
// before it appends: every whole record decoded, re-encoded and decoded again
// (what a later append writes of it must read the same).
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/support.h"
#include "scoring/engine/scorerecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::Input input = fuzz::BeginInput();
  const QString path = fuzz::WriteInput(QStringLiteral("A123.R01"), data, size);
  QList<scoring::ScoreRecord> records;
  if (!scoring::ReadScoreRecordFile(path, records)) return 0;
  if (records.size() != scoring::WholeRecordCount(qint64(size))) abort();
  for (const scoring::ScoreRecord& r : records) {
    (void)scoring::IsSummaryRecord(r, QStringLiteral("總成績"));
    const QByteArray again = scoring::EncodeScoreRecord(r);
    if (again.size() != scoring::kScoreRecordSize) abort();
    scoring::ScoreRecord back;
    if (!scoring::DecodeScoreRecord(again, back)) abort();
    // Text fields come back as they were read (blank padding is dropped
    // both times), unless bytes no character stands for were replaced;
    // results bit for bit, NaN included.
    auto same = [](const QString& a, const QString& b) { return a == b || a.contains(QChar(0xFFFD)); };
    const char* changed = back.testNumber != r.testNumber                                  ? "test number"
                          : !same(r.name, back.name)                                       ? "name"
                          : !same(r.identity, back.identity)                               ? "identity"
                          : !same(r.birthday, back.birthday)                               ? "birthday"
                          : !same(r.scoredAt, back.scoredAt)                               ? "scoring date"
                          : !same(r.testFile, back.testFile)                               ? "test file"
                          : !same(r.duration, back.duration)                               ? "duration"
                          : !same(r.answerFile, back.answerFile)                           ? "answer file"
                          : memcmp(back.results.data(), r.results.data(), sizeof r.results) ? "results"
                                                                                           : nullptr;
    if (changed) {
      fprintf(stderr, "score record: %s changed on the way through the codec\n", changed);
      abort();
    }
  }
  // The scorer appends after what it found; a torn tail is overwritten.
  scoring::ScoreRecord mine;
  mine.testNumber = 1;
  mine.name = QStringLiteral("王小明");
  const scoring::AppendOutcome out = scoring::AppendScoreRecord(path, mine);
  if (out.ok && out.recordNumber != records.size() + 1) abort();
  return 0;
}
