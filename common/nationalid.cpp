#include "common/nationalid.h"

namespace common {

namespace {

// Full-width ASCII (U+FF01..U+FF5E) to ASCII, then ASCII upper case only:
// Unicode upper-casing would change lengths ("ß" -> "SS").
QString normalise(const QString& id) {
  QString s = id;
  for (QChar& c : s) {
    char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E) u = static_cast<char16_t>(u - 0xFEE0);
    if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - 32);
    c = QChar(u);
  }
  return s;
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

}  // namespace

bool CheckNationalId(const QString& id, QString& message) {
  const QString s = normalise(id);
  if (s.size() != 10) {
    message = QStringLiteral("國民身分證號碼必須是十碼。");
    return false;
  }
  if (s[0] < u'A' || s[0] > u'Z') {
    message = QStringLiteral("國民身分證號碼第一碼必須是英文字母。");
    return false;
  }
  if (s[1] != u'1' && s[1] != u'2') {
    message = QStringLiteral("輸入身分證號錯誤，第二碼只能是數字 1(男) 或 2(女)。");
    return false;
  }
  for (int i = 2; i < 10; ++i) {
    if (!isAsciiDigit(s[i])) {
      message = QStringLiteral("輸入身分證號錯誤，第三碼至第十碼不是全部為數字。");
      return false;
    }
  }
  static const QString letters = QStringLiteral("ABCDEFGHJKLMNPQRSTUVXYWZIO");
  const int code = static_cast<int>(letters.indexOf(s[0])) + 10;
  // Digits of the 11-digit string: the letter's code, then characters 2-10.
  int d[11];
  d[0] = code / 10;
  d[1] = code % 10;
  for (int i = 1; i < 10; ++i) d[i + 1] = s[i].unicode() - u'0';
  int sum = d[0] + d[10];
  for (int k = 1; k <= 9; ++k) sum += (10 - k) * d[k];
  if (sum % 10 != 0) {
    message = QStringLiteral("輸入身分證號錯誤，請再檢查。");
    return false;
  }
  message = QStringLiteral("輸入正確");
  return true;
}

}  // namespace common
