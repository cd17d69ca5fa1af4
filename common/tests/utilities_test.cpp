#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace common;

TEST(Utilities, PathPartTable) {
  struct Case {
    int mode;
    const char* path;
    const char* part;
  };
  const Case cases[] = {
      {1, "C:\\T\\a.b.txt", "a.b"},
      {2, "C:\\T\\a.b.txt", "C:\\T\\"},
      {3, "C:\\T\\a.b.txt", "a.b.txt"},
      {4, "C:\\T\\a.b.txt", "C:\\T\\a.b"},
      {5, "C:\\T\\a.b.txt", ".txt"},
      {0, "C:\\T\\a.b.txt", "txt"},
      {9, "C:\\T\\a.b.txt", "txt"},
      // Linux paths and mixed separators.
      {1, "/home/exam/Data/T01.txt", "T01"},
      {2, "/home/exam/Data/T01.txt", "/home/exam/Data/"},
      {3, "C:\\rec/sub\\T01.txt", "T01.txt"},
      {2, "C:\\rec/sub\\T01.txt", "C:\\rec/sub\\"},
      // Big5 characters whose second byte is "\" stay whole.
      {1, "/d/許功/蓋.txt", "蓋"},
      {2, "/d/許功/蓋.txt", "/d/許功/"},
      // No folder: mode 1 is the name before the extension, mode 2 empty.
      {1, "T01.txt", "T01"},
      {2, "T01.txt", ""},
      {3, "T01.txt", "T01.txt"},
      // No extension (also a dot only in a folder name).
      {1, "/d/a.b/T01", "T01"},
      {4, "/d/a.b/T01", "/d/a.b/T01"},
      {5, "/d/a.b/T01", "/d/a.b/T01"},
      {0, "T01", "T01"},
      {4, "T01", "T01"},
      {1, "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathPart(c.mode, QString::fromUtf8(c.path)), QString::fromUtf8(c.part))
        << c.mode << " " << c.path;
}

TEST(Utilities, SplitAtBarAndGetField) {
  EXPECT_EQ(SplitAtBar(u"x|y|z", 1), QStringLiteral("z"));
  EXPECT_EQ(SplitAtBar(u"x|y|z", 0), QStringLiteral("x|y"));
  EXPECT_EQ(SplitAtBar(u"x|y|z", 2), QStringLiteral("x|y"));
  EXPECT_EQ(SplitAtBar(u"xyz", 1), QString());
  EXPECT_EQ(SplitAtBar(u"xyz", 0), QString());
  EXPECT_EQ(SplitAtBar(u"a|", 1), QString());
  EXPECT_EQ(SplitAtBar(QStringLiteral("01|座號許功"), 1), QStringLiteral("座號許功"));

  EXPECT_EQ(GetField(0, u"a,,b", u','), QStringLiteral("a"));
  EXPECT_EQ(GetField(1, u"a,,b", u','), QString());
  EXPECT_EQ(GetField(2, u"a,,b", u','), QStringLiteral("b"));
  EXPECT_EQ(GetField(3, u"a,,b", u','), QString());
  EXPECT_EQ(GetField(-1, u"a,,b", u','), QString());
  EXPECT_EQ(GetField(0, u"", u','), QString());
  EXPECT_EQ(GetField(1, u"a,", u','), QString());
  EXPECT_EQ(GetField(3, u"ftp.example.org,21,dunro,kelpa", u','), QStringLiteral("kelpa"));
  EXPECT_EQ(TrimNul(QStringView(u"C:\\WIN\0junk", 11)), QStringLiteral("C:\\WIN"));
  EXPECT_EQ(TrimNul(u"abc"), QStringLiteral("abc"));
  EXPECT_EQ(WindowsFolder(), QString());
}

TEST(Utilities, FixDoubleBackslashMendsOnlyTheFirstAndKeepsNetworkPaths) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"C:\\\\A\\\\B", "C:\\A\\\\B"},
      {"/home//exam//Data", "/home/exam//Data"},
      {"\\\\server\\share\\\\x", "\\\\server\\share\\x"},
      {"//server/share", "//server/share"},
      {"C:\\A\\B", "C:\\A\\B"},
      {"", ""},
  };
  for (const Case& c : cases) {
    QString p = QString::fromUtf8(c.in);
    EXPECT_EQ(FixDoubleBackslash(p), QString::fromUtf8(c.out)) << c.in;
    EXPECT_EQ(p, QString::fromUtf8(c.out)) << c.in;
  }
}

class MessageBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetProgramFolder(dir.path());
    ResetCommonState();
    seams.Set(plat::SetPrompt, &prompt);
  }
  void TearDown() override {
    ResetCommonState();
  }
  QTemporaryDir dir;
  plat::FakePrompt prompt;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

TEST_F(MessageBoxes, WordingComesFromTheStore) {
  SystemIniValue(14001, QStringLiteral("系統訊息"));
  SystemIniValue(14002, QStringLiteral("錯誤:"));
  SystemIniValue(14003, QStringLiteral("代碼:"));
  SystemIniValue(14004, QStringLiteral("請洽監考老師"));
  SystemIniValue(14006, QStringLiteral("缺少"));
  SystemIniValue(14007, QStringLiteral("檔案"));
  ShowErrorMessage(MakeAppError(kFileNotFound, QStringLiteral("LoadTest")));
  ShowMissingFileMessage(QStringLiteral("Key.Ini"));
  ASSERT_EQ(prompt.calls.size(), 2);
  EXPECT_EQ(prompt.calls[0].text, QStringLiteral("錯誤:找不到檔案\n代碼:53\n請洽監考老師"));
  EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::Ok);
  EXPECT_EQ(prompt.calls[1].text, QStringLiteral("缺少 Key.Ini 檔案"));
  EXPECT_EQ(prompt.calls[1].title, QStringLiteral("系統訊息"));
  EXPECT_EQ(prompt.calls[1].icon, plat::Icon::Exclamation);
  EXPECT_EQ(prompt.calls[1].buttons, plat::Buttons::Ok);
}

TEST_F(MessageBoxes, BuiltInWordingStandsInBeforeTheSettingsAreRead) {
  ShowMissingFileMessage(QStringLiteral("/opt/exam/Tavrel.Ini"));
  ShowErrorMessage(MakeAppError(kPathFileAccess));
  ASSERT_EQ(prompt.calls.size(), 2);
  const QString missing = prompt.calls[0].text;
  EXPECT_TRUE(missing.contains(QStringLiteral(" /opt/exam/Tavrel.Ini ")));
  EXPECT_GT(missing.size(), QStringLiteral(" /opt/exam/Tavrel.Ini ").size() + 2);
  EXPECT_FALSE(prompt.calls[0].title.isEmpty());
  const QStringList lines = prompt.calls[1].text.split(u'\n');
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral("路徑/檔案存取錯誤")));
  EXPECT_GT(lines[0].size(), QStringLiteral("路徑/檔案存取錯誤").size());
  EXPECT_TRUE(lines[1].endsWith(u"75"));
  EXPECT_GT(lines[1].size(), 2);
  EXPECT_FALSE(lines[2].isEmpty());
}

// The runtime-error box names the program in Chinese and the error with
// what kind of failure it was.
TEST_F(MessageBoxes, RuntimeErrorBoxIsInChineseUnderTheProgramsName) {
  struct Case {
    const char* program;
    const char* title;
  };
  const QString before = QCoreApplication::applicationName();
  for (const Case& c : {Case{"Tavrel", "聽打測驗程式"}, Case{"score", "評分程式"}, Case{"Tallisk", "成績總表程式"}}) {
    QCoreApplication::setApplicationName(QString::fromUtf8(c.program));
    prompt.calls.clear();
    AppError err = MakeAppError(kPathFileAccess, QStringLiteral("score"));
    err.text += QStringLiteral(" 無法寫入:/data/A1.S01");
    ShowErrorMessage(err);
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_EQ(prompt.calls[0].title, QString::fromUtf8(c.title)) << c.program;
    EXPECT_TRUE(prompt.calls[0].text.contains(QStringLiteral("路徑/檔案存取錯誤 無法寫入:/data/A1.S01\n")))
        << prompt.calls[0].text.toStdString();
  }
  QCoreApplication::setApplicationName(before);
  // An error with a detail of its own keeps the description in front.
  EXPECT_EQ(DescribeError(AppError{kFileNotFound, QStringLiteral("T0001.txt"), QString(), 0}),
            QStringLiteral("找不到檔案(T0001.txt)"));
  EXPECT_EQ(DescribeError(AppError{424, QStringLiteral("表單 2 沒有控制項 X"), QString(), 0}),
            QStringLiteral("表單 2 沒有控制項 X"));
}

TEST_F(MessageBoxes, ChangeDirSafeCreatesAMissingFolderAndLeavesTheCurrentOne) {
  const QString before = QDir::currentPath();
  QString path = dir.path() + QStringLiteral("//Data/成績");
  EXPECT_EQ(ChangeDirSafe(path), QStringLiteral("1"));
  EXPECT_EQ(path, dir.path() + QStringLiteral("/Data/成績"));
  EXPECT_TRUE(QDir(path).exists());
  EXPECT_EQ(QDir::currentPath(), before);
  // An existing folder, and one that cannot be made, are no error either.
  EXPECT_EQ(ChangeDirSafe(path), QStringLiteral("1"));
  QString blocked = QStringLiteral("/proc/no/such");
  EXPECT_EQ(ChangeDirSafe(blocked), QStringLiteral("1"));
  EXPECT_TRUE(prompt.calls.isEmpty());
}


// The batch scorer's main window asks without a version, the contact windows
// with one.
TEST(Utilities, MailSubjectDropsTheTitlesBlanksAndBracketsTheVersion) {
  EXPECT_EQ(common::MailSubject(QStringLiteral("Tavrel 聽打 測驗"), QStringLiteral("2.7.0")),
            QStringLiteral("Tavrel聽打測驗[2.7.0]"));
  EXPECT_EQ(common::MailSubject(QStringLiteral(" Tavrel 聽打測驗 ")), QStringLiteral("Tavrel聽打測驗"));
  EXPECT_EQ(common::MailSubject(QString(), QStringLiteral("1.0.0")), QStringLiteral("[1.0.0]"));
}
