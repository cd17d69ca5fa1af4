// Leaving the score sheet: another test (the test program started with
// exactly its command line), or the end (hand-over to the batch scorer,
// clean-up), and the two questions on the way.
#include "scorer_fixture.h"

#include "common/errorlog.h"
#include "scoring/forms/formkit.h"
#include "testsupport/gui/layoutfaults.h"

namespace {

using namespace scorertest;
using scorer::成績單;
using scorer::是否結束;
using scorer::直續測驗;

class Leave : public ScorerFixture {
 protected:
  成績單& Up(const QList<QPair<int, QString>>& ini, int testCount = 1) {
    plat::FormRegistry::DestroyAll();
    scoring::ResetScorer();
    scorer::ResetDelivery();
    app.Reset();
    app.ends = 0;
    launcher.calls.clear();
    IniLines(ini);
    record = WriteRecord(QStringLiteral("~T032400.txt"), testCount);
    成績單* s = StartAndScore(record);
    EXPECT_NE(s, nullptr);
    return *s;
  }
  QString Score() const { return work.filePath("A123456789.R01"); }
  void ExpectStarted(const QString& program, const QString& argument) {
    ASSERT_EQ(launcher.calls.size(), 1);
    EXPECT_EQ(launcher.calls.first().program, program);
    EXPECT_EQ(launcher.calls.first().arguments, QStringList{argument});
    EXPECT_EQ(launcher.calls.first().style, plat::WindowStyle::NormalFocus);
  }
  // Files of the kinds the clean-up deletes, in their folders.
  QStringList WorkFiles() {
    QDir(program.path()).mkdir("Data");
    const QStringList files = {ProgramFile("Data/old.txt"), ProgramFile("~T000001.TTT"),
                               ProgramFile("x.R01"),        ProgramFile("x.S01"),
                               ProgramFile("x.Sco"),        ProgramFile("CrsError.Txt"),
                               temp.filePath("~T000002.txt")};
    for (const QString& f : files) Touch(f);
    return files;
  }
  QString record;
};

TEST_F(Leave, AgainWithSetting7901StartsTheTestProgramAtOnce) {
  成績單& s = Up({{7901, "1"}, {306, "2"}});
  s.Command3->click();
  ExpectStarted(ProgramFile("Tavrel"), record + u',' + Score());
  EXPECT_EQ(app.ends, 1);
  EXPECT_FALSE(plat::forms::exists<直續測驗>());
}

TEST_F(Leave, TheQuestionsReadWhole) {
  成績單& s = Up({{7901, "0"}, {306, "2"}});
  s.Command3->click();
  ASSERT_TRUE(plat::forms::exists<直續測驗>());
  直續測驗& q = plat::forms::get<直續測驗>();
  // "請準備好檔名 [box] 的試卷": the box between the words, none under it.
  EXPECT_EQ(testkit::LayoutFaults(&q).join(u'\n').toStdString(), "");
  EXPECT_GT(q.Text1->x(), q.Label6->x());
  是否結束& e = plat::forms::get<是否結束>();
  e.Show();
  EXPECT_EQ(testkit::LayoutFaults(&e).join(u'\n').toStdString(), "");
}

TEST_F(Leave, TheContinueQuestionTellsTheNextTestOnceAndStartsItAgain) {
  成績單& s = Up({{7901, "0"}, {306, "2"}});
  s.Command3->click();
  EXPECT_FALSE(s.isEnabled());
  ASSERT_TRUE(plat::forms::exists<直續測驗>());
  直續測驗& q = plat::forms::get<直續測驗>();
  EXPECT_TRUE(q.isVisible());
  const QString line =
      common::SystemIniValue(11903).asText() + QStringLiteral(" 2 ") + common::SystemIniValue(11904).asText();
  EXPECT_EQ(q.Label1->text(), line);
  // Shown again: the number is not raised twice.
  q.Hide();
  q.Show();
  EXPECT_EQ(q.Label1->text(), line);
  EXPECT_EQ(common::TestNumber.get(), 2);
  // Its buttons read as the set-up screen's and the pause dialog's.
  EXPECT_EQ(q.Command1->text(), common::SystemIniValue(10111).asText());
  EXPECT_EQ(q.Command2->text(), common::SystemIniValue(11202).asText());
  EXPECT_EQ(q.windowTitle(), common::ProductTitle.get());
  EXPECT_EQ(scorer::BoxTwips(&q).width, 6000);
  q.Command3->click();
  EXPECT_EQ(contacts, 1);
  q.Command1->click();
  ExpectStarted(ProgramFile("Tavrel"), record + u',' + Score());
  EXPECT_EQ(app.ends, 1);
}

TEST_F(Leave, TheEndQuestionStartsTheTestProgramWithTheThirdField) {
  成績單& s = Up({{306, "2"}, {307, "1"}}, 3);
  s.Command3->click();
  ASSERT_TRUE(plat::forms::exists<是否結束>());
  是否結束& q = plat::forms::get<是否結束>();
  EXPECT_TRUE(q.isVisible());
  EXPECT_EQ(q.Label1->text(), common::SystemIniValue(12004).asText());
  q.Command1->click();
  ExpectStarted(ProgramFile("Tavrel"), record + u',' + Score() + QStringLiteral(",123"));
  EXPECT_EQ(app.ends, 1);
}

TEST_F(Leave, ExitHandsOverToTheBatchScorerAsSetting803Says) {
  struct Case {
    const char* s803;
    const char* s306;
    int test;
    bool handOver;
  } cases[] = {
      {"2", "2", 2, false}, {"2", "2", 3, true}, {"1", "1", 1, true}, {"0", "2", 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.s803) + " test " + std::to_string(c.test));
    成績單& s = Up({{803, c.s803}, {306, c.s306}, {307, "0"}, {149, "0"}}, c.test);
    s.Command3->click();
    if (c.handOver) {
      ExpectStarted(ProgramFile("Tallisk"), record + u',' + common::SettingsBase.get());
    } else {
      EXPECT_TRUE(launcher.calls.isEmpty());
    }
    EXPECT_EQ(app.ends, 1);
  }
}

TEST_F(Leave, TheQuestionsExitByTheSameRule) {
  // After the first test the continue question raises the number to 2: no
  // hand-over from 直續測驗 with 803 at 2.
  Up({{803, "2"}, {306, "2"}, {149, "0"}}).Command3->click();
  plat::forms::get<直續測驗>().Command2->click();
  EXPECT_TRUE(launcher.calls.isEmpty());
  EXPECT_EQ(app.ends, 1);
  // After the third test the end question hands over.
  Up({{803, "2"}, {306, "2"}, {307, "1"}, {149, "0"}}, 3).Command3->click();
  plat::forms::get<是否結束>().Command2->click();
  ExpectStarted(ProgramFile("Tallisk"), record + u',' + common::SettingsBase.get());
  EXPECT_EQ(app.ends, 1);
}

TEST_F(Leave, ExitCleansUpTheWorkFilesWhenSetting149IsOn) {
  for (const char* s149 : {"0", "1"}) {
    SCOPED_TRACE(s149);
    成績單& s = Up({{149, s149}, {306, "1"}, {307, "0"}});
    const QStringList files = WorkFiles();
    s.Command3->click();
    EXPECT_EQ(app.ends, 1);
    for (const QString& f : files) EXPECT_EQ(QFileInfo::exists(f), QString(s149) == "0") << f.toStdString();
    EXPECT_TRUE(QFileInfo::exists(ProgramFile("Tavrel.Ini")));
    EXPECT_TRUE(QFileInfo::exists(ProgramFile("Tavrel")));
  }
}

TEST_F(Leave, ScoreAndResultFilesStayWhenTheirDeliveryFailed) {
  // Copy asked for, but there is no folder to copy to.
  成績單& s = Up({{149, "1"}, {306, "1"}, {307, "0"}, {908, "1"}, {5999, "0"}});
  ASSERT_TRUE(scorer::DeliveryOutstanding());
  const QStringList files = WorkFiles();
  s.Command3->click();
  EXPECT_EQ(app.ends, 1);
  for (const QString& f : files) {
    const bool scoreOrResult = f.endsWith(".R01") || f.endsWith(".S01") || f.endsWith(".Sco");
    EXPECT_EQ(QFileInfo::exists(f), scoreOrResult) << f.toStdString();
  }
  QStringList log;
  plat::readTextLines(common::ErrorReportPath(), log);
  EXPECT_TRUE(log.join(u'\n').contains("score and result files kept"));
}

TEST_F(Leave, FilesHandedToTheBatchScorerAreNotDeletedUnderIt) {
  // From the sheet itself, and from the end question.
  for (const char* s307 : {"0", "1"}) {
    SCOPED_TRACE(s307);
    成績單& s = Up({{7999, "1"}, {803, "1"}, {149, "1"}, {306, "1"}, {307, s307}});
    const QStringList files = WorkFiles();
    s.Command3->click();
    if (QString(s307) == "1") plat::forms::get<是否結束>().Command2->click();
    ExpectStarted(ProgramFile("Tallisk"), record + u',' + common::SettingsBase.get());
    EXPECT_EQ(app.ends, 1);
    EXPECT_TRUE(QFileInfo::exists(record));
    EXPECT_TRUE(QFileInfo::exists(Score()));
    for (const QString& f : files) {
      const bool gone = f.contains("/Data/") || f.endsWith("CrsError.Txt");
      EXPECT_EQ(QFileInfo::exists(f), !gone) << f.toStdString();
    }
    QStringList log;
    plat::readTextLines(common::ErrorReportPath(), log);
    EXPECT_TRUE(log.join(u'\n').contains("handed to the batch scorer"));
  }
}

TEST_F(Leave, TheContactButtonFollowsTheContactSwitch) {
  for (const char* s992 : {"0", "1"}) {
    SCOPED_TRACE(s992);
    Up({{992, s992}, {306, "2"}}).Command3->click();
    EXPECT_EQ(!plat::forms::get<直續測驗>().Command3->isHidden(), QString(s992) == "1");
  }
}

TEST_F(Leave, ClosingTheSheetAsksTheEndQuestionAndClosingThatEnds) {
  成績單& s = Up({{149, "0"}});
  EXPECT_TRUE(s.Unload(plat::UnloadMode::ControlMenu));
  EXPECT_FALSE(plat::forms::exists<成績單>());
  ASSERT_TRUE(plat::forms::exists<是否結束>());
  EXPECT_TRUE(plat::forms::get<是否結束>().isVisible());
  EXPECT_EQ(app.ends, 0);
  plat::forms::get<是否結束>().Unload(plat::UnloadMode::ControlMenu);
  EXPECT_EQ(app.ends, 1);
  EXPECT_TRUE(launcher.calls.isEmpty());
}

}  // namespace
