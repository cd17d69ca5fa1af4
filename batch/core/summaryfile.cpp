#include "batch/core/summaryfile.h"

#include <QFileInfo>
#include <utility>

#include "batch/core/scorefile.h"
#include "platform/core/clock.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "scoring/engine/resultline.h"

namespace batch {

QString PlainNumber(const QString& captionNumber) { return plat::NumberText(plat::ValNumber(captionNumber), 15); }

QStringList BatchResultFields(const ResultLineValues& v) {
  const DisplayTexts& d = v.display;
  const ScoreRow& s = v.summary;
  QStringList f;
  f << scoring::ResultTag(v.setting701) << v.subject << v.method << d.TEXT01 << d.TEXT02 << d.TEXT03 << QString()
    << PlainNumber(RateText(s.results[Speed])) << d.TEXT13;
  for (int k = 0; k < 6; ++k) f << QString();
  f << PlainNumber(RateText(s.results[Accuracy])) << PlainNumber(RateText(s.results[ErrorRate]))
    << PlainNumber(CountText(s.results[Net])) << PlainNumber(CountText(s.results[Errors]))
    << PlainNumber(CountText(s.results[Correct])) << v.host.address << v.host.name << d.TEXT06;
  return f;
}

QString BatchResultLine(const ResultLineValues& v) { return scoring::JoinResultFields(BatchResultFields(v)); }

ScoreRow SummaryRecordFrom(const DisplayTexts& d, const ScoreRow& s) {
  auto whole = [](float v) {
    return float(plat::RoundHalfEven(plat::ValNumber(CountText(v))).value_or(0));
  };
  auto rate = [](float v) { return float(plat::ValNumber(RateText(v))); };
  ScoreRow r;
  r.testNumber = 0;
  r.name = d.TEXT01;
  r.identity = d.TEXT02;
  r.birthday = d.TEXT03;
  r.scoredAt = d.TEXT06;
  r.testFile = d.TEXT05;
  r.duration = QStringLiteral("0");
  r.results = {whole(s.results[Correct]), whole(s.results[Errors]), whole(s.results[Net]),
               rate(s.results[Accuracy]), rate(s.results[ErrorRate]), rate(s.results[Speed])};
  return r;
}

QString BatchResultFileName(const QString& scoreFile, const QDate& today, qint64 recordsBefore) {
  return scoring::ResultFileNameFor(scoreFile, today, int(recordsBefore), scoreFile);
}

SummaryFile::SummaryFile(Env env) : env_(std::move(env)) {}

AppendStatus SummaryFile::AppendScoreRecord(const QString& scoreFile, const QString& marker,
                                            const ResultLineValues& values) {
  const ScoreRow record = SummaryRecordFrom(values.display, values.summary);
  log(QStringLiteral("存到成績檔的目錄是>") + scoreFile);
  resultPath_.clear();
  const QString path = scoreFile.isEmpty() ? QString() : plat::ResolvePath(scoreFile);
  if (path.isEmpty() || !QFileInfo(path).isFile()) return AppendStatus::NoScoreFile;

  // Read under the append's lock: a scorer appending meanwhile is never
  // taken for the last record, nor counted wrong in the result file's name.
  const auto summarised = [&marker](const ScoreRow& last) { return scoring::IsSummaryRecord(last, marker); };
  const scoring::AppendOutcome out =
      env_.append ? env_.append(path, record, summarised) : scoring::AppendScoreRecord(path, record, summarised);
  if (out.tornTail) log(QStringLiteral("成績檔尾端不完整的記錄已覆蓋>") + path);
  if (!out.unlocked.isEmpty()) log(QStringLiteral("成績檔無法上鎖,不加鎖寫入>") + path + u' ' + out.unlocked);
  if (!out.ok) {
    log(QStringLiteral("無法寫入成績檔>") + path + u' ' + out.error);
    return AppendStatus::RecordFailed;
  }
  const AppendStatus status = out.skipped ? AppendStatus::AlreadySummarised : AppendStatus::Appended;
  const qint64 n = out.recordNumber - 1;
  const QDate today = env_.today ? env_.today() : plat::clock().Now().date();
  resultPath_ = BatchResultFileName(path, today, n);
  if (!AppendResultLine(values)) {
    resultPath_.clear();
    return AppendStatus::ResultLineFailed;
  }
  return status;
}

bool SummaryFile::AppendResultLine(const ResultLineValues& values) {
  if (resultPath_.isEmpty()) return false;
  // The scorer's line of the first test can have this very name: the
  // summary then takes its place.
  if (QFileInfo::exists(resultPath_)) log(QStringLiteral("結果檔已存在,以總成績取代>") + resultPath_);
  QString error;
  if (!scoring::WriteResultLineFile(resultPath_, BatchResultLine(values), &error)) {
    log(QStringLiteral("無法寫入結果檔>") + error);
    return false;
  }
  return true;
}

}  // namespace batch
