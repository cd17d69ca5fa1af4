#include "scoring/engine/run.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/filenames.h"
#include "common/scramble.h"
#include "common/utilities.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "scoring/engine/resultline.h"
#include "exam/record/testrecord.h"

namespace scoring {

namespace {

QString NumberLabel(float v) { return plat::NumberText(double(v), 7); }

bool Exists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

// The first test of a series starts a new score file. False, with the
// system's reason, when the old one is there and cannot be deleted.
bool ClearOldSeries(const QString& path, QString* reason) {
  if (!QFileInfo::exists(path)) return true;
  QFile f(path);
  errno = 0;
  if (f.remove()) return true;
  *reason = plat::fileReason(f, errno);
  return false;
}

QString TrimBlanks(const QString& s) {
  qsizetype a = 0, b = s.size();
  while (a < b && s[a] == u' ') ++a;
  while (b > a && s[b - 1] == u' ') --b;
  return s.mid(a, b - a);
}

}  // namespace

QString ReportWorkFile() { return plat::TempFolder() + QStringLiteral("/~TEMP.txt"); }
QString MarkedLinesWorkFile() { return plat::TempFolder() + QStringLiteral("/~TEMP.Dat"); }

QString WithThirdFromEnd(const QString& name, QChar c) {
  if (name.size() < 3) return name;
  QString out = name;
  out[out.size() - 3] = c;
  return out;
}

ExpectedResults ParseErrData(const QString& list) {
  ExpectedResults e;
  const QStringList fields = (list + u',').split(u',');
  for (int k = 0; k < 6 && k < fields.size() - 1; ++k) {
    if (fields[k].trimmed().isEmpty()) continue;
    e.values[size_t(k)] = static_cast<float>(plat::ValNumber(fields[k]));
    e.given[size_t(k)] = true;
  }
  return e;
}

ScoringRun::ScoringRun(ScorerSettings settings, EngineLog& log, ProgressSink& progress)
    : s_(std::move(settings)), log_(log), progress_(progress), tables_(std::make_unique<CompareTables>()) {}

ScoringRun::~ScoringRun() = default;

// ---------------------------------------------------------------------------
// Loading

void ScoringRun::ParseSystemAttributes(const QString& list) {
  const QStringList fields = (list + u',').split(u',');
  for (int k = 0; k < fields.size() - 1; ++k) {
    const auto b = plat::ToByte(plat::ValNumber(fields[k]));
    if (!b) {
      // One bad field does not make the record unscorable.
      log_.ErrorLog(QStringLiteral("xZet_LoadData 系統屬性 field %1 out of range: ").arg(k + 1) + fields[k]);
      continue;
    }
    if (k == 0) common::Setting904.set(*b);
    if (k == 8) common::Setting908.set(*b);
  }
}

void ScoringRun::TakeKey(const QString& key, const QString& value) {
  using rec::RecordKey;
  const auto k = rec::KeyFromLabel(key);
  if (!k) return;
  switch (*k) {
    case RecordKey::TESTNAME:
      sheet_.TEXT4 = value;
      sheet_.TEXT4B = common::PathPart(1, value);
      testFile_ = value;
      break;
    case RecordKey::DTATNAME: answerFile_ = value; break;
    case RecordKey::SCORNAME: scoreFile_ = value; break;
    case RecordKey::USERNAME: sheet_.Text1 = value; break;
    case RecordKey::BIRTHDAY: sheet_.Text12 = value; break;
    case RecordKey::IDENTITY:
    case RecordKey::USER_NUM: sheet_.Text2 = value; break;
    case RecordKey::CLASSDAT: sheet_.Text15 = value; break;
    case RecordKey::STARTIME: startTime_ = static_cast<float>(plat::ValNumber(value)); break;
    case RecordKey::END_TIME: endTime_ = static_cast<float>(plat::ValNumber(value)); break;
    case RecordKey::TESTNUMB: {
      const auto b = plat::ToByte(plat::ValNumber(value));
      if (b)
        common::TestNumber.set(*b);
      else
        log_.ErrorLog(QStringLiteral("xZet_LoadData 測驗次數 out of range: ") + value);
      break;
    }
    case RecordKey::IME_MODE: sheet_.Text13 = value; break;
    case RecordKey::PATHFILE: common::AssignedPath.set(value); break;
    case RecordKey::NET_WORK: common::AssignedHost.set(value); break;
    case RecordKey::SYST_ATT: ParseSystemAttributes(value); break;
    case RecordKey::ERR_DATA:
      expected_ = ParseErrData(value);
      checkMode_ = true;
      break;
    default: break;  // recognised, nothing kept (測驗時間, 使用檔名, 軟體版本)
  }
}

bool ScoringRun::ReadTestText(const QString& path) {
  QByteArray bytes;
  if (!plat::readAllBytes(path, bytes)) return false;
  const bool scrambled = rec::IsScrambledName(path);
  int bad = 0;
  QStringList lines;
  for (const QByteArray& raw : plat::splitRawLines(bytes)) {
    const QByteArray b = scrambled ? common::UnscrambleToBytes(raw) : raw;
    int n = 0;
    lines << plat::trimTrailingBlanks(plat::fromCp950(b, &n));
    bad += n;
  }
  if (bad > 0) log_.ErrorLog(QStringLiteral("xZet_LoadData %1 undecodable bytes in ").arg(bad) + path);
  for (const QString& line : lines) {
    if (tables_->testLineCount >= kMaxLines) {
      log_.ErrorLog(s_.Text(13922) + recordFile_);
      break;
    }
    if (line.size() > 255)
      log_.ErrorLog(QStringLiteral("xZet_LoadData test line %1 longer than 255 characters: only 60 are compared")
                        .arg(tables_->testLineCount + 1));
    tables_->AppendLine(Side::Test, line);
  }
  tables_->CloseText(Side::Test);
  return true;
}

LoadOutcome ScoringRun::Load(const QString& recordPath, const QString& testFileOverride) {
  LoadOutcome out;
  log_.CrsLog(QString());
  try {
    tables_->Reset();
    loaded_ = false;
    sheet_ = SheetLabels();
    results_ = Results();
    outcome_ = ScoreOutcome();
    record_ = ScoreRecord();
    report_.clear();
    resultLine_.clear();
    checkMode_ = false;
    expected_ = ExpectedResults();
    testFile_.clear();
    answerFile_.clear();
    scoreFile_.clear();
    resultFile_.clear();
    markedCopy_.clear();
    startTime_ = endTime_ = 0;
    recordFile_ = recordPath;
    common::TestNumber.set(0);
    const QString recordFile = plat::ResolvePath(recordPath);
    if (!Exists(recordFile)) {
      common::ShowMissingFileMessage(recordPath);
      out.missingFile = recordPath;
      return out;
    }
    rec::TestRecordContent content;
    QString error;
    int bad = 0;
    if (!rec::ReadTestRecordFile(recordFile, content, &error, &bad)) {
      log_.ErrorLog(QStringLiteral("內部錯誤發生於檔案 xZet_LoadData 的 >") + error);
      return out;
    }
    if (bad > 0) log_.ErrorLog(QStringLiteral("xZet_LoadData %1 undecodable bytes in ").arg(bad) + recordPath);
    for (const rec::RecordEntry& e : content.keys) TakeKey(e.key, e.value);
    for (const QString& line : content.typedLines) {
      if (tables_->typedLineCount >= kMaxLines) {
        log_.ErrorLog(s_.Text(13922) + recordFile_);
        break;
      }
      if (line.size() > kMaxColumn) {
        log_.ErrorLog(s_.Text(13921) + recordFile_);
        tables_->AppendLine(Side::Typed, line.left(kMaxColumn));
      } else {
        tables_->AppendLine(Side::Typed, line);
      }
    }
    tables_->CloseText(Side::Typed);

    if (testFileOverride.size() > 2) {
      sheet_.TEXT4 = testFileOverride;
      sheet_.TEXT4B = common::PathPart(1, testFileOverride);
      testFile_ = testFileOverride;
    }
    if (testFile_.trimmed().isEmpty()) {
      // An empty or cut record names no test: say which record it is.
      const QString text = QStringLiteral("測驗記錄 ") + recordPath +
                           QStringLiteral(" 沒有測驗檔名,檔案可能是空的或沒有寫完整,無法評分,請檢查原因");
      log_.ErrorLog(QStringLiteral("xZet_LoadData>") + text);
      plat::prompt().Ask(text, QStringLiteral("警告訊息"), plat::Buttons::Ok, plat::Icon::Exclamation);
      out.missingFile = recordPath;
      return out;
    }
    const QString testFile = plat::ResolvePath(testFile_);
    if (!Exists(testFile)) {
      common::ShowMissingFileMessage(testFile_);
      out.missingFile = testFile_;
      return out;
    }
    if (!ReadTestText(testFile)) {
      log_.ErrorLog(QStringLiteral("內部錯誤發生於檔案 xZet_LoadData 的 >cannot read ") + testFile_);
      return out;
    }

    if (answerFile_.isEmpty()) {
      QString base;
      common::ResultBase kind = common::ResultBase::UserEntry;
      if (s_.setting905 == 1 && !sheet_.Text1.isEmpty()) {
        base = sheet_.Text1;
      } else if (s_.setting905 == 2 && !sheet_.Text2.isEmpty()) {
        base = sheet_.Text2;
      } else {
        base = common::PathPart(3, sheet_.TEXT4);
        kind = common::ResultBase::FileName;
      }
      answerFile_ = common::NextResultFileName(base, kind);
      if (answerFile_.isEmpty()) log_.ErrorLog(QStringLiteral("xZet_LoadData no answer file name for ") + base);
    }
    if (scoreFile_.isEmpty()) scoreFile_ = WithThirdFromEnd(answerFile_, u'R');

    float elapsed = static_cast<float>(plat::clock().SecondsSinceMidnight()) - endTime_;
    if (elapsed < 0) elapsed += 86400.0f;
    out.elapsedSeconds = elapsed;
    out.ok = true;
    loaded_ = true;
  } catch (const std::exception& e) {
    log_.ErrorLog(QStringLiteral("內部錯誤發生於檔案 xZet_LoadData 的 >") + QString::fromLocal8Bit(e.what()));
    out.ok = false;
    loaded_ = false;
  } catch (...) {
    log_.ErrorLog(QStringLiteral("內部錯誤發生於檔案 xZet_LoadData 的 >"));
    out.ok = false;
    loaded_ = false;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Scoring

void ScoringRun::RunComparePasses() {
  Matcher m(*tables_, s_.match);
  m.RunPasses(progress_, log_);
  progress_.SetValue(80);
  progress_.SetToolTip(QStringLiteral("第10區比較校對的副程式"));
  outcome_ = ComputeScore(m, s_.score, startTime_, endTime_, log_);
  progress_.SetToolTip(QStringLiteral("第一區比較校對的副程式"));
  results_ = outcome_.results;
  QString why;
  if (!plat::writeTextLines(ReportWorkFile(), outcome_.listing, &why))
    log_.ErrorLog(QStringLiteral("ComputeScore cannot write ") + ReportWorkFile() + u' ' + why);
}

ProcessOutcome ScoringRun::Process(const HostInfo& host) {
  ProcessOutcome out;
  if (!loaded_) {
    out.failures << QStringLiteral("沒有載入測驗記錄");
    return out;
  }
  try {
    progress_.SetValue(0);
    log_.ErrorLog(QStringLiteral("正在處理核對文章"));
    RunComparePasses();
    progress_.SetToolTip(s_.Text(13925));
    log_.ErrorLog(QStringLiteral("正在輸出成績檔-存檔-"));
    WriteScoreFiles(host, out.failures);
    progress_.SetValue(90);
    log_.ErrorLog(QStringLiteral("處理成績檔完畢"));
    if (QFileInfo::exists(ReportWorkFile())) QFile::remove(ReportWorkFile());
    markedCopy_ = WithThirdFromEnd(answerFile_, u'E');
    // Only a work file this run wrote is copied: one that could not be
    // replaced is another run's marks.
    if (s_.writeFiles && markedWritten_ && !markedCopy_.isEmpty()) {
      QString why;
      if (!plat::copyFileChecked(MarkedLinesWorkFile(), markedCopy_, &why)) out.failures << markedCopy_ + u' ' + why;
    }
    progress_.SetValue(100);
  } catch (const std::exception& e) {
    common::AppError err{common::kPathFileAccess, QString::fromLocal8Bit(e.what()), QStringLiteral("score"), 0};
    log_.ErrorLog(common::ErrorTrapLine(QStringLiteral("ProcessScoring"), err));
    out.failures << err.text;
  } catch (...) {
    log_.ErrorLog(QStringLiteral("內部錯誤發生於檔案 ProcessScoring 的 >"));
    out.failures << QStringLiteral("ProcessScoring");
  }
  for (const QString& f : out.failures) log_.ErrorLog(QStringLiteral("ProcessScoring 未能寫入>") + f);
  out.ok = out.failures.isEmpty();
  return out;
}

QStringList ScoringRun::BuildReport() const {
  QStringList r;
  r << s_.Text(13931) + s_.productTitle +
           QStringLiteral("[%1.%2.%3]").arg(s_.versionMajor).arg(s_.versionMinor).arg(s_.versionRevision);
  r << s_.Text(13932) + QString::number(record_.testNumber) + s_.Text(13933);
  r << s_.Text(13934) + FixedChars(record_.name, recfield::kNameWidth);
  r << s_.Text(13935) + FixedChars(record_.birthday, recfield::kBirthdayWidth);
  if (!sheet_.Text2.isEmpty()) {
    if (s_.setting918.isEmpty())
      r << s_.Text(13936) + sheet_.Text2;
    else
      r << QStringLiteral("　") + common::SplitAtBar(s_.setting918, 1) + sheet_.Text2;
  }
  if (!sheet_.Text15.isEmpty()) {
    if (s_.setting916.isEmpty())
      r << s_.Text(13937) + sheet_.Text15;
    else
      r << QStringLiteral("　") + common::SplitAtBar(s_.setting916, 1) + sheet_.Text15;
  }
  r << s_.Text(13938) + record_.scoredAt;
  r << s_.Text(13939) + sheet_.TEXT4B;
  r << s_.Text(13940) + record_.duration;
  r << s_.Text(13941) + sheet_.Text6 << s_.Text(13942) + sheet_.Text7 << s_.Text(13943) + sheet_.Text8
    << s_.Text(13944) + sheet_.Text9 + QStringLiteral("％") << s_.Text(13945) + sheet_.Text10 + QStringLiteral("％")
    << s_.Text(13946) + sheet_.Text11;
  for (const QString& line : outcome_.listing) r << plat::trimTrailingBlanks(line);
  return r;
}

void ScoringRun::WriteScoreFiles(const HostInfo& host, QStringList& failures) {
  // A marked-lines file left by an earlier run must never pass for this one.
  markedWritten_ = false;
  QFile stale(MarkedLinesWorkFile());
  errno = 0;
  if (stale.exists() && !stale.remove())
    log_.ErrorLog(QStringLiteral("WriteScoreFiles 無法刪除舊的工作檔>") + MarkedLinesWorkFile() + u' ' +
                  plat::fileReason(stale, errno));

  if (s_.applyPassMark && s_.passMark <= results_.errorRate) {
    results_.net = 0;
    results_.speed = 0;
  }
  record_ = ScoreRecord();
  record_.testNumber = std::int16_t(common::TestNumber.get());
  record_.name = sheet_.Text1;
  record_.identity = sheet_.Text2;
  record_.birthday = sheet_.Text12;
  record_.scoredAt = plat::DateTimeText(plat::clock().Now(), s_.scoredAtFormat);
  record_.testFile = testFile_;
  const qint64 seconds = plat::RoundHalfEven(double(ElapsedSeconds(startTime_, endTime_))).value_or(0);
  sheet_.Text5A = plat::FormatNumber(double(seconds / 60), u"00");
  sheet_.Text5B = plat::FormatNumber(double(seconds % 60), u"00");
  record_.duration = sheet_.Text5A + u':' + sheet_.Text5B;
  record_.results = results_.AsArray();
  record_.answerFile = answerFile_;

  sheet_.TEXT3 = record_.scoredAt;
  sheet_.Text6 = NumberLabel(results_.correct);
  sheet_.Text7 = NumberLabel(results_.errors);
  sheet_.Text8 = NumberLabel(results_.net);
  sheet_.Text9 = NumberLabel(results_.accuracy);
  sheet_.Text10 = NumberLabel(results_.errorRate);
  sheet_.Text11 = NumberLabel(results_.speed);

  report_ = BuildReport();
  if (s_.writeFiles) {
    QString why;
    if (answerFile_.isEmpty())
      failures << QStringLiteral("答案檔");
    else if (!plat::writeTextLines(answerFile_, report_, &why))
      failures << answerFile_ + u' ' + why;
  }

  if (s_.writeFiles) {
    const QString marker = s_.Text(12701);
    if (IsSummaryRecord(record_, marker)) {
      // That shape is the batch scorer's summary: its readers would skip it.
      log_.ErrorLog(QStringLiteral("WriteScoreFiles 測驗次數 0 與 ") + marker + QStringLiteral(" 不寫成績紀錄"));
    } else if (scoreFile_.isEmpty()) {
      failures << QStringLiteral("成績檔");
    } else {
      QString oldSeries;
      if (record_.testNumber <= 1 && !ClearOldSeries(scoreFile_, &oldSeries)) {
        // Appended after the old series, the first test would be summed
        // with tests that are not this series'.
        log_.ErrorLog(QStringLiteral("WriteScoreFiles 無法刪除舊的成績檔,不寫成績紀錄>") + scoreFile_ + u' ' +
                      oldSeries);
        failures << scoreFile_ + QStringLiteral(" (舊的成績無法刪除: ") + oldSeries + u')';
      } else {
        int cut = 0;
        EncodeScoreRecord(record_, &cut);
        if (cut > 0) log_.ErrorLog(QStringLiteral("WriteScoreFiles %1 fields cut to their width").arg(cut));
        const AppendOutcome a = AppendScoreRecord(scoreFile_, record_);
        if (a.tornTail)
          log_.ErrorLog(QStringLiteral("WriteScoreFiles partial record at the end of ") + scoreFile_ +
                        QStringLiteral(" overwritten"));
        if (!a.unlocked.isEmpty())
          log_.ErrorLog(QStringLiteral("WriteScoreFiles 成績檔無法上鎖,不加鎖寫入>") + scoreFile_ + u' ' + a.unlocked);
        if (!a.ok) {
          log_.ErrorLog(QStringLiteral("WriteScoreFiles 無法寫入成績檔>") + scoreFile_ + u' ' + a.error);
          failures << scoreFile_ + u' ' + a.error;
        }
      }
    }
  }

  if (s_.writeFiles) {
    QStringList marked;
    for (const QString& entry : tables_->lineMarkText) {
      const QString t = TrimBlanks(entry);
      if (!t.isEmpty()) marked << t;
    }
    QString why;
    if (!marked.isEmpty()) {
      markedWritten_ = plat::writeTextLines(MarkedLinesWorkFile(), marked, &why);
      if (!markedWritten_) failures << MarkedLinesWorkFile() + u' ' + why;
    }
  }

  resultFile_ = ResultFileNameFor(scoreFile_, plat::clock().Now().date(), record_.testNumber, answerFile_);
  ScorerResultValues v;
  v.setting701 = s_.setting701;
  v.productName = s_.productName;
  v.testFile = sheet_.TEXT4;
  v.name = sheet_.Text1;
  v.identity = sheet_.Text2;
  v.classSeat = sheet_.Text15;
  v.birthday = sheet_.Text12;
  v.speed = sheet_.Text11;
  v.minutes = sheet_.Text5A;
  v.seconds = sheet_.Text5B;
  v.accuracy = sheet_.Text9;
  v.errorRate = sheet_.Text10;
  v.net = sheet_.Text8;
  v.errors = sheet_.Text7;
  v.correct = sheet_.Text6;
  v.localAddress = host.address;
  v.hostName = host.name;
  v.scoredAt = sheet_.TEXT3;
  v.inputMethod = sheet_.Text13;
  int cleaned = 0;
  resultLine_ = JoinResultFields(ScorerResultFields(v), &cleaned);
  if (cleaned > 0) log_.ErrorLog(QStringLiteral("WriteResultLine %1 fields held | or a line break").arg(cleaned));
  if (s_.writeFiles) {
    QString error;
    if (!WriteResultLineFile(resultFile_, resultLine_, &error)) failures << error;
  }

  // Said only when every file of the run was written.
  if (failures.isEmpty()) log_.ErrorLog(QStringLiteral("成績出來正常"));
  if (checkMode_) MarkResultDifferences();
}

void ScoringRun::MarkResultDifferences() {
  const auto computed = results_.AsArray();
  for (size_t k = 0; k < 6; ++k) sheet_.red[k] = expected_.given[k] && computed[k] != expected_.values[k];
}

void ScoringRun::CleanUpAfterUse(bool keepScoreFiles) {
  if (!s_.cleanUp || common::TestNumber.get() >= s_.setting306) return;
  common::CleanTempFiles(keepScoreFiles ? 0 : 1, 0, 1, keepScoreFiles ? 0 : 1, 0, 1);
}

}  // namespace scoring
