#include "platform/core/compat.h"

#include <QLocale>

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace plat {

double ValNumber(QStringView text, bool* ok) {
  if (ok) *ok = true;
  std::string s;
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto skipBlanks = [&] {
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r')) ++i;
  };
  skipBlanks();
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    if (text[i] == u'-') s += '-';
    ++i;
  }
  bool digits = false, dot = false;
  for (;;) {
    skipBlanks();
    if (i >= n) break;
    QChar c = text[i];
    if (c >= u'0' && c <= u'9') {
      s += char(c.unicode());
      digits = true;
      ++i;
    } else if (c == u'.' && !dot) {
      s += '.';
      dot = true;
      ++i;
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  // Exponent only when digits follow it.
  skipBlanks();
  if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
    qsizetype j = i + 1;
    std::string e = "e";
    while (j < n && (text[j] == u' ' || text[j] == u'\t')) ++j;
    if (j < n && (text[j] == u'+' || text[j] == u'-')) {
      if (text[j] == u'-') e += '-';
      ++j;
    }
    bool edigits = false;
    for (;;) {
      while (j < n && (text[j] == u' ' || text[j] == u'\t')) ++j;
      if (j < n && text[j] >= u'0' && text[j] <= u'9') {
        e += char(text[j].unicode());
        edigits = true;
        ++j;
      } else {
        break;
      }
    }
    if (edigits) s += e;
  }
  double v = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Underflow reads as 0; overflow is a conversion failure.
    if (s.find('e') != std::string::npos && s.find("e-") != std::string::npos) return 0.0;
    if (ok) *ok = false;
    return 0.0;
  }
  if (res.ec != std::errc()) return 0.0;
  return v;
}

std::optional<std::int64_t> RoundHalfEven(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  const int old = std::fegetround();
  std::fesetround(FE_TONEAREST);
  double r = std::nearbyint(v);
  std::fesetround(old);
  if (r < -9.2e18 || r > 9.2e18) return std::nullopt;
  return static_cast<std::int64_t>(r);
}

template <class T>
static std::optional<T> toRange(double v) {
  auto r = RoundHalfEven(v);
  if (!r || *r < std::numeric_limits<T>::min() || *r > std::numeric_limits<T>::max()) return std::nullopt;
  return static_cast<T>(*r);
}

std::optional<std::uint8_t> ToByte(double v) { return toRange<std::uint8_t>(v); }
std::optional<std::int16_t> ToInt16(double v) { return toRange<std::int16_t>(v); }
std::optional<std::int32_t> ToInt32(double v) { return toRange<std::int32_t>(v); }

QString FormatNumber(double value, QStringView pattern, int significant) {
  // Split the pattern into prefix, number part and suffix.
  qsizetype first = -1, last = -1;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    QChar c = pattern[i];
    if (c == u'0' || c == u'#' || c == u'.') {
      if (first < 0) first = i;
      last = i;
    }
  }
  if (first < 0) return pattern.toString();
  QStringView num = pattern.mid(first, last - first + 1);
  const qsizetype dotPos = num.indexOf(u'.');
  QStringView intPart = dotPos < 0 ? num : num.left(dotPos);
  QStringView fracPart = dotPos < 0 ? QStringView() : num.mid(dotPos + 1);
  const int decimals = int(fracPart.size());
  int minInt = 0;
  for (QChar c : intPart)
    if (c == u'0') ++minInt;
  int minFrac = 0;
  for (qsizetype i = 0; i < fracPart.size(); ++i)
    if (fracPart[i] == u'0') minFrac = int(i) + 1;

  // NaN and infinity (results read from a damaged record) have no digits to
  // round: they show as 0 instead of failing the caller.
  if (!std::isfinite(value)) value = 0;
  bool neg = value < 0;
  double a = std::fabs(value);
  // Take the value to its significant digits as the runtime does.
  char buf[64];
  // to_chars, not printf: printf follows the locale's decimal point.
  auto tc = std::to_chars(buf, buf + sizeof buf - 1, a, std::chars_format::scientific, significant - 1);
  *tc.ptr = '\0';
  // Decimal rounding half away from zero on that digit string.
  std::string digits;
  int exp10 = 0;
  {
    std::string t(buf);
    auto epos = t.find('e');
    std::string mant = t.substr(0, epos);
    exp10 = std::stoi(t.substr(epos + 1));
    for (char c : mant)
      if (c != '.') digits += c;
  }
  // digits d0 d1 d2... value = 0.d0d1d2... * 10^(exp10+1)
  int pointPos = exp10 + 1;  // number of digits before the decimal point
  int keep = pointPos + decimals;
  std::string intDigits, fracDigits;
  if (keep < 0) {
    digits = "0";
    pointPos = 1;
  } else {
    bool up = keep < int(digits.size()) && digits[keep] >= '5';
    if (keep < int(digits.size())) digits.resize(keep);
    while (int(digits.size()) < keep) digits += '0';
    if (up) {
      int k = int(digits.size()) - 1;
      while (k >= 0 && digits[k] == '9') digits[k--] = '0';
      if (k >= 0) {
        digits[k]++;
      } else {
        digits.insert(digits.begin(), '1');
        ++pointPos;
      }
    }
  }
  if (pointPos > 0) {
    intDigits = digits.substr(0, std::min<size_t>(pointPos, digits.size()));
    while (int(intDigits.size()) < pointPos) intDigits += '0';
    fracDigits = int(digits.size()) > pointPos ? digits.substr(pointPos) : std::string();
  } else {
    intDigits = "";
    fracDigits = std::string(-pointPos, '0') + digits;
  }
  while (int(fracDigits.size()) < decimals) fracDigits += '0';
  fracDigits.resize(decimals);
  // Strip leading zeros of the integer part, then pad to the "0" count.
  size_t nz = intDigits.find_first_not_of('0');
  intDigits = nz == std::string::npos ? std::string() : intDigits.substr(nz);
  while (int(intDigits.size()) < minInt) intDigits.insert(intDigits.begin(), '0');
  // Optional ("#") trailing decimals are dropped when zero.
  while (int(fracDigits.size()) > minFrac && !fracDigits.empty() && fracDigits.back() == '0') fracDigits.pop_back();
  bool allZero = intDigits.find_first_not_of('0') == std::string::npos &&
                 fracDigits.find_first_not_of('0') == std::string::npos;
  QString out = pattern.left(first).toString();
  if (neg && !allZero) out += u'-';
  out += QString::fromLatin1(intDigits.c_str());
  if (dotPos >= 0 && (!fracDigits.empty() || minFrac > 0)) {
    out += u'.';
    out += QString::fromLatin1(fracDigits.c_str());
  } else if (dotPos >= 0 && fracDigits.empty()) {
    out += u'.';  // the runtime keeps a bare point for "#.##"
  }
  out += pattern.mid(last + 1).toString();
  return out;
}

QString NumberText(double value, int significant) {
  if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
    return QString::number(static_cast<qint64>(value));
  char buf[64];
  auto tc = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::general, significant);
  *tc.ptr = '\0';
  return QString::fromLatin1(buf);
}

QString DateTimeText(const QDateTime& t, const QString& pattern) {
  QString text = QLocale::c().toString(t, pattern);
  text.replace(QStringLiteral("AM"), QStringLiteral("上午"));
  text.replace(QStringLiteral("PM"), QStringLiteral("下午"));
  return text;
}

}  // namespace plat
