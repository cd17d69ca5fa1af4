#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/core/runlog.h"
#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"
#include "printers.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

namespace {

class RunLogFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = plat::ProgramFolder();
    plat::SetProgramFolder(dir.path() + u'/');
    seams.Set(plat::SetClock, &clock);
  }
  void TearDown() override {
    plat::SetProgramFolder(saved);
  }
  QStringList Lines() {
    QStringList l;
    plat::readTextLines(dir.filePath("ZetError.Txt"), l);
    return l;
  }
  QTemporaryDir dir;
  plat::FakeClock clock{QDateTime(QDate(2026, 3, 5), QTime(9, 7, 3))};
  QString saved;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST_F(RunLogFolder, FirstEntryCreatesTheFourteenLineHeader) {
  batch::WriteErrorLog("取得成績檔的目錄是>/data/A.R01", "help@example.com");
  clock.Advance(2000);
  clock.Set(QDateTime(QDate(2026, 3, 5), QTime(9, 7, 5)));
  batch::WriteErrorLog("second");
  const QStringList l = Lines();
  ASSERT_EQ(l.size(), 16);
  EXPECT_EQ(l[0], QString("Dovo 錯誤報告記錄"));
  EXPECT_EQ(l[3], QString("help@example.com。"));
  EXPECT_EQ(l[9], QString("把範式檔和考生檔及結果檔三個檔案送到E-Mail."));
  EXPECT_EQ(l[11], QString("感謝您"));
  EXPECT_TRUE(l[12].startsWith(dir.path() + u'/' + u' '));
  EXPECT_TRUE(l[12].endsWith("  2026/3/5 09:07:03"));
  EXPECT_EQ(l[13], QString());
  EXPECT_EQ(l[14], QString("09:07:03>取得成績檔的目錄是>/data/A.R01"));
  EXPECT_EQ(l[15], QString("09:07:05>second"));
  // CP950 with CRLF on disk.
  QFile f(dir.filePath("ZetError.Txt"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_TRUE(bytes.startsWith(QByteArray("Dovo \xBF\xF9\xBB\x7E", 9)));
  EXPECT_EQ(bytes.count("\r\n"), 16);
}

TEST_F(RunLogFolder, AnExistingReportKeepsItsHeader) {
  plat::writeTextLines(dir.filePath("zeterror.txt"), {"the test program's header"});
  batch::WriteErrorLog("x");
  QStringList l;
  plat::readTextLines(dir.filePath("zeterror.txt"), l);
  EXPECT_EQ(l, (QStringList{"the test program's header", "09:07:03>x"}));
}

TEST_F(RunLogFolder, AnUnwritableFolderDoesNotThrow) {
  plat::SetProgramFolder(dir.path() + "/missing/folder/");
  EXPECT_NO_THROW(batch::WriteErrorLog("lost"));
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "/missing"));
}
