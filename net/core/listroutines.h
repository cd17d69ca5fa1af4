#pragma once
// Small text and list routines of the download flows, and the check that
// keeps names a server sends inside the data folder.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace net {

// The n-th piece (from 0) of the text cut at every "," and every " "; two
// separators in a row make an empty piece that is counted. Empty when there
// is no such piece (also for n < 0).
QString DivisionWordS(int n, QStringView text);

// The entry of the list that matches the key, letter case ignored, spelled
// as listed (the fetch must ask for the server's own spelling): an entry
// equal to the key is preferred, else the first entry that begins with it.
// An empty key matches the first entry. "" when none matches.
QString CheckListBox(const QStringList& entries, QStringView key);

// The non-empty lines of a text, in order. Lines end at LF; a CR before it
// (or a lone CR) is dropped, so CRLF and LF listings read alike.
QStringList FillListBox(QStringView text);

// The entries whose names match a Windows wildcard pattern ("*.TXT",
// "T01*.*"), letter case ignored: servers do not agree on listing with a
// pattern, so the whole folder is listed and filtered here.
QStringList FilterByPattern(const QStringList& entries, QStringView pattern);

// True for a plain file name a server may give us: not empty, not "." or
// "..", no "/", "\", ":", no character below U+0020 or U+007F, at most 128
// characters, and representable in CP950. The check is on decoded text:
// Big5 trail bytes include 0x5C and 0x7C, so raw bytes would refuse good
// Chinese names.
bool IsSafeFileName(QStringView name);

// folder + name when the name is safe and the result stays inside the
// folder; "" otherwise.
QString SafeFilePath(const QString& folder, QStringView name);

}  // namespace net
