// Writes on a full disk: the earlier file stays as it was, the failure is
// told with the system's reason, and nothing half-written is left behind.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/core/textfile.h"
#include "testsupport/core/fulldisk.h"

namespace plat {
namespace {

using testing_support::FullDisk;

QByteArray Read(const QString& path) {
  QByteArray b;
  readAllBytes(path, b);
  return b;
}

struct WriteCase {
  const char* name;
  bool (*write)(const QString& path, QString* why);
};

// More than the page the earlier file already holds.
const QByteArray kPayload(6000, 'x');

const WriteCase kWrites[] = {
    {"writeBytesAtomic", [](const QString& p, QString* why) { return writeBytesAtomic(p, kPayload, why); }},
    {"writeTextLines", [](const QString& p, QString* why) { return writeTextLines(p, {QString(kPayload)}, why); }},
    {"appendBytes", [](const QString& p, QString* why) { return appendBytes(p, kPayload, why); }},
    {"appendTextLine", [](const QString& p, QString* why) { return appendTextLine(p, QString(kPayload), why); }},
};

class CheckedWrite : public ::testing::TestWithParam<bool> {};

TEST_P(CheckedWrite, AFullDiskLeavesTheEarlierFileAndSaysWhy) {
  FullDisk disk(64 * 1024, GetParam());
  ASSERT_TRUE(disk.Ok());
  if (GetParam() && !disk.Mounted()) GTEST_SKIP() << "no tmpfs mount here; the seam case covers it";
  SCOPED_TRACE(disk.Kind().toStdString());
  const QString existing = disk.Path() + QStringLiteral("/earlier.txt");
  const QString fresh = disk.Path() + QStringLiteral("/fresh.txt");
  ASSERT_TRUE(writeBytesAtomic(existing, "earlier\r\n"));
  ASSERT_TRUE(disk.Fill());
  for (const WriteCase& c : kWrites) {
    SCOPED_TRACE(c.name);
    QString why;
    EXPECT_FALSE(c.write(existing, &why));
    EXPECT_EQ(why, systemReason(ENOSPC));
    EXPECT_EQ(Read(existing), QByteArray("earlier\r\n"));
    why.clear();
    EXPECT_FALSE(c.write(fresh, &why));
    EXPECT_FALSE(why.isEmpty());
    // A new file is either not there or empty, never a cut one.
    EXPECT_TRUE(!QFile::exists(fresh) || QFileInfo(fresh).size() == 0);
    QFile::remove(fresh);
  }
  // No save file of a failed write is left beside the target.
  const QStringList left = QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(left, (disk.Mounted() ? QStringList{".filler", "earlier.txt"} : QStringList{"earlier.txt"}));

  disk.Free();
  for (const WriteCase& c : kWrites) {
    SCOPED_TRACE(c.name);
    QString why;
    EXPECT_TRUE(c.write(existing, &why)) << why.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(OnTmpfsAndThroughTheSeam, CheckedWrite, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "tmpfs" : "seam"; });

TEST(CheckedAppend, AnAppendThatDoesNotFitWholeIsCutOffAgain) {
  FullDisk disk(16 * 1024);
  ASSERT_TRUE(disk.Ok());
  if (!disk.Mounted()) GTEST_SKIP() << "a part-written append needs a real small file system (tmpfs, as root)";
  const QString log = disk.Path() + QStringLiteral("/log.txt");
  ASSERT_TRUE(appendBytes(log, "first\r\n"));
  // Room for part of the next record only.
  QByteArray big(20 * 1024, 'y');
  QString why;
  EXPECT_FALSE(appendBytes(log, big, &why));
  EXPECT_EQ(why, systemReason(ENOSPC));
  EXPECT_EQ(Read(log), QByteArray("first\r\n"));
}

TEST(CheckedCopy, ACopyOfAMissingFileFailsAndMakesNothing) {
  QTemporaryDir dir;
  const QString to = dir.filePath("copy");
  QString why;
  EXPECT_FALSE(copyFileChecked(dir.filePath("missing"), to, &why));
  EXPECT_FALSE(why.isEmpty());
  EXPECT_FALSE(QFile::exists(to));
  ASSERT_TRUE(writeBytesAtomic(dir.filePath("from"), "abc"));
  EXPECT_TRUE(copyFileChecked(dir.filePath("from"), to, &why));
  EXPECT_EQ(Read(to), QByteArray("abc"));
}

}  // namespace
}  // namespace plat
