// The real device at a private sound server: what reaches the sink is
// recorded and matched against the decoded part.
#include "platform/media/gst_audio_device.h"

#include <gtest/gtest.h>

#include <QFile>

#include "platform/media/gst_support.h"
#include "testsupport/gui/pulse_server.h"

namespace {

using pulsetest::Match;
using pulsetest::PulseServer;
using pulsetest::Spin;
using pulsetest::WaitFor;

// 3 s of 16-bit mono WAV: tone bursts at uneven moments, so that the
// recording lines up with the part in one way only, and a lost start shows.
bool WriteBurstsWav(const QString& path) {
  constexpr int rate = 22050;
  const struct {
    double at, len;
  } bursts[] = {{0.0, 0.2}, {0.45, 0.1}, {0.9, 0.3}, {1.6, 0.15}, {2.1, 0.25}, {2.7, 0.3}};
  QVector<qint16> s(rate * 3, 0);
  for (const auto& b : bursts)
    for (int i = int(b.at * rate); i < int((b.at + b.len) * rate) && i < s.size(); ++i)
      s[i] = qint16(12000 * std::sin(2 * M_PI * 660 * i / rate));
  QByteArray h;
  auto u32 = [&](quint32 v) { h.append(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](quint16 v) { h.append(reinterpret_cast<const char*>(&v), 2); };
  const quint32 bytes = s.size() * 2;
  h.append("RIFF");
  u32(36 + bytes);
  h.append("WAVEfmt ");
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  h.append("data");
  u32(bytes);
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  if (f.write(h) != h.size()) return false;
  if (f.write(reinterpret_cast<const char*>(s.constData()), bytes) != bytes) return false;
  return f.flush();
}

class GstAudioDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PulseServer::Available()) GTEST_SKIP() << "pulseaudio, pactl or parec is not installed";
    QString why;
    ASSERT_TRUE(plat::EnsureGst(&why)) << why.toStdString();
    ASSERT_TRUE(server.Start(&why)) << why.toStdString();
    part = server.dir() + "/bursts.wav";
    ASSERT_TRUE(WriteBurstsWav(part));
    reference = pulsetest::Decode(part, server.dir());
    ASSERT_FALSE(reference.isEmpty());
  }

  // Plays the open part to its end (bounded).
  bool PlayToEnd(plat::GstAudioDevice& dev) {
    if (!dev.command("play")) return false;
    return WaitFor([&] { return dev.mode() == plat::kModeStopped; }, 8000);
  }

  PulseServer server;
  QString part;
  QVector<qint16> reference;
};

// The old backend was silent for as long as a part waited between its open
// and its play, then stuttered.
class PlayedAfterOpen : public GstAudioDeviceTest, public ::testing::WithParamInterface<int> {};

TEST_P(PlayedAfterOpen, IsHeardWholeFromItsFirstSound) {
  plat::GstAudioDevice dev;
  dev.setNotify(true);
  int done = 0;
  QObject::connect(&dev, &plat::AudioDevice::done, [&] { ++done; });
  dev.setFileName(part);
  ASSERT_TRUE(dev.command("OPEN")) << dev.lastError().toStdString();
  // Prerolled by the open: the length is there at once.
  EXPECT_NEAR(dev.length(), 3000, 30);
  EXPECT_EQ(dev.position(), 0);
  ASSERT_TRUE(server.StartRecording());
  Spin(GetParam());
  ASSERT_TRUE(PlayToEnd(dev));
  Spin(500);
  const auto h = Match(server.StopRecording(), reference);
  EXPECT_GT(h.correlation, 0.9);
  EXPECT_DOUBLE_EQ(h.firstHeardS, 0.0);
  EXPECT_GT(h.fractionHeard, 0.97);
  EXPECT_LT(h.extraS, 0.1);  // nothing before play, no repeat
  // The part begins after the wait, not during it.
  EXPECT_GE(h.lag * 0.02, GetParam() / 1000.0 - 0.05);
  EXPECT_EQ(done, 1);
  EXPECT_GE(dev.position(), 2950);
}

INSTANTIATE_TEST_SUITE_P(Waits, PlayedAfterOpen, ::testing::Values(0, 2500));

TEST_F(GstAudioDeviceTest, PauseSilencesAndContinueResumesWhereItPaused) {
  plat::GstAudioDevice dev;
  dev.setFileName(part);
  ASSERT_TRUE(dev.command("OPEN"));
  ASSERT_TRUE(server.StartRecording());
  ASSERT_TRUE(dev.command("play"));
  ASSERT_TRUE(WaitFor([&] { return dev.position() >= 1200; }, 4000));
  ASSERT_TRUE(dev.command("PAUSE"));
  EXPECT_EQ(dev.mode(), plat::kModePaused);
  const qint64 at = dev.position();
  Spin(1500);
  EXPECT_NEAR(dev.position(), at, 60);
  ASSERT_TRUE(PlayToEnd(dev));
  Spin(400);
  // Heard in two pieces with the pause's silence between: each window of
  // the part once, nothing else.
  const QVector<double> rec = pulsetest::Envelope(server.StopRecording());
  const QVector<double> ref = pulsetest::Envelope(reference);
  auto loud = [](const QVector<double>& e) {
    int n = 0;
    for (double v : e) n += v > 1500;
    return n;
  };
  EXPECT_NEAR(loud(rec), loud(ref), loud(ref) / 10);
  int first = -1, last = -1, gap = 0;
  for (int i = 0; i < rec.size(); ++i) {
    if (rec[i] <= 1500) continue;
    if (first < 0) first = i;
    if (last >= 0) gap = std::max(gap, i - last - 1);
    last = i;
  }
  EXPECT_GT(gap * 0.02, 1.3);
}

TEST_F(GstAudioDeviceTest, AfterTheEndPlayRewindAndStopSoundNothing) {
  // The test screen's handling of a part's end: prev, then stop.
  plat::GstAudioDevice dev;
  dev.setNotify(true);
  dev.setFileName(part);
  ASSERT_TRUE(dev.command("OPEN"));
  ASSERT_TRUE(server.StartRecording());
  int done = 0;
  QObject::connect(&dev, &plat::AudioDevice::done, [&] { ++done; });
  ASSERT_TRUE(PlayToEnd(dev));
  EXPECT_EQ(done, 1);
  // A pause just after the end finds nothing to pause, and a play finds
  // nothing left to play.
  EXPECT_FALSE(dev.command("PAUSE"));
  ASSERT_TRUE(dev.command("play"));
  ASSERT_TRUE(WaitFor([&] { return done == 2; }, 3000));
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
  dev.command("prev");
  dev.command("stop");
  EXPECT_EQ(dev.position(), 0);
  Spin(1500);
  const auto h = Match(server.StopRecording(), reference);
  EXPECT_GT(h.fractionHeard, 0.97);
  EXPECT_LT(h.extraS, 0.1);
}

TEST_F(GstAudioDeviceTest, ASampleRestartedOnEachCompletionPlaysWholeEachTime) {
  // The volume test: every completion rewinds and plays again.
  plat::GstAudioDevice dev;
  dev.setNotify(true);
  int done = 0;
  QObject::connect(&dev, &plat::AudioDevice::done, [&] {
    ++done;
    dev.command("prev");
    dev.command("play");
  });
  dev.setFileName(part);
  ASSERT_TRUE(dev.command("OPEN"));
  ASSERT_TRUE(server.StartRecording());
  dev.command("prev");
  dev.command("play");
  ASSERT_TRUE(WaitFor([&] { return done >= 2; }, 12000));
  dev.command("CLOSE");
  Spin(300);
  const QVector<qint16> rec = server.StopRecording();
  // Two whole plays one after the other: each matches where it lies.
  const auto first = Match(rec, reference, 2.0);
  ASSERT_GE(first.lag, 0);
  const qsizetype cut = (first.lag * pulsetest::kWindow) + reference.size() - 2 * pulsetest::kWindow;
  const auto second = Match(rec.mid(cut), reference);
  for (const auto& h : {first, second}) {
    EXPECT_GT(h.correlation, 0.9);
    EXPECT_GT(h.fractionHeard, 0.95);
  }
}

TEST_F(GstAudioDeviceTest, AServerThatDiesIsAFailureAndAnOpenAfterItsReturnPlays) {
  plat::GstAudioDevice dev;
  QStringList failures;
  QObject::connect(&dev, &plat::AudioDevice::failure, [&](const QString& why) { failures << why; });
  dev.setFileName(part);
  ASSERT_TRUE(dev.command("OPEN"));
  ASSERT_TRUE(dev.command("play"));
  ASSERT_TRUE(WaitFor([&] { return dev.position() > 300; }, 4000));
  server.Kill();
  ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }, 8000));
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
  EXPECT_FALSE(dev.outputProblem().isEmpty());
  // While the server is away an open fails at once, with the reason.
  EXPECT_FALSE(dev.command("OPEN"));
  EXPECT_FALSE(dev.lastError().isEmpty());

  QString why;
  ASSERT_TRUE(server.Restart(&why)) << why.toStdString();
  EXPECT_EQ(dev.outputProblem(), QString());  // looked at afresh
  ASSERT_TRUE(dev.command("OPEN")) << dev.lastError().toStdString();
  ASSERT_TRUE(server.StartRecording());
  ASSERT_TRUE(PlayToEnd(dev));
  Spin(300);
  const auto h = Match(server.StopRecording(), reference);
  EXPECT_DOUBLE_EQ(h.firstHeardS, 0.0);
  EXPECT_GT(h.fractionHeard, 0.97);
}

// The server dies while the part waits for its play: opened and not yet
// played, or paused in the middle.
class DiesWhileWaiting : public GstAudioDeviceTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DiesWhileWaiting, ThePlayFailsAndPlaysOnceTheServerIsBack) {
  const bool paused = GetParam();
  plat::GstAudioDevice dev;
  QStringList failures;
  QObject::connect(&dev, &plat::AudioDevice::failure, [&](const QString& why) { failures << why; });
  dev.setFileName(part);
  ASSERT_TRUE(dev.command("OPEN"));
  if (paused) {
    ASSERT_TRUE(dev.command("play"));
    ASSERT_TRUE(WaitFor([&] { return dev.position() > 500; }, 4000));
    ASSERT_TRUE(dev.command("PAUSE"));
    Spin(200);
  }
  server.Kill();
  Spin(300);
  dev.command("play");
  ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }, 8000));
  EXPECT_EQ(dev.mode(), plat::kModeStopped);
  // Once the server is back, the part is built anew for the next play.
  QString why;
  ASSERT_TRUE(server.Restart(&why)) << why.toStdString();
  ASSERT_TRUE(server.StartRecording());
  ASSERT_TRUE(PlayToEnd(dev));
  Spin(300);
  const auto h = Match(server.StopRecording(), reference);
  EXPECT_DOUBLE_EQ(h.firstHeardS, 0.0);
  EXPECT_GT(h.fractionHeard, 0.97);
  EXPECT_EQ(failures.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(OpenOrPaused, DiesWhileWaiting, ::testing::Bool());

TEST_F(GstAudioDeviceTest, AHungServerNeverHoldsTheCaller) {
  plat::GstAudioDevice dev;
  dev.setFileName(part);
  ::kill(static_cast<pid_t>(server.Pid()), SIGSTOP);
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(dev.outputProblem().isEmpty());
  EXPECT_FALSE(dev.outputProblem().isEmpty());  // the stuck probe is not joined
  dev.command("OPEN");
  dev.command("play");
  dev.command("PAUSE");
  dev.command("CLOSE");
  // A wait on the server would be its 30 s timeout.
  EXPECT_LT(t.elapsed(), 5000);
  ::kill(static_cast<pid_t>(server.Pid()), SIGCONT);
}

TEST_F(GstAudioDeviceTest, TheWarningToneReachesTheOutput) {
  ASSERT_TRUE(server.StartRecording());
  plat::PlayWarningTone();
  Spin(1200);
  int loud = 0;
  for (double v : pulsetest::Envelope(server.StopRecording())) loud += v > 1000;
  // About a quarter of a second of tone.
  EXPECT_GT(loud * 0.02, 0.15);
  EXPECT_LT(loud * 0.02, 0.4);
}

TEST_F(GstAudioDeviceTest, AWmaPartOpensWithItsLength) {
  plat::GstAudioDevice dev;
  dev.setFileName(QStringLiteral(TEST_DATA_DIR "/T0001A-01.wma"));
  ASSERT_TRUE(dev.command("OPEN")) << dev.lastError().toStdString();
  EXPECT_NEAR(dev.length(), 2507, 50);
}

TEST_F(GstAudioDeviceTest, AMissingFileDoesNotCountAsOpen) {
  plat::GstAudioDevice dev;
  dev.setFileName(server.dir() + "/T0001A-09.wma");
  EXPECT_FALSE(dev.command("OPEN"));
  EXPECT_FALSE(dev.isOpen());
  EXPECT_EQ(dev.mode(), plat::kModeNotOpen);
  EXPECT_FALSE(dev.command("play"));
  // One that is there but is no sound either.
  QFile junk(server.dir() + "/junk.wma");
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  ASSERT_EQ(junk.write(QByteArray(4000, 'x')), 4000);
  ASSERT_TRUE(junk.flush());
  junk.close();
  dev.setFileName(junk.fileName());
  EXPECT_FALSE(dev.command("OPEN"));
  EXPECT_FALSE(dev.lastError().isEmpty());
}

}  // namespace
