// The entry form: the command line, the no-arguments notice, the list of
// stored records, the pick buttons, the credits keys.
#include "scorer_fixture.h"

#include <QApplication>
#include <QKeyEvent>

#include "common/errorlog.h"
#include "common/workfolders.h"

namespace {

using namespace scorertest;
using scorer::Form3;
using scorer::輸入資料;

class Entry : public ScorerFixture {
 protected:
  輸入資料& Start(const QString& line) {
    scorer::SetCommandLine(line);
    輸入資料& f = plat::forms::get<輸入資料>();
    f.Show();
    return f;
  }
  void Key(QWidget* w, Qt::Key key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
};

TEST_F(Entry, TheCommandLineNamesTheRecordAndTheProgramToStartAgain) {
  const QString base = ProgramFile("Tavrel");
  const QString record = WriteRecord();
  struct Case {
    QString line;
    QString tfile;
    QString settingsBase;
  } cases[] = {
      // No comma: the whole line is the record; the settings file is found
      // in the program folder, and its base stored.
      {record, record, base},
      {record + "," + base, record, base},
      // An empty part 1 stores nothing; part 2 and on are not used.
      {record + ",,/x/other", record, base},
      {record + "," + base + ",a,b,c,d,e,f,g,h,i,j,k,l", record, base},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.toStdString());
    plat::FormRegistry::DestroyAll();
    common::ResetCommonState();
    common::ProgramFolder.set(program.path() + u'/');
    輸入資料& f = Start(c.line);
    EXPECT_EQ(f.TFILE->text(), c.tfile);
    EXPECT_EQ(common::SettingsBase.get(), c.settingsBase);
    EXPECT_FALSE(f.isEnabled());
    EXPECT_TRUE(plat::forms::exists<Form3>());  // it took the run
  }
  EXPECT_EQ(app.ends, 0);
}

TEST_F(Entry, AFolderTheScoreCannotGoToIsSaidAndTheScoringGoesOn) {
  const QString record = WriteRecord();
  qputenv("TMP", "/proc");  // takes no file
  輸入資料& f = Start(record);
  // First the folder; what the scoring then cannot write it says itself.
  ASSERT_GE(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.startsWith(common::ScorerFolderLead()));
  EXPECT_TRUE(prompt.calls[0].text.contains("暫存資料夾:/proc")) << prompt.calls[0].text.toStdString();
  EXPECT_EQ(f.TFILE->text(), record);
  EXPECT_TRUE(plat::forms::exists<Form3>());
  EXPECT_EQ(app.ends, 0);
}

TEST_F(Entry, AMissingSettingsFileEndsTheProgram) {
  QFile::remove(ProgramFile("Tavrel.Ini"));
  Start(QStringLiteral("/r/~T1.txt,") + ProgramFile("Tavrel"));
  EXPECT_EQ(app.ends, 1);
  EXPECT_EQ(app.code, 1);
  EXPECT_FALSE(plat::forms::exists<Form3>());
}

TEST_F(Entry, WithoutArgumentsTheNoticeOffersTheWebPageAndTheProgramEnds) {
  IniLines({{199, "1"}});
  for (plat::Answer answer : {plat::Answer::Yes, plat::Answer::No}) {
    SCOPED_TRACE(int(answer));
    plat::FormRegistry::DestroyAll();
    app.Reset();
    app.ends = 0;
    prompt.calls.clear();
    desktop.opened.clear();
    beeper.beeps = 0;
    prompt.answers = {answer};
    Start(QString());
    ASSERT_EQ(prompt.calls.size(), 1);
    const plat::PromptCall& box = prompt.calls.first();
    EXPECT_EQ(box.text, common::SystemIniValue(12306).asText() + "\r\n" + common::SystemIniValue(12307).asText());
    EXPECT_EQ(box.title, common::SystemIniValue(12308).asText());
    EXPECT_EQ(box.buttons, plat::Buttons::YesNo);
    EXPECT_EQ(box.icon, plat::Icon::Exclamation);
    if (answer == plat::Answer::Yes) {
      ASSERT_EQ(desktop.opened.size(), 1);
      EXPECT_EQ(desktop.opened.first(), QUrl(common::SystemIniValue(198).asText()));
      EXPECT_EQ(beeper.beeps, 1);
    } else {
      EXPECT_TRUE(desktop.opened.isEmpty());
    }
    EXPECT_EQ(app.ends, 1);
    EXPECT_EQ(app.code, 0);
  }
}

TEST_F(Entry, WithoutArgumentsAndTheNoticeOffTheStoredRecordsAreListed) {
  IniLines({{199, "0"}});
  const QString second = WriteRecord(QStringLiteral("~T050000.txt"), 2);
  const QString first = WriteRecord(QStringLiteral("~T040000.txt"), 1);
  Touch(temp.filePath("~Tnot-a-record.dat"));
  輸入資料& f = Start(QString());
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_TRUE(f.isEnabled());
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.windowTitle(), common::SystemIniValue(12300).asText());
  EXPECT_EQ(f.Command7->text(), common::SystemIniValue(12304).asText());
  ASSERT_EQ(f.Combo1->count(), 2);
  EXPECT_EQ(f.Combo1->itemText(0), "T0001.txt-" + work.filePath("A123456789.R01") + "-王小明-A123456789-1-~T040000.txt");
  EXPECT_EQ(f.Combo1->itemData(0).toString(), first);
  EXPECT_EQ(f.Combo1->itemData(1).toString(), second);
  EXPECT_EQ(f.TFILE->text(), first);
  EXPECT_TRUE(QFileInfo::exists(common::ErrorReportPath()));  // a fresh error report
  EXPECT_EQ(app.ends, 0);
  EXPECT_FALSE(plat::forms::exists<Form3>());
}

TEST_F(Entry, TheProgramFolderListsOnlyItsFirstRecord) {
  IniLines({{199, "0"}});
  for (const char* n : {"~T040000.txt", "~T-dash-1.txt"}) {
    WriteRecord(QString::fromLatin1(n));
    ASSERT_TRUE(QFile::rename(temp.filePath(n), ProgramFile(n)));
  }
  輸入資料& f = Start(QString());
  ASSERT_EQ(f.Combo1->count(), 1);
  EXPECT_TRUE(f.Combo1->itemText(0).endsWith("-~T-dash-1.txt"));
  EXPECT_EQ(f.TFILE->text(), ProgramFile("~T-dash-1.txt"));
  // Choosing it opens it where it is, whole name and all.
  f.TFILE->clear();
  f.Combo1_Click(0);
  EXPECT_EQ(f.TFILE->text(), ProgramFile("~T-dash-1.txt"));
}

TEST_F(Entry, NoStoredRecordLeavesTheFormEmpty) {
  IniLines({{199, "0"}});
  輸入資料& f = Start(QString());
  EXPECT_EQ(f.Combo1->count(), 0);
  EXPECT_TRUE(f.TFILE->text().isEmpty());
  EXPECT_TRUE(f.isVisible());
}

TEST_F(Entry, PickButtonsFillTheirBoxesAndACancelKeepsTheRecordName) {
  IniLines({{199, "0"}});
  輸入資料& f = Start(QString());
  f.TFILE->setText(temp.filePath("~T1.txt"));
  prompt.files = {QString(), "/x/answer.txt", QString(), "/x/score.R01"};
  f.Command2_Click();  // cancelled: the name the dialog was given
  EXPECT_EQ(f.TFILE->text(), temp.filePath("~T1.txt"));
  f.Command1_Click();
  EXPECT_EQ(f.SFILE->text(), "/x/answer.txt");
  f.SFILE->setText("kept?");
  f.Command1_Click();  // cancelled: empty
  EXPECT_TRUE(f.SFILE->text().isEmpty());
  f.Command3_Click();
  EXPECT_EQ(f.FFILE->text(), "/x/score.R01");
}

TEST_F(Entry, RunScoringNeedsAllThreeFiles) {
  IniLines({{199, "0"}});
  const QString record = WriteRecord();
  輸入資料& f = Start(QString());
  const QString answer = work.filePath("answer.txt"), score = work.filePath("score.R01");
  Touch(answer);
  f.SFILE->setText(answer);
  f.TFILE->setText(record);
  f.FFILE->setText(work.filePath("missing.R01"));
  f.Command7_Click();
  EXPECT_FALSE(plat::forms::exists<Form3>());
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(prompt.calls.isEmpty());  // nothing is said
  Touch(score);
  f.FFILE->setText(score);
  f.Command7_Click();
  EXPECT_FALSE(f.isVisible());
  ASSERT_TRUE(plat::forms::exists<Form3>());
  EXPECT_TRUE(plat::forms::get<Form3>().isVisible());
  EXPECT_EQ(scoring::ScoreState(), 99);
}

TEST_F(Entry, F11OnTheRecordBoxAndF12ElsewhereShowTheCredits) {
  IniLines({{199, "0"}});
  輸入資料& f = Start(QString());
  struct Case {
    QWidget* w;
    Qt::Key key;
    int shows;
  } cases[] = {
      {f.TFILE, Qt::Key_F11, 1},    {f.TFILE, Qt::Key_F12, 0},   {f.SFILE, Qt::Key_F12, 1},
      {f.FFILE, Qt::Key_F12, 1},    {f.Command1, Qt::Key_F12, 1}, {f.Command2, Qt::Key_F12, 1},
      {f.Command3, Qt::Key_F12, 1}, {&f, Qt::Key_F12, 1},         {f.SFILE, Qt::Key_F11, 0},
      {f.Command7, Qt::Key_F12, 0}, {f.Combo1, Qt::Key_F12, 0},   {f.SFILE, Qt::Key_F10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w->objectName().toStdString() + " " + std::to_string(c.key));
    credits = 0;
    Key(c.w, c.key);
    EXPECT_EQ(credits, c.shows);
  }
}

TEST_F(Entry, EndEndsAtOnce) {
  IniLines({{199, "0"}});
  輸入資料& f = Start(QString());
  f.Command8->click();
  EXPECT_EQ(app.ends, 1);
}

}  // namespace
