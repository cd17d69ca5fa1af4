#include "batch/forms/remotecopy.h"

#include <QFileInfo>

#include "fixture.h"
#include "testsupport/core/seams.h"

using namespace batchtest;
using batchui::RemoteCopyStatus;

namespace {

// Answers the message of a failed attempt by running `onAsk` first (the user
// connects the folder between attempts).
class ActingPrompt : public plat::FakePrompt {
 public:
  plat::Answer Ask(const QString& text, const QString& title, plat::Buttons b, plat::Icon i) override {
    if (onAsk) onAsk();
    return FakePrompt::Ask(text, title, b, i);
  }
  std::function<void()> onAsk;
};

class Remote : public BatchUi {
 protected:
  void SetUp() override {
    BatchUi::SetUp();
    seams.Set(plat::SetPrompt, &acting);
    score = WriteScoreFile("Class.R05", ClassOfThree());
    result = root + "Class_03050305.Sco";
    plat::writeBytesAtomic(result, "RudaZO__|\r\n");
    env.text = [this](int id) { return Text(id); };
    env.log = [this](const QString& s) { log << s; };
  }
  batchui::RemoteCopyResult Copy(const QString& folder) {
    log.clear();
    return batchui::RemoteCopy(folder, score, result, env);
  }
  ActingPrompt acting;
  QString score, result;
  batchui::RemoteCopyEnv env;
  QStringList log;
};

}  // namespace

TEST_F(Remote, ScoreFileGoesOntoTheHighestNumberOfItsSeries) {
  struct Case {
    QStringList existing;
    const char* target;
  };
  const Case cases[] = {
      {{}, "Class.R00"},
      {{"Class.R01", "Class.R02", "Other.R09"}, "Class.R02"},
      {{"CLASS.R04"}, "Class.R04"},
  };
  for (const Case& c : cases) {
    QDir(root + "share").removeRecursively();
    QDir().mkpath(root + "share");
    for (const QString& e : c.existing) plat::writeBytesAtomic(root + "share/" + e, "old");
    for (const QString& folder : {root + "share", root + "share/", root + "share\\"}) {
      const auto r = Copy(folder);
      EXPECT_EQ(r.status, RemoteCopyStatus::Copied) << folder.toStdString();
      EXPECT_EQ(QFileInfo(r.scoreTarget).fileName().toUpper(), QString(c.target).toUpper());
      EXPECT_EQ(SizeOf(r.scoreTarget), 3 * 252);
      EXPECT_EQ(r.resultTarget, root + "share/Class_03050305.Sco");
      EXPECT_EQ(SizeOf(r.resultTarget), 11);
    }
    // Overwritten in place, never beside it in another letter case.
    EXPECT_EQ(QDir(root + "share").entryList(QDir::Files).size(), qMax(2, int(c.existing.size()) + 1));
    EXPECT_TRUE(acting.calls.isEmpty());
  }
  // The log: this folder, the target found, the copies that were made.
  EXPECT_EQ(log.size(), 3);
  EXPECT_TRUE(log[0].startsWith("本電腦的目錄是>"));
  EXPECT_TRUE(log[1].startsWith("偵測遠方的目錄是>"));
  EXPECT_EQ(log[2], "成功存到遠方的檔案是>" + root + "share/CLASS.R04 " + root + "share/Class_03050305.Sco");
}

TEST_F(Remote, NoFolderAssignedCopiesNothingAnywhere) {
  for (const QString& folder : {QString(), QString("\\"), QString("/"), QString("  ")}) {
    const auto r = Copy(folder);
    EXPECT_EQ(r.status, RemoteCopyStatus::NoFolder);
    EXPECT_EQ(r.attempts, 0);
  }
  EXPECT_TRUE(acting.calls.isEmpty());
  EXPECT_FALSE(QFileInfo::exists("/Class.R00"));
}

TEST_F(Remote, UnreachableFolderIsShownAfterEachOfThreeAttempts) {
  const auto r = Copy(root + "not-mounted");
  EXPECT_EQ(r.status, RemoteCopyStatus::Failed);
  EXPECT_EQ(r.attempts, 3);
  ASSERT_EQ(acting.calls.size(), 3);
  for (const auto& c : acting.calls) {
    EXPECT_EQ(c.text, Text(10401));
    EXPECT_EQ(c.title, Text(14001));
    EXPECT_EQ(c.buttons, plat::Buttons::Ok);
  }
  for (const QString& l : log) EXPECT_FALSE(l.startsWith("成功存到遠方的檔案是>"));
  EXPECT_FALSE(QDir(root + "not-mounted").exists());
}

TEST_F(Remote, FolderConnectedBetweenAttempts) {
  acting.onAsk = [this] { QDir().mkpath(root + "late"); };
  const auto r = Copy(root + "late");
  EXPECT_EQ(r.status, RemoteCopyStatus::Copied);
  EXPECT_EQ(r.attempts, 2);
  EXPECT_EQ(acting.calls.size(), 1);
  EXPECT_EQ(SizeOf(root + "late/Class.R00"), 3 * 252);
}

TEST_F(Remote, FailingTargetIsNotReportedAsCopied) {
  QDir().mkpath(root + "share/Class_03050305.Sco");  // a folder where the result file goes
  const auto r = Copy(root + "share");
  EXPECT_EQ(r.status, RemoteCopyStatus::Failed);
  EXPECT_EQ(acting.calls.size(), 3);
  bool failedLogged = false;
  for (const QString& l : log) {
    EXPECT_FALSE(l.startsWith("成功存到遠方的檔案是>"));
    failedLogged = failedLogged || l.startsWith("無法存到遠方的檔案>");
  }
  EXPECT_TRUE(failedLogged);
}

TEST_F(Remote, MissingSourcesAreSkippedNeverCopiedStale) {
  QDir().mkpath(root + "share");
  QFile::remove(result);
  auto r = Copy(root + "share");
  EXPECT_EQ(r.status, RemoteCopyStatus::Copied);
  EXPECT_TRUE(r.resultTarget.isEmpty());
  EXPECT_EQ(QDir(root + "share").entryList(QDir::Files), QStringList{"Class.R00"});
  r = batchui::RemoteCopy(root + "share", root + "gone.R01", result, env);
  EXPECT_EQ(r.status, RemoteCopyStatus::NoScoreFile);
  EXPECT_TRUE(acting.calls.isEmpty());
}

TEST_F(Remote, MainWindowCopiesWithTheRecordsFolder) {
  settings[804] = "0";
  const QString s2 = WriteScoreFile("Group.R01", ClassOfThree());
  QDir().mkpath(root + "share");
  plat::writeBytesAtomic(root + "share/Group.R01", "old");
  plat::writeBytesAtomic(root + "share/Group.R02", "old");
  auto& d = Start({WriteRecord(s2, 0, 0, root + "share\\")});
  // No result line yet in this run: only the score file goes.
  const auto r = d.Runbbc();
  EXPECT_EQ(r.status, RemoteCopyStatus::Copied);
  EXPECT_EQ(SizeOf(root + "share/Group.R02"), 3 * 252);
  EXPECT_EQ(SizeOf(root + "share/Group.R01"), 3);
  EXPECT_TRUE(Logged("成功存到遠方的檔案是>" + root + "share/Group.R02"));
}
