// The test screen's companions: the processing screen's hand-over, the
// countdown and its file poll, the pause dialog's layouts, the volume test.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QRadioButton>

#include "common/errorlog.h"
#include "common/workfolders.h"
#include "exam/run/forms/countdown.h"
#include "exam/run/forms/pausedialog.h"
#include "net/forms/frmdownload3.h"
#include "common/settings.h"
#include "platform/gui/twips.h"
#include "exam/run/forms/tests/run_fixture.h"
#include "exam/run/forms/volumetest.h"
#include "exam/record/testrecord.h"
#include "testsupport/core/fulldisk.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/layoutfaults.h"
#include <functional>

namespace runtest {
namespace {

using run::處理下;

QStringList LogLines() {
  QStringList lines;
  plat::readTextLines(common::ErrorReportPath(), lines);
  return lines;
}

int IndexOfLine(const QStringList& lines, const QString& part, int from = 0) {
  for (int i = from; i < lines.size(); ++i)
    if (lines[i].contains(part)) return i;
  return -1;
}

// ---------------------------------------------------------------------------
// Processing screen

class ProcessingTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    LoadText(0);
    NameRecord();
    common::TestRunState.set(8);
    rec::testRecordModule().SetTestTimes(36000, 36600);
  }
};

TEST_F(ProcessingTest, WritesOnceStartsTheScorerAndEnds) {
  處理下& p = plat::forms::get<處理下>();
  p.Show();
  sched.Advance(21 * 300);
  EXPECT_EQ(p.Counter, 21);
  EXPECT_FALSE(QFileInfo::exists(recordPath));
  EXPECT_EQ(p.Label1->text(), "處理中");
  sched.Advance(300);  // tick 22: the hand-over
  EXPECT_EQ(p.Counter, 40);
  EXPECT_TRUE(QFileInfo::exists(recordPath));
  EXPECT_TRUE(launcher.calls.isEmpty());
  sched.Advance(11 * 300);  // ticks 23 to 33
  EXPECT_EQ(p.Counter, 51);
  EXPECT_EQ(app.ends, 0);
  sched.Advance(300);  // tick 34: the end
  EXPECT_EQ(p.Label1->text(), "測驗結束");
  EXPECT_EQ(p.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls[0].arguments, QStringList({recordPath + "," + root + "Tavrel"}));
  EXPECT_EQ(launcher.calls[0].style, plat::WindowStyle::MinimizedFocus);
  EXPECT_EQ(app.ends, 1);
  EXPECT_EQ(common::TestRunState.get(), 9);
  const QStringList log = LogLines();
  const int end = IndexOfLine(log, "交給評分程式");
  ASSERT_GE(end, 0);
  EXPECT_GT(IndexOfLine(log, "0<NetLinkStatus ", end), end);
  EXPECT_FALSE(plat::forms::exists<run::FrmDownload3>() && plat::forms::get<run::FrmDownload3>().isVisible());
  // Nothing runs after the end.
  sched.Advance(5000);
  EXPECT_EQ(launcher.calls.size(), 1);
}

TEST_F(ProcessingTest, WaitsForTheDownloadWindowWhenTheLinkIsUp) {
  auto& dl = plat::forms::get<run::FrmDownload3>();
  dl.NetLinkStatus = 2;
  plat::forms::get<處理下>().Show();
  sched.Advance(34 * 300);
  EXPECT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(dl.UserSw, 1);
  EXPECT_TRUE(dl.isVisible());
  EXPECT_EQ(dl.windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(app.ends, 0);
  EXPECT_GE(IndexOfLine(LogLines(), "2<NetLinkStatus "), 0);
  sched.Advance(3000);
  EXPECT_EQ(app.ends, 0);
  dl.Hide();  // the download window finished the link's work
  sched.Advance(300);
  EXPECT_EQ(app.ends, 1);
}

TEST_F(ProcessingTest, AMissingScorerIsReportedWithTheRecordsPathAndTheProgramEnds) {
  launcher.result = false;
  plat::forms::get<處理下>().Show();
  sched.Advance(34 * 300);
  EXPECT_EQ(app.ends, 1);
  ASSERT_FALSE(prompt.calls.isEmpty());
  EXPECT_TRUE(prompt.calls.last().text.contains(recordPath)) << prompt.calls.last().text.toStdString();
  EXPECT_TRUE(prompt.calls.last().text.contains(QStringLiteral("找不到檔案(無法啟動 ")))
      << prompt.calls.last().text.toStdString();
  EXPECT_TRUE(QFileInfo::exists(recordPath));
  EXPECT_GE(IndexOfLine(LogLines(), "StartScorer"), 0);
}

// The proctor at the box: frees the disk when asked to, as a person would
// before pressing "try again".
class ProctorPrompt : public plat::FakePrompt {
 public:
  int Choose(const QString& text, const QString& title, const QStringList& choices, plat::Icon icon) override {
    shownChoices = choices;
    if (atBox) atBox();
    const int answer = FakePrompt::Choose(text, title, choices, icon);
    if (answer == 0 && freeDisk) freeDisk();
    return answer;
  }
  std::function<void()> freeDisk;
  std::function<void()> atBox;
  QStringList shownChoices;
};

// The temporary folder on a full disk at the hand-over: the typed text is
// kept until a record is written whole, or the proctor says twice to go on
// without one.
TEST_F(ProcessingTest, ARecordTheFullTemporaryFolderRefusesWaitsForTheProctor) {
  struct Case {
    const char* what;
    QList<int> choices;            // 0 try again, 1 another folder, 2 without
    QStringList folders;           // the folder dialog's answers ("Data" is the data folder)
    QList<plat::Answer> confirms;  // the second question's answers
    const char* keptIn;            // "tmp", "Data", or "" for no record
  } const cases[] = {
      {"freed, then tried again", {0}, {}, {}, "tmp"},
      {"another folder", {1}, {"Data"}, {}, "Data"},
      {"the dialog cancelled, then another folder", {1, 1}, {"", "Data"}, {}, "Data"},
      // The scorer's command line would be cut at the ",": refused, and asked again.
      {"a folder with a comma, then another", {1, 1}, {"USB,exam", "Data"}, {}, "Data"},
      {"without, not sure, then freed", {2, 0}, {}, {plat::Answer::No}, "tmp"},
      {"without, and sure", {2}, {}, {plat::Answer::Yes}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing_support::FullDisk disk;
    ASSERT_TRUE(disk.Ok());
    SCOPED_TRACE(disk.Kind().toStdString());
    ProctorPrompt proctor;
    seams.Set(plat::SetPrompt, &proctor);
    proctor.choices = c.choices;
    for (const QString& f : c.folders) {
      if (!f.isEmpty()) {
        ASSERT_TRUE(QDir().mkpath(root + f));
      }
      proctor.folders << (f.isEmpty() ? QString() : root + f);
    }
    proctor.answers = c.confirms;
    proctor.freeDisk = [&disk] { disk.Free(); };
    launcher.calls.clear();
    app.ends = 0;
    app.Reset();
    QFile::remove(common::ErrorReportPath());
    rec::testRecordModule().lines.AnswerLines[0] = QStringLiteral("考生打的字");

    處理下& p = plat::forms::get<處理下>();
    const QString name = QFileInfo(recordPath).fileName();
    const QString onFullDisk = disk.Path() + u'/' + name;
    p.Text1->setText(onFullDisk);
    ASSERT_TRUE(disk.Fill());
    p.Show();
    sched.Advance(34 * 300);

    // The box named the folder and the system's reason.
    ASSERT_FALSE(proctor.calls.isEmpty()) << LogLines().join(u'\n').toStdString();
    const QString box = proctor.calls[0].text;
    EXPECT_TRUE(box.contains(disk.Path() + QStringLiteral("\r\n原因:"))) << box.toStdString();
    EXPECT_TRUE(box.contains(plat::systemReason(ENOSPC)))
        << box.toStdString();
    EXPECT_TRUE(box.contains(QStringLiteral("原因:磁碟空間不足"))) << box.toStdString();
    EXPECT_EQ(proctor.shownChoices, (QStringList{"再試一次", "存到別的資料夾", "不存記錄"}));
    EXPECT_TRUE(proctor.choices.isEmpty() && proctor.folders.isEmpty() && proctor.answers.isEmpty());
    for (const QString& f : c.folders) {
      if (!f.contains(u',')) continue;
      EXPECT_TRUE(QDir(root + f).isEmpty());
      int told = 0;
      for (const plat::PromptCall& call : proctor.calls)
        if (call.text.contains(root + f) && call.text.contains(common::CommaInPathText())) ++told;
      EXPECT_EQ(told, 1);
    }

    const QStringList log = LogLines();
    const QString kept = QString::fromLatin1(c.keptIn) == "tmp"    ? onFullDisk
                         : QString::fromLatin1(c.keptIn) == "Data" ? root + "Data/" + name
                                                                   : QString();
    EXPECT_EQ(p.HandedOffRecord, kept);
    if (kept.isEmpty()) {
      EXPECT_TRUE(launcher.calls.isEmpty());
      EXPECT_FALSE(QFileInfo::exists(onFullDisk));
      EXPECT_LT(IndexOfLine(log, "儲存所有資料"), 0);
      EXPECT_LT(IndexOfLine(log, "交給評分程式"), 0);
      EXPECT_GE(IndexOfLine(log, "考場負責人確認不存測驗記錄"), 0);
      EXPECT_EQ(proctor.calls.last().buttons, plat::Buttons::YesNo);
    } else {
      rec::TestRecordContent rc;
      ASSERT_TRUE(rec::ReadTestRecordFile(kept, rc));
      EXPECT_EQ(rc.typedLines, QStringList{QStringLiteral("考生打的字")});
      ASSERT_EQ(launcher.calls.size(), 1);
      EXPECT_TRUE(launcher.calls[0].arguments.value(0).startsWith(kept + ","));
      // Saved is said once, of the record written.
      const int saved = IndexOfLine(log, "儲存所有資料");
      EXPECT_GE(saved, 0);
      EXPECT_LT(IndexOfLine(log, "儲存所有資料", saved + 1), 0);
      EXPECT_GE(IndexOfLine(log, plat::systemReason(ENOSPC)), 0);
    }
    EXPECT_EQ(app.ends, 1);
    seams.Set(plat::SetPrompt, &prompt);
    plat::FormRegistry::DestroyAll();
    rec::testRecordModule().HandOffRecordPath.clear();
  }
}

// While the record's box is up, another window taking the focus and giving
// it back does not start the timer (which would finish without the record);
// a program that ends meanwhile leaves the loop at once and hands nothing
// over.
TEST_F(ProcessingTest, WhileTheRecordBoxIsUpNothingRunsOnAndTheProgramsEndStopsTheLoop) {
  testing_support::FullDisk disk;
  ASSERT_TRUE(disk.Ok());
  ProctorPrompt proctor;
  seams.Set(plat::SetPrompt, &proctor);
  處理下& p = plat::forms::get<處理下>();
  p.Text1->setText(disk.Path() + u'/' + QFileInfo(recordPath).fileName());
  ASSERT_TRUE(disk.Fill());
  int boxes = 0;
  bool timerOnAtBox = false;
  proctor.atBox = [&] {
    if (++boxes > 1) return;
    plat::forms::get<run::FrmDownload3>().Show();
    p.Show();  // activated again after another form was
    timerOnAtBox = p.Timer1->Enabled();
    sched.Advance(30 * 300);
    plat::app().EndProgram(0);
  };
  p.Show();
  sched.Advance(22 * 300);
  EXPECT_EQ(boxes, 1);
  EXPECT_FALSE(timerOnAtBox);
  EXPECT_TRUE(p.HandedOffRecord.isEmpty());
  EXPECT_TRUE(launcher.calls.isEmpty());
  EXPECT_EQ(app.ends, 1);
  const QStringList log = LogLines();
  EXPECT_LT(IndexOfLine(log, "沒有測驗記錄,未啟動評分程式"), 0);
  EXPECT_GE(IndexOfLine(log, "程式結束,測驗記錄沒有存檔"), 0);
  seams.Set(plat::SetPrompt, &prompt);
  app.Reset();
}

TEST_F(ProcessingTest, TheUserCannotCloseItAndLosingTheFocusDoesNotStopIt) {
  處理下& p = plat::forms::get<處理下>();
  p.Show();
  sched.Advance(3000);
  p.close();
  EXPECT_FALSE(p.IsUnloaded());
  EXPECT_TRUE(p.isVisible());
  plat::forms::get<run::FrmDownload3>().Show();  // another window takes the focus
  sched.Advance(34 * 300);
  EXPECT_EQ(app.ends, 1);
  EXPECT_TRUE(QFileInfo::exists(recordPath));
}

// ---------------------------------------------------------------------------
// Countdown

class CountdownTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting705.set(0);
  }
  bool ScreenUp() { return plat::forms::exists<run::正式測驗>() && plat::forms::get<run::正式測驗>().isVisible(); }
};

TEST_F(CountdownTest, FiveSecondsWithoutPartFiles) {
  LoadText(1, {});  // audio on, no part file anywhere
  NameRecord();
  auto& w = plat::forms::get<run::FrmToWait>();
  w.Sw = 5;
  w.Show();
  EXPECT_EQ(w.Label2->text(), "5");
  EXPECT_EQ(w.ProgressBar1->maximum(), 5);
  sched.Advance(4999);
  EXPECT_FALSE(ScreenUp());
  EXPECT_EQ(w.ProgressBar1->value(), 4);
  sched.Advance(1);
  EXPECT_TRUE(ScreenUp());
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.Sw, 0);
  EXPECT_EQ(w.Label2->text(), "5");  // shown at load, not counted down
  EXPECT_EQ(beeper.beeps, 0);
}

TEST_F(CountdownTest, APartFileThereHurriesTheRest) {
  LoadText(1, {3000});
  NameRecord();
  auto& w = plat::forms::get<run::FrmToWait>();
  w.Sw = 30;
  w.Show();
  sched.Advance(7000);
  EXPECT_EQ(beeper.beeps, 0);
  sched.Advance(1000);  // the eighth tick finds part 1
  EXPECT_EQ(beeper.beeps, 1);
  EXPECT_EQ(w.Sw, 22);
  sched.Advance(22 * 160 - 1);
  EXPECT_FALSE(ScreenUp());
  sched.Advance(1);
  EXPECT_TRUE(ScreenUp());
}

TEST_F(CountdownTest, AFileThatArrivesIsFoundOnTheNextPoll) {
  LoadText(1, {});
  NameRecord();
  auto& w = plat::forms::get<run::FrmToWait>();
  w.Sw = 60;
  w.Show();
  sched.Advance(10000);
  EXPECT_EQ(beeper.beeps, 0);
  plat::writeBytesAtomic(root + "Data/T0001-02.wma", "x");  // fetched in the background
  sched.Advance(8000);  // the poll after part 1's: part 2
  EXPECT_EQ(beeper.beeps, 1);
}

// ---------------------------------------------------------------------------
// Pause dialog

using PauseDialogTest = RunTest;

TEST_F(PauseDialogTest, TheShippedTextsReadWholeInEveryLayout) {
  ASSERT_TRUE(common::ReadIniFile(QStringLiteral(SOURCE_ROOT "/data/Tavrel.Ini")));
  ASSERT_TRUE(common::SystemIniValue(11204).asText().endsWith(QStringLiteral("驗。")));
  for (const char* layout : {"0", "1", "2"}) {
    common::SystemIniValue(2398, layout);
    auto& d = plat::forms::loaded<run::是否暫離>();
    EXPECT_EQ(testkit::LayoutFaults(&d).join(u'\n').toStdString(), "") << layout;
    // Its last line ("…驗。") above the buttons.
    EXPECT_GT(d.Command1->y(), d.Label2->y() + d.Label2->heightForWidth(d.Label2->width())) << layout;
    plat::forms::unload<run::是否暫離>();
  }
}

TEST_F(PauseDialogTest, LayoutFollowsSetting2398) {
  struct Case {
    const char* value;
    int height;  // twips
    bool label1;
    int buttonsTop, label2Top, imageTop;
  };
  const Case cases[] = {
      {"1", 2150, false, 1000, 200, 150},  // the compact layout without Label1
      {"2", 2600, true, 1700, 900, 240},   // the window as designed
      {"0", 2050, true, 1450, 900, 240},   // shorter, the buttons still inside
  };
  // Messages of one line: the places are the layout's, not the texts'.
  common::SystemIniValue(11203, QStringLiteral("暫停中"));
  common::SystemIniValue(11204, QStringLiteral("要交卷嗎？"));
  for (const Case& c : cases) {
    common::SystemIniValue(2398, c.value);
    auto& d = plat::forms::loaded<run::是否暫離>();
    EXPECT_EQ(d.height(), plat::TwipsToPixels(c.height)) << c.value;
    EXPECT_EQ(d.Label1->isHidden(), !c.label1) << c.value;
    EXPECT_EQ(d.Command1->y(), plat::TwipsToPixels(c.buttonsTop)) << c.value;
    EXPECT_EQ(d.Command2->y(), plat::TwipsToPixels(c.buttonsTop)) << c.value;
    EXPECT_EQ(d.Label2->y(), plat::TwipsToPixels(c.label2Top)) << c.value;
    EXPECT_EQ(d.Image1->y(), plat::TwipsToPixels(c.imageTop)) << c.value;
    // Every control stays inside the window.
    for (QWidget* w : std::initializer_list<QWidget*>{d.Command1, d.Command2, d.Label2, d.Image1})
      EXPECT_LE(w->geometry().bottom(), d.height()) << c.value << " " << w->objectName().toStdString();
    plat::forms::unload<run::是否暫離>();
  }
}

// The input methods' keys (Ctrl+Space, Shift+Space, Super+Space) and other
// chords reach the focused button as Space or Enter with a modifier: none
// of them continues the test; a plain Space or Enter does.
TEST_F(PauseDialogTest, OnlyAPlainSpaceOrEnterPressesAButton) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    bool continues;
  };
  const Case cases[] = {
      {Qt::Key_Space, Qt::ControlModifier, false}, {Qt::Key_Space, Qt::AltModifier, false},
      {Qt::Key_Space, Qt::MetaModifier, false},    {Qt::Key_Space, Qt::ControlModifier | Qt::ShiftModifier, false},
      {Qt::Key_Space, Qt::ShiftModifier, false},   {Qt::Key_Space, Qt::ShiftModifier | Qt::KeypadModifier, false},
      {Qt::Key_Return, Qt::ControlModifier, false}, {Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier, false},
      {Qt::Key_Space, Qt::NoModifier, true},       {Qt::Key_Return, Qt::NoModifier, true},
      {Qt::Key_Enter, Qt::KeypadModifier, true},   {Qt::Key_Return, Qt::ShiftModifier, true},
  };
  common::Setting705.set(0);
  LoadText(0);
  run::正式測驗& s = StartScreen();
  auto& d = plat::forms::get<run::是否暫離>();
  for (const Case& c : cases) {
    s.Image2_Click();
    ASSERT_TRUE(d.isVisible());
    d.Command2->setFocus();
    // A chord aimed at the window rather than the button presses nothing either.
    for (QWidget* to : {static_cast<QWidget*>(d.Command2), static_cast<QWidget*>(&d)}) {
      Key(to, c.key, c.mods, c.key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r"));
      if (c.continues) break;
    }
    EXPECT_EQ(d.isVisible(), !c.continues) << c.key << " " << c.mods.toInt();
    EXPECT_EQ(common::TestRunState.get(), c.continues ? 3 : 8) << c.key << " " << c.mods.toInt();
    if (!c.continues) d.Command2_Click();
  }
}

// ---------------------------------------------------------------------------
// Volume test

class VolumeTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    run::SetupScreenValues().testFile = root + "Data/T0001.txt";
  }
  void Sample(const QString& path, qint64 ms) {
    plat::writeBytesAtomic(path, "x");
    FakeFiles().append({path, ms, 0});
  }
};

TEST_F(VolumeTest, FindsTheSamplesBesideTheTestAndRepeatsThem) {
  Sample(root + "Data/TEST-F.wav", 2000);
  Sample(root + "Data/TEST-M.wav", 3000);
  auto& v = plat::forms::get<run::音量測試>();
  v.Show();
  EXPECT_EQ(v.VoiceFileFemale, root + "Data/TEST-F.wav");
  EXPECT_EQ(v.VoiceFileMale, root + "Data/TEST-M.wav");
  auto& dev = *static_cast<plat::FakeAudioDevice*>(v.Mci);
  EXPECT_EQ(dev.openFile(), root + "Data/TEST-F.wav");
  EXPECT_EQ(dev.mode(), plat::kModePlaying);
  dev.setTimeFormat(3);
  sched.Advance(1100);  // a position report puts the format back to milliseconds
  EXPECT_EQ(dev.timeFormat(), 0);
  sched.Advance(5400);
  EXPECT_EQ(dev.plays.size(), 4);  // it starts again at each end
  // The male voice closes the female one and plays in its place.
  v.Option1[0]->click();
  EXPECT_EQ(dev.openFile(), root + "Data/TEST-M.wav");
  EXPECT_EQ(dev.mode(), plat::kModePlaying);
  v.Command4_Click();
  EXPECT_FALSE(v.isVisible());
  EXPECT_EQ(dev.mode(), plat::kModeNotOpen);
}

TEST_F(VolumeTest, WithoutAFemaleSampleBesideTheTestItLooksInTheProgramFolder) {
  Sample(root + "Data/TEST-M.wav", 2000);
  Sample(root + "TEST-F.mp3", 2000);
  auto& v = plat::forms::get<run::音量測試>();
  v.Show();
  EXPECT_EQ(v.VoiceFileFemale, root + "TEST-F.mp3");
  EXPECT_EQ(v.VoiceFileMale, root);  // the folder alone: no male sample there
  // The female voice plays: nothing to say. The male one has none.
  EXPECT_FALSE(v.lblNoSample->isVisible());
  v.Option1[0]->click();
  EXPECT_TRUE(v.lblNoSample->isVisible());
  EXPECT_TRUE(v.lblNoSample->text().contains(QStringLiteral("TEST-M")));
  EXPECT_EQ(testkit::LayoutFaults(&v).join(u'\n').toStdString(), "");
  v.Option1[1]->click();
  EXPECT_FALSE(v.lblNoSample->isVisible());
}

TEST_F(VolumeTest, NoSamplesAndNoMixerAreNoCrash) {
  mixer.available = false;
  auto& v = plat::forms::get<run::音量測試>();
  v.Show();
  EXPECT_TRUE(v.VoiceFileFemale.isEmpty());
  EXPECT_EQ(v.Mci->mode(), plat::kModeNotOpen);
  // The grey buttons come with the reason.
  EXPECT_TRUE(v.lblNoSample->isVisible());
  EXPECT_TRUE(v.lblNoSample->text().contains(QStringLiteral("找不到試聽聲音檔 TEST-F")));
  EXPECT_EQ(testkit::LayoutFaults(&v).join(u'\n').toStdString(), "");
  v.Command2_Click();
  EXPECT_GE(IndexOfLine(LogLines(), "Command2_Click>"), 0);
  mixer.available = true;
  v.Command2_Click();
  EXPECT_EQ(mixer.starts, 1);
  EXPECT_EQ(prompt.calls.size(), 1);  // the message of the missing mixer only
}

}  // namespace
}  // namespace runtest
