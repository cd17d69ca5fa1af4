// The device contract, on the fake driven by virtual time.
#include <gtest/gtest.h>

#include "platform/gui/formtimer.h"
#include "testsupport/gui/fake_audio_device.h"
#include "testsupport/gui/virtualtime.h"

namespace {

using plat::AudioDevice;
using plat::FakeAudioDevice;

class FakeAudioTest : public ::testing::Test {
 protected:
  plat::VirtualScheduler sched;
  FakeAudioDevice dev;
};

TEST_F(FakeAudioTest, PlaysToTheEndAndStops) {
  dev.addFile("/d/T0001A-01.wma", 2500);
  int done = 0;
  QObject::connect(&dev, &plat::AudioDevice::done, [&] { ++done; });
  int status = 0;
  QObject::connect(&dev, &plat::AudioDevice::statusUpdate, [&] { ++status; });
  dev.setFileName("/d/T0001A-01.wma");
  ASSERT_TRUE(dev.command("open"));
  EXPECT_EQ(dev.length(), 2500);
  dev.setUpdateInterval(1000);
  ASSERT_TRUE(dev.command("PLAY"));
  EXPECT_EQ(dev.mode(), plat::kModePlaying);
  sched.Advance(1200);
  EXPECT_EQ(dev.position(), 1200);
  EXPECT_EQ(status, 1);
  sched.Advance(1400);
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
  EXPECT_EQ(dev.position(), 2500);
  EXPECT_EQ(done, 0);  // notify is off
  EXPECT_EQ(status, 2);
  // Reports go on while the file is open, whatever the play state.
  sched.Advance(3000);
  EXPECT_EQ(status, 5);
  dev.setUpdateInterval(0);
  sched.Advance(3000);
  EXPECT_EQ(status, 5);
}

TEST_F(FakeAudioTest, DoneOnlyWithNotify) {
  dev.addFile("a.wma", 500);
  dev.setNotify(true);
  int done = 0;
  QObject::connect(&dev, &plat::AudioDevice::done, [&] { ++done; });
  dev.setFileName("a.wma");
  dev.command("OPEN");
  dev.command("play");
  sched.Advance(499);
  EXPECT_EQ(done, 0);
  sched.Advance(1);
  EXPECT_EQ(done, 1);
  // At the end play finds nothing left: done at once, nothing replayed.
  dev.command("play");
  sched.Advance(1);
  EXPECT_EQ(done, 2);
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
  EXPECT_EQ(dev.position(), 500);
  EXPECT_EQ(dev.plays.size(), 1);
  // Rewound, it plays again.
  dev.command("prev");
  dev.command("play");
  sched.Advance(250);
  EXPECT_EQ(dev.position(), 250);
}

TEST_F(FakeAudioTest, PauseKeepsThePositionAndPrevRewinds) {
  dev.addFile("a.wma", 5000);
  dev.setFileName("a.wma");
  dev.command("OPEN");
  dev.command("play");
  sched.Advance(1000);
  dev.command("PAUSE");
  EXPECT_EQ(dev.mode(), plat::kModePaused);
  sched.Advance(10000);
  EXPECT_EQ(dev.position(), 1000);
  dev.command("play");
  sched.Advance(500);
  EXPECT_EQ(dev.position(), 1500);
  dev.command("Prev");
  EXPECT_EQ(dev.position(), 0);
  dev.command("STOP");
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
  sched.Advance(10000);
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
}

TEST_F(FakeAudioTest, AFileThatIsNotThereYetOpensOnceItArrives) {
  dev.addFile("late.wma", 1000, plat::clock().MonotonicMs() + 5000);
  dev.setFileName("late.wma");
  EXPECT_FALSE(dev.command("OPEN"));
  EXPECT_FALSE(dev.isOpen());
  EXPECT_EQ(dev.fileName(), "late.wma");  // the name stays, the device is not open
  EXPECT_FALSE(dev.command("play"));
  EXPECT_EQ(dev.mode(), plat::kModeNotOpen);
  sched.Advance(5000);
  EXPECT_TRUE(dev.command("OPEN"));
  EXPECT_EQ(dev.openFile(), "late.wma");
}

TEST_F(FakeAudioTest, LengthIsUnknownUntilTheBackendKnowsIt) {
  dev.addFile("a.wma", 3000);
  dev.setLengthDelay(80);
  int len = 0;
  QObject::connect(&dev, &plat::AudioDevice::lengthChanged, [&] { ++len; });
  dev.setFileName("a.wma");
  dev.command("OPEN");
  EXPECT_EQ(dev.length(), AudioDevice::kLengthUnknown);
  sched.Advance(100);
  EXPECT_EQ(dev.length(), 3000);
  EXPECT_EQ(len, 1);
}

TEST_F(FakeAudioTest, CommandsOnAClosedDeviceDoNothing) {
  for (const char* c : {"play", "PAUSE", "prev", "stop"}) EXPECT_FALSE(dev.command(c)) << c;
  EXPECT_TRUE(dev.command("CLOSE"));
  EXPECT_FALSE(dev.command("rewind"));
  EXPECT_EQ(dev.mode(), plat::kModeNotOpen);
  EXPECT_EQ(dev.length(), 0);
  EXPECT_EQ(dev.log, QStringList({"play", "PAUSE", "prev", "stop", "CLOSE", "rewind"}));
}

TEST_F(FakeAudioTest, ButtonsSignalBeforeTheDeviceActs) {
  dev.addFile("a.wma", 3000);
  dev.setFileName("a.wma");
  dev.command("OPEN");
  int modeAtPress = 0;
  QObject::connect(&dev, &AudioDevice::playPressed, [&] { modeAtPress = dev.mode(); });
  dev.pressPlay();
  EXPECT_EQ(modeAtPress, plat::kModeStopped);
  EXPECT_EQ(dev.mode(), plat::kModePlaying);
}

}  // namespace
