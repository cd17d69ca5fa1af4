#pragma once
// The settings file: find, read, apply, save.
//
// One setting per line: number "," label "=" value. ";" ends the useful part
// of a line (also inside brackets); "[" and "]" toggle a quoted mode in which
// "," and "=" are ordinary, and are themselves dropped. The plain file is
// <base>.Ini, the scrambled one <base>.Ixi (each line scrambled on its own).
//
// SettingsBase (the path without extension), ProgramFolder and the other
// accessors are in accessors.h.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "common/accessors.h"
#include "common/store.h"

namespace common {

enum class LoadResult { Ok, FatalNoSettings };

// Gives every setting its default, finds the settings file and applies its
// lines. FatalNoSettings after the missing-file warning (or the warning for
// a file saved as UTF-8) was shown: the program's main() then ends with exit
// code 1.
LoadResult LoadSettings();

// Applies the lines of a further file of the same syntax; scrambled when the
// name ends in "IXI" (any case). False, after the missing-file warning, when
// the file does not exist, or after the UTF-8 warning, when it is a UTF-8 save.
bool ReadIniFile(const QString& path);

// Applies one pair: the settings switch, every other number to the store.
void ApplySetting(int number, const QString& value);

// Writes one setting back into the settings file in use (store 4499), in
// place of every line of that number, or appended as number ",[]=" value.
// Lines not changed are copied byte for byte; the file is replaced
// atomically. False (nothing written) when the file is missing (warning
// shown), the value holds a control character, ";", "[" or "]" or a
// character the file's code page cannot hold (logged), or the write failed.
bool SaveSetting(int number, const QString& value);

// The lines of a file of the settings syntax as the reader applies them:
// trailing blanks cut, unscrambled when the file is scrambled; bytes of the
// code page (empty lines stay).
QList<QByteArray> PlainSettingLines(const QByteArray& bytes, bool scrambled);

// False, after the warning that names the file and how to convert it, when a
// settings or hot-key file's bytes are an editor's UTF-8 save (a scrambled
// file is judged by its plain lines). The caller then goes on as for a
// missing file.
bool AcceptBig5File(const QString& path, const QByteArray& bytes, bool scrambled);

// The defaults LoadSettings gives before reading (store and accessors).
void SeedSettingDefaults();

// The tokenizer shared by the reader and the save.
struct ParsedLine {
  QString numberText;  // as written, before the first unquoted ","
  QString value;       // after the first unquoted "=" behind the comma
  int valueStart = 0;  // index in the line where the value's text begins
};
// Empty when the line yields no pair: no "," before the first unquoted "=",
// no "=" after the comma, an empty or comment line.
std::optional<ParsedLine> ParseSettingLine(const QString& line);

// The setting number of a parsed line: the leading decimal number rounded to
// a 16-bit integer; empty when the text has no leading digits or the number
// does not fit.
std::optional<int> SettingNumber(const QString& numberText);

// Which file LoadSettings reads, and whether it is the scrambled one.
struct SettingsFileChoice {
  QString base;  // folder + name without extension
  QString path;  // the file to read (it may not exist)
  bool scrambled = false;
};
SettingsFileChoice ChooseSettingsFile(const QString& programFolder, const QString& base);

// A settings line as bytes in the file's code page: decoded one character
// at a time so that each character's byte offset is known.
struct DecodedLine {
  QString text;
  QList<int> byteOffset;  // byteOffset[i] = offset of text[i] in the bytes
};
DecodedLine DecodeLineBytes(const QByteArray& bytes);

}  // namespace common
