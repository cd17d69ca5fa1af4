#pragma once
// The batch scorer's own small table of numbered settings, its defaults, and
// the start-up read of the test program's settings file. Numbers the table
// does not hold go on to the numbered settings-and-text store.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace common {
class StoreValue;
}

namespace batch {

// A value of the numbered store as a QVariant (empty, number or text).
QVariant FromStoreValue(const common::StoreValue& v);

class StartupSettings {
 public:
  // The numbered store: stores `value` when not empty, returns the value.
  using Store = std::function<QVariant(int number, const QString& value)>;
  using Log = std::function<void(const QString&)>;

  explicit StartupSettings(Store store = {}, Log log = {});

  // Stores `value` when it is not empty (997 and 998 also when empty) and
  // returns the stored value in the setting's kind; 292 and 293 give nothing
  // back; the contact settings and numbers not in the table give 0.
  QVariant SettingValue(int number, const QString& value = {});
  // Typed reads of the table (no store call, no side effect).
  int Number(int number) const;
  float Single(int number) const;
  QString Text(int number) const;
  bool Holds(int number) const;

  QString ProductTitle() const { return Text(997); }
  QString MakerLine() const { return Text(998); }
  // 99 the contact switch, 1 the mail address, 2 the web page, 3 an extra line.
  QVariant ContactInfo(int selector) const;
  // The program folder (setting 202), always ending in "/".
  QString ProgramFolder(const QString& path = {});
  // The name stored by the main window, else the program's own file name
  // without extension.
  QString ProgramNameSetting(const QString& name = {});

  // Defaults, then the settings file: `base` + ".Ixi" (scrambled) or
  // `base` + ".Ini" when either exists (the settings base the starting
  // program hands over), else "Tavrel.Ixi", else "Tavrel.Ini" of the program
  // folder. A missing file is warned about and the defaults stay.
  void ReadStartupIni(const QString& base = {});
  void SetDefaults();
  // Applies the lines of a settings file's bytes; `scrambled` unscrambles
  // each line first.
  void ApplySettingsFile(const QByteArray& bytes, bool scrambled);
  // Applies one plain settings line.
  void ApplySettingsLine(const QString& line);
  // The file that ReadStartupIni read (empty when none).
  QString SettingsFilePath() const { return settingsPath_; }

 private:
  enum class Kind { Text, Byte, Int16, Single, Folder, Hidden };
  static Kind kindOf(int number, bool* known);
  void log(const QString& line) const;
  QVariant toStore(int number, const QString& value);

  Store store_;
  Log log_;
  QMap<int, QVariant> values_;
  QString programName_;
  QString settingsPath_;
};

// The default texts of the program's own wording.
inline const QString kDefaultProductTitle = QStringLiteral("聽打測驗成績總表 V2.7");
inline const QString kDefaultMakerLine = QStringLiteral("Dovo 資訊");
inline const QString kDefaultWebAddress = QStringLiteral("https://www.example.com/dovo/");

}  // namespace batch
