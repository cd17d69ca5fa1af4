// The start button: every check with its message, the record and result
// names, the test text and the hand-over to the test run.
#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QRadioButton>

#include "common/filenames.h"
#include "platform/gui/x11window.h"
#include "exam/run/forms/countdown.h"
#include "net/forms/frmdownload3.h"
#include "exam/run/forms/processing.h"
#include "exam/run/forms/testscreen.h"
#include "exam/setup/advanced.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/smallwindows.h"
#include "exam/setup/tests/setup_fixture.h"
#include "testsupport/core/seams.h"

namespace setuptest {
namespace {

using setup::輸入資料表面;

class LaunchTest : public SetupTest {
 protected:
  // The shipped settings check the particulars and ask for a confirmation;
  // each of those is switched on by the test about it.
  void SetUp() override {
    SetupTest::SetUp();
    ChecksOff();
  }
  void ChecksOff() {
    for (int n : {901, 902, 917, 932, 933}) Set(n, "0");
  }
  bool HandedOver() const {
    return plat::forms::exists<run::正式測驗>() && plat::forms::get<run::正式測驗>().isVisible();
  }
  run::處理下& Processing() { return plat::forms::get<run::處理下>(); }
  void At(int h, int m, int s) { sched.Clock().Set(QDateTime(QDate(2026, 3, 5), QTime(h, m, s))); }
  // The start was refused with this text, and the screen is usable.
  void ExpectRefused(輸入資料表面& s, const QString& text) {
    EXPECT_EQ(LastMessage(), text);
    EXPECT_FALSE(HandedOver());
    EXPECT_TRUE(s.isVisible());
    EXPECT_TRUE(s.isEnabled());
  }
};

TEST_F(LaunchTest, TheSampleTestStartsOnTheTestScreen) {
  auto& s = Screen();
  s.Command1_Click();
  EXPECT_TRUE(prompt.calls.isEmpty()) << LastMessage().toStdString();
  ASSERT_TRUE(HandedOver());
  EXPECT_FALSE(s.isVisible());
  EXPECT_FALSE(s.isEnabled());
  EXPECT_FALSE(plat::forms::exists<run::FrmToWait>() && plat::forms::get<run::FrmToWait>().isVisible());
  // 09:00:00 is 32400 s; the shipped settings scramble the record (".ttt").
  EXPECT_EQ(Processing().Text1->text(), root + "tmp/~T032400.ttt");
  EXPECT_EQ(Processing().Text2->text(), root + "A123456789.S01");
  EXPECT_FALSE(Processing().Timer1->Enabled());
  rec::TestRecordModule& m = rec::testRecordModule();
  EXPECT_EQ(m.TestFilePath, root + "Data/T0001.txt");
  EXPECT_EQ(m.lines.ParagraphCount, 3);
  EXPECT_EQ(m.ParagraphAudioFile(1), root + "Data/T0001-01.wma");
  EXPECT_EQ(common::Setting208.get(), 1);
  const rec::SetupValues& v = run::SetupScreenValues();
  EXPECT_EQ(v.name, "王小明");
  EXPECT_EQ(v.minutes, "10");
  EXPECT_EQ(v.label7, "T0001.txt");
  EXPECT_TRUE(v.option1);
}

TEST_F(LaunchTest, RecordExtensionAndResultNameBySettings) {
  struct Case {
    int s181, s905;
    QString name, identity;
    QString record, result;
  } const cases[] = {
      {1, 2, "王小明", "A123456789", "tmp/~T032400.txt", "A123456789.S01"},
      {2, 2, "王小明", "A123456789", "tmp/~T032400.ttt", "A123456789.S01"},
      {3, 2, "王小明", "A123456789", "tmp/~T032400.ttt", "A123456789.S01"},
      {0, 2, "王小明", "", "tmp/~T032400.txt", "T0001.S01"},
      {0, 1, "王小明", "", "tmp/~T032400.txt", "王小明.S01"},
      {0, 0, "王小明", "A1", "tmp/~T032400.txt", "T0001.S01"},
      {0, 1, "../../etc/x", "", "tmp/~T032400.txt", "_.._etc_x.S01"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result.toStdString());
    settings.clear();
    ChecksOff();
    Set(181, QString::number(c.s181));
    Set(905, QString::number(c.s905));
    auto& s = Screen();
    s.Text1->setText(c.name);
    s.Text2->setText(c.identity);
    s.Command1_Click();
    ASSERT_TRUE(HandedOver()) << LastMessage().toStdString();
    EXPECT_EQ(Processing().Text1->text(), root + c.record);
    const QString result = Processing().Text2->text();
    EXPECT_TRUE(result.startsWith(root)) << result.toStdString();
    EXPECT_FALSE(result.mid(root.size()).contains(u'/')) << result.toStdString();
    plat::FormRegistry::DestroyAll();
  }
}

TEST_F(LaunchTest, EachCheckRefusesWithItsMessage) {
  struct Case {
    const char* what;
    std::function<void(QStringList&)> settings;
    std::function<void(輸入資料表面&)> fields;
    int text;
  };
  const QList<Case> cases = {
      {"folder ticked, none assigned", nullptr, [](輸入資料表面& s) { s.SetCheckValue(s.Check1, true); }, 10150},
      {"host ticked, none assigned", nullptr, [](輸入資料表面& s) { s.SetCheckValue(s.Check2, true); }, 10151},
      {"host of blanks", [](QStringList& lines) { lines << "293,=[   ]"; },
       [](輸入資料表面& s) { s.SetCheckValue(s.Check2, true); }, 10151},
      {"year 0", nullptr, [](輸入資料表面& s) { s.Text6A->setText("0"); }, 10152},
      {"year pasted as text", nullptr, [](輸入資料表面& s) { s.Text6A->setText("abc"); }, 10152},
      {"year pasted negative", nullptr, [](輸入資料表面& s) { s.Text6A->setText("-1"); }, 10152},
      {"month 0", nullptr, [](輸入資料表面& s) { s.Text6B->setText("0"); }, 10153},
      {"month 13", nullptr, [](輸入資料表面& s) { s.Text6B->setText("13"); }, 10153},
      {"day 32", nullptr, [](輸入資料表面& s) { s.Text6C->setText("32"); }, 10154},
      {"name too short", [](QStringList& lines) { lines << "901,=3"; },
       [](輸入資料表面& s) { s.Text1->setText("王小"); }, 10157},
      {"identity too short", [](QStringList& lines) { lines << "902,=10"; },
       [](輸入資料表面& s) { s.Text2->setText("A12345678"); }, 10158},
      {"birthday required", [](QStringList& lines) { lines << "932,=1"; },
       [](輸入資料表面& s) { s.Text6C->clear(); }, 10159},
      {"no test named", nullptr, [](輸入資料表面& s) { s.Text3->clear(); }, 10169},
      {"test missing", nullptr, [](輸入資料表面& s) { s.Text3->setText("Data/T0002.txt"); }, 10170},
      {"a pattern is no file", nullptr, [](輸入資料表面& s) { s.Text3->setText("Data/T*.txt"); }, 10170},
      {"a folder is no file", nullptr, [](輸入資料表面& s) { s.Text3->setText("Data/"); }, 10170},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings.clear();
    prompt.calls.clear();
    if (c.settings) c.settings(settings);
    auto& s = Screen();
    if (c.fields) c.fields(s);
    s.Command1_Click();
    ExpectRefused(s, T(c.text));
    EXPECT_EQ(prompt.calls.last().title, T(14001));
    plat::FormRegistry::DestroyAll();
  }
}

TEST_F(LaunchTest, FolderAndHostTickedTogetherAreBothCheckedFolderFirst) {
  Set(908, "6");
  auto& s = Screen();
  ASSERT_TRUE(s.Check1->isChecked() && s.Check2->isChecked());
  s.Command1_Click();
  ExpectRefused(s, T(10150));
  QDir().mkpath(root + "scores");
  common::AssignedPath.set(root + "scores");
  prompt.calls.clear();
  s.Command1_Click();
  ExpectRefused(s, T(10151));
  EXPECT_TRUE(QFileInfo(root + "scores/TESTSCORE.TXT").isFile());  // the folder passed first
  common::AssignedHost.set("127.0.0.1");
  prompt.calls.clear();
  s.Command1_Click();
  EXPECT_TRUE(HandedOver()) << LastMessage().toStdString();
}

TEST_F(LaunchTest, EmptyBirthdayBoxesPassUnlessRequired) {
  auto& s = Screen();
  for (QLineEdit* e : {s.Text6A, s.Text6B, s.Text6C}) e->clear();
  s.Command1_Click();
  EXPECT_TRUE(HandedOver()) << LastMessage().toStdString();
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(LaunchTest, RowsTheLayoutHidesAreNotAskedFor) {
  // Name and birthday rows hidden, lengths and the birthday still configured.
  Set(915, "31241001");
  Set(901, "3");
  Set(932, "1");
  auto& s = Screen();
  s.Text1->clear();
  s.Text6A->clear();
  s.Command1_Click();
  EXPECT_TRUE(HandedOver()) << LastMessage().toStdString();
}

TEST_F(LaunchTest, TheTestTimeMustBeWholeMinutes) {
  auto& s = Screen();
  // A unit or a fraction would pass a reading of the leading number only,
  // and the test screen would then run another length.
  for (const char* bad : {"", "abc", "0", "3x", "5分", "1.5", "1441"}) {
    SCOPED_TRACE(bad);
    prompt.calls.clear();
    s.Text4->setText(QString::fromUtf8(bad));
    s.Command1_Click();
    ExpectRefused(s, s.Text4->toolTip());
  }
  s.Text4->setText(" 3 ");
  s.Command1_Click();
  ASSERT_TRUE(HandedOver()) << LastMessage().toStdString();
  EXPECT_FLOAT_EQ(plat::forms::get<run::正式測驗>().Duration, 180.0f);
}

TEST_F(LaunchTest, ATestThatWouldRunPastMidnightIsRefused) {
  auto& s = Screen();
  s.Text4->setText("120");
  At(22, 0, 0);
  s.Command1_Click();
  ExpectRefused(s, T(10160) + "7200" + T(10161));
  At(21, 59, 49);
  prompt.calls.clear();
  s.Command1_Click();
  EXPECT_TRUE(HandedOver()) << LastMessage().toStdString();
}

TEST_F(LaunchTest, NoResultNameNoStart) {
  // Every number of the series is taken, and the candidate will not have
  // the first overwritten.
  ASSERT_TRUE(plat::writeBytesAtomic(root + "A123456789.S99", "x"));
  auto& s = Screen();
  s.Command1_Click();
  ExpectRefused(s, T(10171));
  EXPECT_TRUE(Processing().Text2->text().isEmpty());
}

TEST_F(LaunchTest, AFolderTheRunCannotUseIsSaidAtStartUpAndNoTestStarts) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    QString folder;  // as the message names it
    QString fault;
  };
  const QList<Case> cases = {
      {"data folder that cannot be made",
       [this] {
         ASSERT_TRUE(plat::writeBytesAtomic(root + "blocked", "x"));
         Set(202, root + "blocked/scores");
       },
       "成績資料夾:" + root + "blocked/scores", "不存在"},
      {"temporary folder missing", [this] { qputenv("TMP", (root + "gone").toLocal8Bit()); },
       "暫存資料夾:" + root + "gone", "不存在"},
      {"temporary folder that takes no file", [] { qputenv("TMP", "/proc"); }, "暫存資料夾:/proc",
       "無法"},
      {"temporary folder the record cannot name",
       [this] {
         ASSERT_TRUE(QDir().mkpath(root + "张"));
         qputenv("TMP", (root + "张").toUtf8());
       },
       "暫存資料夾:" + root + "张", "CP950"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings.clear();
    prompt.calls.clear();
    qputenv("TMP", (root + "tmp").toLocal8Bit());
    c.arrange();
    auto& s = Screen();
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_TRUE(prompt.calls[0].text.contains(c.folder)) << prompt.calls[0].text.toStdString();
    EXPECT_TRUE(prompt.calls[0].text.contains(c.fault)) << prompt.calls[0].text.toStdString();
    EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Exclamation);
    s.Command1_Click();
    ASSERT_EQ(prompt.calls.size(), 2);
    EXPECT_EQ(prompt.calls[1].text, prompt.calls[0].text);
    EXPECT_FALSE(HandedOver());
    EXPECT_TRUE(s.isEnabled());
    plat::FormRegistry::DestroyAll();
  }
}

// A Wayland desktop with no X server to go through: the candidate is told
// at start-up, Start says it again and no test begins; on X11 the same
// screen starts the test.
TEST_F(LaunchTest, WithoutAnXDisplayItIsSaidAtStartUpAndNoTestStarts) {
  seams.Set(plat::x11::SetOutOfReachForTests, true);
  auto& s = Screen();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.contains("Wayland")) << prompt.calls[0].text.toStdString();
  EXPECT_TRUE(prompt.calls[0].text.contains("不能開始測驗")) << prompt.calls[0].text.toStdString();
  EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Exclamation);
  s.Command1_Click();
  ASSERT_EQ(prompt.calls.size(), 2);
  EXPECT_EQ(prompt.calls[1].text, prompt.calls[0].text);
  EXPECT_FALSE(HandedOver());
  EXPECT_TRUE(s.isVisible());
  EXPECT_TRUE(s.isEnabled());
  plat::x11::SetOutOfReachForTests(std::nullopt);
  s.Command1_Click();
  EXPECT_EQ(prompt.calls.size(), 2) << LastMessage().toStdString();
  EXPECT_TRUE(HandedOver());
}

TEST_F(LaunchTest, IdentityNumberCheck) {
  Set(917, "1");
  auto& s = Screen();
  s.Text2->setText("a123456788");
  prompt.answers = {plat::Answer::Cancel};
  s.Command1_Click();
  EXPECT_FALSE(HandedOver());
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, "輸入身分證號錯誤，請再檢查。\n" + T(10155) + "\n" + T(10156));
  EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::OkCancel);
  EXPECT_EQ(prompt.calls[0].icon, plat::Icon::Question);
  EXPECT_EQ(s.Text2->text(), "A123456788");
  // OK: the number as it is, upper-cased.
  prompt.answers = {plat::Answer::Ok};
  s.Command1_Click();
  EXPECT_TRUE(HandedOver());
  EXPECT_EQ(run::SetupScreenValues().identity, "A123456788");
  EXPECT_EQ(Processing().Text2->text(), root + "A123456788.S01");
}

TEST_F(LaunchTest, ALockedParticularTheLauncherDidNotGiveWholeOpensAndSaysSo) {
  using setup::Particular;
  struct Case {
    const char* what;
    const char* arguments;
    int setting;
    const char* value;
    Particular opened;
    int text;  // the check's own text, after the line naming the particular
  };
  const Case cases[] = {
      {"no birthday, birthday required", "王小明,A123456789,", 932, "1", Particular::Birthday, 10159},
      {"identity shorter than 902", "王小明,A12345,1990/5/3", 902, "10", Particular::Identity, 10158},
      {"no name, 901 = 1", ",A123456789,1990/5/3", 901, "1", Particular::Name, 10157},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings.clear();
    ChecksOff();
    Set(197, "1");
    Set(c.setting, c.value);
    setup::SetProgramArguments({c.arguments});
    QFile::remove(root + "ZetError.Txt");
    prompt.calls.clear();
    prompt.answers = {plat::Answer::Cancel};  // the identity check's question
    auto& s = Screen();
    const std::pair<Particular, std::vector<QLineEdit*>> rows[] = {
        {Particular::Name, {s.Text1}},
        {Particular::Birthday, {s.Text6A, s.Text6B, s.Text6C}},
        {Particular::Identity, {s.Text2}},
    };
    for (const auto& [p, boxes] : rows) {
      EXPECT_EQ(s.ParticularOpened(p), p == c.opened) << setup::ParticularName(p).toStdString();
      for (QLineEdit* e : boxes) EXPECT_EQ(e->isEnabled(), p == c.opened) << e->objectName().toStdString();
    }
    // One line for the exam room, naming the particular.
    QStringList report;
    plat::readTextLines(common::ErrorReportPath(), report);
    const QStringList lines = report.filter(QString("開放考生輸入>") + setup::ParticularName(c.opened));
    EXPECT_EQ(lines.size(), 1) << report.join(" | ").toStdString();
    EXPECT_EQ(report.filter(QString("開放考生輸入>")).size(), 1);

    s.Command1_Click();
    EXPECT_FALSE(HandedOver());
    const QString message = LastMessage();
    EXPECT_TRUE(message.startsWith(setup::NotGivenLead(c.opened) + u'\n')) << message.toStdString();
    EXPECT_TRUE(message.contains(T(c.text))) << message.toStdString();
    EXPECT_TRUE(plat::fitsCp950(message));
    plat::FormRegistry::DestroyAll();
  }
}

// The check digit is a question at Start that OK goes past: the number the
// launcher gave stays locked, also through the question.
TEST_F(LaunchTest, ALockedIdentityFailingOnlyItsCheckDigitStaysLocked) {
  settings.clear();
  ChecksOff();
  Set(197, "1");
  Set(917, "1");
  setup::SetProgramArguments({"王小明,A123456788,1990/5/3"});
  QFile::remove(root + "ZetError.Txt");
  auto& s = Screen();
  EXPECT_FALSE(s.ParticularOpened(setup::Particular::Identity));
  EXPECT_FALSE(s.Text2->isEnabled());
  QStringList report;
  plat::readTextLines(common::ErrorReportPath(), report);
  EXPECT_TRUE(report.filter(QString("開放考生輸入>")).isEmpty()) << report.join(" | ").toStdString();

  prompt.calls.clear();
  prompt.answers = {plat::Answer::Cancel};
  s.Command1_Click();
  EXPECT_FALSE(HandedOver());
  ASSERT_FALSE(prompt.calls.isEmpty());
  EXPECT_TRUE(prompt.calls.last().text.contains(T(10155))) << LastMessage().toStdString();
  EXPECT_FALSE(s.Text2->isEnabled());
  EXPECT_EQ(s.Text2->text(), "A123456788");

  prompt.answers = {plat::Answer::Ok};
  s.Command1_Click();
  EXPECT_TRUE(HandedOver()) << LastMessage().toStdString();
}

TEST_F(LaunchTest, LockedParticularsThatPassStayLockedAndStart) {
  // The shipped checks, all passed by what the launcher gave.
  settings.clear();
  Set(933, "0");
  Set(197, "1");
  auto& s = Screen();
  for (QLineEdit* e : {s.Text1, s.Text2, s.Text6A, s.Text6B, s.Text6C}) EXPECT_FALSE(e->isEnabled());
  for (auto p : {setup::Particular::Name, setup::Particular::Birthday, setup::Particular::Identity})
    EXPECT_FALSE(s.ParticularOpened(p));
  s.Command1_Click();
  EXPECT_TRUE(HandedOver()) << LastMessage().toStdString();
}

TEST_F(LaunchTest, Setting902UpperCasesWithoutTheCheck) {
  Set(902, "1");
  auto& s = Screen();
  s.Text2->setText("b123");
  s.Command1_Click();
  EXPECT_TRUE(HandedOver());
  EXPECT_EQ(s.Text2->text(), "B123");
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(LaunchTest, ConfirmationOfTheParticulars) {
  Set(933, "1");
  Set(918, "[學號：|學號:]");
  auto& s = Screen();
  prompt.answers = {plat::Answer::Cancel};
  s.Command1_Click();
  EXPECT_FALSE(HandedOver());
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].title, T(10168));
  EXPECT_EQ(prompt.calls[0].text, QStringList({T(10162), T(10163) + "王小明", T(10164) + "1990/05/03",
                                               "學號:A123456789", T(10167) + "T0001.txt"})
                                      .join("\n"));
  // The class line only when the box holds something.
  s.Text6->setText("三年甲班");
  prompt.calls.clear();
  prompt.answers = {plat::Answer::Ok};
  s.Command1_Click();
  EXPECT_TRUE(prompt.calls[0].text.contains(T(10166) + "三年甲班"));
  EXPECT_TRUE(HandedOver());
}

TEST_F(LaunchTest, AssignedFolderMustTakeTheProbeFile) {
  QDir().mkpath(root + "scores");
  ASSERT_TRUE(plat::writeTextLines(root + "scores/TESTSCORE.TXT", {"an earlier probe"}));
  Set(908, "1");
  Set(292, root + "scores");
  auto& s = Screen();
  ASSERT_TRUE(s.Check1->isChecked());
  s.Command1_Click();
  ASSERT_TRUE(HandedOver()) << LastMessage().toStdString();
  QStringList probe;
  ASSERT_TRUE(plat::readTextLines(root + "scores/TESTSCORE.TXT", probe));
  EXPECT_EQ(probe, QStringList({T(10180), T(10181), T(10182) + "王小明"}));
  plat::FormRegistry::DestroyAll();

  // A folder where the probe cannot be written: the reminder, no start.
  QDir().mkpath(root + "locked/TESTSCORE.TXT");  // a folder in the probe's place
  settings.clear();
  Set(908, "1");
  Set(292, root + "locked");
  auto& t = Screen();
  t.Command1_Click();
  EXPECT_FALSE(HandedOver());
  EXPECT_TRUE(plat::forms::exists<setup::Dialog>() && plat::forms::get<setup::Dialog>().isVisible());
  plat::FormRegistry::DestroyAll();

  settings.clear();
  Set(908, "1");
  Set(292, root + "missing");
  auto& u = Screen();
  u.Command1_Click();
  EXPECT_FALSE(HandedOver());
  EXPECT_TRUE(plat::forms::get<setup::Dialog>().isVisible());
}

TEST_F(LaunchTest, LayoutFromTheAdvancedDialog) {
  auto& s = Screen();
  setup::進階修定& adv = plat::forms::loaded<setup::進階修定>();
  adv.Option1[4]->setChecked(true);
  adv.Show();
  s.Command1_Click();
  EXPECT_EQ(common::Setting208.get(), 4);
  EXPECT_FALSE(adv.isVisible());  // not left over the test
  plat::FormRegistry::DestroyAll();

  auto& t = Screen();
  t.SetOptionValue(t.Option2);
  t.Command1_Click();
  EXPECT_EQ(common::Setting208.get(), 0);
  plat::FormRegistry::DestroyAll();

  // A stored layout without a button of the dialog: layout 1.
  settings.clear();
  Set(208, "7");
  auto& u = Screen();
  u.Command1_Click();
  EXPECT_TRUE(HandedOver());
  EXPECT_EQ(common::Setting208.get(), 1);
}

class DownloadLaunchTest : public LaunchTest {
 protected:
  void SetUp() override {
    LaunchTest::SetUp();
    // The download window as the network exchange will run it: it brings
    // `fetched` and closes.
    seams.Set(plat::SetModalDriver, [this](plat::Form& f) {
      if (auto* d = dynamic_cast<run::FrmDownload3*>(&f)) {
        shows << d->UserSw;
        setup::DownloadFields().text4 = fetched;
      }
      f.Hide();
    });
  }
  QList<int> shows;
  QString fetched;
};

TEST_F(DownloadLaunchTest, TheTestComesWithTheStart) {
  Set(989, "4312000011110");  // download at start, test choice locked after it
  fetched = root + "Data/T0001.txt";
  auto& s = Screen();
  s.Text3->clear();
  s.Command1_Click();
  EXPECT_EQ(shows, QList<int>{setup::kDownloadTest});
  EXPECT_EQ(s.Text3->text(), fetched);
  EXPECT_FALSE(s.Text3->isEnabled());
  EXPECT_FALSE(s.Command3->isEnabled());
  // The parts follow in the background.
  ASSERT_TRUE(plat::forms::exists<run::FrmDownload3>());
  EXPECT_EQ(plat::forms::get<run::FrmDownload3>().UserSw, setup::kDownloadParts);
  EXPECT_TRUE(HandedOver());
  EXPECT_EQ(setup::DownloadFields().t6, "5568");
  EXPECT_EQ(setup::DownloadFields().text5, "1");
  EXPECT_EQ(setup::DownloadFields().check1, 1);
}

TEST_F(DownloadLaunchTest, NothingFetchedStartsNoBackgroundFetch) {
  Set(989, "4312000001110");
  auto& s = Screen();
  s.Text3->clear();
  s.Command1_Click();
  EXPECT_EQ(shows, QList<int>{setup::kDownloadTest});
  ExpectRefused(s, T(10169));
  EXPECT_NE(plat::forms::get<run::FrmDownload3>().UserSw, setup::kDownloadParts);
}

TEST_F(DownloadLaunchTest, NoSecondFetchWhileThePartsStillCome) {
  Set(989, "4312000001110");
  auto& s = Screen();
  // The window is in the background with the parts of an earlier fetch.
  auto& w = plat::forms::get<run::FrmDownload3>();
  w.UserSTOP = -1;  // its own tasks held off
  w.UserSw = setup::kDownloadParts;
  w.NetLinkStatus = 2;
  w.setVisible(true);
  s.Text3->clear();
  s.Command1_Click();
  EXPECT_TRUE(shows.isEmpty());
  ExpectRefused(s, T(10609));
  EXPECT_EQ(w.UserSw, setup::kDownloadParts);
}

TEST_F(DownloadLaunchTest, CountdownAfterTheFirstActivationsDownload) {
  Set(989, "4311000001110");
  fetched = root + "Data/T0001.txt";
  auto& s = Screen();  // activation fetches the test
  EXPECT_EQ(shows, QList<int>{setup::kDownloadTest});
  EXPECT_EQ(s.Text3->text(), fetched);
  s.Command1_Click();
  ASSERT_TRUE(plat::forms::exists<run::FrmToWait>());
  EXPECT_TRUE(plat::forms::get<run::FrmToWait>().isVisible());
  EXPECT_FALSE(s.isVisible());
}

TEST_F(DownloadLaunchTest, TheCountdownCountsTowardsMidnight) {
  Set(989, "4311000001110");
  fetched = root + "Data/T0001.txt";
  auto& s = Screen();
  // 23:49:20 + 10 s + 10 min is before midnight; a minute's countdown more is not.
  At(23, 49, 20);
  s.Command1_Click();
  ExpectRefused(s, T(10160) + "600" + T(10161));
  EXPECT_FALSE(plat::forms::exists<run::FrmToWait>() && plat::forms::get<run::FrmToWait>().isVisible());
}

}  // namespace
}  // namespace setuptest
