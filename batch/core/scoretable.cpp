#include "batch/core/scoretable.h"

#include <cmath>
#include <utility>

#include "batch/core/datetimetext.h"
#include "platform/core/clock.h"
#include "platform/core/compat.h"

namespace batch {

namespace {

QString number(float v) { return plat::NumberText(double(v), 7); }

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

QString SummaryMarker(const QString& text12701) {
  return text12701.isEmpty() ? kDefaultSummaryMarker : text12701;
}

bool IsSummaryRow(const ScoreRow& row, const QString& marker) {
  if (row.testNumber != 0 || marker.isEmpty()) return false;
  return trimBoth(row.testFile).startsWith(marker);
}

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
    k.dateTime = trimBoth(k.dateTime);
    k.testFile = trimBoth(k.testFile);
    k.caption = trimRight(k.caption);
    k.duration = trimRight(k.duration);
    k.typedFile = trimRight(k.typedFile);  // a padded path never opens
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
  if (rules.passMarkOn == 1 && working_[0][ErrorRate] >= float(rules.passMark)) {
    working_[0][Net] = 0;
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
  // Every ordered pair, every step in turn: this exact pass order decides
  // which record ends last and so becomes the summary.
  for (int i = first_; i <= last_; ++i) {
    for (int j = first_; j <= last_; ++j) {
      for (int k = 0; k < 6; ++k) {
        if (key[k] < 1 || key[k] > 6) continue;
        const float a = sortedResult(i, key[k]);
        const float b = sortedResult(j, key[k]);
        if ((dir[k] == 2 && a > b) || (dir[k] == 1 && a < b)) SwapRecords(i, j);
      }
    }
  }
  working_[0] = sorted_[last_ >= 0 && last_ <= kMaxRecords ? last_ : 0];
}

void ScoreTable::SwapRecords(int i, int j) {
  if (i < 0 || j < 0 || i > kMaxRecords || j > kMaxRecords || i == j) return;
  std::swap(sorted_[i], sorted_[j]);
}

void ScoreTable::AverageRecords() {
  working_[0] = working_[first_];
  const int n = last_ - first_ + 1;
  if (n <= 0) return;
  double seconds = 0;
  for (int i = first_; i <= last_; ++i) {
    auto s = DurationSeconds(sorted_[i].duration);
    if (!s) {
      log(QStringLiteral("無法讀取的測驗時間>") + sorted_[i].duration + u'>' + sorted_[i].name);
      continue;
    }
    seconds += *s;
  }
  working_[0].duration = SecondsToMinSec(int(plat::RoundHalfEven(seconds / n).value_or(0)));
  for (int r = 0; r < 6; ++r) {
    double sum = 0;
    for (int i = first_; i <= last_; ++i) sum += sorted_[i].results[r];
    working_[0].results[r] = float(sum / n);
  }
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
    c += sorted_[i][Correct];
    e += sorted_[i][Errors];
    net += sorted_[i][Net];
    minutes += wholeMinutes(sorted_[i].duration);
  }
  ScoreRow& s = working_[0];
  s[Correct] = c;
  s[Errors] = e;
  s[Net] = net;
  float acc = 0;
  if (c > 0) {
    const float cc = c / correctDivisor;
    const float ee = e / errorDivisor;
    acc = (1.0f - ee / (ee + cc)) * 100.0f;
  }
  if (!(acc > 0)) acc = 0;
  s[Accuracy] = float(plat::ValNumber(plat::FormatSingle(acc, u"##0.00")));
  s[ErrorRate] = float(plat::ValNumber(plat::FormatSingle(100.0f - s[Accuracy], u"##0.00")));
  s.duration = plat::NumberText(minutes);
  float speed = 0;
  if (net > 0 && minutes > 0) speed = float(net / minutes);
  s[Speed] = speed > 0 ? speed : 0;
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
  d.TEXT03 = row.caption;
  d.TEXT04 = QString::number(count_);
  d.TEXT05 = Marker();
  d.TEXT06 = env_.now ? env_.now() : DateTimeText(plat::clock().Now());
  d.TEXT07 = number(row[Correct]) + u' ' + pts;
  d.TEXT08 = number(row[Errors]) + u' ' + pts;
  d.TEXT09 = number(row[Net]) + u' ' + pts;
  d.TEXT09Colour = row[Net] != 0 ? Colour::Blue : Colour::Red;
  d.TEXT10 = plat::FormatSingle(row[Accuracy], u"##0.0#") + u' ' + pct;
  d.TEXT11 = plat::FormatSingle(row[ErrorRate], u"##0.0#") + u' ' + pct;
  d.TEXT11Colour = text11Colour_;
  d.TEXT12 = plat::FormatSingle(row[Speed], u"##0.0#") + u' ' + per;
  d.TEXT12Colour = row[Speed] < float(rules_.blueSpeed) ? Colour::Red : Colour::Blue;
  d.TEXT13 = row.duration;
  display_ = d;
  if (onDisplay) onDisplay(display_);
  return d;
}

SheetTexts ScoreTable::ShowRecordOnSheet(const ScoreRow& row) {
  SheetTexts s;
  s.Text1 = row.name;
  s.TEXT2 = row.identity;
  s.TEXT3 = row.dateTime;
  s.TEXT12 = row.caption;
  s.TEXT4 = row.testFile;
  const QString d = row.duration.trimmed();
  if (!d.isEmpty()) s.Text5A = (d.startsWith(u'分') || d.startsWith(u':')) ? d : d + text(12705);
  s.Text6 = number(row[Correct]);
  s.Text7 = number(row[Errors]);
  s.Text8 = number(row[Net]);
  s.Text9 = number(row[Accuracy]);
  s.TEXT10 = number(row[ErrorRate]);
  s.TEXT11 = number(row[Speed]);
  s.TEXT14 = text(12706) + u' ' + QString::number(row.testNumber) + u' ' + text(12707);
  s.Label15 = text(12708) + u' ' + QString::number(count_) + u' ' + text(12709);
  candidateTextPath_ = trimRight(row.typedFile);
  sheet_ = s;
  if (onSheet) onSheet(sheet_);
  return s;
}

}  // namespace batch
