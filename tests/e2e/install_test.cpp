// cmake --install gives one programs' folder that runs as it stands, and a
// desktop entry that starts the test program from it; the programs there
// carry no scripted user.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include "platform/core/codec.h"
#include "platform/core/textfile.h"
#include "tests/e2e/installation.h"

namespace e2e {
namespace {

QByteArray Bytes(const QString& path) {
  QByteArray b;
  plat::readAllBytes(path, b);
  return b;
}

TEST(Install, OneFolderReadyToRunAndADesktopEntry) {
  const QStringList missing = MissingPrograms(QStringLiteral(BIN_DIR));
  if (!missing.isEmpty())
    GTEST_SKIP() << "not built yet in " BIN_DIR ": " << missing.join(QStringLiteral(", ")).toStdString();
  Installation inst;
  QString error;
  ASSERT_TRUE(inst.Install(QStringLiteral(CMAKE_COMMAND_PATH), QStringLiteral(BUILD_TREE), &error))
      << error.toStdString();

  // The folder: the three programs, the shipped files as they are in the
  // source tree, the sample test, NOTE/.
  const QString bin = inst.Folder();
  for (const QString& p : kPrograms) EXPECT_TRUE(QFileInfo(bin + p).isExecutable()) << p.toStdString();
  const QString data = QStringLiteral(SOURCE_ROOT "/data/");
  for (const char* f : {"Tavrel.Ini", "Key.Ini", "Data/T0001.txt", "Data/T0001-01.wma", "Data/T0001-02.wma",
                        "Data/T0001-03.wma"}) {
    SCOPED_TRACE(f);
    ASSERT_TRUE(QFileInfo::exists(bin + f));
    EXPECT_EQ(Bytes(bin + f), Bytes(data + f));
  }
  EXPECT_TRUE(QFileInfo(bin + "NOTE").isDir());
  EXPECT_FALSE(QFileInfo::exists(bin + "CMakeLists.txt"));

  // The desktop entry starts the installed program in its folder.
  QStringList entry;
  ASSERT_TRUE(plat::readTextLines(inst.Prefix() + "/share/applications/Tavrel.desktop", entry));
  EXPECT_EQ(entry.value(0), QStringLiteral("[Desktop Entry]"));
  EXPECT_TRUE(entry.contains(QStringLiteral("Type=Application")));
  EXPECT_TRUE(entry.contains(QStringLiteral("Name=Tavrel")));
  EXPECT_TRUE(entry.contains(QStringLiteral("Exec=\"%1Tavrel\"").arg(bin)));
  EXPECT_TRUE(entry.contains(QStringLiteral("Path=%1").arg(bin.chopped(1))));
  // Menus in a Traditional Chinese desktop show the Chinese name (the entry
  // is UTF-8, as desktop entries are).
  QFile entryFile(inst.Prefix() + "/share/applications/Tavrel.desktop");
  ASSERT_TRUE(entryFile.open(QIODevice::ReadOnly));
  const QStringList utf8 = QString::fromUtf8(entryFile.readAll()).split(u'\n');
  EXPECT_TRUE(utf8.contains(QStringLiteral("Name[zh_TW]=聽打測驗系統")));
  EXPECT_FALSE(utf8.filter(QRegularExpression(QStringLiteral("^Comment\\[zh_TW\\]=.*聽打"))).isEmpty());

  // Ready to run from there with the shipped settings: the test program
  // starts on its set-up screen, having read the installed settings and
  // written its error report beside itself. It carries no scripted user:
  // the script a variable names is never played (its log, written before
  // the first window shows, never begins) and the screen stays up.
  inst.SetEnvironment(QStringLiteral("TAVREL_E2E_WIDGETS"), inst.WidgetsPrefix());
  inst.WriteScript(QStringLiteral("[Tavrel]\nwait 輸入資料表面\nclick 輸入資料表面/Command2\n"));
  const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + 60000;
  ASSERT_TRUE(inst.Start(QStringLiteral("Tavrel"), {QStringLiteral("王小明,A123456789,1990/5/3")}, deadline,
                         &error))
      << error.toStdString();
  const qint64 pid = inst.StartedPid();
  ASSERT_NE(pid, 0);
  const QString probe = inst.WidgetsPrefix() + u'.' + QString::number(pid);
  const auto setupShown = [&] {
    QFile f(probe);
    return f.open(QIODevice::ReadOnly) &&
           QString::fromUtf8(f.readAll()).contains(QRegularExpression(QStringLiteral("^window\t輸入資料表面\t\\d+\t1\t"),
                                                                      QRegularExpression::MultilineOption));
  };
  ASSERT_TRUE(WaitUntil(setupShown, deadline)) << inst.Describe().toStdString();
  const auto reportRead = [&] {
    QStringList report;
    return plat::readTextLines(bin + "ZetError.Txt", report) &&
           report.join(u'\n').contains(QStringLiteral(">") + bin + QStringLiteral("Tavrel.Ini"));
  };
  ASSERT_TRUE(WaitUntil(reportRead, deadline)) << inst.Describe().toStdString();
  EXPECT_FALSE(inst.Logged(QStringLiteral("start"))) << inst.Describe().toStdString();
  EXPECT_TRUE(inst.Starts().isEmpty());
  EXPECT_EQ(inst.StartedPid(), pid);  // the script's exit button was never clicked
  inst.StopAll();
}

}  // namespace
}  // namespace e2e
