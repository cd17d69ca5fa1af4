// The lock two appenders take turns by: where the file system gives none,
// and a holder that keeps it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <cstring>

#include "platform/core/filelock.h"
#include "platform/core/textfile.h"
#include "testsupport/core/seams.h"

using namespace plat;

namespace {

int g_refusal = 0;
int Refuses(int, int) {
  errno = g_refusal;
  return -1;
}

struct RefusingFlock {
  explicit RefusingFlock(int error) {
    g_refusal = error;
    seams.Set(SetFlockFunction, &Refuses);
  }
  testsupport::Seams seams;
};

// Another process holding the file's lock until its input is closed.
class Holder {
 public:
  explicit Holder(const QString& path) : path_(path) {
    p_.start(QStringLiteral("flock"), {QStringLiteral("-o"), path, QStringLiteral("cat")});
  }
  ~Holder() {
    if (p_.state() == QProcess::NotRunning) return;
    p_.kill();
    p_.waitForFinished(5000);
  }
  // Bounded: true once the lock is seen held.
  bool Holding() {
    if (!p_.waitForStarted(5000)) return false;
    QFile f(path_);
    if (!f.open(QIODevice::ReadWrite)) return false;
    for (int i = 0; i < 1000; ++i) {
      if (FileLock(f.handle(), std::chrono::milliseconds(0)).state() == FileLock::State::Held) return true;
      QThread::msleep(10);
    }
    return false;
  }
  void Release() {
    p_.closeWriteChannel();
    p_.waitForFinished(5000);
  }

 private:
  QString path_;
  QProcess p_;
};

QStringList Lines(const QString& path) {
  QStringList lines;
  readTextLines(path, lines);
  return lines;
}

}  // namespace

// A mount without a lock service answers ENOLCK; others answer their own
// refusals. None of them is another writer: the line goes out, and the
// caller learns why there was no lock.
TEST(FileLock, WithoutLocksOnTheFileSystemTheAppendGoesOnAndSaysWhy) {
  for (const int error : {ENOLCK, EINVAL, EOPNOTSUPP, EBADF}) {
    SCOPED_TRACE(error);
    QTemporaryDir dir;
    const QString path = dir.filePath("ZetError.Txt");
    RefusingFlock refusing(error);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const FileLock lock(f.handle());
    EXPECT_EQ(lock.state(), FileLock::State::Unavailable);
    EXPECT_TRUE(lock.mayWrite());
    EXPECT_EQ(lock.error(), systemReason(error));

    QString why, unlocked;
    EXPECT_TRUE(appendTextLine(path, "one", &why, &unlocked)) << why.toStdString();
    EXPECT_TRUE(appendTextLine(path, "two", &why, &unlocked)) << why.toStdString();
    EXPECT_EQ(unlocked, systemReason(error));
    EXPECT_EQ(Lines(path), (QStringList{"one", "two"}));
  }
  QTemporaryDir dir;
  QString unlocked = "x";
  EXPECT_TRUE(appendTextLine(dir.filePath("log.txt"), "one", nullptr, &unlocked));
  EXPECT_TRUE(unlocked.isEmpty());
}

// A holder in another process: the program's main thread waits with its
// events going (a call posted meanwhile runs during the wait), and the wait
// ends with the lock once the holder lets go, or told when it never does.
TEST(FileLock, AWaitOnTheMainThreadKeepsHandlingEventsAndIsBounded) {
  ASSERT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
  QTemporaryDir dir;
  const QString path = dir.filePath("A123456789.R01");
  ASSERT_TRUE(appendTextLine(path, "one"));
  Holder holder(path);
  ASSERT_TRUE(holder.Holding());

  bool ran = false;
  testsupport::Seams seams;
  seams.Set(SetFileLockWaitHook, [&] { QMetaObject::invokeMethod(qApp, [&] { ran = true; }, Qt::QueuedConnection); });
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const FileLock lock(f.handle(), std::chrono::milliseconds(300));
    EXPECT_EQ(lock.state(), FileLock::State::Held);
    EXPECT_FALSE(lock.mayWrite());
    EXPECT_TRUE(lock.error().contains(QStringLiteral("另一個程式正在寫入"))) << lock.error().toStdString();
    EXPECT_TRUE(ran);
  }

  // The holder ends from a call handled during the wait: the line follows.
  ran = false;
  seams.Set(SetFileLockWaitHook, [&] {
    QMetaObject::invokeMethod(qApp, [&] {
      ran = true;
      holder.Release();
    }, Qt::QueuedConnection);
  });
  QString why;
  EXPECT_TRUE(appendTextLine(path, "two", &why)) << why.toStdString();
  SetFileLockWaitHook({});
  EXPECT_TRUE(ran);
  EXPECT_EQ(Lines(path), (QStringList{"one", "two"}));
}

TEST(SystemReason, TheErrorsADeskMeetsReadInChineseWithTheSystemsTextAfter) {
  struct Case {
    int error;
    const char* ours;
  };
  const Case cases[] = {{ENOSPC, "磁碟空間不足"}, {EDQUOT, "磁碟空間不足"},  {EACCES, "沒有存取權限"},
                        {EPERM, "沒有存取權限"},  {EROFS, "磁碟是唯讀的"},  {ENOENT, "找不到檔案或資料夾"},
                        {EIO, "磁碟讀寫錯誤"},    {ENOLCK, "檔案系統不提供檔案鎖"}};
  for (const Case& c : cases) {
    const QString r = systemReason(c.error);
    EXPECT_TRUE(r.startsWith(QString::fromUtf8(c.ours))) << r.toStdString();
    EXPECT_TRUE(r.endsWith(u'(' + QString::fromLocal8Bit(std::strerror(c.error)) + u')')) << r.toStdString();
  }
  EXPECT_TRUE(systemReason(EXDEV).startsWith(QStringLiteral("系統錯誤 %1(").arg(EXDEV)));

  // A file's own failure kind when the system gave no number.
  QFile missing(QTemporaryDir().filePath("none"));
  errno = 0;
  ASSERT_FALSE(missing.open(QIODevice::ReadOnly));
  EXPECT_TRUE(fileReason(missing, errno).startsWith(QStringLiteral("找不到檔案或資料夾"))) << fileReason(missing, errno).toStdString();
  EXPECT_TRUE(fileReason(missing).startsWith(QStringLiteral("無法開啟檔案("))) << fileReason(missing).toStdString();
}
