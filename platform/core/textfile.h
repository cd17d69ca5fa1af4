#pragma once
// Text files as the programs keep them: CP950, CRLF line ends.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace plat {

// Splits raw bytes into lines at CRLF, LF or a lone CR; a last line without
// a terminator counts. No decoding: for callers that must keep bytes as read.
QList<QByteArray> splitRawLines(const QByteArray& bytes);

// Reads a whole CP950 text file as lines. Returns false when the file cannot
// be opened (lines then empty).
bool readTextLines(const QString& path, QStringList& lines);
// Reads a whole file's bytes; false when it cannot be opened.
bool readAllBytes(const QString& path, QByteArray& bytes);

// Writes lines (each ended by CRLF) to a temporary file beside the target and
// renames it over the target, so a crash never leaves half a file.
bool writeTextLines(const QString& path, const QStringList& lines);
bool writeBytesAtomic(const QString& path, const QByteArray& bytes);

// Appends one line + CRLF in a single write (the log files).
bool appendTextLine(const QString& path, const QString& line);
// Appends bytes in a single write (fixed records), holding the file's lock.
bool appendBytes(const QString& path, const QByteArray& bytes);

// Removes trailing U+0020 only (not tabs, not the full-width blank).
QString trimTrailingBlanks(const QString& s);
// The same on a line's raw bytes: 0x20 is never the second byte of a CP950
// character, so this is safe before decoding.
QByteArray trimTrailingBlankBytes(QByteArray line);

}  // namespace plat
