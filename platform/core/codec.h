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

}  // namespace plat
