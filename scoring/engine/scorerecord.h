#pragma once
// The score record file: fixed 252-byte records, one appended per scored
// run, read and appended by the batch scorer too. Little-endian, no padding;
// text fields are CP950 bytes padded with blanks to their width.
//
//   offset width field
//        0     2 test number (signed 16-bit; 0 in a batch summary record)
//        2    20 candidate name
//       22    20 identity number
//       42    24 birthday (the batch scorer shows it as the sheet caption)
//       66    24 scoring date and time
//       90    46 test file (a summary record holds the summary marker here)
//      136    12 duration "mm:ss"
//      148  6x4 results (IEEE single): correct, errors, net, accuracy %,
//               error rate %, speed
//      172    80 answer (typed-text report) file
//
// Written byte by byte, never as a packed struct. A text longer than its
// field is cut at the last whole character that fits, so no reader ever
// meets half a Big5 character.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <functional>

namespace scoring {

inline constexpr int kScoreRecordSize = 252;

namespace recfield {
inline constexpr int kTestNumber = 0;
inline constexpr int kName = 2, kNameWidth = 20;
inline constexpr int kIdentity = 22, kIdentityWidth = 20;
inline constexpr int kBirthday = 42, kBirthdayWidth = 24;
inline constexpr int kScoredAt = 66, kScoredAtWidth = 24;
inline constexpr int kTestFile = 90, kTestFileWidth = 46;
inline constexpr int kDuration = 136, kDurationWidth = 12;
inline constexpr int kResults = 148;  // six singles
inline constexpr int kAnswerFile = 172, kAnswerFileWidth = 80;
static_assert(kAnswerFile + kAnswerFileWidth == kScoreRecordSize);
static_assert(kResults + 6 * 4 == kAnswerFile);
}  // namespace recfield

struct ScoreRecord {
  std::int16_t testNumber = 0;
  QString name;
  QString identity;
  QString birthday;
  QString scoredAt;
  QString testFile;
  QString duration;
  // correct, errors, net, accuracy, error rate, speed
  std::array<float, 6> results{};
  QString answerFile;

  bool operator==(const ScoreRecord& o) const = default;
};

// CP950 bytes of a text for a field of `width` bytes: cut at the last whole
// character that fits, padded with 0x20. *cut is set when characters were
// dropped.
QByteArray FitField(QStringView text, int width, bool* cut = nullptr);
// A field's text: decoded, trailing blanks and NULs dropped, and a lead
// byte left alone at the end (a character cut in two) dropped too.
QString ReadField(QByteArrayView bytes);

// The text padded with blanks or cut to `width` characters: the record's
// text fields as the report shows them (characters, not bytes).
QString FixedChars(const QString& text, int width);

// 252 bytes. *cutFields counts the text fields that did not fit.
QByteArray EncodeScoreRecord(const ScoreRecord& record, int* cutFields = nullptr);
// Reads one record from the first 252 bytes; false when there are fewer.
bool DecodeScoreRecord(QByteArrayView bytes, ScoreRecord& record);

// A batch summary record: test number 0 and a test file field whose first
// characters are the summary marker (text 12701 of the store). An empty
// marker marks nothing.
bool IsSummaryRecord(const ScoreRecord& record, QStringView marker);

// Whole records in a file of that length; a torn tail does not count.
inline qint64 WholeRecordCount(qint64 fileLength) { return fileLength / kScoreRecordSize; }

struct AppendOutcome {
  bool ok = false;
  int recordNumber = 0;   // counted from 1; the records before it are one less
  bool tornTail = false;  // a partial record at the end was overwritten
  bool skipped = false;   // the last record made the caller's test true
  QString error;
  // The file system gave no lock, so the record went out without one: why,
  // for the log.
  QString unlocked;
};
// Writes the record as record WholeRecordCount(length) + 1 in one write,
// creating the file when missing. A partial record at the end (a torn
// earlier write) is overwritten, so the file stays aligned. The file is
// locked from reading its size to the end of the write, so a second writer
// waits and appends after it (where the file system has no locks, it goes
// on without). When `skipIfLast` is given and holds for the last whole
// record (read under the same lock), nothing is written. A file this call
// made is removed again when no record reached it.
AppendOutcome AppendScoreRecord(const QString& path, const ScoreRecord& record,
                                const std::function<bool(const ScoreRecord&)>& skipIfLast = {});

// Every whole record of the file in order; a torn tail is ignored. False with
// a reason when the file cannot be read.
bool ReadScoreRecordFile(const QString& path, QList<ScoreRecord>& records, QString* error = nullptr);

}  // namespace scoring
