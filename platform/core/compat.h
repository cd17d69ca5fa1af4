#pragma once
// The Windows runtime's conversions, in one place, so results match digit
// for digit whatever the locale of the machine.
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

namespace plat {

// The leading decimal number of a text: blanks (space, tab, CR, LF) are
// ignored anywhere, an optional sign, digits, one ".", an exponent E or D.
// Stops at the first other character; 0 when there is no number.
// *ok is false only when the number does not fit a double (1e400).
double ValNumber(QStringView text, bool* ok = nullptr);

// Nearest integer, exact halves to the even neighbour. Empty when the value
// (after rounding) does not fit 64 bits or is not finite.
std::optional<std::int64_t> RoundHalfEven(double v);

// Rounds then checks the range of the target type.
std::optional<std::uint8_t> ToByte(double v);
std::optional<std::int16_t> ToInt16(double v);
std::optional<std::int32_t> ToInt32(double v);

// Single precision where the design says single.
inline float ToSingle(double v) { return static_cast<float>(v); }

// Format(value, pattern) for numeric patterns made of "0", "#", "." and
// literal characters around them ("000000", "0.00", "##0.00", "#0", "00").
// The value is first taken to `significant` decimal digits (15 for a double,
// 7 for a single, as the runtime does), then rounded half away from zero to
// the pattern's decimals. NaN and infinity format as 0.
QString FormatNumber(double value, QStringView pattern, int significant = 15);
inline QString FormatSingle(float value, QStringView pattern) {
  return FormatNumber(static_cast<double>(value), pattern, 7);
}

// Str-like text of a number: integers as decimal, others in the "C" locale
// with at most `significant` significant digits (0.5 -> "0.5", 1.0 -> "1").
QString NumberText(double value, int significant = 7);

// A date and time as the zh-TW runtime writes it: a Qt pattern read in the
// "C" locale, in which "AP" becomes 上午 or 下午 (and makes "h" and "hh"
// count 1 to 12). The default gives the short date and long time,
// "2024/12/31 下午 12:59:59", at most 24 bytes in CP950.
inline constexpr char16_t kDateTimePattern[] = u"yyyy/M/d AP hh:mm:ss";
QString DateTimeText(const QDateTime& t, const QString& pattern = QString::fromUtf16(kDateTimePattern));

}  // namespace plat
