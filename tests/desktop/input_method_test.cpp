// The test program typed at through a real input method with the Chewing
// (bopomofo) engine: fcitx5 and ibus (as GNOME users type), each with a
// daemon and a session bus of the test's own, the program on Qt's front end
// for it. What the candidate composed is in the record once, as it showed in
// the box: at a hot key, at the pause, at time-up and when the last box is
// full; a long phrase committed at once is kept whole; and the record names
// the method the way the framework names it. ibus's own: a composition stays
// in the box it was composed in at a box change, keys typed while the daemon
// is away reach the box, and the chooser lists Chewing with the keyboard
// current.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <memory>
#include <ostream>

#include "platform/core/codec.h"
#include "exam/record/testrecord.h"
#include "tests/desktop/imsession.h"
#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

const QString kSetup = QStringLiteral("輸入資料表面");
const QString kScreen = QStringLiteral("正式測驗");
const QString kPause = QStringLiteral("是否暫離");
const QString kChooser = QStringLiteral("frmIME");
const QString kNiHao = QStringLiteral("你好");

// The test program on a display with the framework running and chosen.
class TypingTest : public TestProgramTest {
 protected:
  virtual std::unique_ptr<InputMethod> MakeInputMethod() const = 0;

  void SetUp() override {
    TestProgramTest::SetUp();
    if (HasFatalFailure()) return;
    im = MakeInputMethod();
    const QString missing = im->Missing();
    ASSERT_TRUE(missing.isEmpty()) << missing.toStdString();
    ASSERT_TRUE(im->Start());
    ASSERT_TRUE(im->Prepare(inst));
  }

  void TearDown() override {
    TestProgramTest::TearDown();
    im.reset();
  }

  ::testing::AssertionResult Chewing(bool on) {
    auto r = im->Chewing(on);
    if (!r) r << "\n" << Describe();
    return r;
  }

  // Bopomofo keys, a little apart, then a moment for the composition to show.
  void Compose(const QString& keys) {
    desk.Type(keys, 60);
    QThread::msleep(600);
  }

  ::testing::AssertionResult FocusIs(const QString& widget, const QString& text) {
    Widgets w;
    if (WaitFor([&] { w = Probe(); return w.focus == widget && w.focusText == text; }, 5000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << w.focus.toStdString() << " holds \"" << w.focusText.toStdString()
                                         << "\", not " << widget.toStdString() << " \"" << text.toStdString()
                                         << "\"\n" << Describe();
  }

  QString Box(int k) const { return kScreen + QStringLiteral("/TB(%1)").arg(k); }

  // From the set-up screen to the test screen, its minute started.
  void StartTest() {
    ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1")));
    ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
    ASSERT_TRUE(InFrontAndActive(kScreen, 300));
    ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play")));
  }

  void Pause() {
    ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/Image2")));
    ASSERT_TRUE(WaitForWindow(kPause)) << Describe();
    ASSERT_TRUE(InFrontAndActive(kPause, 300));
  }

  void PauseAndContinue() {
    Pause();
    ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command2")));
    ASSERT_TRUE(InFrontAndActive(kScreen, 300));
  }

  // The test handed in at the pause.
  void HandIn() {
    Pause();
    ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command1")));
  }

  QString RecordPath() const {
    const QStringList found = QDir(inst.Tmp()).entryList({QStringLiteral("~T*")}, QDir::Files, QDir::Name);
    return found.isEmpty() ? QString() : inst.Tmp() + found.last();
  }

  bool ReadRecord(rec::TestRecordContent& rc, int timeoutMs) {
    return WaitFor([&] { return !RecordPath().isEmpty() && rec::ReadTestRecordFile(RecordPath(), rc); }, timeoutMs);
  }

  std::unique_ptr<InputMethod> im;
};

// ---- every framework --------------------------------------------------------

struct Framework {
  const char* name;
  std::unique_ptr<InputMethod> (*make)(const Desktop&);
};
void PrintTo(const Framework& f, std::ostream* os) { *os << f.name; }

template <class T>
std::unique_ptr<InputMethod> Make(const Desktop& desk) {
  return std::make_unique<T>(desk);
}

class InputMethodTest : public TypingTest, public ::testing::WithParamInterface<Framework> {
 protected:
  std::unique_ptr<InputMethod> MakeInputMethod() const override { return GetParam().make(desk); }
};

TEST_P(InputMethodTest, WhatWasComposedIsKeptOnceAndTheRecordNamesTheMethod) {
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(InFrontAndActive(kSetup, 300));
  ASSERT_NO_FATAL_FAILURE(StartTest());  // a minute from now
  QElapsedTimer clock;
  clock.start();

  // A long phrase in one commit: kept whole, and the rhythm watch lets it be.
  ASSERT_TRUE(Chewing(true));
  Compose(QStringLiteral("su3cl3").repeated(6));
  desk.Key(QStringLiteral("Return"));
  Widgets w;
  ASSERT_TRUE(WaitFor([&] { return (w = Probe()).focusText.size() == 12; }, 5000))
      << "the phrase: \"" << w.focusText.toStdString() << "\"\n" << im->Log();
  const QString phrase = w.focusText;
  desk.Key(QStringLiteral("Return"));

  // A hot key inserts after what was being composed (and a late copy of it
  // would have come by the check).
  Compose(QStringLiteral("su3cl3"));
  desk.Key(QStringLiteral("ctrl+r"));
  QThread::msleep(300);
  EXPECT_TRUE(FocusIs(Box(1), kNiHao + QStringLiteral("『』")));
  desk.Key(QStringLiteral("Return"));

  // The pause keeps what was being composed, once.
  Compose(QStringLiteral("su3cl3"));
  ASSERT_NO_FATAL_FAILURE(PauseAndContinue());
  EXPECT_TRUE(FocusIs(Box(2), kNiHao));

  // The last box full (setting 213 is 30: a 31st character fills it), a
  // composition, the pause: the line is kept once, the composition after it.
  desk.Key(QStringLiteral("Return Return Return Return Return"));
  ASSERT_TRUE(Chewing(false));
  const QString full = QStringLiteral("abcdefghijklmnopqrstuvwxyz01234");
  desk.Type(full, 40);
  ASSERT_TRUE(FocusIs(Box(7), full));
  ASSERT_TRUE(Chewing(true));
  Compose(QStringLiteral("su3cl3"));
  ASSERT_NO_FATAL_FAILURE(PauseAndContinue());

  // Time-up keeps what is being composed then.
  ASSERT_TRUE(Chewing(true));
  Compose(QStringLiteral("su3cl3"));
  ASSERT_LT(clock.elapsed(), 55000) << "the steps took so long that time-up may have come amid them";

  rec::TestRecordContent rc;
  ASSERT_TRUE(ReadRecord(rc, 90000)) << Describe();
  // The record keeps the lines that hold text.
  const QStringList want{phrase, kNiHao + QStringLiteral("『』"), kNiHao, full, kNiHao + kNiHao};
  const std::string all = rc.typedLines.join(u'|').toStdString();
  EXPECT_EQ(all, want.join(u'|').toStdString());
  EXPECT_EQ(rc.Value(rec::RecordKey::IME_MODE).value_or(QString()), QStringLiteral("Chewing")) << all;

  QFile log(inst.Folder() + QStringLiteral("ZetError.Txt"));
  if (log.open(QIODevice::ReadOnly)) {
    EXPECT_FALSE(plat::fromCp950(log.readAll()).contains(QStringLiteral("WatchKeystrokeRhythm")));
  }
}

INSTANTIATE_TEST_SUITE_P(, InputMethodTest,
                         ::testing::Values(Framework{"fcitx5", &Make<Fcitx5>}, Framework{"ibus", &Make<Ibus>}),
                         [](const ::testing::TestParamInfo<Framework>& info) { return std::string(info.param.name); });

// ---- ibus's own ---------------------------------------------------------------

class IbusTest : public TypingTest {
 protected:
  std::unique_ptr<InputMethod> MakeInputMethod() const override { return std::make_unique<Ibus>(desk); }
  Ibus& ibus() { return static_cast<Ibus&>(*im); }
};

// With the keyboard current the chooser shows, and Chewing is in it below
// the keyboard: picked, the record names it. Shift+Space (Chewing's
// full/half-width key) at the pause continues nothing.
TEST_F(IbusTest, TheChooserListsChewingWithTheKeyboardCurrent) {
  ASSERT_TRUE(Settings({{1147, "1"}}));
  ASSERT_TRUE(Chewing(false));
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(WaitForWindow(kChooser)) << Describe();
  ASSERT_TRUE(ClickWidget(kChooser + QStringLiteral("/Combo1")));
  QThread::msleep(500);  // the list opens
  desk.Key(QStringLiteral("Down"));
  desk.Key(QStringLiteral("Return"));
  ASSERT_TRUE(WaitForHidden(kChooser)) << Describe();

  ASSERT_NO_FATAL_FAILURE(StartTest());
  desk.Type(QStringLiteral("abc"), 40);
  ASSERT_TRUE(FocusIs(Box(0), QStringLiteral("abc")));
  ASSERT_NO_FATAL_FAILURE(Pause());
  desk.Key(QStringLiteral("shift+space"));
  QThread::msleep(800);
  EXPECT_TRUE(InFrontAndActive(kPause, 300)) << "Shift+Space answered the pause";
  ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command1")));  // hand the test in now

  rec::TestRecordContent rc;
  ASSERT_TRUE(ReadRecord(rc, 15000)) << Describe();
  EXPECT_EQ(rc.typedLines.value(0), QStringLiteral("abc"));
  EXPECT_EQ(rc.Value(rec::RecordKey::IME_MODE).value_or(QString()), QStringLiteral("Chewing"));
}

// The daemon's copy of a composition would follow the focus: it stays in
// the box it was composed in, on the set-up screen and the test screen.
TEST_F(IbusTest, WhatWasComposedStaysInTheBoxItWasComposedIn) {
  ASSERT_TRUE(Chewing(true));
  ASSERT_TRUE(StartSetup(false));
  ASSERT_TRUE(InFrontAndActive(kSetup, 300));

  // A name being composed stays in the name box; the box clicked next is empty.
  ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Text1")));
  Compose(QStringLiteral("su3cl3"));
  ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Text2")));
  QThread::msleep(500);  // the daemon's copy would have come by now
  EXPECT_TRUE(FocusIs(kSetup + QStringLiteral("/Text2"), QString()));
  ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Text1")));
  EXPECT_TRUE(FocusIs(kSetup + QStringLiteral("/Text1"), kNiHao));

  ASSERT_NO_FATAL_FAILURE(StartTest());
  // A click on the next box: the composition stays in its own.
  Compose(QStringLiteral("su3cl3"));
  ASSERT_TRUE(ClickWidget(Box(1)));
  QThread::msleep(500);
  EXPECT_TRUE(FocusIs(Box(1), QString()));
  ASSERT_NO_FATAL_FAILURE(HandIn());

  rec::TestRecordContent rc;
  ASSERT_TRUE(ReadRecord(rc, 15000)) << Describe();
  const std::string all = rc.typedLines.join(u'|').toStdString();
  EXPECT_EQ(all, kNiHao.toStdString());
  EXPECT_EQ(rc.Value(rec::RecordKey::USERNAME).value_or(QString()), kNiHao) << all;
}

// The daemon dies amid a composition: the composition is kept once and
// every key after it reaches the box. The session starts it again: the
// program types through it once more, and the record still names what was
// typed with before.
TEST_F(IbusTest, KeysReachTheBoxWhileTheDaemonIsAwayAndThroughItOnceItIsBack) {
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(InFrontAndActive(kSetup, 300));
  ASSERT_NO_FATAL_FAILURE(StartTest());
  ASSERT_TRUE(Chewing(true));
  Compose(QStringLiteral("su3cl3"));
  desk.Key(QStringLiteral("Return"));
  EXPECT_TRUE(FocusIs(Box(0), kNiHao));
  desk.Key(QStringLiteral("Return"));

  Compose(QStringLiteral("su3cl3"));
  im->Kill();
  const QString letters = QStringLiteral("abcdefghij");
  desk.Type(letters, 150);
  EXPECT_TRUE(FocusIs(Box(1), kNiHao + letters));
  desk.Key(QStringLiteral("Return"));

  ASSERT_TRUE(im->Start());
  ASSERT_TRUE(Chewing(true));
  // The front end finds the new daemon by its address file.
  ASSERT_TRUE(WaitFor([&] { return ibus().HasFocusedContext(); }, 5000)) << "the program did not come back to ibus";
  Compose(QStringLiteral("su3cl3"));
  desk.Key(QStringLiteral("Return"));
  EXPECT_TRUE(FocusIs(Box(2), kNiHao));
  ASSERT_NO_FATAL_FAILURE(HandIn());

  rec::TestRecordContent rc;
  ASSERT_TRUE(ReadRecord(rc, 15000)) << Describe();
  const QStringList want{kNiHao, kNiHao + letters, kNiHao};
  const std::string all = rc.typedLines.join(u'|').toStdString();
  EXPECT_EQ(all, want.join(u'|').toStdString());
  EXPECT_EQ(rc.Value(rec::RecordKey::IME_MODE).value_or(QString()), QStringLiteral("Chewing")) << all;
}

}  // namespace
}  // namespace desktop
