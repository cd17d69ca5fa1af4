#pragma once
// The message cipher of the receiver requests and the result upload: a fresh
// random 17-symbol key, then the message in 6-bit groups written with the
// alphabet the key selects. The servers hold the same 32 alphabets.
// Obfuscation only: the key travels in clear.
#include <QString>
#include <QStringView>

namespace common {

inline constexpr int kCipherAlphabets = 32;
inline constexpr int kCipherKeyLength = 17;

// Alphabet `index` (0..31) of the table: 64 symbols, symbol i encodes the
// 6-bit value i. An index outside the table gives an empty view.
QStringView CipherAlphabet(int index);

// The table is compiled in; kept so start-up reads as the old programs did.
inline void LoadCipherTable() {}

// The alphabet a key selects: the sum of the key's CP950 codes, mod 32.
int KeyTableIndex(QStringView key);

// The message as symbols of alphabet `index`: blanks sent as "%20", the CP950
// bytes cut into 6-bit groups with the scrambler's padding. Never fails: an
// index outside the table gives the empty text.
QString EncodeWithTable(QStringView text, int index);

// 17 symbols drawn uniformly from one randomly chosen alphabet (plat::random()).
// *alphabetUsed receives that alphabet's index.
QString MakeRandomKey(int* alphabetUsed = nullptr);

// The enciphered message: key followed directly by the encoded text.
QString EncryptText(QStringView text);

}  // namespace common
