// The set-up screen's start-up: settings, captions, the command line, the
// option groups and the particulars layout, and its small field handlers.
#include <QCheckBox>
#include <QGroupBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QRadioButton>

#include "common/errorlog.h"
#include "common/scramble.h"
#include "net/forms/frmdownload3.h"
#include "exam/record/testrecord.h"
#include "common/gui/backdrop.h"
#include "exam/run/forms/testscreen.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/imechooser.h"
#include "exam/setup/tests/setup_fixture.h"
#include "exam/setup/updown.h"
#include "testsupport/core/seams.h"

namespace setuptest {
namespace {

using setup::輸入資料表面;

class StartupTest : public SetupTest {};

TEST_F(StartupTest, LoadsTheShippedSettingsAndOffersTheSampleTest) {
  auto& s = Screen();
  EXPECT_EQ(app.ends, 0);
  EXPECT_TRUE(s.isVisible());
  EXPECT_EQ(s.Text4->text(), "10");
  EXPECT_EQ(s.UpDown1->Value(), 10);
  EXPECT_EQ(s.Text5->text(), "1");
  EXPECT_EQ(common::TestNumber.get(), 1);
  EXPECT_EQ(s.Text3->text(), root + "Data/T0001.txt");
  EXPECT_EQ(s.Label7->text(), "T0001.txt");
  EXPECT_EQ(s.Label1->text(), T(10101));
  EXPECT_EQ(s.Command1->text(), T(10111));
  EXPECT_TRUE(s.windowTitle().startsWith(common::ProductTitle.get()));
  EXPECT_TRUE(s.windowTitle().endsWith(common::MakerLine.get()));
  EXPECT_EQ(s.FormHeight(), 6420);
  // The backdrops are up and take no clicks.
  EXPECT_TRUE(plat::forms::get<common::背景>().isVisible());
  EXPECT_FALSE(plat::forms::get<common::背景>().isEnabled());
  EXPECT_FALSE(plat::forms::get<common::全螢幕黑景>().isEnabled());
  // No server: the online-scores button is hidden, advanced and volume too.
  EXPECT_TRUE(s.Command10->isHidden());
  EXPECT_TRUE(s.Command5->isHidden());
  EXPECT_TRUE(s.Command6->isHidden());
  EXPECT_FALSE(s.Command9->isHidden());
  // What the test run reads is in step with the boxes.
  EXPECT_EQ(run::SetupScreenValues().testFile, root + "Data/T0001.txt");
  EXPECT_EQ(run::SetupScreenValues().name, "王小明");
  s.Text4->setText("15");
  EXPECT_EQ(run::SetupScreenValues().minutes, "15");
}

TEST_F(StartupTest, NoSettingsFileEndsTheProgram) {
  auto& s = plat::forms::get<輸入資料表面>();
  s.Show();
  EXPECT_EQ(app.ends, 1);
  EXPECT_EQ(app.code, 1);
  EXPECT_FALSE(s.isVisible());
  ASSERT_FALSE(prompt.calls.isEmpty());
  EXPECT_TRUE(prompt.calls[0].text.contains("Tavrel.Ini"));
}

TEST_F(StartupTest, WithoutACommandLineTheNoticeEndsTheProgramWhateverTheAnswer) {
  for (plat::Answer answer : {plat::Answer::Yes, plat::Answer::No}) {
    SCOPED_TRACE(int(answer));
    setup::SetProgramArguments({});
    Set(199, "1");
    prompt.calls.clear();
    prompt.answers = {answer};
    urls.opened.clear();
    beeper.beeps = 0;
    app.ends = 0;
    app.Reset();
    auto& s = Screen();
    EXPECT_EQ(app.ends, 1);
    EXPECT_FALSE(s.isVisible());
    ASSERT_EQ(prompt.calls.size(), 1) << Messages().join("|").toStdString();
    EXPECT_EQ(prompt.calls[0].text, T(10177) + "\n" + T(10178));
    EXPECT_EQ(prompt.calls[0].title, T(10179));
    EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::YesNo);
    if (answer == plat::Answer::Yes) {
      ASSERT_EQ(urls.opened.size(), 1);
      EXPECT_EQ(urls.opened[0].toString(), "http://www.example.org/");
      EXPECT_EQ(beeper.beeps, 1);
    } else {
      EXPECT_TRUE(urls.opened.isEmpty());
    }
    plat::FormRegistry::DestroyAll();
    settings.clear();
  }
}

TEST_F(StartupTest, WithoutACommandLineLeftOverAnswerFilesGoAndTheReportStartsAfresh) {
  setup::SetProgramArguments({});
  for (const char* f : {"~T000001.txt", "~T999999.TXT", "~T000002.ttt", "other.txt"})
    ASSERT_TRUE(plat::writeBytesAtomic(root + "tmp/" + f, "x"));
  common::WriteErrorLog("an earlier run");
  Screen();
  EXPECT_EQ(app.ends, 0);
  EXPECT_FALSE(QFile::exists(root + "tmp/~T000001.txt"));
  EXPECT_FALSE(QFile::exists(root + "tmp/~T999999.TXT"));
  EXPECT_TRUE(QFile::exists(root + "tmp/~T000002.ttt"));
  EXPECT_TRUE(QFile::exists(root + "tmp/other.txt"));
  QStringList report;
  ASSERT_TRUE(plat::readTextLines(common::ErrorReportPath(), report));
  EXPECT_FALSE(report.join("\n").contains("an earlier run"));

  // With 204 = 0 nothing is deleted.
  plat::FormRegistry::DestroyAll();
  ASSERT_TRUE(plat::writeBytesAtomic(root + "tmp/~T000001.txt", "x"));
  Set(204, "0");
  Screen();
  EXPECT_TRUE(QFile::exists(root + "tmp/~T000001.txt"));
}

TEST_F(StartupTest, ParticularsFromTheCommandLine) {
  auto& s = Screen();
  EXPECT_EQ(s.Text1->text(), "王小明");
  EXPECT_EQ(s.Text2->text(), "A123456789");
  EXPECT_EQ(s.Text6A->text(), "1990");
  EXPECT_EQ(s.Text6B->text(), "05");
  EXPECT_EQ(s.Text6C->text(), "03");
  EXPECT_TRUE(s.Text1->isEnabled());
  plat::FormRegistry::DestroyAll();

  // 197 = 1 locks what came in, an identity number that fails its check
  // digit too; a field 2 that is no date leaves the boxes empty, and open:
  // the launcher gave no birthday.
  setup::SetProgramArguments({"李四,B223456789,not a date"});
  Set(197, "1");
  auto& t = Screen();
  EXPECT_EQ(t.Text1->text(), "李四");
  EXPECT_TRUE(t.Text6A->text().isEmpty());
  EXPECT_TRUE(t.Text6C->text().isEmpty());
  for (QLineEdit* e : {t.Text1, t.Text2}) EXPECT_FALSE(e->isEnabled());
  for (QLineEdit* e : {t.Text6A, t.Text6B, t.Text6C}) EXPECT_TRUE(e->isEnabled());
  EXPECT_TRUE(t.Text6->isEnabled());
  plat::FormRegistry::DestroyAll();

  // Two commas only: three empty fields.
  setup::SetProgramArguments({",,"});
  settings.clear();
  auto& u = Screen();
  EXPECT_TRUE(u.Text1->text().isEmpty());
  EXPECT_TRUE(u.Text2->text().isEmpty());
  EXPECT_EQ(app.ends, 0);
}

class CommandRecordTest : public StartupTest {
 protected:
  // A record of test 2 of a series, as the test program writes it.
  QString WriteRecord() {
    rec::TestRecordFields f;
    f.testFile = root + "Data/T0001.txt";
    f.recordPath = root + "tmp/~T032707.txt";
    f.scoreFile = root + "T0001.R01";
    f.name = "陳大文";
    f.birthday = "1988/12/1";
    f.identity = "C123456789";
    f.classSeat = "三年甲班 12 號";
    f.testCount = "2";
    f.testMinutes = "12";
    f.systemAttributes = "0,1,0,1,2,1,1,3,0";
    const QString path = root + "tmp/~T032707.txt";
    EXPECT_TRUE(rec::WriteRecordLines(path, rec::BuildRecordLines(f).lines, false));
    return path;
  }
};

TEST_F(CommandRecordTest, TheRecordOfThePreviousTestFillsTheScreen) {
  const QString record = WriteRecord();
  setup::SetProgramArguments({record + "," + root + "T0001.R01"});
  auto& s = Screen();
  EXPECT_EQ(s.Text1->text(), "陳大文");
  EXPECT_EQ(s.Text2->text(), "C123456789");
  EXPECT_EQ(s.Text6A->text(), "1988");
  EXPECT_EQ(s.Text6B->text(), "12");
  EXPECT_EQ(s.Text6C->text(), "01");
  EXPECT_EQ(s.Text6->text(), "三年甲班 12 號");
  EXPECT_EQ(s.Text4->text(), "12");
  EXPECT_EQ(s.Text3->text(), root + "Data/T0001.txt");
  EXPECT_EQ(rec::testRecordModule().ScoreFileName({}), root + "T0001.R01");
  EXPECT_EQ(common::TestNumber.get(), 3);
  s.OnActivated();
  EXPECT_EQ(s.Text5->text(), "3");
}

TEST_F(CommandRecordTest, TheScorersRestartReadsTheRecordAndStartsTheSeriesOver) {
  const QString record = WriteRecord();
  setup::SetProgramArguments({record + "," + root + "T0001.R01,123"});
  auto& s = Screen();
  // No path lands in the particulars.
  EXPECT_EQ(s.Text1->text(), "陳大文");
  EXPECT_EQ(s.Text2->text(), "C123456789");
  EXPECT_EQ(s.Text5->text(), "1");
  EXPECT_EQ(common::TestNumber.get(), 1);
  EXPECT_EQ(rec::testRecordModule().ScoreFileName({}), root + "T0001.R01");
}

TEST_F(CommandRecordTest, AMissingRecordIsReportedAndTheScreenStillComesUp) {
  setup::SetProgramArguments({root + "tmp/~T000000.txt"});
  auto& s = Screen();
  EXPECT_EQ(app.ends, 0);
  EXPECT_TRUE(s.isVisible());
  ASSERT_FALSE(prompt.calls.isEmpty());
  EXPECT_TRUE(s.Text1->text().isEmpty());
}

TEST_F(StartupTest, LayoutStringPlacesAndHidesTheRows) {
  auto& s = Screen();  // the default "12341110"
  EXPECT_EQ(s.Geometry(s.Text1).top, 150);
  EXPECT_EQ(s.Geometry(s.Label1).top, 200);
  EXPECT_EQ(s.Geometry(s.Text6A).top, 650);
  EXPECT_EQ(s.Geometry(s.Label8).top, 700);
  EXPECT_EQ(s.Geometry(s.Label9).top, 800);
  EXPECT_EQ(s.Geometry(s.Text2).top, 1150);
  EXPECT_EQ(s.Geometry(s.Label2).top, 1200);
  EXPECT_EQ(s.Geometry(s.Text6).top, 1650);
  EXPECT_TRUE(s.Text6->isHidden());
  EXPECT_TRUE(s.Label10->isHidden());
  EXPECT_FALSE(s.Text2->isHidden());
  EXPECT_TRUE(s.RowHidden(4));
  plat::FormRegistry::DestroyAll();

  Set(915, "31241111");
  auto& t = Screen();
  EXPECT_EQ(t.Geometry(t.Text2).top, 80);
  EXPECT_EQ(t.Geometry(t.Text1).top, 480);
  EXPECT_EQ(t.Geometry(t.Text6B).top, 880);
  EXPECT_EQ(t.Geometry(t.Text6).top, 1280);
  EXPECT_FALSE(t.Text6->isHidden());
  plat::FormRegistry::DestroyAll();

  settings.clear();
  Set(915, "12340000");
  Set(917, "1");
  auto& u = Screen();
  EXPECT_EQ(u.Geometry(u.Text1).top, 400);
  for (QWidget* w : {static_cast<QWidget*>(u.Text1), static_cast<QWidget*>(u.Text6A),
                     static_cast<QWidget*>(u.Label9), static_cast<QWidget*>(u.Text2), static_cast<QWidget*>(u.Text6)})
    EXPECT_TRUE(w->isHidden());
  EXPECT_EQ(common::Setting917.get(), 0);
  plat::FormRegistry::DestroyAll();

  // Seven characters: the design's places, and the check stays on.
  settings.clear();
  Set(915, "1234111");
  Set(917, "1");
  auto& v = Screen();
  EXPECT_EQ(v.Geometry(v.Text1).top, 150);
  EXPECT_EQ(v.Geometry(v.Text6).top, 1650);
  EXPECT_FALSE(v.Text6->isHidden());
  EXPECT_EQ(common::Setting917.get(), 1);
}

TEST_F(StartupTest, CustomCaptionsOfTheIdentityAndClassRows) {
  Set(918, "[學號：|學號]");
  Set(916, "[組別：]");
  auto& s = Screen();
  EXPECT_EQ(s.Label2->text(), "學號：");
  EXPECT_EQ(s.Text2->toolTip(), "學號：");
  EXPECT_EQ(s.Label10->text(), "");  // no "|": no caption
}

TEST_F(StartupTest, BirthdayRowRemovedBy932) {
  Set(932, "9");
  auto& s = Screen();
  for (QWidget* w : {static_cast<QWidget*>(s.Label8), static_cast<QWidget*>(s.Label9),
                     static_cast<QWidget*>(s.Text6A), static_cast<QWidget*>(s.Text6C)})
    EXPECT_TRUE(w->isHidden());
  EXPECT_EQ(s.Geometry(s.Label2).top, 650);
  EXPECT_EQ(s.Geometry(s.Text2).top, 600);
}

TEST_F(StartupTest, ScoreDestinationGroupBy908) {
  struct Case {
    int value;
    bool check1, check2, cmd7, cmd8, checks, frame;
  } const cases[] = {
      {0, false, false, true, true, true, true},  {1, true, false, true, false, true, true},
      {2, false, true, false, true, true, true},  {3, false, false, false, false, false, false},
      {6, true, true, true, true, true, true},    {7, true, true, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    settings.clear();
    Set(908, QString::number(c.value));
    auto& s = Screen();
    EXPECT_EQ(s.Check1->isChecked(), c.check1);
    EXPECT_EQ(s.Check2->isChecked(), c.check2);
    EXPECT_EQ(s.Command7->isEnabled(), c.cmd7);
    EXPECT_EQ(s.Command8->isEnabled(), c.cmd8);
    EXPECT_EQ(s.Check1->isEnabled(), c.checks);
    EXPECT_EQ(s.Frame4->isEnabled(), c.frame);
    plat::FormRegistry::DestroyAll();
  }
  // 9: both unticked, their enabled state as it was (the box ticked by hand
  // keeps its button).
  settings.clear();
  Set(908, "9");
  auto& s = Screen();
  EXPECT_FALSE(s.Check1->isChecked());
  EXPECT_FALSE(s.Check2->isChecked());
  EXPECT_TRUE(s.Check1->isEnabled());
  s.SetCheckValue(s.Check1, true);
  EXPECT_TRUE(s.Command7->isEnabled());
  s.GetKeyNetBox2();
  EXPECT_FALSE(s.Check1->isChecked());
  EXPECT_FALSE(s.Command7->isEnabled());  // the untick ran the box's click
}

TEST_F(StartupTest, ManuscriptAndFloppyGroups) {
  struct Case {
    int setting, number;
    bool first, enabled, visible;
  } const cases[] = {
      {305, 1, true, true, true},   {305, 2, false, true, true},  {305, 3, true, false, true},
      {305, 4, false, false, true}, {305, 5, true, false, false}, {305, 6, false, false, false},
      {305, 0, true, true, true},   {305, 7, true, true, true},
      {904, 0, true, true, true},   {904, 1, false, true, true},  {904, 3, false, false, true},
      {904, 4, true, false, true},  {904, 6, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("%1=%2").arg(c.setting).arg(c.number).toStdString());
    settings.clear();
    Set(c.setting, QString::number(c.number));
    auto& s = Screen();
    QRadioButton* first = c.setting == 305 ? s.Option1 : s.Option3;
    QGroupBox* frame = c.setting == 305 ? s.Frame1 : s.Frame2;
    EXPECT_EQ(first->isChecked(), c.first);
    EXPECT_EQ(frame->isEnabled(), c.enabled);
    EXPECT_EQ(!frame->isHidden(), c.visible);
    plat::FormRegistry::DestroyAll();
  }
}

TEST_F(StartupTest, ShowingNoManuscriptAsksForThePaper) {
  auto& s = Screen();
  EXPECT_TRUE(s.Label6->isHidden());
  s.SetOptionValue(s.Option2);
  EXPECT_FALSE(s.Label6->isHidden());
  EXPECT_FALSE(s.Label7->isHidden());
  s.SetOptionValue(s.Option1);
  EXPECT_TRUE(s.Label7->isHidden());
}

TEST_F(StartupTest, VoiceSpeedHelpAndResultsButtons) {
  Set(701, "2");
  Set(706, "1");
  Set(978, "1");
  Set(9151, "1");
  auto& s = Screen();
  EXPECT_FALSE(s.Frame3->isHidden());
  EXPECT_FALSE(s.Command11->isHidden());
  EXPECT_TRUE(s.Command10->isEnabled());
  EXPECT_FALSE(s.Command10->isHidden());
  plat::FormRegistry::DestroyAll();
  settings.clear();
  Set(989, "4312000001010");  // digit 11 would enable it ...
  Set(9151, "0");             // ... 9151 overrides
  auto& t = Screen();
  EXPECT_TRUE(t.Frame3->isHidden());
  EXPECT_FALSE(t.Command10->isEnabled());
}

TEST_F(StartupTest, TestTimeLockedBy903) {
  Set(903, "0");
  Set(201, "20");
  auto& s = Screen();
  EXPECT_EQ(s.Text4->text(), "20");
  EXPECT_FALSE(s.Text4->isEnabled());
  EXPECT_FALSE(s.UpDown1->isEnabled());
  EXPECT_FALSE(s.Label4->isEnabled());
}

TEST_F(StartupTest, WebPanelModes) {
  Set(980, "2");
  Set(981, "NOTE/panel.htm");
  QDir().mkpath(root + "NOTE");
  ASSERT_TRUE(plat::writeBytesAtomic(root + "NOTE/panel.htm", plat::toCp950(u"<p>考場公告</p>")));
  auto& s = Screen();
  EXPECT_EQ(s.FormHeight(), 4850);
  EXPECT_FALSE(s.WebBrowser2->isHidden());
  EXPECT_TRUE(s.WebBrowser2->toPlainText().contains("考場公告"));
  EXPECT_EQ(s.Geometry(s.WebBrowser2).top, 2750);
  // Not at 1780, over the floppy options (1250 to 1950): just below them.
  EXPECT_EQ(s.Geometry(s.Command1).top, 2050);
  EXPECT_EQ(s.Geometry(s.Command9).top, 4050);
  EXPECT_EQ(s.Geometry(s.Text4).top, 1600);
  EXPECT_EQ(s.Geometry(s.Text5).top, 2050);
  EXPECT_FALSE(s.Text4->isEnabled());
  EXPECT_TRUE(s.Text3->isHidden());
  EXPECT_TRUE(s.Command4->isHidden());
  // With the manuscript off the paper line stays hidden in this mode.
  s.SetOptionValue(s.Option2);
  EXPECT_TRUE(s.Label6->isHidden());
  plat::FormRegistry::DestroyAll();

  settings.clear();
  Set(980, "1");
  Set(981, "http://exam.example.org/notice?a=1&b=2");
  auto& t = Screen();
  EXPECT_EQ(t.FormHeight(), 7750);
  EXPECT_TRUE(t.WebBrowser2->toHtml().contains("exam.example.org"));
  EXPECT_TRUE(urls.opened.isEmpty());  // a link to follow, nothing opened by itself
}

TEST_F(StartupTest, DownloadWindowFieldsFromTheSettings) {
  seams.Set(plat::SetModalDriver, [](plat::Form& f) { f.Hide(); });
  setup::DownloadFields() = {};
  Set(981, "http://exam.example.org/notice.htm");
  Set(988, "312");
  Set(985, "/tests");
  int refreshed = 0;
  setup::setupHooks().RefreshNoteSettings = [&refreshed] { ++refreshed; };
  auto& s = Screen();
  setup::setupHooks().RefreshNoteSettings = nullptr;
  EXPECT_EQ(refreshed, 1);  // the note settings are refreshed once, at load
  const setup::DownloadFieldValues& d = setup::DownloadFields();
  EXPECT_EQ(d.userSetData, common::FeatureDigits.get());
  EXPECT_EQ(d.text1, "DovoRO__");  // the shipped test has audio parts
  EXPECT_EQ(d.text5, "1");
  EXPECT_EQ(d.text6, "http://exam.example.org/notice.htm");
  EXPECT_EQ(d.text13, "312");
  EXPECT_EQ(d.t6, "5568");
  EXPECT_EQ(d.text10, common::FtpServerSpec.get());
  EXPECT_EQ(d.text11, "/tests");
  // They reach the window when it first shows.
  s.Command10_Click();
  auto& w = plat::forms::get<run::FrmDownload3>();
  EXPECT_EQ(w.Text1->text(), "DovoRO__");
  EXPECT_EQ(w.Text6->text(), "http://exam.example.org/notice.htm");
  EXPECT_EQ(w.Text11->text(), "/tests");
  EXPECT_EQ(w.T6->text(), "5568");
}

TEST_F(StartupTest, DownloadWindowFieldsOfATypingOnlyTest) {
  // Without setting 985 the FTP fields are left to the window.
  setup::DownloadFields() = {};
  Set(701, "0");
  Screen();
  EXPECT_EQ(setup::DownloadFields().text1, "RudaZO__");
  EXPECT_TRUE(setup::DownloadFields().text10.isEmpty());
  EXPECT_TRUE(setup::DownloadFields().text11.isEmpty());
}

// A newer note of settings that comes while the screen is up.
class NoteTest : public StartupTest {
 protected:
  // The note as the refresh leaves it: scrambled settings lines in NOTE/.
  QString Note(const QStringList& lines) {
    QDir().mkpath(root + "NOTE");
    QByteArray bytes;
    for (const QString& l : lines) bytes += plat::toCp950(common::ToBinaryScramble(l)) + "\r\n";
    EXPECT_TRUE(plat::writeBytesAtomic(root + "NOTE/Zet.ixi", bytes));
    return root + "NOTE/Zet.ixi";
  }
  static std::vector<QWidget*> BirthdayRow(輸入資料表面& s) { return {s.Label8, s.Label9, s.Text6A, s.Text6B, s.Text6C}; }
  static bool Shown(const std::vector<QWidget*>& ws) {
    return std::all_of(ws.begin(), ws.end(), [](QWidget* w) { return !w->isHidden(); });
  }
  static bool Hidden(const std::vector<QWidget*>& ws) {
    return std::all_of(ws.begin(), ws.end(), [](QWidget* w) { return w->isHidden(); });
  }
};

TEST_F(NoteTest, ANoteBeforeStartChangesTheScreenAndKeepsWhatWasTyped) {
  QDir().mkpath(root + "NOTE");
  ASSERT_TRUE(plat::writeBytesAtomic(root + "NOTE/panel.htm", plat::toCp950(u"<p>考場公告</p>")));
  auto& s = Screen();
  const int height = s.FormHeight();
  const plat::TwipsBox label2 = s.Geometry(s.Label2), start = s.Geometry(s.Command1), minutes = s.Geometry(s.Text4);
  ASSERT_TRUE(s.WebBrowser2->isHidden());
  ASSERT_TRUE(Shown(BirthdayRow(s)));
  s.Text1->setText("王大明");
  s.Text6->setText("三年甲班 12 號");
  s.Text6A->setText("1991");
  s.SetOptionValue(s.Option2);
  auto typedKept = [&](const char* year) {
    EXPECT_EQ(s.Text1->text(), "王大明");
    EXPECT_EQ(s.Text6->text(), "三年甲班 12 號");
    EXPECT_EQ(s.Text6A->text(), year);
    EXPECT_TRUE(s.Option2->isChecked());
  };

  // The web panel comes and the birthday row goes.
  EXPECT_TRUE(s.NoteArrived(Note({"980,=1", "981,=NOTE/panel.htm", "932,=9"})));
  EXPECT_FALSE(s.WebBrowser2->isHidden());
  EXPECT_TRUE(s.WebBrowser2->toPlainText().contains("考場公告"));
  EXPECT_EQ(s.FormHeight(), 7750);
  EXPECT_TRUE(Hidden(BirthdayRow(s)));
  EXPECT_EQ(s.Geometry(s.Label2).top, 650);
  EXPECT_EQ(s.Geometry(s.Text2).top, 600);
  typedKept("1991");
  EXPECT_FALSE(s.Label6->isHidden());  // the paper line of the candidate's choice

  // And both back: the screen is the load's again, with what was typed.
  EXPECT_TRUE(s.NoteArrived(Note({"980,=0", "932,=1"})));
  EXPECT_TRUE(s.WebBrowser2->isHidden());
  EXPECT_EQ(s.FormHeight(), height);
  EXPECT_TRUE(Shown(BirthdayRow(s)));
  EXPECT_EQ(s.Geometry(s.Label2).top, label2.top);
  EXPECT_EQ(s.Geometry(s.Command1).top, start.top);
  typedKept("1991");

  // The compact layout moves, hides and locks; the next note undoes all of it.
  EXPECT_TRUE(s.NoteArrived(Note({"980,=2"})));
  EXPECT_TRUE(s.Text3->isHidden());
  EXPECT_TRUE(s.Command4->isHidden());
  EXPECT_FALSE(s.Text4->isEnabled());
  EXPECT_TRUE(s.Label6->isHidden());
  EXPECT_TRUE(s.NoteArrived(Note({"980,=0"})));
  EXPECT_FALSE(s.Text3->isHidden());
  EXPECT_FALSE(s.Command4->isHidden());
  EXPECT_TRUE(s.Text4->isEnabled());
  EXPECT_EQ(s.Geometry(s.Text4).top, minutes.top);
  EXPECT_FALSE(s.Label6->isHidden());

  // A lock the note brings shows what the launcher gave in the boxes it locks.
  EXPECT_TRUE(s.NoteArrived(Note({"197,=1"})));
  for (QLineEdit* e : {s.Text1, s.Text2, s.Text6A}) EXPECT_FALSE(e->isEnabled()) << e->objectName().toStdString();
  EXPECT_EQ(s.Text1->text(), "王小明");
  EXPECT_EQ(s.Text6A->text(), "1990");
  EXPECT_TRUE(s.Text6->isEnabled());
  EXPECT_EQ(s.Text6->text(), "三年甲班 12 號");
  EXPECT_EQ(run::SetupScreenValues().name, "王小明");
}

TEST_F(NoteTest, ANoteAfterStartIsKeptForTheNextStart) {
  const struct {
    const char* what;
    bool refused;
  } cases[] = {{"test under way", false}, {"start refused", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    settings.clear();
    Set(933, "0");
    auto& s = Screen();
    if (c.refused) s.Text1->clear();  // the shipped 901 = 1 refuses
    s.Command1_Click();
    ASSERT_EQ(plat::forms::exists<run::正式測驗>() && plat::forms::get<run::正式測驗>().isVisible(), !c.refused)
        << LastMessage().toStdString();
    const QString note = Note({"980,=1", "932,=9"});
    EXPECT_FALSE(s.NoteArrived(note));
    EXPECT_TRUE(s.WebBrowser2->isHidden());
    EXPECT_TRUE(Shown(BirthdayRow(s)));
    EXPECT_EQ(common::Setting980.get(), 0);
    EXPECT_EQ(common::Setting932.get(), 1);
    EXPECT_TRUE(QFileInfo::exists(note));
    QStringList report;
    plat::readTextLines(common::ErrorReportPath(), report);
    EXPECT_EQ(report.filter("NOTE/Zet.ixi").filter(QString("下次啟動")).size(), 1) << report.join(" | ").toStdString();
    QFile::remove(common::ErrorReportPath());
    plat::FormRegistry::DestroyAll();
  }
}

TEST_F(StartupTest, ContactButtonBySwitchAndClosingEndsTheProgram) {
  Set(992, "0");
  auto& s = Screen();
  EXPECT_TRUE(s.Command9->isHidden());
  EXPECT_EQ(app.ends, 0);
  s.close();
  EXPECT_EQ(app.ends, 1);
}

TEST_F(StartupTest, FieldHandlers) {
  auto& s = Screen();
  // The file-name label follows the test box, either separator.
  s.Text3->setText("C:\\Tests\\T0002.txt");
  EXPECT_EQ(s.Label7->text(), "T0002.txt");
  s.Text3->setText("T0003.txt");
  EXPECT_EQ(s.Label7->text(), "T0003.txt");

  // Minutes: a number beyond the up-down leaves it; its arrows write two digits.
  s.Text4->setText("5");
  EXPECT_EQ(s.UpDown1->Value(), 5);
  s.Text4->setText("150");
  EXPECT_EQ(s.UpDown1->Value(), 5);
  EXPECT_EQ(s.Text4->text(), "150");
  s.UpDown1->StepUp();
  EXPECT_EQ(s.Text4->text(), "06");
  s.Text4->clear();
  EXPECT_EQ(s.Text4->text(), "");  // an emptied box stays empty while typing
  EXPECT_EQ(s.UpDown1->Value(), 6);

  // The count: held by the series' number, only what a record can carry.
  s.Text5->setText("3");
  EXPECT_EQ(common::TestNumber.get(), 3);
  EXPECT_EQ(s.UpDown2->Value(), 3);
  s.Text5->setText("300");
  EXPECT_EQ(common::TestNumber.get(), 3);
  s.Text5->setText("-1");
  EXPECT_EQ(common::TestNumber.get(), 3);
  s.UpDown2->StepDown();
  EXPECT_EQ(s.Text5->text(), "02");
  EXPECT_EQ(common::TestNumber.get(), 2);
}

TEST_F(StartupTest, BirthdayBoxesTakeDigitsOnly) {
  auto& s = Screen();
  s.Text6A->clear();
  s.Text6A->setFocus();
  for (QString ch : {QString("1"), QString("a"), QString("/"), QString("9"), QString(" "), QString("~")}) {
    QKeyEvent e(QEvent::KeyPress, ch == "1" || ch == "9" ? Qt::Key_1 : Qt::Key_A, Qt::NoModifier, ch);
    QCoreApplication::sendEvent(s.Text6A, &e);
  }
  EXPECT_EQ(s.Text6A->text(), "19");
  for (QChar c : QString("0123456789\b\x7f中")) EXPECT_TRUE(輸入資料表面::BirthdayCharAllowed(c)) << int(c.unicode());
  for (QChar c : QString("a /:~Z")) EXPECT_FALSE(輸入資料表面::BirthdayCharAllowed(c)) << int(c.unicode());
}

}  // namespace
}  // namespace setuptest
