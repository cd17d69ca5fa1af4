#include "batch/core/startup.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

#include "common/settings.h"
#include "common/store.h"
#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"

namespace batch {

QVariant FromStoreValue(const common::StoreValue& v) {
  if (v.isEmpty()) return QVariant();
  if (v.isText()) return v.asText();
  if (std::holds_alternative<float>(v.variant())) return float(v.asNumber());
  return v.asInt();
}

StartupSettings::StartupSettings(Store store, Log log) : store_(std::move(store)), log_(std::move(log)) {
  if (!store_)
    store_ = [](int number, const QString& value) { return FromStoreValue(common::SystemIniValue(number, value)); };
}

void StartupSettings::log(const QString& line) const {
  if (log_) log_(line);
}

StartupSettings::Kind StartupSettings::kindOf(int number, bool* known) {
  *known = true;
  switch (number) {
    case 202: return Kind::Folder;
    case 292: case 293: return Kind::Hidden;
    case 294: case 880: case 915: case 916: case 918: case 994: case 995: case 996: case 997:
    case 998: return Kind::Text;
    case 301: case 302: return Kind::Single;
    case 701: case 800: case 801: case 802: case 804: case 904: case 932: case 992:
    case 999: return Kind::Byte;
    case 881: case 882: return Kind::Int16;
    default: *known = false; return Kind::Text;
  }
}

bool StartupSettings::Holds(int number) const {
  bool known = false;
  kindOf(number, &known);
  return known;
}

QVariant StartupSettings::toStore(int number, const QString& value) {
  return store_ ? store_(number, value) : QVariant();
}

QVariant StartupSettings::SettingValue(int number, const QString& value) {
  bool known = false;
  const Kind kind = kindOf(number, &known);
  if (!known) {
    toStore(number, value);
    return 0;
  }
  const bool store = !value.isEmpty() || number == 997 || number == 998;
  if (store) {
    const double v = plat::ValNumber(value);
    switch (kind) {
      case Kind::Text:
      case Kind::Hidden:
        values_[number] = value;
        break;
      case Kind::Folder:
        if (value.size() >= 2) {
          QString f = plat::ToSlashes(value);
          if (f.endsWith(u'/')) f.chop(1);
          values_[number] = f + u'/';
        }
        break;
      case Kind::Byte: {
        auto b = plat::ToByte(v);
        if (number == 999) {
          if (b && *b <= 1) values_[number] = int(*b);
        } else if (number == 904 && !b) {
          // Kept as it was: a bad line must not stop the start-up.
          log(QStringLiteral("設定值超出範圍>") + QString::number(number) + u'=' + value);
        } else {
          values_[number] = b ? int(*b) : 0;
        }
        break;
      }
      case Kind::Int16: {
        auto i = plat::ToInt16(v);
        if (i)
          values_[number] = int(*i);
        else
          log(QStringLiteral("設定值超出範圍>") + QString::number(number) + u'=' + value);
        break;
      }
      case Kind::Single: {
        // A divisor of the totals: not above 0 would divide by zero.
        float f = plat::ToSingle(v);
        values_[number] = f > 0 ? f : 1.0f;
        break;
      }
    }
  }
  switch (number) {
    case 292: case 293: return QVariant();
    case 992: case 994: case 995: case 996: return 0;
    default: break;
  }
  switch (kind) {
    case Kind::Byte:
    case Kind::Int16: return Number(number);
    case Kind::Single: return Single(number);
    default: return Text(number);
  }
}

int StartupSettings::Number(int number) const { return values_.value(number, 0).toInt(); }
float StartupSettings::Single(int number) const { return values_.value(number, 0.0f).toFloat(); }
QString StartupSettings::Text(int number) const { return values_.value(number).toString(); }

QVariant StartupSettings::ContactInfo(int selector) const {
  switch (selector) {
    case 99: return Number(992);
    case 1: return Text(994);
    case 2: return Text(995);
    case 3: return Text(996);
    default: return QVariant();
  }
}

QString StartupSettings::ProgramFolder(const QString& path) {
  if (!path.isEmpty()) SettingValue(202, path);
  return Text(202);
}

QString StartupSettings::ProgramNameSetting(const QString& name) {
  if (!name.isEmpty()) {
    programName_ = name;
  } else if (programName_.isEmpty()) {
    programName_ = QCoreApplication::instance()
                       ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                       : QStringLiteral("Tallisk");
  }
  return programName_;
}

void StartupSettings::SetDefaults() {
  values_.clear();
  values_[202] = plat::ProgramFolder();
  values_[301] = 0.5f;  // the scorer's error weight, from the same file
  values_[302] = 1.0f;
  values_[802] = 1;
  values_[804] = 1;
  values_[880] = QStringLiteral("006003002002");
  values_[882] = 30;
  values_[997] = kDefaultProductTitle;
  values_[998] = kDefaultMakerLine;
  values_[999] = 0;
  toStore(9901, QStringLiteral("1"));
  toStore(9902, kDefaultWebAddress);
  toStore(5902, QStringLiteral("5568"));
}

void StartupSettings::ReadStartupIni(const QString& base) {
  SetDefaults();
  ProgramNameSetting();
  settingsPath_.clear();
  // The base is "<folder>\<name>" without extension; either separator.
  QString folder = plat::ProgramFolder();
  QString name = QStringLiteral("Tavrel");
  const QString b = plat::ToSlashes(base.trimmed());
  if (!b.isEmpty() && !b.endsWith(u'/')) {
    const qsizetype sep = b.lastIndexOf(u'/');
    const QString f = sep < 0 ? folder : plat::ResolvePath(b.left(sep)) + u'/';
    const QString n = b.mid(sep + 1);
    if (QFileInfo(plat::FindCaseInsensitive(f, n + QStringLiteral(".Ixi"))).isFile() ||
        QFileInfo(plat::FindCaseInsensitive(f, n + QStringLiteral(".Ini"))).isFile()) {
      folder = f;
      name = n;
    }
  }
  bool scrambled = true;
  QString path = plat::FindCaseInsensitive(folder, name + QStringLiteral(".Ixi"));
  if (!QFileInfo(path).isFile()) {
    scrambled = false;
    path = plat::FindCaseInsensitive(folder, name + QStringLiteral(".Ini"));
  }
  QByteArray bytes;
  if (!QFileInfo(path).isFile() || !plat::readAllBytes(path, bytes)) {
    plat::prompt().Ask(QStringLiteral("無法讀得 Tavrel.Ini 檔案,請檢查原因"), QStringLiteral("警告訊息"),
                       plat::Buttons::Ok, plat::Icon::Exclamation);
    return;
  }
  if (!common::AcceptBig5File(path, bytes, scrambled)) return;  // as when there is none
  settingsPath_ = path;
  ApplySettingsFile(bytes, scrambled);
}

void StartupSettings::ApplySettingsFile(const QByteArray& bytes, bool scrambled) {
  // Unscrambled to bytes and only then decoded: a scrambled line is ASCII,
  // its plain bytes are CP950.
  for (const QByteArray& line : common::PlainSettingLines(bytes, scrambled))
    if (!line.isEmpty()) ApplySettingsLine(plat::fromCp950(line));  // also a scrambled line that holds nothing
}

void StartupSettings::ApplySettingsLine(const QString& line) {
  // The same line syntax as the test program: only the first unquoted ","
  // and "=" separate, so values keep their own "," and "=".
  const auto parsed = common::ParseSettingLine(line);
  if (!parsed) return;
  const auto number = common::SettingNumber(parsed->numberText);
  if (!number) {
    if (plat::ValNumber(parsed->numberText) != 0) log(QStringLiteral("設定號碼超出範圍>") + line);
    return;
  }
  SettingValue(*number, parsed->value);
}

}  // namespace batch
