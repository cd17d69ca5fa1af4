// What a candidate hears: the real test program on a private display, at a
// sound server of the test's own, its sink's monitor recorded and matched
// against the sample test's parts. Each part must be heard whole and once,
// from its first sound, in order, at the file's level, with no other sound:
// with Play pressed at once or a few seconds late, with the clock running
// from the start, across pauses, after the server came late or restarted,
// and in the second test of a series. A case listens only as far as it
// needs (into the third part at most). Every case prints what was heard
// ("heard:").
#include <QDir>
#include <QThread>
#include <iostream>

#include "platform/core/codec.h"
#include "tests/desktop/testprogram.h"
#include "tests/sound/hearing.h"

namespace desktop {
namespace {

const QString kSetup = QStringLiteral("輸入資料表面");
const QString kScreen = QStringLiteral("正式測驗");
const QString kPause = QStringLiteral("是否暫離");
const QString kBox = QStringLiteral("MessageBox");
const QString kLost = QStringLiteral("NoSoundBox");
constexpr double kSoundDb = -45;  // louder than this is the part playing
constexpr double kQuietDb = -60;

class PlaybackTest : public TestProgramTest {
 protected:
  void SetUp() override {
    if (!sound::Server::Unavailable().isEmpty()) GTEST_SKIP() << sound::Server::Unavailable().toStdString();
    TestProgramTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_NE(sound(), nullptr);
    // The shipped part timing: Play starts the first part, 3 s between
    // parts; two minutes, so that the third part comes before time-up; no
    // warning beeps (sound that is no part's) a minute before the end.
    ASSERT_TRUE(Settings({{704, "3"}, {705, "1"}, {701, "2"}, {201, "2"}, {211, "0"}, {212, "0"}}));
    for (int i = 1; i <= 3; ++i) {
      QString error;
      sound::Part p{QStringLiteral("%1").arg(i, 2, 10, QChar(u'0')),
                    sound::Decode(inst.Folder() + QStringLiteral("Data/T0001-%1.wma").arg(i, 2, 10, QChar(u'0')), &error)};
      ASSERT_FALSE(p.pcm.empty()) << error.toStdString();
      parts.push_back(std::move(p));
    }
    QString error;
    ASSERT_TRUE(rec.Start(*sound(), &error)) << error.toStdString();
  }

  void TearDown() override {
    if (HasFailure()) {
      const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
      const QString raw = OutputFolder() + QStringLiteral("/%1.%2.raw")
                                               .arg(QString::fromUtf8(info->test_suite_name()).replace(u'/', u'_'),
                                                    QString::fromUtf8(info->name()).replace(u'/', u'_'));
      if (rec.Save(raw)) std::cout << "the recording (s16le mono 16000 Hz): " << raw.toStdString() << "\n";
      if (sound()) std::cout << "sound server: " << sound()->Log().right(1500).toStdString() << "\n";
    }
    rec.Stop();
    TestProgramTest::TearDown();
  }

  double PartSeconds(int i) const { return static_cast<double>(parts[i].pcm.size()) / sound::kRate; }

  // From the set-up screen to the test screen (a box over it is the test's
  // to answer).
  void OpenTestScreen(bool boxExpected = false) {
    // Each window placed and focused by the window manager before a click
    // on it: a click before that may land where the window was not yet.
    ASSERT_TRUE(StartSetup(true));
    ASSERT_TRUE(InFrontAndActive(kSetup, 300));
    ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1")));
    ASSERT_TRUE(WaitForWindow(boxExpected ? kBox : kScreen)) << Describe();
    if (!boxExpected) {
      ASSERT_TRUE(InFrontAndActive(kScreen, 300));
    }
    shown = rec.Now();
  }
  void Play() {
    ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play")));
    played = rec.Now();
  }
  // Whether the program thinks its part plays (its Pause takes clicks), for
  // a failure's message: silence while it plays is the sound's fault, not
  // the click's.
  std::string PlayState(qint64 of = 0) const {
    const Widgets w = Probe(of);
    const auto it = w.widgets.constFind(kScreen + QStringLiteral("/MMControl1/Pause"));
    return it != w.widgets.cend() && it->enabled ? "; the program's part plays" : "; the program's part does not play";
  }
  bool WaitForSound(int timeoutMs) {
    return WaitFor([&] { return rec.LevelDb(0.1) > kSoundDb; }, timeoutMs, 50);
  }
  // The end of a part: sound for most of its length, then a quiet spell.
  bool WaitForPartEnd(int part, int timeoutMs) {
    if (!WaitForSound(timeoutMs)) return false;
    const double began = rec.Now();
    return WaitFor([&] { return rec.Now() - began > PartSeconds(part) - 3 && rec.LevelDb(0.3) < kQuietDb; },
                   timeoutMs, 50);
  }
  void Pause(double forSeconds) {
    ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/Image2")));
    ASSERT_TRUE(WaitForWindow(kPause)) << Describe();
    QThread::msleep(static_cast<unsigned long>(forSeconds * 1000));
    ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command2")));
    ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
  }
  // Pause, then 離開: the test ends.
  void Leave() {
    ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/Image2")));
    ASSERT_TRUE(WaitForWindow(kPause)) << Describe();
    ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command1")));
  }

  // What was heard from `from` (seconds of the recording) on, printed.
  sound::Hearing Hear(double from = 0) {
    std::vector<qint16> all = rec.Samples();
    // The time line's last moments may still lack what is on its way.
    all.resize(all.size() - std::min(all.size(), static_cast<size_t>(0.3 * sound::kRate)));
    const size_t skip = std::min(all.size(), static_cast<size_t>(from * sound::kRate));
    all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(skip));
    sound::Hearing h = sound::Match(all, parts);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::cout << "heard: " << info->test_suite_name() << "." << info->name() << "\n"
              << h.Describe().toStdString() << "\n";
    return h;
  }

  // Whole, once, in order, nothing else; the parts that may be cut by the
  // end of the test or of the listening.
  void ExpectHeardWhole(const sound::Hearing& h, const QList<int>& whole, int cutPart = -1, double cutAt = -1) {
    for (int i : whole) {
      const QString why = h.WhyNotWhole(i, i == cutPart ? cutAt : -1);
      EXPECT_TRUE(why.isEmpty()) << why.toStdString() << "\n" << h.Describe().toStdString();
    }
    EXPECT_TRUE(h.WhyNotInOrder().isEmpty()) << h.WhyNotInOrder().toStdString();
    EXPECT_TRUE(h.WhyNotClean().isEmpty()) << h.WhyNotClean().toStdString() << "\n" << h.Describe().toStdString();
  }

  QString ErrorReport() const {
    QFile f(inst.Folder() + QStringLiteral("ZetError.Txt"));
    return f.open(QIODevice::ReadOnly) ? plat::fromCp950(f.readAll()) : QString();
  }

  std::vector<sound::Part> parts;
  sound::Recorder rec;
  double shown = 0, played = 0;
};

// ---- the first sound of every part ---------------------------------------------

struct StartCase {
  const char* name;
  double playAfter;  // seconds after the screen shows; < 0: 705 = 0, the clock and the part start by themselves
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class PartStartTest : public PlaybackTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(PartStartTest, EveryPartIsHeardFromItsFirstSound) {
  const StartCase c = GetParam();
  if (c.playAfter < 0) {
    ASSERT_TRUE(Settings({{705, "0"}}));
  }
  OpenTestScreen();
  if (c.playAfter >= 0) {
    QThread::msleep(static_cast<unsigned long>(c.playAfter * 1000));
    Play();
  }
  // Listened to until some seconds into part 03.
  const double start = c.playAfter >= 0 ? played : shown;
  const double until = start + PartSeconds(0) + PartSeconds(1) + 2 * (3 + 2.5) + 5;
  ASSERT_TRUE(WaitFor([&] { return rec.Now() > until; }, 100000));
  const sound::Hearing h = Hear();
  ExpectHeardWhole(h, {0, 1, 2}, 2, until);
  // The next part follows after the delay, not seconds later.
  const double gap = h.Gap(0) - (PartSeconds(0) - h.lastSound[0]) - h.firstSound[1];
  EXPECT_LT(gap, 3 + 2.5) << h.Describe().toStdString();
  if (c.playAfter >= 0 && !h.Of(0).empty()) {
    EXPECT_LT(h.Of(0).front().at - h.Of(0).front().from - played, 1.5) << "Play at " << played;
  }
}

INSTANTIATE_TEST_SUITE_P(Play, PartStartTest,
                         ::testing::Values(StartCase{"AtOnce", 0.3}, StartCase{"AfterFiveSeconds", 5},
                                           StartCase{"ClockFromTheStart", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- pause and continue ------------------------------------------------------

enum class PauseAt { InAPart, AtAPartsEnd, InTheGap };
struct PauseCase {
  const char* name;
  PauseAt at;
};

void PrintTo(const PauseCase& c, std::ostream* os) { *os << c.name; }

class PauseTest : public PlaybackTest, public ::testing::WithParamInterface<PauseCase> {};

TEST_P(PauseTest, PausedAndContinuedThePartsStayWhole) {
  OpenTestScreen();
  Play();
  ASSERT_TRUE(WaitForSound(8000)) << PlayState() << "\n" << Describe();
  switch (GetParam().at) {
    case PauseAt::InAPart:
      QThread::msleep(3000);
      Pause(2);
      break;
    case PauseAt::AtAPartsEnd:
      ASSERT_TRUE(WaitForPartEnd(0, 40000));
      Pause(2);
      break;
    case PauseAt::InTheGap:
      ASSERT_TRUE(WaitForPartEnd(0, 40000));
      QThread::msleep(1200);
      Pause(2);
      break;
  }
  // The rest of part 01, then the start of part 02.
  if (GetParam().at == PauseAt::InAPart) {
    ASSERT_TRUE(WaitForPartEnd(0, 40000));
  }
  const double end01 = rec.Now();
  ASSERT_TRUE(WaitFor([&] { return rec.Now() - end01 > 3 + 2 + 5; }, 20000)) << Describe();
  const double until = rec.Now();
  const sound::Hearing h = Hear();
  ExpectHeardWhole(h, {0, 1}, 1, until);
}

INSTANTIATE_TEST_SUITE_P(Pause, PauseTest,
                         ::testing::Values(PauseCase{"InAPart", PauseAt::InAPart},
                                           PauseCase{"AtAPartsEnd", PauseAt::AtAPartsEnd},
                                           PauseCase{"InTheGap", PauseAt::InTheGap}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the sound server ----------------------------------------------------------

// No server when the test screen shows: the proctor's box; the server is
// started and 重試 pressed: the box goes and Play is heard.
TEST_F(PlaybackTest, RetryOnceTheServerIsStartedLate) {
  rec.Stop();
  sound()->Stop();
  OpenTestScreen(true);
  QString error;
  ASSERT_TRUE(sound()->Start(&error)) << error.toStdString();
  ASSERT_TRUE(rec.Start(*sound(), &error)) << error.toStdString();
  QThread::msleep(500);
  ASSERT_TRUE(ClickWidget(kBox + QStringLiteral("/qt_msgbox_buttonbox/Retry")));
  const bool gone = WaitForHidden(kBox, 3000);
  EXPECT_TRUE(gone) << "the box came back after 重試 with the server running";
  if (!gone) {  // on without sound, as a proctor might
    ASSERT_TRUE(ClickWidget(kBox + QStringLiteral("/qt_msgbox_buttonbox/Cancel")));
  }
  ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
  const double from = rec.Now();
  Play();
  EXPECT_TRUE(WaitForSound(8000)) << "Play is not heard" << PlayState();
  QThread::msleep(12000);
  const sound::Hearing h = Hear(from);
  ExpectHeardWhole(h, {0}, 0, rec.Now() - from);
}

// The server killed between parts 01 and 02 and back 1.5 s later, as a
// desktop's sound service restarts: part 02 (opened while it was away) and
// part 03 are heard, the proctor is told, and the error report names each
// part that was not heard whole.
TEST_F(PlaybackTest, TheServerRestartsDuringTheTest) {
  OpenTestScreen();
  Play();
  ASSERT_TRUE(WaitForPartEnd(0, 40000)) << Describe();
  QThread::msleep(2000);  // part 02 opens while the server is away
  sound()->Kill();
  // The proctor is told by a box: the start-up one, or the one of the
  // test screen that goes by itself once the sound is back.
  bool told = false;
  auto boxUp = [&] { return WindowId(kBox) != 0 || WindowId(kLost) != 0; };
  WaitFor([&] { return (told = boxUp()); }, 1500);
  QString error;
  ASSERT_TRUE(sound()->Start(&error)) << error.toStdString();
  ASSERT_TRUE(rec.Start(*sound(), &error)) << error.toStdString();
  WaitFor([&] { return (told = told || boxUp()); }, 3000);
  EXPECT_TRUE(told) << "nobody was told that the sound had gone";
  // A box still up with the server back is answered as the proctor would.
  if (!WaitFor([&] { return !boxUp(); }, 5000)) {
    if (WindowId(kBox)) ClickWidget(kBox + QStringLiteral("/qt_msgbox_buttonbox/Retry"));
    if (WindowId(kLost)) ClickWidget(kLost + QStringLiteral("/Retry"));
  }
  const double until = played + PartSeconds(0) + PartSeconds(1) + 2 * (3 + 2.5) + 8;
  ASSERT_TRUE(WaitFor([&] { return rec.Now() > until; }, 100000));
  const sound::Hearing h = Hear();
  ExpectHeardWhole(h, {0, 1, 2}, 2, until);
  // The candidate leaves: the test ends and the report is written.
  Leave();
  // The report names exactly the parts the recording lacks.
  ASSERT_TRUE(WaitFor([&] { return ErrorReport().contains(QStringLiteral("本次測驗未聽到的段落")) ||
                                   inst.CountStarts(QStringLiteral("score")) > 0; },
                      20000));
  const QString report = ErrorReport();
  for (int i = 0; i < 2; ++i) {
    const bool missing = !h.WhyNotWhole(i).isEmpty();
    const QString name = QStringLiteral("第%1段").arg(i + 1);
    const QString summary = report.section(QStringLiteral("本次測驗未聽到的段落"), -1);
    EXPECT_EQ(missing, report.contains(QStringLiteral("本次測驗未聽到的段落")) && summary.contains(name))
        << name.toStdString() << " heard: " << h.Summary(i).toStdString() << "\nreport: " << report.toStdString();
  }
}

// ---- the next test of a series -------------------------------------------------

TEST_F(PlaybackTest, TheNextTestOfASeriesIsHeardFromItsFirstSound) {
  ASSERT_TRUE(Settings({{306, "2"}, {7901, "0"}, {307, "0"}, {803, "0"}, {7999, "1"}}));
  OpenTestScreen();
  Play();
  ASSERT_TRUE(WaitForSound(8000)) << PlayState() << "\n" << Describe();
  QThread::msleep(2000);
  Leave();
  // The scorer's sheet, then another test.
  qint64 scorer = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (const auto& s : inst.Starts())
          if (s.program == QStringLiteral("score")) scorer = s.pid;
        return scorer && WindowId(QStringLiteral("成績單"), scorer);
      },
      30000))
      << Describe();
  ASSERT_TRUE(ClickWidget(QStringLiteral("成績單/Command3"), 1, scorer));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("直續測驗"), 15000, scorer)) << Describe();
  ASSERT_TRUE(ClickWidget(QStringLiteral("直續測驗/Command1"), 1, scorer));
  qint64 second = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        int n = 0;
        for (const auto& s : inst.Starts())
          if (s.program == QStringLiteral("Tavrel") && ++n == 2) second = s.pid;
        return second && WindowId(kSetup, second);
      },
      30000))
      << Describe();
  pid = second;
  ASSERT_TRUE(WaitForWindow(kSetup, 15000, second));
  ASSERT_TRUE(InFrontAndActive(kSetup, 300));
  ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1"), 1, second));
  ASSERT_TRUE(WaitForWindow(kScreen, 15000, second)) << Describe();
  ASSERT_TRUE(InFrontAndActive(kScreen, 300));
  QThread::msleep(2000);
  const double from = rec.Now();
  ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play"), 1, second));
  EXPECT_TRUE(WaitForSound(8000)) << "Play is not heard in the second test" << PlayState(second);
  QThread::msleep(12000);
  const sound::Hearing h = Hear(from);
  ExpectHeardWhole(h, {0}, 0, rec.Now() - from);
}

}  // namespace
}  // namespace desktop
