#pragma once
// Small path, text and message services shared by the forms and modules.
// Paths may come with "\" (records made on Windows) or "/"; both count as
// separators, and parts keep the separators they had.
#include <QString>
#include <QStringView>

#include "common/errorlog.h"
#include "platform/core/codec.h"

namespace common {

// There is no Windows folder here: always the empty text (callers treat it
// as "not available").
QString WindowsFolder();

// The text up to its first NUL; the whole text when it has none.
QString TrimNul(QStringView text);

// Around the last "|": side 1 the part after it, any other side the part
// before it. No "|": the empty text.
QString SplitAtBar(QStringView text, int side);

// One part of a path, split at the last separator and the last ".":
//   1 name without folder and extension   2 folder with its separator
//   3 name with extension                 4 everything before the last "."
//   5 extension with its "."              other: extension without its "."
// Mode 1 without a folder gives the name before the last "."; with no "."
// in the name part, the whole name. Mode 4 without "." gives the whole path.
// Modes 5 and other give the whole path when there is no ".".
QString PathPart(int mode, QStringView path);

// The index-th field (from 0) of the text split at `separator`; adjacent
// separators give empty fields; too few fields give the empty text.
QString GetField(int index, QStringView text, QChar separator);

// Makes the first doubled separator of the path single, in place, and returns
// the path. A doubled separator at the very start (a network path) stays.
QString FixDoubleBackslash(QString& path);

// Makes sure the folder exists: FixDoubleBackslash, then creates the folder
// (and its parents) when missing. Never fails towards the caller and never
// changes the process's current folder: callers build absolute paths.
// Always returns "1".
QString ChangeDirSafe(QString& path);

// Major.minor.revision of the running program ("1.0.0" when it has none).
QString ProgramVersion();

// The subject of a mail form to the maker: the product's title without its
// blanks, then the version in brackets when one is given.
QString MailSubject(const QString& productTitle, const QString& version = {});

// The run-time error box (OK only): text 14002, the error's description, a
// line break, text 14003, the error number, a line break, text 14004. Until
// the settings file has given those texts, built-in wording stands in.
// The running program's Chinese name, as the settings' texts call it (the
// title of its runtime-error box).
QString ProgramTitle();
void ShowErrorMessage(const AppError& err);

// The warning box for a missing file: text 14006, " ", the file name, " ",
// text 14007, titled text 14001 (built-in wording while those are empty).
void ShowMissingFileMessage(const QString& fileName);

// The warning box for a program the desktop lacks: the reason (for example
// plat::NoProgramText) and what the person can do instead. Without a title
// it carries the program's own (plat::BoxTitle).
void ShowMissingProgramMessage(const QString& why, const QString& instead, const QString& title = QString());

// The warning box for a settings or hot-key file that an editor saved as
// UTF-8: names the file, says it must be saved as Big5 (CP950) and gives the
// command that converts it. Also written to the error report.
void ShowNotBig5Message(const QString& path, plat::Utf8Save how);

}  // namespace common
