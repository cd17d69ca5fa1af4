#pragma once
// Folders and file names. Paths read from files or command lines may use
// "\" or "/"; we always build with "/".
#include <QString>
#include <QStringList>
#include <QStringView>

namespace plat {

// The installation folder: the folder of the executable, with a trailing "/".
// Tests (and a deployment that keeps data elsewhere) may set it.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

// TMP, else TMPDIR, else the account's own folder in the system's temporary
// folder (PrivateTempFolder, made 0700 when missing); no trailing "/".
QString TempFolder();
// "<system temporary folder>/Tavrel-<uid>", made 0700 when missing: work
// files of two accounts never meet there.
QString PrivateTempFolder();
// True when neither TMP nor TMPDIR is set, so TempFolder is the private one.
bool TempFolderIsPrivateOne();
// Why a folder cannot serve as the account's private one (missing, a link,
// another account's, open to others), or empty when it can.
QString PrivateFolderFault(const QString& folder);

// "\" and "/" both become "/".
QString ToSlashes(QString path);

// ToSlashes, and without trailing "/" (a lone "/" stays).
QString WithoutTrailingSlash(QString path);

// Windows wildcard match ("*", "?"), case-insensitive; "*.*" also matches a
// name without a dot.
bool WildcardMatch(QStringView pattern, QStringView name);

// Regular files in a folder whose names match the pattern, sorted
// case-insensitively.
QStringList FindFiles(const QString& folder, QStringView pattern);

// The existing path of folder/name when a file of that name exists in any
// letter case; else folder/name as given.
QString FindCaseInsensitive(const QString& folder, const QString& name);

// Resolves a path that came from outside (either separator, any case of the
// last component) to the file that exists, else to the path with "/".
QString ResolvePath(const QString& path);

// A file name made from a candidate's name or number: separators, wildcards,
// "," (it would split a command line),
// control characters become "_", leading dots go, the length is bounded.
QString SanitizeFileBase(const QString& base, int maxLength = 40);

}  // namespace plat
