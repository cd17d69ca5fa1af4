#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "common/accessors.h"
#include "common/filenames.h"
#include "common/store.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace common;

namespace {

void touch(const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write("x");
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(program.path());
    ResetCommonState();
    seams.Set(plat::SetPrompt, &prompt);
    oldTmp = qgetenv("TMP");
    hadTmp = qEnvironmentVariableIsSet("TMP");
    qputenv("TMP", temp.path().toLocal8Bit());
    data = program.filePath(QStringLiteral("成績"));
  }
  void TearDown() override {
    if (hadTmp)
      qputenv("TMP", oldTmp);
    else
      qunsetenv("TMP");
    ResetCommonState();
  }
  QString in(const QString& folder, const char* name) const { return folder + u'/' + QString::fromUtf8(name); }
  QStringList names(const QString& folder) const {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
  }

  QTemporaryDir program, temp;
  QString data;
  plat::FakePrompt prompt;
  QByteArray oldTmp;
  bool hadTmp = false;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace

TEST_F(Files, FirstResultNameCreatesTheDataFolder) {
  DataPath.set(data + u'/');
  QString name = QStringLiteral("111.txt");
  EXPECT_EQ(NextResultFileName(name), data + QStringLiteral("/111.S01"));
  EXPECT_EQ(name, data + QStringLiteral("/111.S00"));
  EXPECT_TRUE(QFileInfo(data).isDir());
}

TEST_F(Files, NumberingFindsTheHighestOfTheSeries) {
  DataPath.set(data);
  for (const char* n : {"111.S01", "111.S02", "111.S07", "111.R09", "111.Sco", "1111.S30", "222.S20"})
    touch(in(data, n));
  QString name = QStringLiteral("111.txt");
  EXPECT_EQ(NextResultFileName(name), in(data, "111.S08"));
  EXPECT_EQ(NumberedFileName(in(data, "111.S00"), 0), in(data, "111.S08"));
  EXPECT_EQ(NumberedFileName(in(data, "111.S00"), 1), in(data, "111.S07"));
  // Another extension letter is another series; X is written upper case.
  EXPECT_EQ(NumberedFileName(in(data, "111.r00"), 0), in(data, "111.R10"));
  EXPECT_EQ(NumberedFileName(in(data, "333.S00"), 1), in(data, "333.S00"));
  // Lower-case numbered files count too.
  touch(in(data, "111.s12"));
  EXPECT_EQ(NumberedFileName(in(data, "111.S00"), 0), in(data, "111.S13"));
  // Windows-made paths with "\".
  EXPECT_EQ(NumberedFileName(QString(data).replace(u'/', u'\\') + QStringLiteral("\\111.S00"), 1),
            in(data, "111.s12").replace(QStringLiteral(".s12"), QStringLiteral(".S12")));
}

TEST_F(Files, ModeTwoGivesTheHighestNumberedFileOfTheLetter) {
  QDir().mkpath(data);
  EXPECT_EQ(NumberedFileName(in(data, "Abcdefg.R00"), 2), data + u'/');
  touch(in(data, "111.S04"));
  touch(in(data, "222.S06"));
  touch(in(data, "333.R08"));
  EXPECT_EQ(NumberedFileName(in(data, "Abcdefg.S00"), 2), in(data, "222.S06"));
  EXPECT_EQ(NumberedFileName(in(data, "Abcdefg.R00"), 2), in(data, "333.R08"));
}

TEST_F(Files, NinetyNineFilesAskBeforeOverwritingNumberOne) {
  DataPath.set(data);
  touch(in(data, "111.S01"));
  touch(in(data, "111.S99"));
  prompt.answers = {plat::Answer::Retry, plat::Answer::Cancel};
  QString name = QStringLiteral("111.txt");
  EXPECT_EQ(NextResultFileName(name), in(data, "111.S01"));
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, QStringLiteral("滿了99個檔案,是否蓋上.S01檔案"));
  EXPECT_EQ(prompt.calls[0].title, QStringLiteral("警告"));
  EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::RetryCancel);
  EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Critical);
  // Cancel (or a closed box) must not overwrite an earlier candidate's file.
  name = QStringLiteral("111.txt");
  EXPECT_EQ(NextResultFileName(name), QString());
}

TEST_F(Files, UserDerivedNamesAreSanitisedAndMatchedLiterally) {
  DataPath.set(data);
  touch(in(data, "ab.S05"));
  touch(in(data, "a_b.S02"));
  // A wildcard in the name is no pattern: "ab.S05" is not in "a?.S" series.
  EXPECT_EQ(NumberedFileName(in(data, "a?.S00"), 0), in(data, "a?.S01"));
  struct Case {
    const char* entry;
    ResultBase kind;
    const char* result;
  };
  const Case cases[] = {
      {"a*b", ResultBase::UserEntry, "a_b.S03"},
      {"a?b", ResultBase::FileName, "a_b.S03"},
      {"../../etc/passwd", ResultBase::UserEntry, "___etc_passwd.S01"},
      {"J. Smith", ResultBase::UserEntry, "J. Smith.S01"},
      {"J. Smith", ResultBase::FileName, "J.S01"},
      {"A123456789", ResultBase::UserEntry, "A123456789.S01"},
      {"王小明", ResultBase::UserEntry, "王小明.S01"},
      {"", ResultBase::UserEntry, "_.S01"},
      {"...", ResultBase::UserEntry, "_.S01"},
  };
  for (const Case& c : cases) {
    QString name = QString::fromUtf8(c.entry);
    const QString got = NextResultFileName(name, c.kind);
    EXPECT_EQ(got, in(data, c.result)) << c.entry << " gave " << got.toStdString();
    EXPECT_EQ(QFileInfo(got).absolutePath(), data) << c.entry;
  }
}

TEST_F(Files, NoNameWithoutAFolderOrAnExtension) {
  EXPECT_EQ(NumberedFileName(in(program.path(), "missing/111.S00"), 0), QString());
  EXPECT_EQ(NumberedFileName(in(program.path(), "missing/111.S00"), 1), QString());
  EXPECT_EQ(NumberedFileName(in(program.path(), "111"), 0), QString());
  EXPECT_EQ(NumberedFileName(in(program.path(), "a.b/111"), 0), QString());
  EXPECT_EQ(NumberedFileName(in(program.path(), "111."), 0), QString());
  // A data folder that cannot be made gives no name.
  QFile plain(program.filePath(QStringLiteral("plain")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  DataPath.set(program.filePath(QStringLiteral("plain/data")));
  QString name = QStringLiteral("111.txt");
  EXPECT_EQ(NextResultFileName(name), QString());
}

TEST_F(Files, DataPathEmptyOrZeroKeepsTheBareName) {
  DataPath.set(QStringLiteral("0"));
  QString name = QStringLiteral("zz_common2_probe.txt");
  EXPECT_EQ(NextResultFileName(name), QStringLiteral("zz_common2_probe.S01"));
  EXPECT_EQ(name, QStringLiteral("zz_common2_probe.S00"));
}

TEST_F(Files, CleanUpDeletesOnlyTheSystemsOwnFiles) {
  const QString p = program.path();
  const char* deleted[] = {"Data/T0001.txt", "Data/T0001-01.wma", "Data/dl", "~T123456.ttt", "~TEMP.txt",
                           "111.S01", "111.s02", "王小明.S99", "111.Sco", "111.R03", "A.r99",
                           "ZetError.Txt", "crserror.txt"};
  const char* kept[] = {"libQt6Core.so.6", "start.sh", "icon.svg", "app.rcc", "x.S1", "x.Sab", "x.S123",
                        "x.R1x", "Tavrel.Ini", "Key.Ini", ".hidden.S01", "Data/sub/inner.txt", "~T.xyz"};
  for (const char* n : deleted) touch(in(p, n));
  for (const char* n : kept) touch(in(p, n));
  touch(in(temp.path(), "~T000001.ttt"));
  touch(in(temp.path(), "other.txt"));
  touch(in(temp.path(), "CopyFil.tmp"));

  CleanTempFiles(1, 1, 1, 1, 1, 1);
  for (const char* n : deleted) EXPECT_FALSE(QFileInfo::exists(in(p, n))) << n;
  for (const char* n : kept) EXPECT_TRUE(QFileInfo::exists(in(p, n))) << n;
  EXPECT_EQ(names(temp.path()), QStringList{QStringLiteral("other.txt")});
  EXPECT_TRUE(QFileInfo(in(p, "Data")).isDir());
}

TEST_F(Files, AllSwitchesOffTakeTheFeatureDigit) {
  const QString p = program.path();
  for (const char* n : {"Data/T01.txt", "~T1.ttt", "1.S01", "1.R01", "ZetError.Txt"}) touch(in(p, n));
  touch(in(temp.path(), "~T2.ttt"));
  touch(in(temp.path(), "CopyFil.tmp"));

  FeatureDigits.set(QStringLiteral("4312000000110"));  // digit 10 is 0
  CleanSwitches s;
  CleanTempFiles(s);
  EXPECT_EQ(names(p).size(), 4);  // ~T1.ttt 1.S01 1.R01 ZetError.Txt
  EXPECT_FALSE(QFileInfo::exists(in(temp.path(), "CopyFil.tmp")));  // always

  FeatureDigits.set(QStringLiteral("4312000001110"));
  CleanTempFiles(s);
  EXPECT_EQ(s.dataFolder, 1);
  EXPECT_EQ(s.tempWork, 0);
  EXPECT_EQ(s.programWork, 1);
  EXPECT_EQ(s.scoreFiles, 1);
  EXPECT_EQ(s.resultFiles, 1);
  EXPECT_EQ(s.errorLogs, 0);
  EXPECT_EQ(names(p), QStringList{QStringLiteral("ZetError.Txt")});
  EXPECT_FALSE(QFileInfo::exists(in(p, "Data/T01.txt")));
  EXPECT_TRUE(QFileInfo::exists(in(temp.path(), "~T2.ttt")));

  // Only 1 switches a deletion on.
  touch(in(p, "1.S01"));
  CleanTempFiles(2, 2, 2, 2, 2, 2);
  EXPECT_TRUE(QFileInfo::exists(in(p, "1.S01")));
}

TEST_F(Files, CleanUpGoesOnPastAFileThatCannotBeDeleted) {
  const QString p = program.path();
  touch(in(p, "111.S01"));
  touch(in(p, "111.S02"));
  touch(in(p, "~T1.ttt"));
  // Make 111.S01 undeletable: a read-only folder for a user, the immutable
  // flag for root.
  bool locked = false;
  int fd = -1;
  if (geteuid() != 0) {
    locked = QFile::setPermissions(p, QFile::ReadOwner | QFile::ExeOwner);
  } else {
    fd = ::open(QFile::encodeName(in(p, "111.S01")).constData(), O_RDONLY);
    int flags = 0;
    if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags |= FS_IMMUTABLE_FL;
      locked = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
  }
  if (!locked) {
    if (fd >= 0) ::close(fd);
    GTEST_SKIP() << "no way to make a file undeletable here";
  }
  EXPECT_NO_THROW(CleanTempFiles(0, 0, 1, 0, 1, 0));
  const bool s02 = QFileInfo::exists(in(p, "111.S02"));
  const bool t1 = QFileInfo::exists(in(p, "~T1.ttt"));
  const bool s01 = QFileInfo::exists(in(p, "111.S01"));
  if (geteuid() != 0) {
    QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  } else {
    int flags = 0;
    ioctl(fd, FS_IOC_GETFLAGS, &flags);
    flags &= ~FS_IMMUTABLE_FL;
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
    ::close(fd);
  }
  EXPECT_TRUE(s01);
  if (geteuid() == 0) {
    // The rest went, and the failure is in the report.
    EXPECT_FALSE(s02);
    EXPECT_FALSE(t1);
    QStringList log;
    ASSERT_TRUE(plat::readTextLines(in(p, "ZetError.Txt"), log));
    EXPECT_TRUE(log.back().contains(QStringLiteral("CleanTempFiles>") + in(p, "111.S01")));
  }
}

TEST(CdData, FirstCdByDeviceAndTheSettingsFolder) {
  const QList<Volume> volumes = {
      {QStringLiteral("/"), "ext4", "/dev/vda1", true},
      {QStringLiteral("/media/exam/DISC1/"), "iso9660", "/dev/sr1", true},
      {QStringLiteral("/media/exam/DISC0/"), "udf", "/dev/sr0", true},
      {QStringLiteral("/media/exam/EMPTY/"), "iso9660", "/dev/sq0", false},
      {QStringLiteral("/media/usb/"), "vfat", "/dev/sdb1", true},
  };
  EXPECT_EQ(FirstCdRoot(volumes), QStringLiteral("/media/exam/DISC0/"));
  EXPECT_EQ(FirstCdRoot(volumes.mid(0, 1) + volumes.mid(3)), QString());
  EXPECT_EQ(FirstCdRoot({}), QString());

  struct Case {
    const char* root;
    const char* v;
    const char* path;
  };
  const Case cases[] = {
      {"/media/cd/", "TEST/", "/media/cd/TEST/"},
      {"/media/cd", "\\TEST\\", "/media/cd/TEST/"},
      {"/media/cd/", "聽打", "/media/cd/聽打"},
      {"/media/cd/", "1", "/media/cd/"},
      {"/media/cd/", "2", ""},
      {"/media/cd/", "", ""},
      {"", "TEST", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CdDataPath(QString::fromUtf8(c.root), QString::fromUtf8(c.v)), QString::fromUtf8(c.path)) << c.v;
}

TEST(CdData, NoCdGivesNothingAndLeavesTheCurrentFolder) {
  ResetCommonState();
  const QString before = QDir::currentPath();
  EXPECT_EQ(FindCdDataPath(), QString());  // setting 209 empty
  Setting209.set(QStringLiteral("1"));
  if (FirstCdRoot(MountedVolumes()).isEmpty()) {
    EXPECT_EQ(FindCdDataPath(), QString());
  }
  EXPECT_EQ(QDir::currentPath(), before);
  ResetCommonState();
}
