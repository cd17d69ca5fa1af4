#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <stdexcept>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/store.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/filelock.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace common;

namespace {

class ErrorReport : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    ResetCommonState();
    seams.Set(plat::SetClock, &clock);
  }
  void TearDown() override {
    ResetCommonState();
  }
  QString reportPath() const { return dir.filePath(QStringLiteral("ZetError.Txt")); }
  QByteArray bytes() const {
    QByteArray b;
    plat::readAllBytes(reportPath(), b);
    return b;
  }
  QStringList lines() const {
    QStringList l;
    plat::readTextLines(reportPath(), l);
    return l;
  }

  QTemporaryDir dir;
  plat::FakeClock clock{QDateTime(QDate(2026, 3, 5), QTime(9, 4, 7))};
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST(ErrorTrap, LineFormat) {
  EXPECT_EQ(ErrorTrapLine(QStringLiteral("Form1"), MakeAppError(kFileNotFound, QStringLiteral("LoadTest"))),
            QStringLiteral("內部錯誤發生於檔案 Form1 的 >53 找不到檔案 53 0 LoadTest"));
  EXPECT_EQ(ErrorTrapLine(QStringLiteral("xZet_LoadData"), AppError{6, QStringLiteral("Overflow"), QString(), 120}),
            QStringLiteral("內部錯誤發生於檔案 xZet_LoadData 的 >6 Overflow 6 120 "));
  EXPECT_EQ(RuntimeErrorText(kPathFileAccess), QStringLiteral("路徑/檔案存取錯誤"));
  EXPECT_EQ(RuntimeErrorText(12345), QString());
}

TEST(ErrorTrap, CurrentErrorInsideACatchAll) {
  try {
    throw MakeAppError(kFileNotFound, QStringLiteral("LoadTest"), 12);
  } catch (...) {
    const AppError e = CurrentAppError(QStringLiteral("ignored"));
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.source, QStringLiteral("LoadTest"));
    EXPECT_EQ(e.line, 12);
  }
  try {
    throw std::runtime_error("disk on fire");
  } catch (...) {
    const AppError e = CurrentAppError(QStringLiteral("Command1_Click"));
    EXPECT_EQ(e.number, 5);
    EXPECT_EQ(e.text, QStringLiteral("disk on fire"));
    EXPECT_EQ(e.source, QStringLiteral("Command1_Click"));
  }
  try {
    throw 42;
  } catch (...) {
    EXPECT_EQ(CurrentAppError().number, 5);
  }
  EXPECT_EQ(CurrentAppError().number, 0);
}

TEST_F(ErrorReport, FirstLineOfAFreshInstallationFollowsTheHeader) {
  Setting994.set(QStringLiteral("help@example.org"));
  WriteErrorLog(QStringLiteral("取得INI>許功蓋"));
  const QStringList l = lines();
  ASSERT_EQ(l.size(), 21);
  EXPECT_EQ(l[0], QStringLiteral("Dovo 錯誤報告記錄"));
  EXPECT_EQ(l[1], QString());
  EXPECT_EQ(l[2], QStringLiteral("為了協助解決這個問題，請以電子郵件傳送這個檔案到"));
  EXPECT_EQ(l[3], QStringLiteral("help@example.org。"));
  EXPECT_EQ(l[9], QStringLiteral("把範式檔和考生檔及結果檔三個檔案送到E-Mail。"));
  EXPECT_EQ(l[11], QStringLiteral("範式檔,範例:T01.TXT"));
  EXPECT_EQ(l[12], QStringLiteral("考生檔,請找你電腦內") + plat::TempFolder() + QStringLiteral("/~T*.T* "));
  EXPECT_EQ(l[13], QStringLiteral("結果檔 範例:111.s04"));
  EXPECT_EQ(l[16], QStringLiteral("感謝您"));
  const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  EXPECT_EQ(l[18], ProgramFolder.get() + u' ' + exe + QStringLiteral("  2026/3/5 09:04:07"));
  EXPECT_EQ(l[19], QString());
  EXPECT_EQ(l[20], QStringLiteral("09:04:07>取得INI>許功蓋"));
  // CP950 with CR LF throughout; the Big5 text is its own bytes.
  const QByteArray b = bytes();
  EXPECT_TRUE(b.endsWith(QByteArray("09:04:07>") + plat::toCp950(QStringLiteral("取得INI>許功蓋")) + "\r\n"));
  EXPECT_EQ(b.count("\r\n"), 21);
  EXPECT_EQ(b.count('\n'), 21);
}

TEST_F(ErrorReport, LinesAppendAndAnEmptyTextStillWritesTheTime) {
  WriteErrorLog(QStringLiteral("Winsock>connect"));
  clock.Set(QDateTime(QDate(2026, 3, 5), QTime(23, 59, 59)));
  WriteErrorLog(QString());
  WriteErrorLog(QStringLiteral("a简😀b"));  // not in CP950: "?" per character
  const QStringList l = lines();
  ASSERT_EQ(l.size(), 23);
  EXPECT_EQ(l[20], QStringLiteral("09:04:07>Winsock>connect"));
  EXPECT_EQ(l[21], QStringLiteral("23:59:59>"));
  EXPECT_TRUE(bytes().endsWith("\r\n23:59:59>a??b\r\n"));
}

TEST_F(ErrorReport, CreateErrorReportStartsAfreshAndAnyCaseOfTheNameIsFound) {
  WriteErrorLog(QStringLiteral("old line"));
  CreateErrorReport();
  EXPECT_EQ(lines().size(), 20);
  EXPECT_FALSE(lines().contains(QStringLiteral("09:04:07>old line")));

  // A report copied from Windows in another case is used, not doubled.
  QFile::rename(reportPath(), dir.filePath(QStringLiteral("ZETERROR.TXT")));
  WriteErrorLog(QStringLiteral("next"));
  EXPECT_FALSE(QFileInfo::exists(reportPath()));
  QStringList l;
  plat::readTextLines(dir.filePath(QStringLiteral("ZETERROR.TXT")), l);
  ASSERT_EQ(l.size(), 21);
  EXPECT_EQ(l.back(), QStringLiteral("09:04:07>next"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(ErrorReport, AnUnwritableFolderNeverThrowsIntoTheTrap) {
  // A folder below a plain file cannot be written, not even by root.
  QFile blocker(dir.filePath(QStringLiteral("plain")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  ProgramFolder.set(dir.filePath(QStringLiteral("plain/sub")));
  EXPECT_NO_THROW(WriteErrorLog(QStringLiteral("lost")));
  EXPECT_NO_THROW(CreateErrorReport());
  EXPECT_NO_THROW(LogTrappedError(QStringLiteral("Form1"), MakeAppError(kPathNotFound)));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("plain")});
}

TEST_F(ErrorReport, LogTrappedErrorWritesTheTrapLine) {
  LogTrappedError(QStringLiteral("處理下"), MakeAppError(kTypeMismatch, QStringLiteral("Timer1_Timer"), 7));
  EXPECT_EQ(lines().back(), QStringLiteral("09:04:07>內部錯誤發生於檔案 處理下 的 >13 資料型態不符 13 7 Timer1_Timer"));
}

namespace {
int NoLocks(int, int) {
  errno = ENOLCK;
  return -1;
}
}  // namespace

// A report on a mount without locks still gets every line, and says once
// that it went without.
TEST_F(ErrorReport, WithoutLocksTheLinesGoOnAndTheReportSaysSoOnce) {
  seams.Set(plat::SetFlockFunction, &NoLocks);
  WriteErrorLog(QStringLiteral("one"));
  WriteErrorLog(QStringLiteral("two"));
  plat::SetFlockFunction(nullptr);
  const QStringList l = lines();
  EXPECT_TRUE(l.contains(QStringLiteral("09:04:07>one"))) << l.join(u'|').toStdString();
  EXPECT_TRUE(l.contains(QStringLiteral("09:04:07>two")));
  EXPECT_EQ(l.filter(QStringLiteral("09:04:07>錯誤報告檔無法上鎖,不加鎖寫入>") + plat::systemReason(ENOLCK)).size(), 1)
      << l.join(u'|').toStdString();
}
