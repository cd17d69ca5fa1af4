#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include "batch/forms/program.h"

TEST(SingleInstance, OneCopyAtATimeAndAStaleLockIsTakenOver) {
  QTemporaryDir dir;
  const QString path = dir.filePath("Tallisk.lock");
  batchui::SingleInstance first(path);
  ASSERT_TRUE(first.Acquire());
  batchui::SingleInstance second(path);
  EXPECT_FALSE(second.Acquire());  // a live holder
  first.Release();
  EXPECT_TRUE(second.Acquire());
  second.Release();

  // A copy that died holding the lock: the same file with a pid that has
  // ended.
  QByteArray contents;
  {
    QLockFile probe(path);
    ASSERT_TRUE(probe.tryLock(0));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    contents = f.readAll();
    probe.unlock();
  }
  QProcess gone;
  gone.start("true");
  ASSERT_TRUE(gone.waitForStarted());
  const QByteArray pid = QByteArray::number(gone.processId());
  ASSERT_TRUE(gone.waitForFinished());
  const qsizetype eol = contents.indexOf('\n');
  ASSERT_GT(eol, 0);
  QFile stale(path);
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write(pid + contents.mid(eol));
  stale.close();
  batchui::SingleInstance third(path);
  EXPECT_TRUE(third.Acquire());
  EXPECT_TRUE(batchui::SingleInstance::DefaultLockPath().endsWith(".lock"));
}
