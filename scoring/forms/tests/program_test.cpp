// The score program itself, installed in a folder of its own and started as
// the test program starts it.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "common/accessors.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

namespace {

bool Contains(const QString& path, const QString& text) {
  QStringList lines;
  return plat::readTextLines(path, lines) && lines.join(u'\n').contains(text);
}

TEST(ScoreProgram, StartedWithARecordItScoresAndShowsTheSheet) {
  const QString exe = QStringLiteral(BIN_DIR "/score");
  if (!QFileInfo(exe).isExecutable()) GTEST_SKIP() << "the score program is not built";
  QTemporaryDir install, temp;
  ASSERT_TRUE(install.isValid() && temp.isValid());
  ASSERT_TRUE(QFile::copy(exe, install.filePath("score")));
  QFile(install.filePath("score")).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  ASSERT_TRUE(QFile::copy(QStringLiteral(SOURCE_ROOT "/data/Tavrel.Ini"), install.filePath("Tavrel.Ini")));
  ASSERT_TRUE(plat::appendTextLine(install.filePath("Tavrel.Ini"), QStringLiteral("7999,t=1")));
  ASSERT_TRUE(plat::writeTextLines(install.filePath("T0001.txt"), {QStringLiteral("　　今天天氣很好。")}));
  const QString record = temp.filePath("~T032400.txt");
  ASSERT_TRUE(plat::writeTextLines(
      record, {QStringLiteral("[測驗檔名]=") + install.filePath("T0001.txt"),
               QStringLiteral("[答案檔案]=") + install.filePath("A1.T01"),
               QStringLiteral("[成績檔案]=") + install.filePath("A1.R01"), QStringLiteral("[檢定姓名]=王小明"),
               QStringLiteral("[開始時間]=031800"), QStringLiteral("[終止時間]=032400"),
               QStringLiteral("[測驗次數]=1"), QStringLiteral("　　今天天氣很好。")}));

  // The sheet's load logs text 11522 of the settings file.
  common::ResetCommonState();
  plat::SetProgramFolder(install.path() + u'/');
  ASSERT_EQ(common::LoadSettings(), common::LoadResult::Ok);
  const QString shown = common::SystemIniValue(11522).asText();
  plat::SetProgramFolder(QString());
  common::ResetCommonState();
  ASSERT_FALSE(shown.isEmpty());
  QFile::remove(install.filePath("ZetError.Txt"));

  QProcess score;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("TMP", temp.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  score.setProcessEnvironment(env);
  // The fields travel as one argument, as the test program sends them.
  score.start(install.filePath("score"), {record + u',' + install.filePath("Tavrel")});
  ASSERT_TRUE(score.waitForStarted(10000));
  const QString report = install.filePath("ZetError.Txt");
  QDeadlineTimer deadline(30000);
  bool sheet = false;
  while (!sheet && !deadline.hasExpired() && score.state() == QProcess::Running) {
    score.waitForFinished(100);
    sheet = Contains(report, shown);
  }
  EXPECT_TRUE(sheet);
  EXPECT_EQ(score.state(), QProcess::Running);  // waiting for the candidate
  score.kill();
  score.waitForFinished(5000);
  EXPECT_TRUE(QFileInfo::exists(install.filePath("A1.R01")));
  EXPECT_TRUE(QFileInfo::exists(install.filePath("A1.T01")));
}

}  // namespace
