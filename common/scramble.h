#pragma once
// Keyless line scrambling: one line of text <-> one line of printable ASCII
// ("!" to "`", six bits a character). It only hides text from casual reading.
// The bit layout, padding included, is shared with files written by every
// program, so it must not change.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace common {

// Scrambles the bytes of one line (CP950): eight bits a byte, in order, then
// (length mod 6) zero bits, cut into groups of six.
QByteArray ScrambleBytes(QByteArrayView plain);
// The inverse: bytes rebuilt from the six-bit groups, zero bytes dropped.
// Characters outside "!".."`" add nothing.
QByteArray UnscrambleToBytes(QByteArrayView scrambled);

// The same on text: encoded to and decoded from CP950 at this boundary.
QString ToBinaryScramble(const QString& line);
QString FromBinaryScramble(const QString& line);

// Writes a scrambled copy of a text file: each line with trailing blanks cut,
// an empty line as an empty line, any other line scrambled, lines ended by
// CR LF. The target is written under a temporary name and renamed only when
// complete, so a failure leaves any earlier target as it was and no partial
// file. When the source holds no non-empty line the target is removed.
// True when the copy is in place (or, for a source of blank lines only, no
// target remains); false when the source does not exist or a write failed.
// The source is never touched: callers delete it only after success.
bool ScrambleFile(const QString& source, const QString& target);

}  // namespace common
