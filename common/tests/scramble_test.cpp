#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/scramble.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

using namespace common;

namespace {
QByteArray readBytes(const QString& path) {
  QByteArray b;
  plat::readAllBytes(path, b);
  return b;
}
}  // namespace

TEST(ScrambleTest, KnownLines) {
  EXPECT_EQ(ToBinaryScramble(QStringLiteral("abc")), QStringLiteral("97*D"));
  EXPECT_EQ(ToBinaryScramble(QStringLiteral("ab")), QStringLiteral("97)!"));
  EXPECT_EQ(ToBinaryScramble(QString()), QString());
  EXPECT_EQ(FromBinaryScramble(QString()), QString());
  EXPECT_EQ(FromBinaryScramble(QStringLiteral("97*D")), QStringLiteral("abc"));
  EXPECT_EQ(FromBinaryScramble(QStringLiteral("97)!")), QStringLiteral("ab"));
}

TEST(ScrambleTest, RoundTripsOfEveryLengthModThree) {
  const QString base = QStringLiteral("The quick brown fox 0123");
  for (int n = 0; n <= 9; ++n) {
    const QString line = base.left(n);
    const QString s = ToBinaryScramble(line);
    EXPECT_EQ(FromBinaryScramble(s), line) << n;
    EXPECT_FALSE(s.contains(u' ')) << n;
    if (n % 3 == 2) {
      EXPECT_TRUE(s.endsWith(u'!')) << n;
    }
    for (QChar c : s) EXPECT_TRUE(c.unicode() >= 33 && c.unicode() <= 96) << n;
  }
}

TEST(ScrambleTest, Big5TextComesBackExactly) {
  // Second bytes "\", "|", "[" and "]", and mixed widths.
  for (const QString& line : {QStringLiteral("許功蓋 是否蓋上"), QStringLiteral("[檢定姓名]=王小明 A1|弋四帆"),
                              QStringLiteral("沍坤歧也包因,=;"), QStringLiteral("*╳>△^▽")}) {
    EXPECT_EQ(FromBinaryScramble(ToBinaryScramble(line)), line) << line.toStdString();
  }
}

TEST(ScrambleTest, BytesAreScrambledAsBytes) {
  // A row CP950 does not round-trip (0xA2CC reads as the character of
  // 0xA451): the bytes themselves come back.
  const QByteArray lossy("\xA2\xCC\xA4\x51", 4);
  EXPECT_EQ(UnscrambleToBytes(ScrambleBytes(lossy)), lossy);
  // A user-defined character (lead byte below 0xA0) is not lost.
  const QByteArray userDefined("\x81\x40x", 3);
  EXPECT_EQ(UnscrambleToBytes(ScrambleBytes(userDefined)), userDefined);
  const QString decoded = plat::fromCp950(userDefined);
  ASSERT_NE(decoded[0], QChar(QChar::ReplacementCharacter));
  EXPECT_EQ(FromBinaryScramble(ToBinaryScramble(decoded)), decoded);
  // A zero byte is lost (it reads as padding); foreign characters add nothing.
  EXPECT_EQ(UnscrambleToBytes(ScrambleBytes(QByteArray("a\0b", 3))), QByteArray("ab"));
  EXPECT_EQ(FromBinaryScramble(QStringLiteral("9 7~*\tD")), QStringLiteral("abc"));
}

TEST(ScrambleTest, MatchesAFileScrambledElsewhere) {
  // record.ttt was made by an independent implementation of the same layout.
  const QByteArray expected = readBytes(QStringLiteral(TEST_DATA_DIR "/settings/record.ttt"));
  ASSERT_FALSE(expected.isEmpty());
  QTemporaryDir dir;
  const QString target = dir.path() + QStringLiteral("/out.ttt");
  EXPECT_TRUE(ScrambleFile(QStringLiteral(TEST_DATA_DIR "/settings/record.txt"), target));
  EXPECT_EQ(readBytes(target), expected);
  // And back, line by line.
  QStringList plain;
  for (const QByteArray& l : plat::splitRawLines(expected)) plain << FromBinaryScramble(QString::fromLatin1(l));
  EXPECT_EQ(plain, (QStringList{QStringLiteral("[測驗檔名]=T01.txt"), QString(), QStringLiteral("[檢定姓名]=許功蓋"),
                                QStringLiteral("abc")}));
}

TEST(ScrambleTest, ScrambleFileReportsFailureAndLeavesNoPartialTarget) {
  QTemporaryDir dir, programFolder;
  plat::SetProgramFolder(programFolder.path());  // where the failure is logged
  const QString src = dir.path() + QStringLiteral("/src.txt");
  const QString dst = dir.path() + QStringLiteral("/dst.ttt");
  // No source: nothing happens.
  EXPECT_FALSE(ScrambleFile(src, dst));
  EXPECT_FALSE(QFile::exists(dst));

  QFile f(src);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("line one\r\nline two");
  f.close();
  // A target folder that does not exist: failure, not silence.
  EXPECT_FALSE(ScrambleFile(src, dir.path() + QStringLiteral("/nofolder/dst.ttt")));
  EXPECT_TRUE(QFile::exists(src));

  // A good copy, then a source of blank lines removes the target.
  ASSERT_TRUE(ScrambleFile(src, dst));
  EXPECT_EQ(plat::splitRawLines(readBytes(dst)).size(), 2);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("   \r\n\r\n  ");
  f.close();
  EXPECT_TRUE(ScrambleFile(src, dst));
  EXPECT_FALSE(QFile::exists(dst));
  // Only our own file was written: no temporary left behind.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("src.txt")});
  plat::SetProgramFolder(QString());
}
