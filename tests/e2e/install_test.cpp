// cmake --install gives one programs' folder that runs as it stands, and a
// desktop entry that starts the test program from it.
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
  // starts on its set-up screen, and its exit button ends it, having read the
  // installed settings and written its error report beside itself.
  inst.WriteScript(QStringLiteral("[Tavrel]\nwait 輸入資料表面\nclick 輸入資料表面/Command2\n"));
  const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + 60000;
  ASSERT_TRUE(inst.Start(QStringLiteral("Tavrel"), {QStringLiteral("王小明,A123456789,1990/5/3")}, deadline,
                         &error))
      << error.toStdString();
  ASSERT_TRUE(WaitUntil([&] { return inst.CountStarts("Tavrel") == 1 && inst.AllEnded(); }, deadline))
      << inst.Describe().toStdString();
  QStringList report;
  ASSERT_TRUE(plat::readTextLines(bin + "ZetError.Txt", report)) << inst.Describe().toStdString();
  EXPECT_TRUE(report.join(u'\n').contains(QStringLiteral(">") + bin + QStringLiteral("Tavrel.Ini")))
      << inst.Describe().toStdString();
  EXPECT_TRUE(report.join(u'\n').contains(QStringLiteral("<NetLinkStatus"))) << inst.Describe().toStdString();
}

}  // namespace
}  // namespace e2e
