// The real backend on a committed fixture: 2.5 s of tone in WMA v2.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaFormat>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/media/qt_audio_device.h"

namespace {

const QString kPart1 = QStringLiteral(TEST_DATA_DIR "/T0001A-01.wma");

bool CanDecodeWma() {
  plat::PrepareMediaBackend();
  const auto codecs = QMediaFormat().supportedAudioCodecs(QMediaFormat::Decode);
  return codecs.contains(QMediaFormat::AudioCodec::WMA);
}

// Spins the event loop until cond holds or ms passed.
bool WaitFor(const std::function<bool()>& cond, int ms) {
  QElapsedTimer t;
  t.start();
  while (!cond() && t.elapsed() < ms) {
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return cond();
}

class QtAudioDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CanDecodeWma()) GTEST_SKIP() << "no WMA decoder in the GStreamer backend";
  }
};

TEST_F(QtAudioDeviceTest, PlaysAWmaPartToItsEnd) {
  plat::QtAudioDevice dev;
  dev.setNotify(true);
  int done = 0;
  QObject::connect(&dev, &plat::AudioDevice::done, [&] { ++done; });
  int status = 0;
  QObject::connect(&dev, &plat::AudioDevice::statusUpdate, [&] { ++status; });
  dev.setFileName(kPart1);
  ASSERT_TRUE(dev.command("OPEN")) << dev.lastError().toStdString();
  EXPECT_EQ(dev.openFile(), kPart1);
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
  ASSERT_TRUE(WaitFor([&] { return dev.length() != plat::AudioDevice::kLengthUnknown; }, 3000));
  EXPECT_NEAR(dev.length(), 2507, 50);

  dev.setUpdateInterval(250);
  QElapsedTimer t;
  t.start();
  ASSERT_TRUE(dev.command("play"));
  EXPECT_EQ(dev.mode(), plat::kModePlaying);  // at once, before the backend answers
  ASSERT_TRUE(WaitFor([&] { return dev.mode() == plat::kModeStopped; }, 4000));
  EXPECT_GT(t.elapsed(), 2000);
  EXPECT_EQ(done, 1);
  EXPECT_GE(status, 5);
  EXPECT_GE(dev.position(), 2400);

  // Rewound, it plays again.
  dev.command("prev");
  ASSERT_TRUE(dev.command("play"));
  ASSERT_TRUE(WaitFor([&] { return dev.position() > 200; }, 3000));
  EXPECT_EQ(dev.mode(), plat::kModePlaying);
  ASSERT_TRUE(dev.command("PAUSE"));
  EXPECT_EQ(dev.mode(), plat::kModePaused);
  ASSERT_TRUE(dev.command("CLOSE"));
  EXPECT_EQ(dev.mode(), plat::kModeNotOpen);
  EXPECT_EQ(dev.length(), 0);
}

TEST_F(QtAudioDeviceTest, AMissingFileDoesNotCountAsOpen) {
  plat::QtAudioDevice dev;
  dev.setFileName(QStringLiteral(TEST_DATA_DIR "/T0001A-09.wma"));
  EXPECT_FALSE(dev.command("OPEN"));
  EXPECT_FALSE(dev.isOpen());
  EXPECT_EQ(dev.openFile(), QString());
  EXPECT_EQ(dev.mode(), plat::kModeNotOpen);
  EXPECT_FALSE(dev.command("play"));  // no-op, no throw
  EXPECT_EQ(dev.mode(), plat::kModeNotOpen);
}

}  // namespace
