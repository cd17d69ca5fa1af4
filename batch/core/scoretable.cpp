#include "batch/core/scoretable.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QFileInfo>

#include "batch/core/scorefile.h"
#include "platform/core/clock.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"

namespace batch {

namespace {

// Blanks and NULs the fixed-width fields carry as padding.
QString trimRight(const QString& s) {
  qsizetype n = s.size();
  while (n > 0 && (s[n - 1] == u' ' || s[n - 1] == QChar(0))) --n;
  return s.left(n);
}

QString trimBoth(const QString& s) {
  qsizetype b = 0;
  while (b < s.size() && (s[b] == u' ' || s[b] == QChar(0))) ++b;
  return trimRight(s.mid(b));
}

// The number before ":" of a duration.
double wholeMinutes(const QString& d) {
  const qsizetype colon = d.indexOf(u':');
  return std::trunc(plat::ValNumber(colon < 0 ? QStringView(d) : QStringView(d).left(colon)));
}

bool allDigits(QStringView s) {
  if (s.isEmpty()) return false;
  for (QChar c : s)
    if (c < u'0' || c > u'9') return false;
  return true;
}

}  // namespace

QString CountText(float v) { return plat::NumberText(double(v), 7); }
QString RateText(float v) { return plat::FormatSingle(v, u"##0.0#"); }

QString SummaryMarker(const QString& text12701) {
  return text12701.isEmpty() ? kDefaultSummaryMarker : text12701;
}

bool IsSummaryRow(const ScoreRow& row, const QString& marker) { return scoring::IsSummaryRecord(row, marker); }

std::optional<int> DurationSeconds(const QString& text) {
  const QString t = text.trimmed();
  const QStringList parts = t.split(u':');
  for (const QString& p : parts)
    if (!allDigits(QStringView(p).trimmed())) return std::nullopt;
  // Minutes are unbounded: a test of 60 minutes or more still reads.
  auto val = [](const QString& p) { return p.trimmed().toLongLong(); };
  long long secs = 0;
  if (parts.size() == 1) {
    secs = val(parts[0]) * 60;  // a bare number counts as minutes
  } else if (parts.size() == 2) {
    secs = val(parts[0]) * 60 + val(parts[1]);
  } else if (parts.size() == 3) {
    secs = val(parts[0]) * 3600 + val(parts[1]) * 60 + val(parts[2]);
  } else {
    return std::nullopt;
  }
  if (secs > 0x7fffffff) return std::nullopt;
  return int(secs);
}

int TimeToSeconds(const QString& time) { return DurationSeconds(time).value_or(0); }

QString SecondsToMinSec(int seconds) {
  if (seconds < 0) seconds = 0;
  return QString::number(seconds / 60) + u':' + QString::number(seconds % 60).rightJustified(2, u'0');
}

ScoreTable::ScoreTable(TableEnv env) : env_(std::move(env)) {}

QString ScoreTable::text(int id) const { return env_.text ? env_.text(id) : QString(); }

void ScoreTable::log(const QString& line) const {
  if (env_.log) env_.log(line);
}

QString ScoreTable::Marker() const { return SummaryMarker(text(12701)); }

void ScoreTable::ClearRecords() {
  working_.fill(ScoreRow{});
  count_ = 0;
  current_ = 1;
}

QString ScoreTable::ScoreFileName(const QString& path) {
  if (!path.isEmpty()) scorePath_ = path;
  return scorePath_;
}

int ScoreTable::LoadScoreRecords() {
  log(QStringLiteral("取得成績檔的目錄是>") + scorePath_);
  const QString path = scorePath_.isEmpty() ? QString() : plat::ResolvePath(scorePath_);
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    plat::prompt().Ask(text(14006) + u' ' + scorePath_ + u' ' + text(14007), text(14001), plat::Buttons::Ok,
                       plat::Icon::Exclamation);
    return 0;
  }
  ScoreFileHead head;
  QString error;
  if (!ReadScoreFileHead(path, kMaxRecords, head, &error)) {
    log(QStringLiteral("無法讀取成績檔>") + path + u' ' + error);
    return 0;
  }
  if (head.tornTail) log(QStringLiteral("成績檔尾端有不完整的記錄,已略過>") + path);
  TakeRows(head.rows, head.wholeRecords);
  return 1;
}

void ScoreTable::TakeRows(const QList<ScoreRow>& rows, qsizetype inFile) {
  const QString marker = Marker();
  // Build the new tables aside and commit whole: a load never leaves the
  // table half filled, and needs no clear before it.
  std::array<ScoreRow, kMaxRecords + 1> w{};
  w[0] = working_[0];
  int n = 0;
  const qsizetype considered = std::min<qsizetype>(rows.size(), kMaxRecords);
  for (qsizetype i = 0; i < considered; ++i) {
    const ScoreRow& r = rows[i];
    if (IsSummaryRow(r, marker)) continue;
    ScoreRow k = r;
    k.name = trimBoth(k.name);
    k.identity = trimBoth(k.identity);
    k.scoredAt = trimBoth(k.scoredAt);
    k.testFile = trimBoth(k.testFile);
    k.birthday = trimRight(k.birthday);
    k.duration = trimRight(k.duration);
    k.answerFile = trimRight(k.answerFile);  // a padded path never opens
    w[++n] = k;
  }
  if (inFile > kMaxRecords)
    log(QStringLiteral("成績檔超過%1筆,未讀入的筆數>%2").arg(kMaxRecords).arg(inFile - kMaxRecords));
  std::array<ScoreRow, kMaxRecords + 1> s = w;
  s[0] = sorted_[0];
  working_ = std::move(w);
  sorted_ = std::move(s);
  count_ = n;
}

void ScoreTable::RecomputeScores(const SummaryRules& rules) {
  rules_ = rules;
  first_ = 1;
  last_ = count_;
  if (rules.method == 1)
    SortRecords(rules.order);
  else if (rules.method == 2)
    AverageRecords();
  else
    TotalRecords(rules.errorDivisor, rules.correctDivisor);
  text11Colour_ = Colour::Blue;
  if (rules.passMarkOn == 1 && working_[0].results[ErrorRate] >= float(rules.passMark)) {
    working_[0].results[Net] = 0;
    text11Colour_ = Colour::Red;
  }
  ShowRecord(working_[0]);
}

void ScoreTable::SortRecords(const QString& order) {
  int key[6] = {}, dir[6] = {};
  if (order.size() == 12) {
    for (int k = 0; k < 6; ++k) {
      key[k] = int(plat::ValNumber(QStringView(order).mid(k, 1)));
      dir[k] = int(plat::ValNumber(QStringView(order).mid(k + 6, 1)));
    }
  }
  // Damaged records go to the front of the range, out of the sort: the
  // summary is the last record and must never be one of them.
  int from = first_;
  for (int i = first_; i <= last_; ++i)
    if (!Counts(i)) std::rotate(sorted_.begin() + from, sorted_.begin() + i, sorted_.begin() + i + 1), ++from;
  // Every ordered pair, every step in turn: this exact pass order decides
  // which record ends last and so becomes the summary.
  for (int i = from; i <= last_; ++i) {
    for (int j = from; j <= last_; ++j) {
      for (int k = 0; k < 6; ++k) {
        if (key[k] < 1 || key[k] > 6) continue;
        const float a = sortedResult(i, key[k]);
        const float b = sortedResult(j, key[k]);
        if ((dir[k] == 2 && a > b) || (dir[k] == 1 && a < b)) SwapRecords(i, j);
      }
    }
  }
  working_[0] = sorted_[last_ >= 0 && last_ <= kMaxRecords ? last_ : 0];
  // Nothing sound to show: zeros, not NaN.
  if (from > last_ && last_ >= first_) working_[0].results = {};
}

void ScoreTable::SwapRecords(int i, int j) {
  if (i < 0 || j < 0 || i > kMaxRecords || j > kMaxRecords || i == j) return;
  std::swap(sorted_[i], sorted_[j]);
}

bool ScoreTable::Counts(int i) const {
  for (float v : sorted_[i].results)
    if (!std::isfinite(v)) {
      // A damaged record would make every average and total NaN.
      const ScoreRow& r = sorted_[i];
      log(QStringLiteral("成績不是數字,不列入總成績>第%1次>").arg(r.testNumber) + r.name + u'>' + r.identity);
      return false;
    }
  return true;
}

void ScoreTable::AverageRecords() {
  working_[0] = working_[first_];
  if (last_ - first_ + 1 <= 0) return;
  int n = 0;
  double seconds = 0;
  std::array<double, 6> sums{};
  for (int i = first_; i <= last_; ++i) {
    if (!Counts(i)) continue;
    ++n;
    for (int r = 0; r < 6; ++r) sums[r] += sorted_[i].results[r];
    auto s = DurationSeconds(sorted_[i].duration);
    if (!s) {
      log(QStringLiteral("無法讀取的測驗時間>") + sorted_[i].duration + u'>' + sorted_[i].name);
      continue;
    }
    seconds += *s;
  }
  const double divisor = n > 0 ? n : 1;  // nothing sound: zeros, not NaN
  working_[0].duration = SecondsToMinSec(int(plat::RoundHalfEven(seconds / divisor).value_or(0)));
  for (int r = 0; r < 6; ++r) working_[0].results[r] = float(sums[r] / divisor);
}

void ScoreTable::TotalRecords(float errorDivisor, float correctDivisor) {
  working_[0] = working_[first_];
  const int n = last_ - first_ + 1;
  if (n <= 0) return;
  // A divisor of 0 (an unset setting) would put inf or NaN in the files.
  if (!(errorDivisor > 0)) errorDivisor = 1;
  if (!(correctDivisor > 0)) correctDivisor = 1;
  float c = 0, e = 0, net = 0;
  double minutes = 0;
  for (int i = first_; i <= last_; ++i) {
    if (!Counts(i)) continue;
    c += sorted_[i].results[Correct];
    e += sorted_[i].results[Errors];
    net += sorted_[i].results[Net];
    minutes += wholeMinutes(sorted_[i].duration);
  }
  ScoreRow& s = working_[0];
  s.results[Correct] = c;
  s.results[Errors] = e;
  s.results[Net] = net;
  float acc = 0;
  if (c > 0) {
    const float cc = c / correctDivisor;
    const float ee = e / errorDivisor;
    acc = (1.0f - ee / (ee + cc)) * 100.0f;
  }
  if (!(acc > 0)) acc = 0;
  s.results[Accuracy] = float(plat::ValNumber(plat::FormatSingle(acc, u"##0.00")));
  s.results[ErrorRate] = float(plat::ValNumber(plat::FormatSingle(100.0f - s.results[Accuracy], u"##0.00")));
  s.duration = plat::NumberText(minutes);
  float speed = 0;
  if (net > 0 && minutes > 0) speed = float(net / minutes);
  s.results[Speed] = speed > 0 ? speed : 0;
}

int ScoreTable::MoveToRecord(int direction) {
  const int before = current_;
  if (direction == 1) {
    current_ = std::max(current_ - 1, first_);
  } else if (direction == 2) {
    current_ = std::min(current_ + 1, last_);
  } else {
    current_ = first_;
  }
  if (current_ < 0) current_ = 0;
  if (current_ > kMaxRecords) current_ = kMaxRecords;
  ShowRecordOnSheet(working_[current_]);
  return current_ != before ? 1 : 0;
}

DisplayTexts ScoreTable::ShowRecord(const ScoreRow& row) {
  DisplayTexts d;
  const QString pts = text(12705), pct = text(12710), per = text(12711);
  d.TEXT01 = row.name;
  d.TEXT02 = row.identity;
  d.TEXT03 = row.birthday;
  d.TEXT04 = QString::number(count_);
  d.TEXT05 = Marker();
  d.TEXT06 = env_.now ? env_.now() : plat::DateTimeText(plat::clock().Now());
  d.TEXT07 = CountText(row.results[Correct]) + u' ' + pts;
  d.TEXT08 = CountText(row.results[Errors]) + u' ' + pts;
  d.TEXT09 = CountText(row.results[Net]) + u' ' + pts;
  d.TEXT09Colour = row.results[Net] != 0 ? Colour::Blue : Colour::Red;
  d.TEXT10 = RateText(row.results[Accuracy]) + u' ' + pct;
  d.TEXT11 = RateText(row.results[ErrorRate]) + u' ' + pct;
  d.TEXT11Colour = text11Colour_;
  d.TEXT12 = RateText(row.results[Speed]) + u' ' + per;
  d.TEXT12Colour = row.results[Speed] < float(rules_.blueSpeed) ? Colour::Red : Colour::Blue;
  d.TEXT13 = row.duration;
  display_ = d;
  if (onDisplay) onDisplay(display_);
  return d;
}

SheetTexts ScoreTable::ShowRecordOnSheet(const ScoreRow& row) {
  SheetTexts s;
  s.Text1 = row.name;
  s.TEXT2 = row.identity;
  s.TEXT3 = row.scoredAt;
  s.TEXT12 = row.birthday;
  s.TEXT4 = row.testFile;
  const QString d = row.duration.trimmed();
  if (!d.isEmpty()) s.Text5A = (d.startsWith(u'分') || d.startsWith(u':')) ? d : d + text(12705);
  s.Text6 = CountText(row.results[Correct]);
  s.Text7 = CountText(row.results[Errors]);
  s.Text8 = CountText(row.results[Net]);
  s.Text9 = CountText(row.results[Accuracy]);
  s.TEXT10 = CountText(row.results[ErrorRate]);
  s.TEXT11 = CountText(row.results[Speed]);
  s.TEXT14 = text(12706) + u' ' + QString::number(row.testNumber) + u' ' + text(12707);
  s.Label15 = text(12708) + u' ' + QString::number(count_) + u' ' + text(12709);
  candidateTextPath_ = trimRight(row.answerFile);
  sheet_ = s;
  if (onSheet) onSheet(sheet_);
  return s;
}

}  // namespace batch
