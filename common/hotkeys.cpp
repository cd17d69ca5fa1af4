#include "common/hotkeys.h"

#include "common/accessors.h"
#include "common/settings.h"
#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

namespace common {

namespace {

// Key character of each row; rows 49 and 50 have none (code 0).
constexpr std::array<char16_t, HotKeyTable::kRows> kRowKeys = {
    u'`', u'-', u'=', u'\\', u'[', u']', u';', u'\'', u',', u'.', u'/',
    u'A', u'B', u'C', u'D', u'E', u'F', u'G', u'H', u'I', u'J', u'K', u'L', u'M',
    u'N', u'O', u'P', u'Q', u'R', u'S', u'T', u'U', u'V', u'W', u'X', u'Y', u'Z',
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u':', u';',
    0, 0};

constexpr std::array<std::uint16_t, 11> kPunctuationCodes = {192, 189, 187, 220, 219, 221,
                                                             186, 222, 188, 190, 191};

int columnOfName(const QString& name) {
  const QString n = name.toUpper();
  if (n == u"CTRL") return 1;
  if (n == u"CTRLSHIFT" || n == u"SHIFTCTRL") return 2;
  if (n == u"ALT") return 3;
  if (n == u"SHIFTALT" || n == u"ALTSHIFT" || n == u"SHIFTAIT" || n == u"AITSHIFT") return 4;
  if (n == u"CTRLALT" || n == u"ALTCTRL" || n == u"CTRLAIT" || n == u"AITCTRL") return 5;
  return 0;
}

// First `n` characters, never ending inside a surrogate pair.
QString cut(const QString& s, int n) {
  if (n < 0) n = 0;
  if (s.size() <= n) return s;
  QString t = s.left(n);
  if (!t.isEmpty() && t.back().isHighSurrogate()) t.chop(1);
  return t;
}

HotKeyTable*& tablePtr() {
  static HotKeyTable* t = nullptr;
  return t;
}

void resetTable() {
  delete tablePtr();
  tablePtr() = nullptr;
}

const bool registered = (AddCommonStateReset(&resetTable), true);

}  // namespace

HotKeyTable::HotKeyTable() { BuildPunctuationKeys(); }

void HotKeyTable::BuildPunctuationKeys() {
  for (std::size_t r = 0; r < kRows; ++r) {
    if (r < 11)
      codes_[r] = kPunctuationCodes[r];
    else if (r < 37)
      codes_[r] = static_cast<std::uint16_t>(65 + (r - 11));
    else if (r < 49)
      codes_[r] = static_cast<std::uint16_t>(48 + (r - 37));
    else
      codes_[r] = 0;
    for (QString& t : texts_[r]) t.clear();
  }
  static const QString altKeys = QStringLiteral("1234567890-=\\QWERTYUIOP[]ASDFGHJKL;'ZXCVBNM,./");
  static const QString altTexts = QString::fromUtf16(
      u"┌┬┐〝〞‘’\"『』"
      u"「」├"
      u"┼┤※〈〉《》【】﹝﹞└"
      u"┴┘○●↑↓！：；、─"
      u"│◎§←→。，‧？");
  for (qsizetype k = 0; k < altKeys.size(); ++k)
    ModifierCode(QStringLiteral("Alt"), altKeys.mid(k, 1), k < altTexts.size() ? altTexts.mid(k, 1) : QString());
  ModifierCode(QStringLiteral("Ctrl"), QStringLiteral("R"), QStringLiteral("『』"));
  ModifierCode(QStringLiteral("CTRLAIT"), QStringLiteral("C"), QStringLiteral("「」"));
  ModifierCode(QStringLiteral("SHIFTAIT"), QStringLiteral("C"), QStringLiteral("【】"));
  ModifierCode(QStringLiteral("CTRLSHIFT"), QStringLiteral("V"), QStringLiteral("﹝﹞"));
  ModifierCode(QStringLiteral("CTRLSHIFT"), QStringLiteral("G"), QStringLiteral("《》"));
}

void HotKeyTable::ModifierCode(const QString& modifierName, const QString& key, const QString& text) {
  if (key.size() != 1) return;
  const int column = columnOfName(modifierName);
  for (std::size_t r = 0; r < kRows; ++r)
    if (kRowKeys[r] != 0 && key[0] == QChar(kRowKeys[r])) texts_[r][static_cast<std::size_t>(column)] = text;
}

void HotKeyTable::ApplyKeyLines(const QStringList& lines, int maxLength) {
  for (const QString& raw : lines) {
    const QString line = plat::trimTrailingBlanks(raw);
    if (line.isEmpty()) continue;
    QString acc, name, key;
    QChar last;  // last separator of this line
    for (qsizetype i = 0; i < line.size(); ++i) {
      const QChar c = line[i];
      if (c == u';' && i < 3) break;
      if (c == u'+') {
        name = acc;
        acc.clear();
        last = c;
      } else if (c == u'=') {
        key = (i > 0 && line[i - 1] == u'=') ? QStringLiteral("=") : acc;
        acc.clear();
        last = c;
      } else {
        acc += c;
      }
    }
    if (last == u'=') ModifierCode(name, key, cut(acc, maxLength));
  }
}

QString HotKeyTable::HotKeyText(int column, int code) const {
  if (column < 0 || column >= kColumns) return QString();
  QString found;
  for (std::size_t r = 0; r < kRows; ++r)
    if (codes_[r] == code) found = texts_[r][static_cast<std::size_t>(column)];
  return found;
}

HotKeyTable& HotKeys() {
  (void)registered;
  if (!tablePtr()) tablePtr() = new HotKeyTable();
  return *tablePtr();
}

void BuildPunctuationKeys() { HotKeys().BuildPunctuationKeys(); }

void ModifierCode(const QString& modifierName, const QString& key, const QString& text) {
  HotKeys().ModifierCode(modifierName, key, text);
}

QString HotKeyText(int column, int code) { return HotKeys().HotKeyText(column, code); }

bool LoadHotKeys() {
  const QString path = plat::FindCaseInsensitive(ProgramFolder.get(), QStringLiteral("Key.Ini"));
  QByteArray bytes;
  if (!plat::readAllBytes(path, bytes)) {
    ShowMissingFileMessage(QStringLiteral("Key.Ini"));
    return false;
  }
  // A UTF-8 save would put its bytes into the record as "?": the defaults stay.
  if (!AcceptBig5File(path, bytes, false)) return false;
  QStringList lines;
  for (const QByteArray& raw : plat::splitRawLines(bytes)) lines.append(plat::fromCp950(raw));
  HotKeys().ApplyKeyLines(lines, SystemIniValue(2299).asInt());
  return true;
}

int HotKeyColumn(bool shift, bool ctrl, bool alt) {
  const int mask = (shift ? 1 : 0) | (ctrl ? 2 : 0) | (alt ? 4 : 0);
  return (mask == 0 || mask == 7) ? -1 : mask - 1;
}

int VirtualKeyFromEvdev(int evdevCode) {
  switch (evdevCode) {
    case 41: return 192;  // `
    case 12: return 189;  // -
    case 13: return 187;  // =
    case 43: return 220;  // backslash
    case 26: return 219;  // [
    case 27: return 221;  // ]
    case 39: return 186;  // ;
    case 40: return 222;  // '
    case 51: return 188;  // ,
    case 52: return 190;  // .
    case 53: return 191;  // /
    case 11: return '0';
    default: break;
  }
  if (evdevCode >= 2 && evdevCode <= 10) return '1' + (evdevCode - 2);
  static constexpr char16_t rows[] = u"QWERTYUIOP\0\0\0\0ASDFGHJKL\0\0\0\0\0ZXCVBNM";
  // Letter rows start at Q = 16, A = 30, Z = 44.
  const int i = evdevCode - 16;
  if (i >= 0 && i < static_cast<int>(std::size(rows)) - 1 && rows[i] != 0) return rows[i];
  return 0;
}

int VirtualKeyFromEvent(std::uint32_t nativeScanCode, int qtKey) {
  if (nativeScanCode > 8) {
    const int vk = VirtualKeyFromEvdev(static_cast<int>(nativeScanCode) - 8);
    if (vk != 0) return vk;
  }
  if ((qtKey >= 'A' && qtKey <= 'Z') || (qtKey >= '0' && qtKey <= '9')) return qtKey;
  switch (qtKey) {
    case '`': case '~': return 192;
    case '-': case '_': return 189;
    case '=': case '+': return 187;
    case '\\': case '|': return 220;
    case '[': case '{': return 219;
    case ']': case '}': return 221;
    case ';': case ':': return 186;
    case '\'': case '"': return 222;
    case ',': case '<': return 188;
    case '.': case '>': return 190;
    case '/': case '?': return 191;
    case '!': return '1';
    case '@': return '2';
    case '#': return '3';
    case '$': return '4';
    case '%': return '5';
    case '^': return '6';
    case '&': return '7';
    case '*': return '8';
    case '(': return '9';
    case ')': return '0';
    default: return 0;
  }
}

}  // namespace common
