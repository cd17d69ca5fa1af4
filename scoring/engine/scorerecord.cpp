#include "scoring/engine/scorerecord.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <bit>
#include <cstring>

#include "platform/core/codec.h"
#include "platform/core/filelock.h"
#include "platform/core/reasons.h"

namespace scoring {

namespace {

void PutInt16(QByteArray& b, int at, std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  b[at] = char(u & 0xFF);
  b[at + 1] = char(u >> 8);
}

std::int16_t GetInt16(QByteArrayView b, int at) {
  const std::uint16_t u = std::uint16_t(std::uint8_t(b[at])) | std::uint16_t(std::uint8_t(b[at + 1])) << 8;
  return static_cast<std::int16_t>(u);
}

void PutSingle(QByteArray& b, int at, float v) {
  const std::uint32_t u = std::bit_cast<std::uint32_t>(v);
  for (int k = 0; k < 4; ++k) b[at + k] = char((u >> (8 * k)) & 0xFF);
}

float GetSingle(QByteArrayView b, int at) {
  std::uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= std::uint32_t(std::uint8_t(b[at + k])) << (8 * k);
  return std::bit_cast<float>(u);
}

void PutText(QByteArray& b, int at, int width, QStringView text, int* cutFields) {
  bool cut = false;
  const QByteArray f = FitField(text, width, &cut);
  if (cut && cutFields) ++*cutFields;
  std::memcpy(b.data() + at, f.constData(), size_t(width));
}

}  // namespace

QByteArray FitField(QStringView text, int width, bool* cut) {
  QByteArray bytes = plat::toCp950(text);
  if (cut) *cut = false;
  if (bytes.size() > width) {
    if (cut) *cut = true;
    // Walk whole characters: a lead byte 0x81..0xFE takes the next byte.
    int end = 0;
    while (end < bytes.size()) {
      const int step = (std::uint8_t(bytes[end]) >= 0x81 && end + 1 < bytes.size()) ? 2 : 1;
      if (end + step > width) break;
      end += step;
    }
    bytes.truncate(end);
  }
  if (bytes.size() < width) bytes.append(QByteArray(width - bytes.size(), ' '));
  return bytes;
}

QString ReadField(QByteArrayView bytes) {
  qsizetype n = bytes.size();
  // A writer that cut the text inside a character left its lead byte last:
  // that half is dropped, not shown as a character that was never typed,
  // and so is the padding it may have stood behind.
  for (bool lone = true; lone;) {
    while (n > 0 && (bytes[n - 1] == ' ' || bytes[n - 1] == '\0')) --n;
    lone = false;
    for (qsizetype at = 0; at < n;) {
      const std::uint8_t b = std::uint8_t(bytes[at]);
      const bool lead = b >= 0x81 && b <= 0xFE;
      if (lead && at + 1 == n) {
        n = at;
        lone = true;
        break;
      }
      at += lead ? 2 : 1;
    }
  }
  return plat::fromCp950(bytes.first(n));
}

QString FixedChars(const QString& text, int width) {
  if (text.size() >= width) return text.left(width);
  return text + QString(width - text.size(), u' ');
}

QByteArray EncodeScoreRecord(const ScoreRecord& r, int* cutFields) {
  using namespace recfield;
  if (cutFields) *cutFields = 0;
  QByteArray b(kScoreRecordSize, ' ');
  PutInt16(b, kTestNumber, r.testNumber);
  PutText(b, kName, kNameWidth, r.name, cutFields);
  PutText(b, kIdentity, kIdentityWidth, r.identity, cutFields);
  PutText(b, kBirthday, kBirthdayWidth, r.birthday, cutFields);
  PutText(b, kScoredAt, kScoredAtWidth, r.scoredAt, cutFields);
  PutText(b, kTestFile, kTestFileWidth, r.testFile, cutFields);
  PutText(b, kDuration, kDurationWidth, r.duration, cutFields);
  for (int k = 0; k < 6; ++k) PutSingle(b, kResults + 4 * k, r.results[size_t(k)]);
  PutText(b, kAnswerFile, kAnswerFileWidth, r.answerFile, cutFields);
  return b;
}

bool DecodeScoreRecord(QByteArrayView b, ScoreRecord& r) {
  using namespace recfield;
  if (b.size() < kScoreRecordSize) return false;
  r.testNumber = GetInt16(b, kTestNumber);
  r.name = ReadField(b.sliced(kName, kNameWidth));
  r.identity = ReadField(b.sliced(kIdentity, kIdentityWidth));
  r.birthday = ReadField(b.sliced(kBirthday, kBirthdayWidth));
  r.scoredAt = ReadField(b.sliced(kScoredAt, kScoredAtWidth));
  r.testFile = ReadField(b.sliced(kTestFile, kTestFileWidth));
  r.duration = ReadField(b.sliced(kDuration, kDurationWidth));
  for (int k = 0; k < 6; ++k) r.results[size_t(k)] = GetSingle(b, kResults + 4 * k);
  r.answerFile = ReadField(b.sliced(kAnswerFile, kAnswerFileWidth));
  return true;
}

bool IsSummaryRecord(const ScoreRecord& r, QStringView marker) {
  return r.testNumber == 0 && !marker.isEmpty() && r.testFile.startsWith(marker);
}

AppendOutcome AppendScoreRecord(const QString& path, const ScoreRecord& record,
                                const std::function<bool(const ScoreRecord&)>& skipIfLast) {
  AppendOutcome out;
  const bool existed = QFileInfo::exists(path);
  QFile f(path);
  // An empty score file left behind would be taken for a series with no test.
  const auto fail = [&](const QString& reason) {
    out.error = reason;
    if (!existed && f.isOpen()) {
      f.close();
      if (QFileInfo(path).size() == 0) QFile::remove(path);
    }
    return out;
  };
  errno = 0;
  // Unbuffered: a full disk answers in the write itself.
  if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return fail(plat::fileReason(f, errno));
  plat::FileLock lock(f.handle());
  if (!lock.mayWrite()) return fail(lock.error());
  if (!lock.locked()) out.unlocked = lock.error();
  const qint64 length = f.size();
  const qint64 whole = WholeRecordCount(length);
  out.recordNumber = int(whole + 1);
  if (skipIfLast && whole > 0) {
    ScoreRecord last;
    if (!f.seek((whole - 1) * kScoreRecordSize)) return fail(plat::fileReason(f));
    if (DecodeScoreRecord(f.read(kScoreRecordSize), last) && skipIfLast(last)) {
      out.skipped = true;
      out.ok = true;
      return out;
    }
  }
  plat::RunAppendGapHook();
  out.tornTail = length != whole * kScoreRecordSize;
  errno = 0;
  if (out.tornTail && !f.resize(whole * kScoreRecordSize)) return fail(plat::fileReason(f, errno));
  const QByteArray bytes = EncodeScoreRecord(record);
  errno = 0;
  if (!f.seek(whole * kScoreRecordSize) || f.write(bytes) != bytes.size() || !f.flush()) {
    return fail(plat::fileReason(f, errno));
  }
  lock.release();
  errno = 0;
  f.close();
  if (f.error() != QFileDevice::NoError) {
    out.error = plat::fileReason(f, errno);
    return out;
  }
  out.ok = true;
  return out;
}

bool ReadScoreRecordFile(const QString& path, QList<ScoreRecord>& records, QString* error) {
  records.clear();
  QFile f(path);
  errno = 0;
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = plat::fileReason(f, errno);
    return false;
  }
  const QByteArray all = f.readAll();
  const qint64 n = WholeRecordCount(all.size());
  for (qint64 i = 0; i < n; ++i) {
    ScoreRecord r;
    DecodeScoreRecord(QByteArrayView(all).sliced(i * kScoreRecordSize, kScoreRecordSize), r);
    records << r;
  }
  return true;
}

}  // namespace scoring
