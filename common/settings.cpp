#include "common/settings.h"

#include <QFileInfo>
#include <QHash>
#include <cmath>

#include "common/cipher.h"
#include "common/errorlog.h"
#include "common/hotkeys.h"
#include "common/scramble.h"
#include "common/utilities.h"
#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"

namespace common {

namespace {

// ---------------------------------------------------------------------------
// The rules of the accessor table, as ApplySetting reads them.
// ---------------------------------------------------------------------------
enum class RuleKind { None, Byte, Range, Short, Only01, Text, NonEmpty, MinLength, CdFolder, Single, Ratio, WebAddress };

struct Rule {
  RuleKind kind = RuleKind::None;
  int a = 0;
  int b = 0;
};

namespace rules {
constexpr Rule Byte(int max) { return {RuleKind::Byte, max, 0}; }
constexpr Rule Range(int lo, int hi) { return {RuleKind::Range, lo, hi}; }
constexpr Rule Short() { return {RuleKind::Short, 0, 0}; }
constexpr Rule Only01() { return {RuleKind::Only01, 0, 0}; }
constexpr Rule Text() { return {RuleKind::Text, 0, 0}; }
constexpr Rule NonEmpty() { return {RuleKind::NonEmpty, 0, 0}; }
constexpr Rule MinLength(int n) { return {RuleKind::MinLength, n, 0}; }
constexpr Rule CdFolder() { return {RuleKind::CdFolder, 0, 0}; }
constexpr Rule Single() { return {RuleKind::Single, 0, 0}; }
constexpr Rule Ratio() { return {RuleKind::Ratio, 0, 0}; }
constexpr Rule WebAddress() { return {RuleKind::WebAddress, 0, 0}; }
constexpr Rule None() { return {RuleKind::None, 0, 0}; }
}  // namespace rules

struct SettingEntry {
  int number;
  AccessorSlot slot;
  const char* defaultValue;  // UTF-8
  Rule rule;
};

const std::vector<SettingEntry>& settingEntries() {
  using namespace rules;
  static const std::vector<SettingEntry> entries = {
#define COMMON_SETTING_ENTRY(number, name, kind, def, rule) {number, AccessorSlot::name, def, rule},
      COMMON_ACCESSOR_TABLE(COMMON_SETTING_ENTRY)
#undef COMMON_SETTING_ENTRY
  };
  return entries;
}

const QHash<int, const SettingEntry*>& settingByNumber() {
  static const QHash<int, const SettingEntry*> map = [] {
    QHash<int, const SettingEntry*> m;
    for (const SettingEntry& e : settingEntries())
      if (e.number != 0 && !m.contains(e.number)) m.insert(e.number, &e);
    return m;
  }();
  return map;
}

constexpr float kColourDefaults[8] = {4210752, 4210753, 14737632, 16777215, 4210752, 14737632, 255, 0};

void logSkipped(int number, const QString& why) {
  WriteErrorLog(QStringLiteral("設定值略過>") + QString::number(number) + u' ' + why);
}

// The accessor objects, by slot, so each rule goes through the right set().
// Applies `value` under `rule` to accessor `acc`.
struct Apply {
  int number;
  Rule rule;
  const QString& value;

  // The numeric value of the text; nullopt (logged) when it is no number a
  // double can hold.
  std::optional<double> number_() const {
    bool fits = true;
    const double v = plat::ValNumber(value, &fits);
    if (!fits) {
      logSkipped(number, QStringLiteral("數值超出範圍"));
      return std::nullopt;
    }
    return v;
  }

  // The byte value b: nullopt (logged) when the rounded value is not 0..255.
  std::optional<int> byte_() const {
    auto v = number_();
    if (!v) return std::nullopt;
    auto b = plat::ToByte(*v);
    if (!b) {
      logSkipped(number, QStringLiteral("不在 0 到 255 之間"));
      return std::nullopt;
    }
    return int(*b);
  }

  void operator()(const ByteAccessor& acc) const {
    auto b = byte_();
    if (!b) return;
    switch (rule.kind) {
      case RuleKind::Byte:
        if (*b <= rule.a) acc.set(*b);
        break;
      case RuleKind::Range:
        if (*b >= rule.a && *b <= rule.b) acc.set(*b);
        break;
      default: break;
    }
  }

  template <int Lo, int Hi>
  void operator()(const ShortAccessor<Lo, Hi>& acc) const {
    auto v = number_();
    if (!v) return;
    if (rule.kind == RuleKind::Only01) {
      if (*v == 0.0 || *v == 1.0) acc.set(int(*v));
      return;
    }
    auto i = plat::ToInt16(*v);
    if (!i) {
      logSkipped(number, QStringLiteral("不在 16 位元整數範圍內"));
      return;
    }
    acc.set(*i);
  }

  void operator()(const TextAccessor& acc) const {
    StoreValue& slot = detail::accessorValue(acc.slot());
    switch (rule.kind) {
      case RuleKind::Text: slot = StoreValue(value); break;
      case RuleKind::NonEmpty: acc.set(value); break;
      case RuleKind::MinLength:
        if (value.size() >= rule.a) slot = StoreValue(value);
        break;
      case RuleKind::CdFolder:
        if (value.size() >= 2 || value == u"1") {
          slot = StoreValue(value);
        } else {
          auto b = plat::ToByte(plat::ValNumber(value));
          if (b && *b == 0) slot = StoreValue(QString());
        }
        break;
      case RuleKind::WebAddress: {
        // Callers put the scheme in front ("http:" + address).
        const qsizetype at = value.indexOf(QStringLiteral("//"));
        if (at >= 0)
          slot = StoreValue(value.mid(at));
        else if (value.isEmpty())
          slot = StoreValue(QString());
        else
          slot = StoreValue(QStringLiteral("//") + value);
        break;
      }
      default: break;
    }
  }

  void operator()(const SingleAccessor& acc) const {
    auto v = number_();
    if (!v) return;
    if (std::fabs(*v) > 3.4028234663852886e38) {
      logSkipped(number, QStringLiteral("超出單精度範圍"));
      return;
    }
    if (rule.kind == RuleKind::Ratio && !(*v > 0)) *v = 1.0;
    acc.set(*v);
  }
};

void applyToSlot(const SettingEntry& e, const QString& value) {
  Apply apply{e.number, e.rule, value};
  switch (e.slot) {
#define COMMON_SETTING_CASE(number, name, kind, def, rule) \
  case AccessorSlot::name: apply(name); break;
    COMMON_ACCESSOR_TABLE(COMMON_SETTING_CASE)
#undef COMMON_SETTING_CASE
    case AccessorSlot::Count: break;
  }
}

// Sets an accessor to its default text, whatever its storing rule.
void seedSlot(AccessorSlot slot, const QString& text) {
  StoreValue& v = detail::accessorValue(slot);
  if (v.isText()) {
    v = StoreValue(text);
  } else if (std::holds_alternative<std::uint8_t>(v.variant())) {
    v = StoreValue(plat::ToByte(plat::ValNumber(text)).value_or(0));
  } else if (std::holds_alternative<std::int16_t>(v.variant())) {
    v = StoreValue(plat::ToInt16(plat::ValNumber(text)).value_or(0));
  } else if (std::holds_alternative<float>(v.variant())) {
    v = StoreValue(float(plat::ValNumber(text)));
  }
}

// One line of the file as the reader sees it: right-trimmed, unscrambled
// when the file is scrambled; bytes of the code page.
QByteArray plainLineBytes(const QByteArray& raw, bool scrambled) {
  const QByteArray trimmed = plat::trimTrailingBlankBytes(raw);
  return scrambled ? UnscrambleToBytes(trimmed) : trimmed;
}

bool isLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Applies every line of a settings file; the file exists. False when it is
// refused as a UTF-8 save.
bool applyFile(const QString& path, bool scrambled) {
  QByteArray bytes;
  if (!plat::readAllBytes(path, bytes)) {
    WriteErrorLog(QStringLiteral("無法讀取設定檔>") + path);
    return true;
  }
  const QList<QByteArray> lines = PlainSettingLines(bytes, scrambled);
  if (!AcceptBig5File(path, bytes, scrambled)) return false;
  for (const QByteArray& plain : lines) {
    if (plain.isEmpty()) continue;
    auto parsed = ParseSettingLine(DecodeLineBytes(plain).text);
    if (!parsed) continue;
    auto number = SettingNumber(parsed->numberText);
    if (!number) {
      if (plat::ValNumber(parsed->numberText) != 0)
        WriteErrorLog(QStringLiteral("設定號碼超出範圍>") + parsed->numberText.trimmed());
      continue;
    }
    ApplySetting(*number, parsed->value);
  }
  return true;
}

bool endsWithIxi(const QString& path) { return path.endsWith(QStringLiteral("ixi"), Qt::CaseInsensitive); }

}  // namespace

// ---------------------------------------------------------------------------

QList<QByteArray> PlainSettingLines(const QByteArray& bytes, bool scrambled) {
  QList<QByteArray> lines;
  for (const QByteArray& raw : plat::splitRawLines(bytes)) lines.append(plainLineBytes(raw, scrambled));
  return lines;
}

bool AcceptBig5File(const QString& path, const QByteArray& bytes, bool scrambled) {
  plat::Utf8Save how = plat::detectUtf8Save(bytes);
  if (how == plat::Utf8Save::No && scrambled) how = plat::detectUtf8Save(PlainSettingLines(bytes, true).join('\n'));
  if (how == plat::Utf8Save::No) return true;
  ShowNotBig5Message(path, how);
  return false;
}

std::optional<ParsedLine> ParseSettingLine(const QString& line) {
  enum { Number, Label, Value } field = Number;
  bool quoted = false;
  ParsedLine out;
  QString buf;
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line[i];
    if (c == u';') break;
    if (c == u'[' || c == u']') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && field == Number && c == u',') {
      out.numberText = buf;
      buf.clear();
      field = Label;
      continue;
    }
    if (!quoted && field == Number && c == u'=') return std::nullopt;  // no "," before the "="
    if (!quoted && field == Label && c == u'=') {
      buf.clear();
      field = Value;
      out.valueStart = int(i + 1);
      continue;
    }
    buf += c;
  }
  if (field != Value) return std::nullopt;
  out.value = buf;
  return out;
}

std::optional<int> SettingNumber(const QString& numberText) {
  qsizetype i = 0;
  while (i < numberText.size() && (numberText[i] == u' ' || numberText[i] == u'\t')) ++i;
  if (i < numberText.size() && (numberText[i] == u'+' || numberText[i] == u'-')) ++i;
  while (i < numberText.size() && (numberText[i] == u' ' || numberText[i] == u'\t')) ++i;
  if (i >= numberText.size() || !numberText[i].isDigit() || numberText[i].unicode() > 127) return std::nullopt;
  bool fits = true;
  const double v = plat::ValNumber(numberText, &fits);
  if (!fits) return std::nullopt;
  auto n = plat::ToInt16(v);
  if (!n) return std::nullopt;
  return int(*n);
}

DecodedLine DecodeLineBytes(const QByteArray& bytes) {
  DecodedLine out;
  // Character boundaries as the code page has them: a lead byte and the
  // byte after it make one character.
  QList<int> starts;
  for (qsizetype i = 0; i < bytes.size();) {
    starts.append(int(i));
    i += (isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
  }
  int bad = 0;
  const QString whole = plat::fromCp950(bytes, &bad);
  if (bad == 0 && whole.size() == starts.size()) {
    out.text = whole;
    out.byteOffset = starts;
    return out;
  }
  // A damaged line: decode one character at a time so offsets stay right.
  for (qsizetype i = 0; i < bytes.size();) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (isLeadByte(b) && i + 1 < bytes.size()) {
      int badPair = 0;
      const QString pair = plat::fromCp950(bytes.mid(i, 2), &badPair);
      if (badPair == 0 && pair.size() == 1) {
        out.text += pair;
        out.byteOffset.append(int(i));
        i += 2;
        continue;
      }
    }
    int badOne = 0;
    const QString one = plat::fromCp950(bytes.mid(i, 1), &badOne);
    out.text += (one.size() == 1 && badOne == 0) ? one[0] : QChar(QChar::ReplacementCharacter);
    out.byteOffset.append(int(i));
    i += 1;
  }
  return out;
}

SettingsFileChoice ChooseSettingsFile(const QString& programFolder, const QString& base) {
  SettingsFileChoice c;
  QString folder = plat::ToSlashes(programFolder);
  if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
  c.base = plat::ToSlashes(base);
  if (c.base.isEmpty()) {
    QStringList found = plat::FindFiles(folder, u"t*.ini");
    if (found.isEmpty()) found = plat::FindFiles(folder, u"t*.ixi");
    if (!found.isEmpty()) {
      // Sorted case-insensitively; the test program's own file first.
      QString pick = found.first();
      for (const QString& f : found)
        if (f.startsWith(QStringLiteral("Tavrel."), Qt::CaseInsensitive)) {
          pick = f;
          break;
        }
      c.base = folder + pick.left(pick.size() - 4);
    }
  }
  if (c.base.isEmpty()) {
    c.path = folder + QStringLiteral("T*.Ini");  // nothing found: named in the warning
    return c;
  }
  const qsizetype slash = c.base.lastIndexOf(u'/');
  const QString dir = slash >= 0 ? c.base.left(slash + 1) : QString();
  const QString name = c.base.mid(slash + 1);
  const QString ixi = plat::FindCaseInsensitive(dir, name + QStringLiteral(".Ixi"));
  if (QFileInfo(ixi).isFile()) {
    c.path = ixi;
    c.scrambled = true;
  } else {
    c.path = plat::FindCaseInsensitive(dir, name + QStringLiteral(".Ini"));
  }
  return c;
}

void SeedSettingDefaults() {
  detail::SeedStoreDefaults();
  for (const SettingEntry& e : settingEntries())
    if (e.defaultValue) seedSlot(e.slot, QString::fromUtf8(e.defaultValue));
  QString folder = ProgramFolder.get();
  if (folder.size() > 1 && folder.endsWith(u'/')) folder.chop(1);
  detail::accessorValue(AccessorSlot::DataPath) = StoreValue(folder);
  for (int i = 0; i < 8; ++i) detail::colourSlot(i + 1) = kColourDefaults[i];
}

void ApplySetting(int number, const QString& value) {
  if (number >= 401 && number <= 408) {
    // Any colour 0..0xFFFFFF, black included; negatives are ignored.
    bool fits = true;
    const double v = plat::ValNumber(value, &fits);
    if (fits && v >= 0 && v <= 16777215.0) detail::colourSlot(number - 400) = float(v);
    return;
  }
  auto it = settingByNumber().constFind(number);
  if (it != settingByNumber().cend()) {
    applyToSlot(**it, value);
    return;
  }
  bool ok = true;
  SystemIniValue(number, value, &ok);
  if (!ok) logSkipped(number, QStringLiteral("不符合此號碼的型態"));
}

LoadResult LoadSettings() {
  ProgramFolder.set(plat::ProgramFolder());
  SeedSettingDefaults();
  LoadCipherTable();
  BuildPunctuationKeys();
  const SettingsFileChoice choice = ChooseSettingsFile(ProgramFolder.get(), SettingsBase.get());
  SettingsBase.set(choice.base);
  SystemIniValue(4498, choice.scrambled ? QStringLiteral("1") : QStringLiteral("0"));
  WriteErrorLog(QStringLiteral("取得INI>") + choice.path);
  if (!QFileInfo(choice.path).isFile()) {
    ShowMissingFileMessage(choice.path);
    return LoadResult::FatalNoSettings;
  }
  SystemIniValue(4499, choice.path);
  if (!applyFile(choice.path, choice.scrambled)) return LoadResult::FatalNoSettings;
  RunModeFlag.set(0);
  return LoadResult::Ok;
}

bool ReadIniFile(const QString& path) {
  const QString p = plat::ResolvePath(path);
  WriteErrorLog(QStringLiteral("取得INI>") + p);
  if (!QFileInfo(p).isFile()) {
    ShowMissingFileMessage(p);
    return false;
  }
  return applyFile(p, endsWithIxi(p));
}

bool SaveSetting(int number, const QString& value) {
  const QString path = SystemIniValue(4499).asText();
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    plat::prompt().Ask(QStringLiteral("存回INI時,無法讀得 ") + path + QStringLiteral(" 檔案,請檢查原因"),
                       QStringLiteral("警告訊息"), plat::Buttons::Ok, plat::Icon::Exclamation);
    return false;
  }
  // The format cannot escape these, and a line break would add lines.
  for (QChar c : value) {
    if (c.unicode() < 0x20 || c == u';' || c == u'[' || c == u']') {
      WriteErrorLog(QStringLiteral("存回INI拒絕>") + QString::number(number) +
                    QStringLiteral(" 的值含有控制字元或 ; [ ]"));
      return false;
    }
  }
  if (!plat::fitsCp950(value)) {
    WriteErrorLog(QStringLiteral("存回INI拒絕>") + QString::number(number) + QStringLiteral(" 的值含有 Big5 以外的字元"));
    return false;
  }
  const bool scrambled = path.size() >= 2 && (path[path.size() - 2] == u'x' || path[path.size() - 2] == u'X');
  QByteArray bytes;
  if (!plat::readAllBytes(path, bytes)) {
    WriteErrorLog(QStringLiteral("存回INI時無法讀取>") + path);
    return false;
  }
  const QByteArray valueBytes = plat::toCp950(value);
  QByteArray out;
  bool matched = false, changed = false;
  for (const QByteArray& raw : plat::splitRawLines(bytes)) {
    const QByteArray plain = plainLineBytes(raw, scrambled);
    const DecodedLine line = DecodeLineBytes(plain);
    auto parsed = ParseSettingLine(line.text);
    if (parsed && SettingNumber(parsed->numberText) == number) {
      matched = true;
      if (parsed->value != value) {
        // Number and label stay byte for byte; only the value is replaced.
        const int at = parsed->valueStart < line.byteOffset.size() ? line.byteOffset[parsed->valueStart]
                                                                   : int(plain.size());
        const QByteArray fresh = plain.left(at) + valueBytes;
        out += scrambled ? ScrambleBytes(fresh) : fresh;
        out += "\r\n";
        changed = true;
        continue;
      }
    }
    out += raw;
    out += "\r\n";
  }
  if (!matched) {
    const QByteArray fresh = QByteArray::number(number) + ",[]=" + valueBytes;
    out += scrambled ? ScrambleBytes(fresh) : fresh;
    out += "\r\n";
    changed = true;
  }
  if (!changed) return true;
  QString why;
  if (!plat::writeBytesAtomic(path, out, &why)) {
    // The file keeps its earlier settings; the person at the screen is told.
    WriteErrorLog(QStringLiteral("存回INI時無法寫入>") + path + u' ' + why);
    plat::prompt().Ask(QStringLiteral("存回INI時,無法寫入 ") + path + QStringLiteral(" 檔案:") + why +
                           QStringLiteral("\r\n原來的設定沒有改變,請檢查原因"),
                       QStringLiteral("警告訊息"), plat::Buttons::Ok, plat::Icon::Exclamation);
    return false;
  }
  return true;
}

}  // namespace common
