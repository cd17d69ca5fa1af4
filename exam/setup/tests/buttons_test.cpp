// The set-up screen's other buttons, its activation and leaving the program.
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>

#include "common/errorlog.h"
#include "exam/record/testrecord.h"
#include "net/forms/frmdownload3.h"
#include "exam/run/forms/volumetest.h"
#include "common/gui/whoami.h"
#include "exam/setup/advanced.h"
#include "exam/setup/digpath.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/smallwindows.h"
#include "exam/setup/tests/setup_fixture.h"
#include "testsupport/core/netfakes.h"
#include "testsupport/core/seams.h"

namespace setuptest {
namespace {

using setup::輸入資料表面;

class ButtonsTest : public SetupTest {
 protected:
  void SetUp() override {
    SetupTest::SetUp();
    seams.Set(plat::SetModalDriver, [this](plat::Form& f) {
      shown << f.objectName();
      if (auto* d = dynamic_cast<run::FrmDownload3*>(&f)) modes << d->UserSw;
      if (drive) drive(f);
      if (f.isVisible()) f.Hide();
    });
  }
  QStringList shown;
  QList<int> modes;
  std::function<void(plat::Form&)> drive;
};

// ---- leaving ----

class LeaveTest : public ButtonsTest {
 protected:
  // The files a run leaves: a downloaded test, the record, a score and a
  // result file, and the batch scorer beside the test program.
  void LeaveFilesOfARun() {
    ASSERT_TRUE(plat::writeBytesAtomic(root + "Data/T0009.txt", "x"));
    ASSERT_TRUE(plat::writeBytesAtomic(root + "tmp/~T032400.ttt", "x"));
    ASSERT_TRUE(plat::writeBytesAtomic(root + "A123456789.R01", "x"));
    ASSERT_TRUE(plat::writeBytesAtomic(root + "A123456789.S01", "x"));
    ASSERT_TRUE(plat::writeBytesAtomic(root + "Tallisk", "x"));
  }
  // The program was started again with the record and the score file.
  void StartedAfterATest(int testCount) {
    rec::TestRecordFields f;
    f.testFile = root + "Data/T0001.txt";
    f.name = "王小明";
    f.identity = "A123456789";
    f.testCount = QString::number(testCount);
    f.testMinutes = "10";
    ASSERT_TRUE(rec::WriteRecordLines(root + "tmp/~T032400.txt", rec::BuildRecordLines(f).lines, false));
    setup::SetProgramArguments({root + "tmp/~T032400.txt," + root + "A123456789.R01"});
  }
};

TEST_F(LeaveTest, NoLinkNoCleanUpNoResult) {
  LeaveFilesOfARun();
  auto& s = Screen();
  s.Command2_Click();
  EXPECT_EQ(app.ends, 1);
  EXPECT_TRUE(modes.isEmpty());  // no network link: the download window stays away
  EXPECT_TRUE(QFile::exists(root + "Data/T0001.txt"));  // the shipped 149 = 0 keeps the sample
  EXPECT_TRUE(QFile::exists(root + "A123456789.S01"));
  EXPECT_TRUE(launcher.calls.isEmpty());
  EXPECT_TRUE(urls.opened.isEmpty());  // and 9901 = 0: no page
  QStringList report;
  ASSERT_TRUE(plat::readTextLines(common::ErrorReportPath(), report));
  EXPECT_TRUE(report.last().endsWith(">0<NetLinkStatus ")) << report.last().toStdString();
}

TEST_F(LeaveTest, CleanUpAndThePageWhenNoResultIsKnown) {
  LeaveFilesOfARun();
  Set(149, "1");
  Set(9901, "1");
  auto& s = Screen();
  s.Command2_Click();
  EXPECT_EQ(app.ends, 1);
  EXPECT_FALSE(QFile::exists(root + "Data/T0001.txt"));
  EXPECT_FALSE(QFile::exists(root + "tmp/~T032400.ttt"));
  EXPECT_FALSE(QFile::exists(root + "A123456789.R01"));
  EXPECT_FALSE(QFile::exists(root + "A123456789.S01"));
  EXPECT_TRUE(QFile::exists(root + "Tallisk"));
  ASSERT_EQ(urls.opened.size(), 1);
  EXPECT_EQ(urls.opened[0].toString(), "http://www.example.org/");
  EXPECT_EQ(beeper.beeps, 1);
}

TEST_F(LeaveTest, AResultGoesToTheBatchScorerWithItsFilesKept) {
  LeaveFilesOfARun();
  StartedAfterATest(1);
  Set(149, "1");
  Set(803, "1");
  Set(9901, "1");
  auto& s = Screen();
  s.Command2_Click();
  EXPECT_EQ(app.ends, 1);
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls[0].program, root + "Tallisk");
  EXPECT_EQ(launcher.calls[0].arguments, QStringList{root + "tmp/~T032400.txt," + root + "Tavrel"});
  // The batch scorer reads these after we are gone.
  EXPECT_TRUE(QFile::exists(root + "tmp/~T032400.txt"));
  EXPECT_TRUE(QFile::exists(root + "A123456789.R01"));
  EXPECT_FALSE(QFile::exists(root + "Data/T0009.txt"));
  EXPECT_TRUE(urls.opened.isEmpty());  // a result: no page
}

TEST_F(LeaveTest, HandOnBy803) {
  struct Case {
    int s803, count;
    bool started;
  } const cases[] = {{0, 1, false}, {2, 1, false}, {2, 2, true}, {1, 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("803=%1 count=%2").arg(c.s803).arg(c.count).toStdString());
    LeaveFilesOfARun();
    StartedAfterATest(c.count);  // the next test number is count + 1
    settings.clear();
    Set(803, QString::number(c.s803));
    Set(9901, "1");
    launcher.calls.clear();
    urls.opened.clear();
    auto& s = Screen();
    s.Command2_Click();
    EXPECT_EQ(launcher.calls.size(), c.started ? 1 : 0);
    EXPECT_TRUE(urls.opened.isEmpty());
    plat::FormRegistry::DestroyAll();
    app.Reset();
  }
}

TEST_F(LeaveTest, AnOpenLinkIsFinishedFirst) {
  auto& s = Screen();
  plat::forms::get<run::FrmDownload3>().NetLinkStatus = 2;
  s.Command2_Click();
  EXPECT_EQ(modes, QList<int>{setup::kDownloadFinish});
  EXPECT_EQ(app.ends, 1);
}

// ---- choosing the test ----

TEST_F(ButtonsTest, FindFileTakesTheChosenFileAndKeepsThePreviousOnCancel) {
  auto& s = Screen();
  prompt.files = {root + "Data/T0002.txt"};
  s.Command3_Click();
  EXPECT_EQ(s.Text3->text(), root + "Data/T0002.txt");
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].title, T(10172));
  s.Command3_Click();  // cancelled
  EXPECT_EQ(s.Text3->text(), root + "Data/T0002.txt");
}

// Records where the file dialog opens and what it offers.
class DialogPrompt : public plat::FakePrompt {
 public:
  QString OpenFile(const QString& title, const QString& folder, const QString& filter) override {
    folders << folder;
    filters << filter;
    return plat::FakePrompt::OpenFile(title, folder, filter);
  }
  QStringList folders, filters;
};

TEST_F(ButtonsTest, FindFileOpensAtAFolderWithoutItsTrailingSeparator) {
  auto& s = Screen();
  DialogPrompt dialog;
  seams.Set(plat::SetPrompt, &dialog);
  for (const QString& typed : {root + "Data/", root + "Data\\"}) {
    s.Text3->setText(typed);
    s.Command3_Click();
    EXPECT_EQ(s.Text3->text(), typed);  // cancelled: the box as it was
  }
  EXPECT_EQ(dialog.folders, QStringList({root + "Data", root + "Data"}));
  const QString pattern = common::TestFilePattern.get();
  EXPECT_EQ(dialog.filters.value(0), T(10172) + "(" + pattern + ")|" + pattern + "|ALL File(*.*)|*.*");
  seams.Set(plat::SetPrompt, &prompt);
}

TEST_F(ButtonsTest, DrawATest) {
  auto& s = Screen();
  s.Text3->clear();
  s.Command4_Click();
  EXPECT_EQ(s.Text3->text(), root + "Data/T0001.txt");
}

// ---- the score folder and host ----

TEST_F(ButtonsTest, ScoreFolderThroughThePathDialog) {
  QDir().mkpath(root + "scores");
  auto& s = Screen();
  drive = [this](plat::Form& f) {
    auto* d = dynamic_cast<setup::digPath*>(&f);
    if (!d) return;
    EXPECT_EQ(d->windowTitle(), T(10173));
    EXPECT_EQ(d->Label1->text(), T(10174));
    EXPECT_EQ(d->chkPathOrServer, 1);
    d->Text1->setText(root + "scores");
    d->OKButton_Click();
  };
  s.Command7_Click();
  EXPECT_TRUE(s.Check1->isChecked());
  EXPECT_TRUE(s.Command7->isEnabled());
  EXPECT_EQ(common::AssignedPath.get(), root + "scores/");
  EXPECT_EQ(common::RunModeFlag.get(), 2);
  EXPECT_TRUE(plat::forms::get<setup::Dialog>().isVisible());

  // Cancelled: nothing changes.
  s.SetCheckValue(s.Check1, false);
  EXPECT_FALSE(s.Command7->isEnabled());
  EXPECT_EQ(common::AssignedPath.get(), root + "scores/");  // unticking keeps it
  drive = [](plat::Form& f) {
    if (auto* d = dynamic_cast<setup::digPath*>(&f)) {
      d->Text1->setText("/somewhere/else");
      d->CancelButton_Click();
    }
  };
  s.Command7_Click();
  EXPECT_FALSE(s.Check1->isChecked());
  EXPECT_EQ(common::AssignedPath.get(), root + "scores/");
}

TEST_F(ButtonsTest, ScoreHostColoursByTheConnectionTest) {
  plat::FakeTcpClient* sock = nullptr;
  seams.Set(plat::SetTcpClientMaker, [&sock] {
    auto c = std::make_unique<plat::FakeTcpClient>();
    sock = c.get();
    return std::unique_ptr<plat::TcpClient>(std::move(c));
  });
  auto& s = Screen();
  // The server answers: ticked, blue.
  drive = [&](plat::Form& f) {
    auto* d = dynamic_cast<setup::digPath*>(&f);
    if (!d) return;
    EXPECT_EQ(d->windowTitle(), T(10175));
    d->Text1->setText("127.0.0.1");
    d->OKButton_Click();
    ASSERT_TRUE(sock);
    sock->AcceptConnect();
  };
  s.Command8_Click();
  EXPECT_TRUE(s.Check2->isChecked());
  EXPECT_EQ(common::AssignedHost.get(), "127.0.0.1");
  EXPECT_EQ(s.Check2Colour, setup::kColourBlue);

  // The next test gets no answer and the entry is cancelled: red.
  drive = [&](plat::Form& f) {
    auto* d = dynamic_cast<setup::digPath*>(&f);
    if (!d) return;
    d->Text1->setText("192.0.2.1");
    d->OKButton_Click();
    sched.Advance(11000);
    EXPECT_EQ(d->LinkStatus, 3);
    d->CancelButton_Click();
  };
  s.Command8_Click();
  EXPECT_TRUE(s.Check2->isChecked());
  EXPECT_EQ(common::AssignedHost.get(), "127.0.0.1");
  EXPECT_EQ(s.Check2Colour, setup::kColourRed);

  // Unticking and ticking again by hand resets the colour.
  s.Check2->setChecked(false);
  s.Check2_Click();
  EXPECT_EQ(s.Check2Colour, setup::kSystemButtonText);
}

TEST_F(ButtonsTest, AHostConfirmedAfterAFailedTestTurnsRed) {
  plat::FakeTcpClient* sock = nullptr;
  seams.Set(plat::SetTcpClientMaker, [&sock] {
    auto c = std::make_unique<plat::FakeTcpClient>();
    sock = c.get();
    return std::unique_ptr<plat::TcpClient>(std::move(c));
  });
  auto& s = Screen();
  drive = [&](plat::Form& f) {
    if (auto* d = dynamic_cast<setup::digPath*>(&f)) {
      d->Text1->setText("127.0.0.1");
      d->OKButton_Click();
      sock->AcceptConnect();
    }
  };
  s.Command8_Click();
  ASSERT_EQ(s.Check2Colour, setup::kColourBlue);

  // The next test gets no answer; an entry of blanks is then taken untested.
  drive = [&](plat::Form& f) {
    auto* d = dynamic_cast<setup::digPath*>(&f);
    if (!d) return;
    d->Text1->setText("192.0.2.1");
    d->OKButton_Click();
    sched.Advance(11000);
    ASSERT_EQ(d->LinkStatus, 3);
    d->Text1->setText("   ");
    d->OKButton_Click();
    EXPECT_EQ(d->chkSure, -1);
  };
  s.Command8_Click();
  EXPECT_TRUE(s.Check2->isChecked());
  EXPECT_EQ(s.Check2Colour, setup::kColourRed);
  // The start does not take blanks for a host.
  s.Command1_Click();
  EXPECT_EQ(LastMessage(), T(10151));
  EXPECT_TRUE(s.isVisible());
}

// ---- the other windows ----

TEST_F(ButtonsTest, OnlineScoresKeepTheTestWhenNothingIsPicked) {
  auto& s = Screen();
  const QString before = s.Text3->text();
  s.Command10_Click();
  EXPECT_EQ(modes, QList<int>{setup::kDownloadScores});
  EXPECT_EQ(s.Text3->text(), before);
  drive = [this](plat::Form&) { setup::DownloadFields().text4 = root + "Data/T0007.txt"; };
  s.Command10_Click();
  EXPECT_EQ(s.Text3->text(), root + "Data/T0007.txt");
}

TEST_F(ButtonsTest, DialogsOfTheButtonsAndKeys) {
  Set(911, "1");
  Set(912, "1");
  auto& s = Screen();
  EXPECT_FALSE(s.Command5->isHidden());
  EXPECT_FALSE(s.Command6->isHidden());
  s.Command5_Click();
  EXPECT_TRUE(plat::forms::get<setup::進階修定>().isVisible());
  EXPECT_FALSE(plat::forms::get<setup::進階修定>().InModalShow());
  s.Command9_Click();
  EXPECT_TRUE(plat::forms::get<common::frmLiaison>().isVisible());
  s.Command6_Click();
  EXPECT_TRUE(shown.contains("音量測試"));

  // F11 in the name box: the About window, modal. Ctrl+F12: the information window.
  QKeyEvent f11(QEvent::KeyPress, Qt::Key_F11, Qt::NoModifier);
  QCoreApplication::sendEvent(s.Text1, &f11);
  EXPECT_TRUE(shown.contains("frmAbout"));
  QKeyEvent f12(QEvent::KeyPress, Qt::Key_F12, Qt::ControlModifier);
  QCoreApplication::sendEvent(s.Text3, &f12);
  EXPECT_TRUE(plat::forms::get<common::我是誰>().isVisible());
  EXPECT_FALSE(s.Text_KeyDown(123, 1));  // Shift+F12: nothing
}

TEST_F(ButtonsTest, OperatingInstructionsThroughTheirHook) {
  Set(978, "1");
  auto& s = Screen();
  QWidget* owner = nullptr;
  setup::setupHooks().ShowOperation = [&owner](QWidget* w) { owner = w; };
  s.Command11_Click();
  EXPECT_EQ(owner, &s);
  setup::setupHooks().ShowOperation = nullptr;
}

// ---- activation ----

TEST_F(ButtonsTest, FirstActivationFetchesTheTestOnce) {
  Set(989, "4311000011110");
  auto& s = plat::forms::get<輸入資料表面>();
  drive = [&s](plat::Form& f) {
    if (dynamic_cast<run::FrmDownload3*>(&f)) s.OnActivated();  // the screen comes back while it shows
  };
  Screen();
  EXPECT_EQ(modes, QList<int>{setup::kDownloadTest});
  // Nothing came: the online-scores button is offered, the choice locked.
  EXPECT_TRUE(s.Text3->text().isEmpty());
  EXPECT_TRUE(s.Command10->isEnabled());
  EXPECT_FALSE(s.Command4->isEnabled());
  s.OnActivated();
  EXPECT_EQ(modes.size(), 1);
  // Later activations show the series' number.
  common::TestNumber.set(4);
  s.OnActivated();
  EXPECT_EQ(s.Text5->text(), "4");
}

TEST_F(ButtonsTest, FirstActivationWithATestFetchesItsPartsInTheBackground) {
  Set(989, "4311000001110");  // fetch at activation, the choice stays open
  drive = [this](plat::Form& f) {
    if (dynamic_cast<run::FrmDownload3*>(&f)) setup::DownloadFields().text4 = root + "Data/T0001.txt";
  };
  auto& s = Screen();
  EXPECT_EQ(modes, QList<int>{setup::kDownloadTest});  // only the test is modal
  EXPECT_EQ(s.Text3->text(), root + "Data/T0001.txt");
  auto& w = plat::forms::get<run::FrmDownload3>();
  EXPECT_EQ(w.UserSw, setup::kDownloadParts);
  EXPECT_FALSE(w.InModalShow());
  EXPECT_TRUE(s.Text3->isEnabled());
  EXPECT_TRUE(s.Command3->isEnabled());
  EXPECT_TRUE(s.Command10->isHidden());  // a test came: the online scores stay as configured
}

TEST_F(ButtonsTest, OnlineScoresTakeTheAssignedHostOnlyWhenTicked) {
  Set(293, "exam.example.org");
  auto& s = Screen();
  setup::DownloadFields().t5.clear();
  s.Text5->setText("3");
  s.Command10_Click();
  EXPECT_EQ(setup::DownloadFields().text5, "3");
  EXPECT_TRUE(setup::DownloadFields().t5.isEmpty());
  s.SetCheckValue(s.Check2, true);
  s.Command10_Click();
  EXPECT_EQ(setup::DownloadFields().t5, "exam.example.org");
  EXPECT_EQ(plat::forms::get<run::FrmDownload3>().T5->text(), "exam.example.org");
  EXPECT_EQ(modes, QList<int>({setup::kDownloadScores, setup::kDownloadScores}));
}

TEST_F(ButtonsTest, DefaultDigitsFetchNothingAtActivation) {
  Set(989, "4312000001110");
  auto& s = Screen();
  s.OnActivated();
  EXPECT_TRUE(modes.isEmpty());
}

}  // namespace
}  // namespace setuptest
