// The start-up check of the folders a run writes into.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/store.h"
#include "common/workfolders.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"

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
    plat::SetPrompt(nullptr);
    qunsetenv("TMP");
    ResetCommonState();
  }
  QString Folder(const QString& name) {
    QDir().mkpath(root + name);
    return root + name;
  }
  QTemporaryDir dir;
  QString root;
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
  plat::SetPrompt(&prompt);
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
