// A test whose sound fails: the proctor is called before the clock starts,
// and the error report says which parts were not heard and why.
#include "common/errorlog.h"
#include "platform/core/clock.h"
#include "exam/run/forms/nosoundbox.h"
#include "platform/media/transport_bar.h"
#include "exam/run/forms/pausedialog.h"
#include "exam/run/forms/volumetest.h"
#include "exam/run/forms/tests/run_fixture.h"
#include "testsupport/core/seams.h"

namespace runtest {
namespace {

using run::正式測驗;

// The lines of the error report that hold `part`.
QStringList LogLinesWith(const QString& part) {
  QStringList lines;
  plat::readTextLines(common::ErrorReportPath(), lines);
  return lines.filter(part);
}

// A proctor who mends the output at the first box and presses 重試.
class MendingPrompt : public plat::FakePrompt {
 public:
  plat::FakeAudioDevice* device = nullptr;
  plat::Answer Ask(const QString& text, const QString& title, plat::Buttons buttons, plat::Icon icon) override {
    FakePrompt::Ask(text, title, buttons, icon);
    if (device) device->restoreOutput();
    return plat::Answer::Retry;
  }
};

QString Part(const QString& root, int n) {
  return (root + QString("Data/T0001-%1.wma").arg(n, 2, 10, QChar('0'))).toLower();
}

// The parts played from their start, in order.
QStringList StartsOf(const plat::FakeAudioDevice& a) {
  QStringList files;
  for (const auto& p : a.plays)
    if (p.fromMs == 0) files << p.file;
  return files;
}

bool BoxUp() { return plat::forms::exists<run::NoSoundBox>() && plat::forms::get<run::NoSoundBox>().isVisible(); }

class SoundTest : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting705.set(0);
    common::Setting704.set(1);
    common::Setting208.set(0);
    common::ProductTitle.set("電腦聽打測驗系統");
    run::SetupScreenValues().minutes = "1";
  }

  // The screen before it shows, so its device can be set up first.
  正式測驗& Screen() {
    NameRecord();
    return plat::forms::get<正式測驗>();
  }
};

TEST_F(SoundTest, NoOutputCallsTheProctorBeforeTheClockAndListsThePartsNotHeard) {
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = Screen();
  Audio(s).noOutput = "沒有音效卡";
  prompt.answers = {plat::Answer::Cancel};  // go on without sound
  s.Show();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.contains("沒有音效卡"));
  EXPECT_TRUE(prompt.calls[0].text.contains("監考人員"));
  EXPECT_TRUE(prompt.calls[0].text.contains("重試"));
  EXPECT_EQ(prompt.calls[0].title, "電腦聽打測驗系統");
  EXPECT_EQ(prompt.calls[0].buttons, plat::Buttons::RetryCancel);
  EXPECT_EQ(LogLinesWith("無法放音>沒有音效卡").size(), 1);
  EXPECT_TRUE(s.Timer1->Enabled());  // the test goes on when the proctor says so

  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_EQ(Audio(s).plays.size(), 3);
  EXPECT_EQ(prompt.calls.size(), 1);  // no box over the running test
  // One line for each part as it was played, and the list at the end.
  for (const char* part : {"第1段", "第2段", "第3段"})
    EXPECT_EQ(LogLinesWith(QString("音效>") + part).size(), 1) << part;
  const QStringList summary = LogLinesWith("未聽到的段落");
  ASSERT_EQ(summary.size(), 1);
  EXPECT_TRUE(summary[0].contains("第1段(沒有音效卡) 第2段(沒有音效卡) 第3段(沒有音效卡)")) << summary[0].toStdString();
}

TEST_F(SoundTest, WaitingForTheFirstPlayTheProctorIsCalledBeforeIt) {
  common::Setting705.set(1);
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = Screen();
  Audio(s).noOutput = "沒有音效卡";
  prompt.answers = {plat::Answer::Cancel};
  s.Show();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_FALSE(s.Timer1->Enabled());  // the clock waits for Play as ever
  EXPECT_TRUE(LogLinesWith("音效>第1段").isEmpty());
  s.Mci->pressPlay();
  EXPECT_TRUE(s.Timer1->Enabled());
  EXPECT_EQ(LogLinesWith("音效>第1段").size(), 1);
  EXPECT_EQ(prompt.calls.size(), 1);
}

TEST_F(SoundTest, TheProctorMendsItAndTriesAgainAndTheTestIsANormalOne) {
  LoadText(1, {2000, 2000, 2000});
  MendingPrompt mending;
  seams.Set(plat::SetPrompt, &mending);
  正式測驗& s = Screen();
  mending.device = &Audio(s);
  Audio(s).noOutput = "沒有音效卡";
  sched.Advance(5000);  // the box stays up a while; the clock has not started
  s.Show();
  EXPECT_EQ(mending.calls.size(), 1);  // asked again after 重試, and sound is there now
  EXPECT_TRUE(s.Timer1->Enabled());
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_EQ(Audio(s).plays.size(), 3);
  EXPECT_TRUE(LogLinesWith("未聽到的段落").isEmpty());
  EXPECT_TRUE(LogLinesWith("音效>第").isEmpty());
  seams.Set(plat::SetPrompt, &prompt);
}

TEST_F(SoundTest, WithSoundThereIsNoBoxAndNoLine) {
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = StartScreen();
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_TRUE(LogLinesWith("音效>").isEmpty());
}

TEST_F(SoundTest, ABrokenPartIsReportedAndTheOthersPlay) {
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = Screen();
  Audio(s).breakFile(root + "Data/T0001-02.wma", "無法解碼");
  s.Show();
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_TRUE(prompt.calls.isEmpty());
  const QStringList lines = LogLinesWith("音效>第2段");
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(lines[0].contains("T0001-02.wma>無法播放>無法解碼")) << lines[0].toStdString();
  const QStringList summary = LogLinesWith("未聽到的段落");
  ASSERT_EQ(summary.size(), 1);
  EXPECT_TRUE(summary[0].endsWith("第2段(無法解碼)")) << summary[0].toStdString();
}

TEST_F(SoundTest, APartThatNeverCameIsListedWhenTheCandidateLeaves) {
  LoadText(1, {2000});
  // The second part is named by the text but its file never arrives.
  FakeFiles().append({root + "Data/T0001-02.wma", 2000, plat::clock().MonotonicMs() + 10000000});
  正式測驗& s = StartScreen();
  sched.Advance(8000);
  ASSERT_EQ(s.PartNo, 2);
  s.Image2_Click();
  plat::forms::get<run::是否暫離>().Command1_Click();  // leave
  ASSERT_TRUE(sched.RunUntil([&] { return app.ends > 0; }, 20000));
  const QStringList summary = LogLinesWith("未聽到的段落");
  ASSERT_EQ(summary.size(), 1);
  EXPECT_TRUE(summary[0].contains("第2段(")) << summary[0].toStdString();
  EXPECT_FALSE(summary[0].contains("第1段"));
}

// Both volume buttons: without a mixer program a message in Chinese says so
// and the report names the button's handler; with one, it starts quietly.
TEST_F(SoundTest, AVolumeButtonWithoutAMixerSaysSo) {
  LoadText(1, {2000, 2000, 2000});
  struct Case {
    const char* handler;
    std::function<void()> click;
  };
  const QList<Case> cases = {
      {"Command1_Click", [&] { StartScreen().Command1_Click(); }},
      {"Command2_Click", [&] { plat::forms::get<run::音量測試>().Command2_Click(); }},
  };
  for (const Case& c : cases) {
    prompt.calls.clear();
    mixer.available = false;
    c.click();
    ASSERT_EQ(prompt.calls.size(), 1) << c.handler;
    EXPECT_TRUE(prompt.calls[0].text.contains("找不到音量控制程式")) << prompt.calls[0].text.toStdString();
    EXPECT_EQ(prompt.calls[0].title, "電腦聽打測驗系統");
    EXPECT_EQ(LogLinesWith(QString(c.handler) + ">找不到音量控制程式").size(), 1) << c.handler;
    mixer.available = true;
    const int starts = mixer.starts;
    c.click();
    EXPECT_EQ(mixer.starts, starts + 1);
    EXPECT_EQ(prompt.calls.size(), 1) << c.handler;
  }
}

// ---------------------------------------------------------------------------
// The output goes away during the test

TEST_F(SoundTest, TheOutputGoesAwayInAPartAndTheTestWaitsUntilItIsBack) {
  LoadText(1, {3000, 3000, 3000});
  正式測驗& s = StartScreen();
  plat::FakeAudioDevice& a = Audio(s);
  ASSERT_TRUE(sched.RunUntil([&] { return a.plays.size() == 2; }, 20000));
  sched.Advance(1000);
  Type(Box(s), "abc");
  a.loseOutput("音效伺服器停止了");

  // The proctor is told over the test screen, and the clock waits.
  ASSERT_TRUE(BoxUp());
  auto& box = plat::forms::get<run::NoSoundBox>();
  EXPECT_TRUE(box.Message->text().contains("音效伺服器停止了"));
  EXPECT_TRUE(box.Message->text().contains("監考人員"));
  EXPECT_TRUE(box.Message->text().contains("測驗時間暫停"));
  EXPECT_EQ(box.windowTitle(), "電腦聽打測驗系統");
  EXPECT_EQ(box.Retry->text(), "重試");
  EXPECT_EQ(box.Cancel->text(), "取消");
  EXPECT_TRUE(s.ClockHeld());
  EXPECT_FALSE(s.Timer1->Enabled());
  const float elapsed = s.Elapsed;
  const int opens = a.log.filter("OPEN").size();
  const int probes = a.probes;
  sched.Advance(5000);
  // Asked about once a second meanwhile, no more; not opened while it is
  // away.
  EXPECT_GE(a.probes - probes, 4);
  EXPECT_LE(a.probes - probes, 6);
  EXPECT_EQ(a.log.filter("OPEN").size(), opens);
  box.Retry_Click();  // not mended yet
  EXPECT_TRUE(BoxUp());
  box.close();  // nor closed away
  EXPECT_TRUE(BoxUp());
  EXPECT_TRUE(prompt.calls.isEmpty());

  // Back: part 2 plays again from its start, opened anew, and the box goes.
  a.restoreOutput();
  sched.Advance(1000);
  EXPECT_FALSE(BoxUp());
  EXPECT_FALSE(s.ClockHeld());
  EXPECT_TRUE(s.Timer1->Enabled());
  ASSERT_EQ(StartsOf(a), (QStringList{Part(root, 1), Part(root, 2), Part(root, 2)}));
  EXPECT_EQ(a.plays.last().openedAtMs, a.plays.last().atMs);
  sched.Advance(200);
  EXPECT_NEAR(s.Elapsed, elapsed, 1.5f);  // the time without sound did not count
  EXPECT_EQ(s.TB[0]->text(), "abc");

  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_EQ(StartsOf(a).last(), Part(root, 3));
  EXPECT_EQ(a.ends, (QStringList{Part(root, 1), Part(root, 2), Part(root, 3)}));
  EXPECT_EQ(LogLinesWith("音效>第2段").size(), 1);
  EXPECT_EQ(LogLinesWith("聲音恢復>第2段").size(), 1);
  EXPECT_TRUE(LogLinesWith("未聽到的段落").isEmpty());  // heard whole after all
}

TEST_F(SoundTest, GoingOnWithoutSoundThePartStillPlaysOnceTheOutputIsBack) {
  LoadText(1, {3000, 3000, 3000});
  正式測驗& s = StartScreen();
  plat::FakeAudioDevice& a = Audio(s);
  ASSERT_TRUE(sched.RunUntil([&] { return a.plays.size() == 2; }, 20000));
  sched.Advance(500);
  a.loseOutput("音效伺服器停止了");
  ASSERT_TRUE(BoxUp());
  plat::forms::get<run::NoSoundBox>().Cancel_Click();
  EXPECT_FALSE(BoxUp());
  EXPECT_TRUE(s.Timer1->Enabled());  // the test goes on
  EXPECT_TRUE(s.SoundHeld());
  sched.Advance(4000);
  EXPECT_EQ(a.plays.size(), 2);  // part 3 does not come before part 2
  EXPECT_FALSE(BoxUp());         // not asked again meanwhile

  a.restoreOutput();
  sched.Advance(1000);
  ASSERT_EQ(a.plays.size(), 3);
  EXPECT_EQ(StartsOf(a).last(), Part(root, 2));
  EXPECT_FALSE(s.SoundHeld());

  // Sound was back: a later loss is told again.
  ASSERT_TRUE(sched.RunUntil([&] { return a.plays.size() == 4; }, 20000));
  a.loseOutput("耳機拔掉了");
  ASSERT_TRUE(BoxUp());
  EXPECT_TRUE(plat::forms::get<run::NoSoundBox>().Message->text().contains("耳機拔掉了"));
  a.restoreOutput();
  plat::forms::get<run::NoSoundBox>().Retry_Click();  // at once, not at the next second
  EXPECT_FALSE(BoxUp());
  EXPECT_EQ(StartsOf(a).last(), Part(root, 3));
}

TEST_F(SoundTest, AnOutputThatNeverComesBackListsEveryPartNotHeard) {
  LoadText(1, {3000, 3000, 3000});
  正式測驗& s = StartScreen();
  plat::FakeAudioDevice& a = Audio(s);
  ASSERT_TRUE(sched.RunUntil([&] { return a.plays.size() == 2; }, 20000));
  a.loseOutput("音效伺服器停止了");
  plat::forms::get<run::NoSoundBox>().Cancel_Click();
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_EQ(a.plays.size(), 2);
  EXPECT_FALSE(BoxUp());
  const QStringList summary = LogLinesWith("未聽到的段落");
  ASSERT_EQ(summary.size(), 1);
  // Part 3 was never tried: it is named all the same.
  EXPECT_TRUE(summary[0].endsWith("第2段(音效伺服器停止了) 第3段(未播放)")) << summary[0].toStdString();
}

TEST_F(SoundTest, TheOutputLostInAPauseIsTriedAgainAtTheContinue) {
  LoadText(1, {3000, 3000, 3000});
  正式測驗& s = StartScreen();
  plat::FakeAudioDevice& a = Audio(s);
  ASSERT_TRUE(sched.RunUntil([&] { return a.plays.size() == 2; }, 20000));
  sched.Advance(500);
  s.Image2_Click();
  a.loseOutput("耳機拔掉了");
  EXPECT_FALSE(BoxUp());  // the candidate is away
  sched.Advance(3000);
  plat::forms::get<run::是否暫離>().Command2_Click();
  // Still lost when part 2 is due again: now the proctor is told.
  sched.Advance(1200);
  ASSERT_TRUE(BoxUp());
  a.restoreOutput();
  sched.Advance(1000);
  EXPECT_FALSE(BoxUp());
  EXPECT_EQ(StartsOf(a), (QStringList{Part(root, 1), Part(root, 2), Part(root, 2)}));
}

TEST_F(SoundTest, AnOutputLostAndBackInAPausePlaysThePartWholeFromItsStart) {
  LoadText(1, {3000, 3000, 3000});
  正式測驗& s = StartScreen();
  plat::FakeAudioDevice& a = Audio(s);
  ASSERT_TRUE(sched.RunUntil([&] { return a.plays.size() == 2; }, 20000));
  sched.Advance(1500);
  s.Image2_Click();
  a.loseOutput("耳機拔掉了");
  sched.Advance(2000);
  a.restoreOutput();
  plat::forms::get<run::是否暫離>().Command2_Click();
  EXPECT_FALSE(BoxUp());
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_EQ(StartsOf(a), (QStringList{Part(root, 1), Part(root, 2), Part(root, 2), Part(root, 3)}));
  // Not cut short by the play time counted before the pause.
  EXPECT_EQ(a.ends, (QStringList{Part(root, 1), Part(root, 2), Part(root, 3)}));
}

// After 取消 at the start, a part due once the output is back plays: one
// that could not even open (false), and one that played into the void.
class CancelAtTheStart : public SoundTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CancelAtTheStart, APartDueLaterPlaysOnceTheOutputIsBack) {
  const bool opens = GetParam();
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = Screen();
  plat::FakeAudioDevice& a = Audio(s);
  if (opens) {
    a.noOutput = "沒有音效卡";
  } else {
    a.loseOutput("沒有音效卡");
  }
  prompt.answers = {plat::Answer::Cancel};
  s.Show();
  EXPECT_TRUE(s.Timer1->Enabled());
  sched.Advance(1500);  // part 1 fell due at 1 s
  EXPECT_EQ(a.plays.size(), opens ? 1 : 0);
  a.restoreOutput();
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_EQ(StartsOf(a), (QStringList{Part(root, 1), Part(root, 2), Part(root, 3)}));
  EXPECT_EQ(prompt.calls.size(), 1);
  EXPECT_FALSE(BoxUp());
  const QStringList summary = LogLinesWith("未聽到的段落");
  if (opens) {
    ASSERT_EQ(summary.size(), 1);
    EXPECT_TRUE(summary[0].endsWith(">第1段(沒有音效卡)")) << summary[0].toStdString();
  } else {
    EXPECT_TRUE(summary.isEmpty());  // held until it could be heard
  }
}

INSTANTIATE_TEST_SUITE_P(OpenOrNot, CancelAtTheStart, ::testing::Bool());

TEST_F(SoundTest, RetryAtTheStartOpensTheFirstPartAnewForItsPlay) {
  common::Setting705.set(1);
  LoadText(1, {2000, 2000, 2000});
  MendingPrompt mending;
  seams.Set(plat::SetPrompt, &mending);
  正式測驗& s = Screen();
  mending.device = &Audio(s);
  Audio(s).loseOutput("沒有音效卡");
  s.Show();
  EXPECT_EQ(mending.calls.size(), 1);
  // Opened after the mend, so there is a Play to press.
  EXPECT_TRUE(s.MMControl1->PlayButton->isEnabled());
  EXPECT_FALSE(s.Timer1->Enabled());
  sched.Advance(5400);
  s.MMControl1->PlayButton->click();
  ASSERT_EQ(Audio(s).plays.size(), 1);
  EXPECT_EQ(Audio(s).plays[0].openedAtMs, Audio(s).plays[0].atMs);
  EXPECT_TRUE(s.Timer1->Enabled());
  seams.Set(plat::SetPrompt, &prompt);
}

TEST_F(SoundTest, APlayPressedWhileTheOutputIsAwayWaitsWithTheClockForTheSound) {
  common::Setting705.set(1);
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = StartScreen();
  plat::FakeAudioDevice& a = Audio(s);
  sched.Advance(3000);
  a.loseOutput("耳機拔掉了");
  s.MMControl1->PlayButton->click();
  EXPECT_TRUE(BoxUp());
  EXPECT_TRUE(s.ClockStarted);
  EXPECT_TRUE(s.ClockHeld());
  EXPECT_TRUE(a.plays.isEmpty());
  sched.Advance(4000);
  a.restoreOutput();
  sched.Advance(1000);
  EXPECT_FALSE(BoxUp());
  EXPECT_TRUE(s.Timer1->Enabled());
  ASSERT_EQ(StartsOf(a), QStringList{Part(root, 1)});
  EXPECT_LT(s.Elapsed, 1.5f);  // the clock ran only since the sound came
}

TEST_F(SoundTest, WaitingForPlayWithNothingOpenTheClockStartsAndThePartPlaysWhenItCan) {
  common::Setting705.set(1);
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = Screen();
  Audio(s).loseOutput("沒有音效卡");
  prompt.answers = {plat::Answer::Cancel};
  s.Show();
  // No Play could be pressed: the test does not wait for one.
  EXPECT_FALSE(s.MMControl1->PlayButton->isEnabled());
  EXPECT_TRUE(s.Timer1->Enabled());
  sched.Advance(3000);
  EXPECT_TRUE(Audio(s).plays.isEmpty());
  Audio(s).restoreOutput();
  sched.Advance(1100);
  EXPECT_EQ(StartsOf(Audio(s)), QStringList{Part(root, 1)});
}

TEST_F(SoundTest, APartThatWillNotOpenIsPassedOver) {
  LoadText(1, {2000, 2000, 2000});
  正式測驗& s = Screen();
  Audio(s).refuseFile(root + "Data/T0001-02.wma", "檔案損毀");
  s.Show();
  ASSERT_TRUE(sched.RunUntil([&] { return s.HandedOver; }, 100000));
  EXPECT_EQ(StartsOf(Audio(s)), (QStringList{Part(root, 1), Part(root, 3)}));
  EXPECT_TRUE(prompt.calls.isEmpty());
  EXPECT_FALSE(BoxUp());
  const QStringList summary = LogLinesWith("未聽到的段落");
  ASSERT_EQ(summary.size(), 1);
  EXPECT_TRUE(summary[0].endsWith(">第2段(檔案損毀)")) << summary[0].toStdString();
}

}  // namespace
}  // namespace runtest
