#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

#include <QApplication>
#include <memory>

#include "batch/core/batch.h"
#include "batch/forms/program.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/readonlyfolder.h"
#include "testsupport/core/seams.h"

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

namespace {

// A tiny tmpfs over `folder`, filled to the last byte (root only).
struct FullFolder {
  explicit FullFolder(const QString& folder) : path(QFile::encodeName(folder)) {
    if (::mount("tmpfs", path.constData(), "tmpfs", 0, "size=64k") != 0) return;
    mounted = true;
    QFile fill(folder + "/fill");
    if (!fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray block(4096, 'x');
    while (fill.write(block) == block.size()) {
    }
    ok = true;
  }
  ~FullFolder() {
    if (mounted) ::umount2(path.constData(), MNT_DETACH);
  }
  QByteArray path;
  bool mounted = false, ok = false;
};

}  // namespace

// A temporary folder that is read-only (the folder's mode for an account, a
// read-only bind mount for root) or full (root: a full tmpfs): the program
// does not end as if another copy ran, but says so, writes it to the error
// report and fails.
TEST(SingleInstance, ALockFileThatCannotBeMadeIsToldAndTheProgramFails) {
  for (const char* how : {"read-only", "full"}) {
    SCOPED_TRACE(how);
    const bool full = QString(how) == "full";
    if (full && geteuid() != 0) continue;  // only root can mount a small file system
    QTemporaryDir program, temp;
    const QString savedFolder = plat::ProgramFolder();
    plat::SetProgramFolder(program.path() + u'/');
    const QByteArray savedTmp = qgetenv("TMP");
    qputenv("TMP", temp.path().toLocal8Bit());
    plat::FakePrompt prompt;
    testsupport::Seams seams;
    seams.Set(plat::SetPrompt, &prompt);
    int code = -1;
    const QString lockPath = batchui::SingleInstance::DefaultLockPath();
    bool made = false, refused = false;
    QString reason;
    {
      std::unique_ptr<testing_fs::ReadOnlyFolder> readOnly;
      std::unique_ptr<FullFolder> filled;
      if (full) {
        filled = std::make_unique<FullFolder>(temp.path());
        made = filled->ok;
      } else {
        readOnly = std::make_unique<testing_fs::ReadOnlyFolder>(temp.path());
        made = readOnly->ok();
        reason = readOnly->error();
      }
      if (made) {
        batchui::SingleInstance probe;
        refused = !probe.Acquire() && !probe.CannotMake().isEmpty();
        code = batchui::RunTallisk(*qApp, {});
      }
    }
    seams.Restore();
    qputenv("TMP", savedTmp);
    plat::SetProgramFolder(savedFolder);
    ASSERT_TRUE(made) << reason.toStdString();
    EXPECT_TRUE(refused);
    EXPECT_EQ(code, batchui::kExitCannotStart);
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_TRUE(prompt.calls[0].text.contains(lockPath));
    QStringList log;
    ASSERT_TRUE(plat::readTextLines(program.filePath("ZetError.Txt"), log));
    EXPECT_TRUE(log.join('\n').contains("無法建立鎖定檔,程式結束>"));
    batch::ResetBatch();
  }
}
