// The start-up check of the folders a run writes into.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

#include "common/accessors.h"
#include "common/store.h"
#include "common/workfolders.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/fulldisk.h"
#include "testsupport/core/seams.h"

using namespace common;

namespace {

class WorkFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetCommonState();
    ASSERT_TRUE(dir.isValid());
    root = QDir(dir.path()).absolutePath() + u'/';
    QFile f(root + "file");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  void TearDown() override {
    qunsetenv("TMP");
    ResetCommonState();
  }
  QString Folder(const QString& name) {
    QDir().mkpath(root + name);
    return root + name;
  }
  QTemporaryDir dir;
  QString root;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

TEST_F(WorkFolders, EachFolderExistsTakesAFileAndHasAPathCp950Holds) {
  struct Case {
    QString path;
    FolderFault fault;
  } const cases[] = {
      {Folder("ok"), FolderFault::None},
      {Folder("ok") + "/", FolderFault::None},
      {Folder("ok").replace(u'/', u'\\'), FolderFault::None},  // a path from a settings file
      {Folder("臺北測驗"), FolderFault::None},
      {root + "missing", FolderFault::Missing},
      {root + "file", FolderFault::Missing},  // a file is no folder
      {QString(), FolderFault::Missing},
      {"/proc", FolderFault::NotWritable},  // not even root makes a file there
      {Folder("张"), FolderFault::NotCp950},
      {Folder(QString::fromUtf8("x\xF0\x9F\x98\x80")), FolderFault::NotCp950},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckFolder(c.path), c.fault) << c.path.toStdString();
  // The probe leaves nothing behind.
  EXPECT_TRUE(QDir(root + "ok").isEmpty());
}

TEST_F(WorkFolders, TheDataFolderIsMadeAndAFolderGivenTwiceIsNamedOnce) {
  const QString programs = Folder("张");
  QList<FolderProblem> p = CheckWorkFolders(programs + "/", programs, Folder("tmp"));
  ASSERT_EQ(p.size(), 1);
  EXPECT_EQ(p[0].folder, WorkFolder::Programs);
  EXPECT_EQ(p[0].path, programs);

  EXPECT_TRUE(CheckWorkFolders(Folder("bin"), root + "scores/new", Folder("tmp")).isEmpty());
  EXPECT_TRUE(QFileInfo(root + "scores/new").isDir());

  p = CheckWorkFolders(Folder("bin"), root + "file/scores", root + "gone");
  ASSERT_EQ(p.size(), 2);
  EXPECT_EQ(p[0].folder, WorkFolder::Data);
  EXPECT_EQ(p[0].fault, FolderFault::Missing);
  EXPECT_EQ(p[1].folder, WorkFolder::Temp);
  EXPECT_EQ(p[1].path, root + "gone");
}

// The programs' and the data folder travel on the command lines that hand a
// test to the scorer and back; the record in a temporary folder with a ","
// goes to another folder, so only those two are refused.
TEST_F(WorkFolders, AProgramsOrDataFolderWithACommaIsRefused) {
  const QString comma = Folder("USB,exam");
  QList<FolderProblem> p = CheckWorkFolders(comma + "/", Folder("scores"), Folder("tmp"));
  ASSERT_EQ(p.size(), 1);
  EXPECT_EQ(p[0].folder, WorkFolder::Programs);
  EXPECT_EQ(p[0].fault, FolderFault::HasComma);
  EXPECT_TRUE(FolderProblemsText(TestFolderLead(), p).contains(CommaInPathText()));

  p = CheckWorkFolders(Folder("bin"), comma, Folder("tmp"));
  ASSERT_EQ(p.size(), 1);
  EXPECT_EQ(p[0].folder, WorkFolder::Data);
  EXPECT_EQ(p[0].fault, FolderFault::HasComma);

  EXPECT_TRUE(CheckWorkFolders(Folder("bin"), Folder("scores"), comma).isEmpty());
}

TEST_F(WorkFolders, TheRunsFoldersComeFromTheSettings) {
  ProgramFolder.set(Folder("bin") + "/");
  qputenv("TMP", Folder("tmp").toUtf8());
  DataPath.set("scores\\");  // relative to the programs' folder
  EXPECT_TRUE(CheckRunFolders().isEmpty());
  EXPECT_TRUE(QFileInfo(root + "bin/scores").isDir());
  qputenv("TMP", "/proc");
  const QList<FolderProblem> p = CheckRunFolders();
  ASSERT_EQ(p.size(), 1);
  EXPECT_EQ(p[0].folder, WorkFolder::Temp);
}

TEST_F(WorkFolders, TheMessageNamesEachFolderAndItsFault) {
  plat::FakePrompt prompt;
  seams.Set(plat::SetPrompt, &prompt);
  EXPECT_TRUE(WarnOfFolderProblems(TestFolderLead(), {}));
  EXPECT_TRUE(prompt.calls.isEmpty());
  const QList<FolderProblem> p = {{WorkFolder::Programs, "/opt/张", FolderFault::NotCp950},
                                  {WorkFolder::Temp, "/tmp/x", FolderFault::NotWritable}};
  EXPECT_FALSE(WarnOfFolderProblems(TestFolderLead(), p));
  ASSERT_EQ(prompt.calls.size(), 1);
  const QString text = prompt.calls[0].text;
  EXPECT_TRUE(text.startsWith(TestFolderLead()));
  EXPECT_TRUE(text.contains("程式資料夾:/opt/张\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("CP950"));
  EXPECT_TRUE(text.contains("暫存資料夾:/tmp/x\r\n無法在這個資料夾寫入檔案")) << text.toStdString();
  EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Exclamation);
}

}  // namespace

namespace {

TEST_F(WorkFolders, AFolderWithLessRoomThanATestNeedsIsRefusedWithTheRoomLeft) {
  testing_support::FullDisk small(512 * 1024);
  ASSERT_TRUE(small.Ok());
  if (!small.Mounted()) GTEST_SKIP() << "the room left needs a real small file system (tmpfs, as root)";
  QString detail;
  EXPECT_EQ(CheckFolder(small.Path(), &detail), FolderFault::NoSpace);
  EXPECT_EQ(detail, QStringLiteral("剩下 512 KB"));
  const QList<FolderProblem> p = CheckWorkFolders(Folder("bin"), small.Path(), Folder("tmp"));
  ASSERT_EQ(p.size(), 1);
  EXPECT_EQ(p[0].folder, WorkFolder::Data);
  const QString text = FolderProblemsText(TestFolderLead(), p);
  EXPECT_TRUE(text.contains(QStringLiteral("成績資料夾:") + small.Path())) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("1 MB。(剩下 512 KB)"))) << text.toStdString();
  EXPECT_EQ(CheckFolder(Folder("ok")), FolderFault::None);
}

TEST_F(WorkFolders, ThePrivateTemporaryFolderMustBeTheAccountsAndClosedToOthers) {
  const QString folder = Folder("own");
  const QByteArray path = QFile::encodeName(folder);
  struct Case {
    const char* what;
    std::function<void()> make;
    QString fault;  // the start of the reason, empty when fine
  } const cases[] = {
      {"0700 and the account's", [&] { ::chmod(path, 0700); }, QString()},
      {"open to the group", [&] { ::chmod(path, 0750); }, "別的帳號也能進入(權限 0750)"},
      {"open to all", [&] { ::chmod(path, 0777); }, "別的帳號也能進入"},
      {"another account's", [&] { ::chmod(path, 0700), ::chown(path, 4242, 4242); }, "屬於別的帳號(uid 4242)"},
      {"a link to a folder", [&] {
         ::rmdir(path);
         ::symlink(QFile::encodeName(Folder("elsewhere")), path);
       }, "不是資料夾本身"},
      {"missing", [&] { ::unlink(path); }, "無法建立"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.make();
    const QString why = plat::PrivateFolderFault(folder);
    if (c.fault.isEmpty())
      EXPECT_TRUE(why.isEmpty()) << why.toStdString();
    else
      EXPECT_TRUE(why.startsWith(c.fault)) << why.toStdString();
  }
}

TEST_F(WorkFolders, WithoutTmpAndTmpdirTheAccountsOwnFolderIsMadeAndUsed) {
  const QByteArray tmpdir = qgetenv("TMPDIR");
  qunsetenv("TMP");
  qunsetenv("TMPDIR");
  const QString own = plat::TempFolder();
  EXPECT_EQ(own, QStringLiteral("/tmp/Tavrel-") + QString::number(::geteuid()));
  struct stat st {};
  ASSERT_EQ(::lstat(QFile::encodeName(own), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, ::geteuid());
  EXPECT_TRUE(CheckWorkFolders(Folder("bin"), Folder("bin"), own).isEmpty());
  // Opened to others, it is refused by name.
  ::chmod(QFile::encodeName(own), 0755);
  const QList<FolderProblem> p = CheckWorkFolders(Folder("bin"), Folder("bin"), own);
  ::chmod(QFile::encodeName(own), 0700);
  ASSERT_EQ(p.size(), 1);
  EXPECT_EQ(p[0].fault, FolderFault::NotPrivate);
  const QString text = FolderProblemsText(TestFolderLead(), p);
  EXPECT_TRUE(text.contains(QStringLiteral("暫存資料夾:") + own + QStringLiteral("\r\n這個暫存資料夾不是本帳號專用的")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("(別的帳號也能進入(權限 0755))"))) << text.toStdString();
  if (!tmpdir.isEmpty()) qputenv("TMPDIR", tmpdir);
}

}  // namespace
