#pragma once
// The hot-key table: texts that Shift, Ctrl or Alt with a key types into the
// answer boxes (brackets, box-drawing symbols and full-width punctuation an
// input method makes awkward). Defaults are built in; "Key.Ini" in the
// program folder overrides them.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>

namespace common {

class HotKeyTable {
 public:
  static constexpr int kRows = 51;
  static constexpr int kColumns = 6;

  HotKeyTable();

  // Codes of every row, all texts emptied, then the built-in defaults.
  void BuildPunctuationKeys();

  // Stores `text` in the modifier name's column of every row whose key
  // character is `key` exactly (letters upper case only). Names compare
  // after upper-casing; an unknown or empty name means Shift.
  void ModifierCode(const QString& modifierName, const QString& key, const QString& text);

  // Applies the lines of a key file: "names+key=text", ";" in the first three
  // characters ends a line, texts longer than `maxLength` characters are cut.
  void ApplyKeyLines(const QStringList& lines, int maxLength);

  // The text of virtual-key `code` in `column` (0..5); empty when either is
  // not in the table.
  QString HotKeyText(int column, int code) const;

  std::uint16_t Code(int row) const { return codes_[static_cast<std::size_t>(row)]; }

 private:
  std::array<std::uint16_t, kRows> codes_{};
  std::array<std::array<QString, kColumns>, kRows> texts_;
};

// The process's table (built with the defaults on first use; reset by
// ResetCommonState).
HotKeyTable& HotKeys();

// Convenience over HotKeys(), under the names the forms use.
void BuildPunctuationKeys();
void ModifierCode(const QString& modifierName, const QString& key, const QString& text);
QString HotKeyText(int column, int code);

// Reads "Key.Ini" of the program folder (any letter case) into HotKeys(),
// texts cut to store number 2299 characters. A missing file gets the
// missing-file warning and leaves the table as it was. False when missing.
bool LoadHotKeys();

// Column of a modifier combination: Shift 0, Ctrl 1, Ctrl+Shift 2, Alt 3,
// Alt+Shift 4, Ctrl+Alt 5; -1 for none or all three.
int HotKeyColumn(bool shift, bool ctrl, bool alt);

// The Windows virtual-key code of a physical key, from its Linux input
// (evdev) code, for the 47 keys the table knows; 0 for any other key. The
// physical key matters: with Shift held, "1" arrives as "!".
int VirtualKeyFromEvdev(int evdevCode);

// The same from a key event: the native scan code of X11 and Wayland is the
// evdev code + 8; without one (a platform that gives 0) the Qt key stands in,
// shifted US symbols mapped back to their keys ("!" -> the "1" key).
int VirtualKeyFromEvent(std::uint32_t nativeScanCode, int qtKey);

}  // namespace common
