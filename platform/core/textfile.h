#pragma once
// Text files as the programs keep them: CP950, CRLF line ends.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/core/reasons.h"

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
// renames it over the target, so a crash never leaves half a file. The write
// counts only when every byte reached the disk (written unbuffered, synced,
// its size checked) before the rename: a full disk or any other failure
// leaves the earlier file as it was, `why` gets the system's reason and
// errno its number.
bool writeTextLines(const QString& path, const QStringList& lines, QString* why = nullptr);
bool writeBytesAtomic(const QString& path, const QByteArray& bytes, QString* why = nullptr);

// Appends one line + CRLF in a single write (the log files).
bool appendTextLine(const QString& path, const QString& line, QString* why = nullptr,
                    QString* unlocked = nullptr);
// Appends bytes in a single write (fixed records), holding the file's lock; false with the system's
// reason unless every byte was written, and a short write is cut off again. Where the file system
// gives no lock the bytes go out without it and `unlocked` gets the reason, for the caller's log.
bool appendBytes(const QString& path, const QByteArray& bytes, QString* why = nullptr,
                 QString* unlocked = nullptr);

// Copies a file through writeBytesAtomic.
bool copyFileChecked(const QString& from, const QString& to, QString* why = nullptr);


// Test seam: called with the descriptor of every file the two writers above
// have just opened, before the first byte goes out (a test points it at
// /dev/full where it cannot mount a small file system). Empty by default.
using OpenedForWriteHook = void (*)(int fd);
void setOpenedForWriteHook(OpenedForWriteHook hook);

// Removes trailing U+0020 only (not tabs, not the full-width blank).
QString trimTrailingBlanks(const QString& s);
// The same on a line's raw bytes: 0x20 is never the second byte of a CP950
// character, so this is safe before decoding.
QByteArray trimTrailingBlankBytes(QByteArray line);

}  // namespace plat
