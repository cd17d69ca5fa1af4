#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "exam/record/commandline.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

using namespace rec;

TEST(CommandLine, ScorerAndNextProgramTextsAndTheirSingleArgument) {
  const QString rec = QStringLiteral(R"(C:\TMP\~T045310.ttt)");
  ProgramCommandLine s = ScorerCommandLine(rec, QStringLiteral(R"(C:\T\)"), QStringLiteral("Tavrel"));
  EXPECT_EQ(s.Text(), QStringLiteral(R"(C:\T\SCORE.EXE C:\TMP\~T045310.ttt,C:\T\Tavrel)"));
  EXPECT_EQ(s.Arguments(), QStringList{QStringLiteral(R"(C:\TMP\~T045310.ttt,C:\T\Tavrel)")});
  EXPECT_EQ(s.style, plat::WindowStyle::MinimizedFocus);

  const QString base = QStringLiteral(R"(C:\T\Tavrel)");
  const QString score = QStringLiteral(R"(C:\D\T0001.R00)");
  const QString folder = QStringLiteral(R"(C:\T\)");
  EXPECT_EQ(NextProgramCommandLine(2, rec, score, base, folder).Text(),
            QStringLiteral(R"(C:\T\Tavrel.EXE C:\TMP\~T045310.ttt,C:\D\T0001.R00,123)"));
  EXPECT_EQ(NextProgramCommandLine(1, rec, score, base, folder).Text(),
            QStringLiteral(R"(C:\T\Tavrel.EXE C:\TMP\~T045310.ttt,C:\D\T0001.R00)"));
  for (int mode : {0, 3, -1, 99}) {
    ProgramCommandLine c = NextProgramCommandLine(mode, rec, score, base, folder);
    EXPECT_EQ(c.Text(), QStringLiteral(R"(C:\T\Tallisk.EXE C:\TMP\~T045310.ttt,C:\T\Tavrel)")) << mode;
    EXPECT_EQ(c.style, plat::WindowStyle::NormalFocus);
  }
}

TEST(CommandLine, ReceiverJoinsArgumentsWithBlanksThenSplitsAtCommas) {
  EXPECT_EQ(ProgramCommandLine::FieldsFromArguments({}), QStringList());
  EXPECT_EQ(ProgramCommandLine::FieldsFromArguments({QStringLiteral("/tmp/~T1.txt,/d/A.R01,123")}),
            (QStringList{"/tmp/~T1.txt", "/d/A.R01", "123"}));
  // A starter that split the text at blanks: the path with a blank comes back.
  EXPECT_EQ(ProgramCommandLine::FieldsFromArguments({"/my", "docs/~T1.txt,/opt/x/Tavrel"}),
            (QStringList{"/my docs/~T1.txt", "/opt/x/Tavrel"}));
  // Round trip of what a sender hands the launcher.
  ProgramCommandLine c = ScorerCommandLine(QString::fromUtf8("/tmp/許功蓋 x/~T000001.ttt"), "/opt/t/", "Tavrel");
  EXPECT_EQ(ProgramCommandLine::FieldsFromArguments(c.Arguments()), c.fields);
}

TEST(CommandLine, ExecutableForMapsExeNamesToTheDeliverables) {
  QTemporaryDir dir;
  const QString folder = dir.path() + u'/';
  plat::SetProgramFolder(folder);
  for (const char* n : {"score", "Tallisk", "Tavrel"}) {
    QFile f(folder + n);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(ExecutableFor(folder + "SCORE.EXE"), folder + "score");
  EXPECT_EQ(ExecutableFor("Tallisk.EXE"), folder + "Tallisk");
  EXPECT_EQ(ExecutableFor(folder + "tavrel.exe"), folder + "Tavrel");
  // Backslashes from an old settings text.
  QString win = folder;
  win.replace(u'/', u'\\');
  EXPECT_EQ(ExecutableFor(win + "Tavrel.EXE"), folder + "Tavrel");

  plat::FakeLauncher fake;
  testsupport::Seams seams;
  seams.Set(plat::SetLauncher, &fake);
  ProgramCommandLine c = ScorerCommandLine("/tmp/~T000001.txt", folder, "Tavrel");
  QString err;
  EXPECT_TRUE(StartProgram(c, &err));
  ASSERT_EQ(fake.calls.size(), 1);
  EXPECT_EQ(fake.calls[0].program, folder + "score");
  EXPECT_EQ(fake.calls[0].arguments, QStringList{"/tmp/~T000001.txt," + folder + "Tavrel"});
  EXPECT_EQ(fake.calls[0].style, plat::WindowStyle::MinimizedFocus);
  fake.result = false;
  EXPECT_FALSE(StartProgram(c, &err));
  EXPECT_FALSE(err.isEmpty());
  plat::SetProgramFolder(QString());
}
