#include "batch/core/scorefile.h"

#include <QFile>
#include <cerrno>

#include "platform/core/reasons.h"

namespace batch {

bool ReadScoreFileHead(const QString& path, int limit, ScoreFileHead& out, QString* error) {
  out = ScoreFileHead();
  QFile f(path);
  errno = 0;
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = plat::fileReason(f, errno);
    return false;
  }
  const qint64 length = f.size();
  out.wholeRecords = scoring::WholeRecordCount(length);
  out.tornTail = length != out.wholeRecords * scoring::kScoreRecordSize;
  const qint64 take = std::min<qint64>(out.wholeRecords, std::max(0, limit));
  const QByteArray bytes = f.read(take * scoring::kScoreRecordSize);
  if (bytes.size() != take * scoring::kScoreRecordSize) {
    if (error) *error = plat::fileReason(f);
    return false;
  }
  out.rows.reserve(take);
  for (qint64 i = 0; i < take; ++i) {
    ScoreRow r;
    scoring::DecodeScoreRecord(QByteArrayView(bytes).sliced(i * scoring::kScoreRecordSize, scoring::kScoreRecordSize),
                               r);
    out.rows << r;
  }
  return true;
}

bool ReadScoreRecordAt(const QString& path, qint64 n, ScoreRow& out) {
  QFile f(path);
  if (n < 1 || !f.open(QIODevice::ReadOnly)) return false;
  if (scoring::WholeRecordCount(f.size()) < n || !f.seek((n - 1) * scoring::kScoreRecordSize)) return false;
  const QByteArray bytes = f.read(scoring::kScoreRecordSize);
  return scoring::DecodeScoreRecord(bytes, out);
}

}  // namespace batch
