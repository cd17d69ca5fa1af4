#include "common/cipher.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "common/scramble.h"
#include "platform/core/codec.h"
#include "platform/core/random.h"

namespace common {

namespace {

constexpr std::array<const char16_t*, kCipherAlphabets> kTable = {
    u"QWERTYUIOPasdfghjklZXCVBNMqwertyuiopASDFGHJKLzxcvbnm1234567890@!",
    u"mnbvcxzLKJHGFDSApoiuytrewqMNBVCXZlkjhgfdsaPOIUYTREWQ0987654321!@",
    u"1qaz2wsx3edc4rfv5tgb6yhn7ujm8ik9ol0p@!QAZWSXEDCRFVTGBYHNUJMIKOLP",
    u"ZYXWVUTSRQPONMLKJIHGFEDCBA9876543210zyxwvutsrqponmlkjihgfedcba!@",
    u"aBcDeFgHiJkLmNoPqRsTuVwXyZ0123456789AbCdEfGhIjKlMnOpQrStUvWxYz@!",
    u"!@0a1b2c3d4e5f6g7h8i9jklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ",
    u"zZyYxXwWvVuUtTsSrRqQpPoOnNmMlLkKjJiIhHgGfFeEdDcCbBaA5647382910!@",
    u"0A1B2C3D4E5F6G7H8I9J@K!LMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
    u"qazwsxedcrfvtgbyhnujmikolpQAZWSXEDCRFVTGBYHNUJMIKOLP!1@234567890",
    u"plokmijnuhbygvtfcrdxeszwaqPLOKMIJNUHBYGVTFCRDXESZWAQ@!0987612345",
    u"MNBVCXZASDFGHJKLPOIUYTREWQmnbvcxzasdfghjklpoiuytrewq5678901234!@",
    u"abcdefghijklm0123456789NOPQRSTUVWXYZnopqrstuvwxyzABCDEFGHIJKLM@!",
    u"@nopqrstuvwxyzabcdefghijklm!NOPQRSTUVWXYZABCDEFGHIJKLM3456789012",
    u"9z8y7x6w5v4u3t2s1r0qponmlkjihgfedcbaZYXWVUTSRQPONMLKJIHGFEDCBA!@",
    u"AaBbCcDdEeFfGgHhIiJjKkLlMmNnOoPpQqRrSsTtUuVvWwXxYyZz!0@123456789",
    u"13579bdfhjlnprtvxzACEGIKMOQSUWY02468acegikmoqsuwyBDFHJLNPRTVXZ@!",
    u"!@ZXCVBNMASDFGHJKLQWERTYUIOPzxcvbnmasdfghjklqwertyuiop6789012345",
    u"kKlLmMnNoOpPqQrRsStTuUvVwWxXyYzZaAbBcCdDeEfFgGhHiIjJ@7!890123456",
    u"ZzAaYyBbXxCcWwDdVvEeUuFfTtGgSsHhRrIiQqJjPpKkOoLlNnMm2468013579@!",
    u"5432109876edcbaEDCBAjihgfJIHGFonmlkONMLKtsrqpTSRQPyxwvuYXWVUzZ!@",
    u"@!abcdeABCDE01fghijFGHIJ23klmnoKLMNO45pqrstPQRST67uvwxyUVWXY89zZ",
    u"qwertyQWERTY123uiopUIOP456asdfASDF789ghjklGHJKL0zxcvbnmZXCVBNM!@",
    u"mMjJgGdDaA!xXuUrRoOlLiIfFcC@zZwWtTqQnNkKhHeEbByYvVsSpP9630741852",
    u"0Zz1Yy2Xx3Ww4Vv5Uu6Tt7Ss8Rr9QqPpOoNnMmLlKkJjIiHhGgFfEeDdCcBbAa@!",
    u"LKJHGFDSApoiuytrewqMNBVCXZlkjhgfdsaPOIUYTREWQmnbvcxz!@1357924680",
    u"sSdDfFgGhHjJkKlLqQwWeErRtTyYuUiIoOpPzZxXcCvVbBnNmMaA0192837465!@",
    u"!Aa@Bb0Cc1Dd2Ee3Ff4Gg5Hh6Ii7Jj8Kk9LlMmNnOoPpQqRrSsTtUuVvWwXxYyZz",
    u"yYtTrReEwWqQ0uUiIoOpP1aAsSdDfF2gGhHjJkKlL3zZxXcCvVbBnNmM456789!@",
    u"2468ACEGIKMOQSUWYacegikmoqsuwy13579BDFHJLNPRTVXZbdfhjlnprtvxz0!@",
    u"NOPQRSTUVWXYZnopqrstuvwxyz@!5678901234ABCDEFGHIJKLMabcdefghijklm",
    u"wxyzWXYZ!stuvSTUV@opqrOPQR9klmnKLMN8ghijGHIJ7cdefCDEF6abAB543210",
    u"HhGgFfEeDdCcBbAa@!ZzYyXxWwVvUuTtSsRrQqPpOoNnMmLlKkJjIi8642097531",
};

// The scrambler's bit layout and padding, written with a cipher alphabet in
// place of the scrambler's symbols "!".."`".
QString encodeBytes(const QByteArray& bytes, QStringView alphabet) {
  const QByteArray groups = ScrambleBytes(bytes);
  QString out;
  out.reserve(groups.size());
  for (char g : groups) out += alphabet[(static_cast<unsigned char>(g) - 33) & 63];
  return out;
}

}  // namespace

QStringView CipherAlphabet(int index) {
  if (index < 0 || index >= kCipherAlphabets) return {};
  return QStringView(kTable[static_cast<std::size_t>(index)]);
}

int KeyTableIndex(QStringView key) {
  std::int64_t sum = 0;
  for (qsizetype i = 0; i < key.size(); ++i) {
    const QByteArray b = plat::toCp950(key.mid(i, 1));
    if (b.size() >= 2) {
      // A two-byte character's code is a signed 16-bit number, as the
      // runtime reports it.
      const auto code = static_cast<std::int16_t>(
          (static_cast<unsigned char>(b[0]) << 8) | static_cast<unsigned char>(b[1]));
      sum += code;
    } else if (b.size() == 1) {
      sum += static_cast<unsigned char>(b[0]);
    }
  }
  return static_cast<int>(std::llabs(sum % kCipherAlphabets));
}

QString EncodeWithTable(QStringView text, int index) {
  const QStringView alphabet = CipherAlphabet(index);
  if (alphabet.isEmpty()) return QString();
  QString t = text.toString();
  t.replace(u' ', QStringLiteral("%20"));
  return encodeBytes(plat::toCp950(t), alphabet);
}

QString MakeRandomKey(int* alphabetUsed) {
  const int index = plat::random().Below(kCipherAlphabets);
  const QStringView alphabet = CipherAlphabet(index);
  QString key;
  key.reserve(kCipherKeyLength);
  for (int i = 0; i < kCipherKeyLength; ++i) key += alphabet[plat::random().Below(64)];
  if (alphabetUsed) *alphabetUsed = index;
  return key;
}

QString EncryptText(QStringView text) {
  const QString key = MakeRandomKey();
  return key + EncodeWithTable(text, KeyTableIndex(key));
}

}  // namespace common
