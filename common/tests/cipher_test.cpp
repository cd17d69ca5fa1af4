#include <gtest/gtest.h>

#include <QSet>

#include "common/cipher.h"
#include "common/scramble.h"
#include "platform/core/codec.h"
#include "platform/core/random.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace common;

namespace {

// What the receiving server does: key first, its alphabet by the key's
// codes, positions back to six-bit groups, bytes as the unscrambler reads
// them, then "%20" as a blank.
QString receiverDecode(const QString& message) {
  const QString key = message.left(kCipherKeyLength);
  const QStringView alphabet = CipherAlphabet(KeyTableIndex(key));
  QByteArray groups;
  for (QChar c : QStringView(message).mid(kCipherKeyLength)) {
    const qsizetype v = alphabet.indexOf(c);
    EXPECT_GE(v, 0) << "symbol outside the alphabet";
    groups += static_cast<char>(33 + v);
  }
  return plat::fromCp950(UnscrambleToBytes(groups)).replace(QStringLiteral("%20"), QStringLiteral(" "));
}

const QString kSymbols =
    QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789@!");

}  // namespace

TEST(Cipher, EveryAlphabetIsAPermutationOfTheSymbolSet) {
  const QSet<QChar> all(kSymbols.begin(), kSymbols.end());
  for (int i = 0; i < kCipherAlphabets; ++i) {
    const QStringView a = CipherAlphabet(i);
    ASSERT_EQ(a.size(), 64) << i;
    EXPECT_EQ(QSet<QChar>(a.begin(), a.end()), all) << i;
  }
  EXPECT_TRUE(CipherAlphabet(-1).isEmpty());
  EXPECT_TRUE(CipherAlphabet(32).isEmpty());
  EXPECT_EQ(EncodeWithTable(u"abc", 32), QString());
}

TEST(Cipher, EncodesBytesInSixBitGroupsWithTheScramblersPadding) {
  // "abc" = 011000 010110 001001 100011 -> 24 22 9 35 of alphabet 0.
  EXPECT_EQ(EncodeWithTable(u"abc", 0), QStringLiteral("NVPp"));
  // Two bytes take 4 padding bits, not 2: the last symbol is a zero group.
  const QString ab = EncodeWithTable(u"ab", 5);
  ASSERT_EQ(ab.size(), 4);
  EXPECT_EQ(ab.back(), CipherAlphabet(5)[0]);
  EXPECT_EQ(EncodeWithTable(u"abcde", 7).back(), CipherAlphabet(7)[0]);
  // A blank goes as "%20", never as the code of a blank.
  EXPECT_EQ(EncodeWithTable(u"a b", 3), EncodeWithTable(u"a%20b", 3));
  EXPECT_EQ(EncodeWithTable(u"", 3), QString());
  // A two-byte character is its CP950 bytes: 許 = B3 5C = 101100 110101
  // 1100+00 000000 -> 44 53 48 0.
  EXPECT_EQ(EncodeWithTable(QStringLiteral("許"), 0), QStringLiteral("L2vQ"));
}

TEST(Cipher, KeyTableIndexIsTheCodeSumModulo32) {
  EXPECT_EQ(KeyTableIndex(u"AAAAAAAAAAAAAAAAA"), (17 * 65) % 32);
  EXPECT_EQ(KeyTableIndex(u"!"), 33 % 32);
  EXPECT_EQ(KeyTableIndex(u""), 0);
  // Two-byte codes count as signed 16-bit numbers: A4 40 (一) is -23488.
  EXPECT_EQ(KeyTableIndex(QStringLiteral("一")), 23488 % 32);
}

TEST(Cipher, EmptyMessageIsTheKeyAlone) {
  const QString m = EncryptText(u"");
  ASSERT_EQ(m.size(), kCipherKeyLength);
  for (QChar c : m) EXPECT_TRUE(kSymbols.contains(c)) << int(c.unicode());
}

TEST(Cipher, ReceiverRecoversEveryMessage) {
  const QString messages[] = {
      QStringLiteral("GETQUS A123456789"),
      QStringLiteral("GETDEF 027 028 029 030 031"),
      QStringLiteral("FILBIN T0001.txt"),
      QStringLiteral("許功蓋 王小明,A123456789,98.50"),
      QStringLiteral("x"),
      QStringLiteral("ab"),
  };
  for (const QString& m : messages) EXPECT_EQ(receiverDecode(EncryptText(m)), m) << m.toStdString();
}

TEST(Cipher, KeyComesFromTheInjectedGeneratorAndMayUseAnotherAlphabet) {
  // First draw picks the key's alphabet (0.5 * 32 = 16), then 17 symbols.
  plat::FakeRandom fake({0.5, 0.0, 1.0 / 64, 2.0 / 64});
  testsupport::Seams seams;
  seams.Set(plat::SetRandom, &fake);
  int used = -1;
  const QString key = MakeRandomKey(&used);
  plat::SetRandom(nullptr);
  EXPECT_EQ(used, 16);
  const QStringView a = CipherAlphabet(16);
  ASSERT_EQ(key.size(), kCipherKeyLength);
  EXPECT_EQ(key[0], a[0]);
  EXPECT_EQ(key[1], a[1]);
  EXPECT_EQ(key[2], a[2]);
  // The message alphabet is the key's code sum, not the alphabet drawn.
  EXPECT_NE(KeyTableIndex(key), used);

  plat::FakeRandom again({0.5, 0.0, 1.0 / 64, 2.0 / 64});
  seams.Set(plat::SetRandom, &again);
  const QString m = EncryptText(u"GETDEF 005");
  plat::SetRandom(nullptr);
  EXPECT_EQ(m.left(kCipherKeyLength), key);
  EXPECT_EQ(m.mid(kCipherKeyLength), EncodeWithTable(u"GETDEF 005", KeyTableIndex(key)));
}

TEST(Cipher, TwoEncryptionsOfOneMessageDiffer) {
  QSet<QString> keys;
  QSet<int> alphabets;
  for (int i = 0; i < 20; ++i) {
    const QString m = EncryptText(u"GETQUS 1");
    keys.insert(m.left(kCipherKeyLength));
    alphabets.insert(KeyTableIndex(m.left(kCipherKeyLength)));
  }
  EXPECT_EQ(keys.size(), 20);
  EXPECT_GT(alphabets.size(), 1);
}
