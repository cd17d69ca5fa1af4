// The parts of a test through the part player alone, on the fake device and
// virtual time: which part plays when, across pauses and a lost sound
// output, and which parts the error report lists as not heard.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "common/accessors.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/clock.h"
#include "platform/core/textfile.h"
#include "platform/gui/formtimer.h"
#include "testsupport/gui/fake_audio_device.h"
#include "testsupport/gui/virtualtime.h"
#include "exam/run/core/part_player.h"

namespace {

constexpr int kParts = 3;

// The screen around the player: its flags, its tick, what it was asked.
struct Rig {
  Rig() {
    common::ResetCommonState();
    common::SeedSettingDefaults();
    common::Setting701.set(1);
    common::Setting704.set(1);
    common::Setting705.set(0);
    EXPECT_TRUE(dir.isValid());
    const qint64 lengths[kParts] = {4500, 4000, 6000};
    for (int p = 1; p <= kParts; ++p) {
      files << dir.filePath(QString("t-%1.wma").arg(p));
      dev.addFile(files.last(), lengths[p - 1]);
      EXPECT_TRUE(plat::writeBytesAtomic(files.last(), "x"));
    }
    QObject::connect(&dev, &plat::AudioDevice::statusUpdate, [this] { player.StatusUpdate(); });
    QObject::connect(&dev, &plat::AudioDevice::done, [this] { player.Done(); });
    QObject::connect(&dev, &plat::AudioDevice::failure, [this](const QString& why) { player.Failure(why); });
    QObject::connect(&dev, &plat::AudioDevice::playPressed, [this] { player.PlayPressed(); });
    QObject::connect(&dev, &plat::AudioDevice::pausePressed, [this] { player.PausePressed(); });

    run::PartPlayer::Hooks& h = player.hooks;
    h.partFile = [this](int p) { return p >= 1 && p <= files.size() ? files[p - 1] : QString("ZZZZZZZZ.ZZZ"); };
    h.now = [this] { return 1000.0f + static_cast<float>(sched.Now()) / 1000.0f; };
    h.begun = [this] { return begun; };
    h.running = [this] { return running; };
    h.handedOver = [] { return false; };
    h.clockStarted = [this] { return clockStarted; };
    h.holdClock = [this] { screen << "hold"; };
    h.releaseClock = [this] { screen << "release"; };
    h.tellNoSound = [this](const QString& why) { screen << "tell " + why; };
    h.noSoundReason = [this](const QString& why) { screen << "reason " + why; };
    h.retry = [this](bool on) { retrying = on; };
    h.played = [this] { ++played; };
    h.log = [this](const QString& line) { log << line; };
    // The screen's 100 ms tick, while the test runs.
    tick.SetInterval(100);
    tick.Tick = [this] {
      if (running) player.Tick();
    };
  }

  ~Rig() { common::ResetCommonState(); }

  // The screen starts the test, the proctor having chosen at its sound
  // check; true when the clock waits for Play.
  bool Begin(bool withoutSound = false) {
    player.Reset();
    begun = running = true;
    player.Prepare();
    if (withoutSound) player.ChooseWithoutSound();
    const bool waits = player.Start();
    clockStarted = !waits;
    return waits;
  }
  void Pause() {
    running = false;
    player.Pause();
  }
  void Resume() {
    running = true;
    player.Resume();
  }
  bool RunToTheEnd() {
    return sched.RunUntil([&] { return dev.ends.size() == kParts; }, 120000);
  }
  // Parts played from their start, as 1, 2, 3.
  QList<int> Starts() const {
    QList<int> parts;
    for (const auto& p : dev.plays)
      if (p.fromMs == 0) parts << Part(p.file);
    return parts;
  }
  int Part(const QString& file) const {
    for (int i = 0; i < files.size(); ++i)
      if (files[i].compare(file, Qt::CaseInsensitive) == 0) return i + 1;
    return 0;
  }
  QString Summary() {
    player.ReportUnheard();
    const QStringList lines = log.filter("未聽到的段落");
    return lines.isEmpty() ? QString() : lines.last();
  }

  plat::VirtualScheduler sched;
  QTemporaryDir dir;
  QStringList files;
  plat::FakeAudioDevice dev;
  run::PartPlayer player{&dev};
  plat::FormTimer tick;
  bool begun = false;
  bool running = false;
  bool clockStarted = false;
  bool retrying = false;
  int played = 0;
  QStringList screen;
  QStringList log;
};

class Parts : public ::testing::Test, public Rig {};

TEST(PartsTable, EachPartOnceWholeFromItsStartAcrossPauses) {
  struct Case {
    const char* name;
    std::function<void(Rig&)> drive;
  };
  const Case cases[] = {
      {"NoPause", nullptr},
      {"PauseInAPart",
       [](Rig& t) {
         t.sched.Advance(3000);  // part 1 plays from 1.1 s
         t.Pause();
         EXPECT_EQ(t.dev.mode(), plat::kModePaused);
         const qint64 at = t.dev.position();
         t.sched.Advance(20000);
         t.Resume();
         ASSERT_EQ(t.dev.plays.size(), 2);
         EXPECT_EQ(t.dev.plays[1].fromMs, at);  // on where it stopped
       }},
      {"PartEndsInsideAPause",
       [](Rig& t) {
         // Part 1 ends at 5.6 s; its next position report would come at
         // 6.1 s. The pause comes in between.
         t.sched.Advance(5800);
         ASSERT_EQ(t.dev.ends.size(), 1);
         ASSERT_EQ(t.player.PartNo, 1);
         t.Pause();
         t.sched.Advance(10000);
         const qint64 resumed = plat::clock().MonotonicMs();
         t.Resume();
         EXPECT_EQ(t.player.PartNo, 2);  // over, not played again
         t.sched.Advance(900);
         EXPECT_EQ(t.dev.plays.size(), 1);
         t.sched.Advance(300);
         ASSERT_EQ(t.dev.plays.size(), 2);
         EXPECT_NEAR(t.dev.plays[1].atMs - resumed, 1100, 100);  // after the usual gap
       }},
      {"PauseBetweenParts",
       [](Rig& t) {
         t.sched.Advance(6300);  // part 1 over, part 2 due
         ASSERT_EQ(t.player.PartNo, 2);
         t.Pause();
         t.sched.Advance(10000);
         EXPECT_EQ(t.dev.plays.size(), 1);
         t.Resume();
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig t;
    ASSERT_FALSE(t.Begin());
    if (c.drive) c.drive(t);
    ASSERT_TRUE(t.RunToTheEnd());
    EXPECT_EQ(t.Starts(), (QList<int>{1, 2, 3}));
    for (const auto& p : t.dev.plays) {
      if (p.fromMs != 0) continue;
      EXPECT_EQ(p.openedAtMs, p.atMs) << "opened before it played";
    }
    EXPECT_EQ(t.Summary(), QString());
  }
}

TEST_F(Parts, SoundLostMidPartHoldsTheClockAndPlaysThePartAgainOnceItIsBack) {
  ASSERT_FALSE(Begin());
  sched.Advance(2500);
  dev.loseOutput("喇叭拔掉了");
  EXPECT_TRUE(player.SoundHeld());
  EXPECT_TRUE(retrying);
  EXPECT_EQ(screen, (QStringList{"hold", "tell 喇叭拔掉了"}));
  EXPECT_EQ(log.filter("無法放音>喇叭拔掉了").size(), 1);
  EXPECT_EQ(log.filter("第1段").size(), 1);

  // Nothing plays into the void meanwhile; a try while it lasts fails.
  sched.Advance(5000);
  EXPECT_EQ(dev.plays.size(), 1);
  EXPECT_FALSE(player.TryAgain());
  EXPECT_EQ(screen.last(), "reason 喇叭拔掉了");

  dev.restoreOutput();
  EXPECT_TRUE(player.TryAgain());
  EXPECT_FALSE(player.SoundHeld());
  EXPECT_FALSE(retrying);
  EXPECT_EQ(screen.last(), "release");
  ASSERT_EQ(dev.plays.size(), 2);
  EXPECT_EQ(dev.plays[1].fromMs, 0);  // again from its start

  ASSERT_TRUE(RunToTheEnd());
  EXPECT_EQ(Starts(), (QList<int>{1, 1, 2, 3}));
  // Heard whole in the end: not listed.
  EXPECT_EQ(Summary(), QString());
}

TEST_F(Parts, SoundLostInAPauseIsFoundAtTheResume) {
  ASSERT_FALSE(Begin());
  sched.Advance(3000);
  Pause();
  dev.loseOutput("伺服器不見了");
  EXPECT_FALSE(player.SoundHeld());  // nothing plays, nothing to tell
  EXPECT_TRUE(screen.isEmpty());
  sched.Advance(5000);
  Resume();
  EXPECT_TRUE(player.SoundHeld());
  EXPECT_EQ(screen, (QStringList{"hold", "tell 伺服器不見了"}));

  dev.restoreOutput();
  EXPECT_TRUE(player.TryAgain());
  EXPECT_EQ(dev.plays.last().fromMs, 0);
  ASSERT_TRUE(RunToTheEnd());
  EXPECT_EQ(Summary(), QString());
}

TEST_F(Parts, WithoutSoundThePartsPlayAndAreListedAsNotHeard) {
  dev.noOutput = "沒有音效卡";
  ASSERT_FALSE(Begin(true));
  ASSERT_TRUE(RunToTheEnd());
  EXPECT_EQ(Starts(), (QList<int>{1, 2, 3}));
  EXPECT_FALSE(screen.contains("hold"));  // the clock runs on
  EXPECT_EQ(Summary(), "音效>本次測驗未聽到的段落>第1段(沒有音效卡) 第2段(沒有音效卡) 第3段(沒有音效卡)");
}

TEST(PartsTable, TheReportListsThePartsAnEndedTestKeptFromPlaying) {
  struct Case {
    const char* name;
    std::function<void(Rig&)> spoil;  // before part 2 is due
    const char* summary;
  };
  const Case cases[] = {
      {"SoundNeverBack", [](Rig& t) { t.dev.loseOutput("沒有聲音"); },
       "音效>本次測驗未聽到的段落>第2段(沒有聲音) 第3段(未播放)"},
      {"FileNeverArrived",
       [](Rig& t) {
         t.dev.removeFile(t.files[1]);
         QFile::remove(t.files[1]);
       },
       "音效>本次測驗未聽到的段落>第2段(測驗結束前找不到音效檔) 第3段(未播放)"},
      {"BrokenFilePassedOver", [](Rig& t) { t.dev.breakFile(t.files[1], "檔案壞了"); },
       "音效>本次測驗未聽到的段落>第2段(檔案壞了)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig t;
    ASSERT_FALSE(t.Begin());
    t.sched.Advance(6500);  // part 1 over, part 2 due at 7.1 s
    ASSERT_EQ(t.dev.ends.size(), 1);
    c.spoil(t);
    t.sched.Advance(30000);
    EXPECT_EQ(t.Summary().toStdString(), c.summary);
  }
}

TEST_F(Parts, ManualStartOpensPartOneForItsPlayAndAgainRightAsItPlays) {
  common::Setting705.set(1);
  ASSERT_TRUE(Begin());  // the clock waits
  EXPECT_EQ(Part(dev.openFile()), 1);
  sched.Advance(6000);
  EXPECT_TRUE(dev.plays.isEmpty());
  dev.pressPlay();
  ASSERT_EQ(dev.plays.size(), 1);
  EXPECT_EQ(dev.plays[0].openedAtMs, dev.plays[0].atMs);
  EXPECT_EQ(played, 1);  // the screen starts its clock
}

TEST_F(Parts, ManualStartWithNothingToOpenStartsTheClock) {
  common::Setting705.set(1);
  // No Play to press: the clock starts and part 1 plays once it is there.
  dev.removeFile(files[0]);
  QFile::remove(files[0]);
  ASSERT_FALSE(Begin());
  sched.Advance(5000);
  EXPECT_TRUE(dev.plays.isEmpty());
  dev.addFile(files[0], 4500);
  ASSERT_TRUE(plat::writeBytesAtomic(files[0], "x"));
  sched.Advance(200);
  ASSERT_EQ(dev.plays.size(), 1);
  EXPECT_EQ(Part(dev.plays[0].file), 1);
}

TEST_F(Parts, TheCaretsParagraphChoosesThePart) {
  common::Setting701.set(2);
  ASSERT_FALSE(Begin());
  sched.Advance(2000);
  ASSERT_EQ(dev.mode(), plat::kModePlaying);
  player.FollowCaret(3);
  EXPECT_EQ(player.PartNo, 3);
  EXPECT_NE(dev.mode(), plat::kModePlaying);
  EXPECT_GT(player.AudioDue, 0);
  player.FollowCaret(0);  // above the first paragraph: nothing due
  EXPECT_EQ(player.PartNo, 0);
  EXPECT_EQ(player.AudioDue, 0);
  common::Setting701.set(1);  // the part follows the caret only with 701 = 2
  player.FollowCaret(2);
  EXPECT_EQ(player.PartNo, 0);
}

}  // namespace
