// A test whose sound fails: the proctor is called before the clock starts,
// and the error report says which parts were not heard and why.
#include "common/errorlog.h"
#include "test/run/pausedialog.h"
#include "test/run/volumetest.h"
#include "test/run/tests/run_fixture.h"

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
    if (device) device->noOutput.clear();
    return plat::Answer::Retry;
  }
};

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
  plat::SetPrompt(&mending);
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
  plat::SetPrompt(&prompt);
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

}  // namespace
}  // namespace runtest
