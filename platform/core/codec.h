#pragma once
// CP950 (Big5 as Windows maps it) at the edges: files, the wire, fixed records.
#include <QByteArray>
#include <QString>
#include <QStringView>

namespace plat {

// Decodes CP950 bytes. Bad bytes never abort: they decode to a replacement
// character and are counted in *badBytes when given.
QString fromCp950(QByteArrayView bytes, int* badBytes = nullptr);

// Encodes to CP950; a character CP950 cannot hold becomes "?".
QByteArray toCp950(QStringView text, bool* lossless = nullptr);

// True when the text survives a round trip through CP950 unchanged.
bool fitsCp950(QStringView text);

// Number of CP950 bytes the text takes.
qsizetype cp950Length(QStringView text);

// A text file that an editor saved as UTF-8 where CP950 belongs: it starts
// with the UTF-8 byte-order mark, or it is not valid CP950 but is valid UTF-8
// holding characters beyond ASCII. Anything else (CP950, ASCII, damaged
// bytes that are not UTF-8 either) is No.
enum class Utf8Save { No, ByteOrderMark, Utf8 };
Utf8Save detectUtf8Save(QByteArrayView bytes);

}  // namespace plat
