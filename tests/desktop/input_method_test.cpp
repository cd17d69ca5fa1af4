// The test screen typed at through a real input method: fcitx5 with the
// Chewing (bopomofo) engine on a session bus of the test's own, the program
// on fcitx5's Qt front end. What the candidate composed is in the record as
// it showed in the box: at a hot key, at the pause, at time-up and when the
// last box is full; a long phrase committed at once is kept whole; and the
// record names the method the way fcitx5 names it.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "platform/core/codec.h"
#include "exam/record/testrecord.h"
#include "tests/desktop/imsession.h"
#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

const QString kSetup = QStringLiteral("輸入資料表面");
const QString kScreen = QStringLiteral("正式測驗");
const QString kPause = QStringLiteral("是否暫離");

class InputMethodTest : public TestProgramTest {
 protected:
  void SetUp() override {
    TestProgramTest::SetUp();
    if (HasFatalFailure()) return;
    for (const char* tool : {"fcitx5", "dbus-daemon", "dbus-send"})
      ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
          << tool << " is not installed; run scripts/setup to install the desktop test tools";
    ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/share/fcitx5/inputmethod/chewing.conf")))
        << "fcitx5-chewing is not installed; run scripts/setup to install the desktop test tools";
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(StartBus());
    ASSERT_TRUE(StartFcitx());
    inst.SetEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    inst.SetEnvironment(QStringLiteral("QT_IM_MODULE"), QStringLiteral("fcitx"));
    inst.SetEnvironment(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=fcitx"));
  }

  void TearDown() override {
    TestProgramTest::TearDown();
    End(fcitx);
    End(daemon);
  }

  // A session bus that starts no service by itself: a call to fcitx5 while
  // it is not there must not start another one.
  bool StartBus() {
    bus = StartSessionBus(home.path(), daemon);
    return !bus.isEmpty();
  }

  // fcitx5 with a home of its own: a profile of the plain keyboard and
  // Chewing, Ctrl+Space to switch, each window starting with it off, and
  // only the add-ons the typing needs.
  bool StartFcitx() {
    const QString config = home.path() + QStringLiteral("/.config/fcitx5/");
    const bool written =
        WriteWholeFile(config + QStringLiteral("profile"),
                  "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=chewing\n\n"
                  "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                  "[Groups/0/Items/1]\nName=chewing\nLayout=\n\n"
                  "[GroupOrder]\n0=Default\n") &&
        WriteWholeFile(config + QStringLiteral("config"),
                  "[Hotkey/TriggerKeys]\n0=Control+space\n\n"
                  "[Behavior]\nActiveByDefault=False\nShareInputState=No\nPreeditEnabledByDefault=True\n"
                  "ShowInputMethodInformation=False\nshowInputMethodInformationWhenFocusIn=False\n"
                  "ShowFirstInputMethodInformation=False\n");
    if (!written) {
      ADD_FAILURE() << "cannot write fcitx5's configuration in " << home.path().toStdString();
      return false;
    }
    fcitx = ChildProcess();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("DISPLAY"), desk.Name());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    fcitx->setProcessEnvironment(env);
    fcitx->setProcessChannelMode(QProcess::MergedChannels);
    fcitx->setStandardOutputFile(home.path() + QStringLiteral("/fcitx5.log"));
    fcitx->start(QStringLiteral("fcitx5"), {QStringLiteral("-D"), QStringLiteral("--disable=all"),
                                             QStringLiteral("--enable=xcb,dbus,dbusfrontend,keyboard,chewing,classicui")});
    if (!fcitx->waitForStarted(5000)) {
      ADD_FAILURE() << "fcitx5 did not start: " << fcitx->errorString().toStdString();
      return false;
    }
    if (!WaitFor([&] { return Fcitx(QStringLiteral("State")).has_value(); }, 20000, 200)) {
      ADD_FAILURE() << "fcitx5 did not come on the bus\n" << FcitxLog();
      return false;
    }
    return true;
  }

  // A call to fcitx5's controller; its printed reply, or nullopt.
  std::optional<QString> Fcitx(const QString& method) const {
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("dbus-send"),
            {QStringLiteral("--bus=") + bus, QStringLiteral("--print-reply"), QStringLiteral("--reply-timeout=1000"),
             QStringLiteral("--dest=org.fcitx.Fcitx5"), QStringLiteral("/controller"),
             QStringLiteral("org.fcitx.Fcitx.Controller1.") + method});
    if (!p.waitForStarted(3000)) return std::nullopt;
    if (!p.waitForFinished(3000)) {
      p.kill();
      p.waitForFinished(2000);
      return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
  }

  std::string FcitxLog() const {
    QFile f(home.path() + QStringLiteral("/fcitx5.log"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().right(3000).toStdString() : std::string();
  }

  // Chewing on (or off) in the focused window, switched as a person does.
  ::testing::AssertionResult Chewing(bool on) {
    auto is = [&] {
      const auto current = Fcitx(QStringLiteral("CurrentInputMethod"));
      return current && current->contains(QStringLiteral("\"chewing\"")) == on;
    };
    if (WaitFor(is, 500)) return ::testing::AssertionSuccess();
    desk.Key(QStringLiteral("ctrl+space"));
    if (WaitFor(is, 3000)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "Chewing did not switch " << (on ? "on" : "off") << ": "
                                         << Fcitx(QStringLiteral("CurrentInputMethod")).value_or("no answer").toStdString()
                                         << "\n" << Describe();
  }

  // Bopomofo keys, a little apart, then a moment for the composition to show.
  void Compose(const QString& keys) {
    desk.Type(keys, 60);
    QThread::msleep(600);
  }

  ::testing::AssertionResult FocusTextIs(const QString& want) {
    Widgets w;
    if (WaitFor([&] { return (w = Probe()).focusText == want; }, 5000)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the box holds \"" << w.focusText.toStdString() << "\", not \""
                                         << want.toStdString() << "\" (" << w.focus.toStdString() << ")";
  }

  void PauseAndContinue() {
    ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/Image2")));
    ASSERT_TRUE(WaitForWindow(kPause)) << Describe();
    ASSERT_TRUE(InFrontAndActive(kPause, 300));
    ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command2")));
    ASSERT_TRUE(InFrontAndActive(kScreen, 300));
  }

  QString RecordPath() const {
    const QStringList found = QDir(inst.Tmp()).entryList({QStringLiteral("~T*")}, QDir::Files, QDir::Name);
    return found.isEmpty() ? QString() : inst.Tmp() + found.last();
  }

  QTemporaryDir home;
  QString bus;
  std::unique_ptr<QProcess> daemon, fcitx;
};

TEST_F(InputMethodTest, WhatWasComposedIsKeptOnceAndTheRecordNamesTheMethod) {
  const QString kNiHao = QStringLiteral("你好");
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(InFrontAndActive(kSetup, 300));
  ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1")));
  ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
  ASSERT_TRUE(InFrontAndActive(kScreen, 300));
  ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play")));  // a minute from now
  QElapsedTimer clock;
  clock.start();

  // A long phrase in one commit: kept whole, and the rhythm watch lets it be.
  ASSERT_TRUE(Chewing(true));
  Compose(QStringLiteral("su3cl3").repeated(6));
  desk.Key(QStringLiteral("Return"));
  Widgets w;
  ASSERT_TRUE(WaitFor([&] { return (w = Probe()).focusText.size() == 12; }, 5000))
      << "the phrase: \"" << w.focusText.toStdString() << "\"\n" << FcitxLog();
  const QString phrase = w.focusText;
  desk.Key(QStringLiteral("Return"));

  // A hot key inserts after what was being composed.
  Compose(QStringLiteral("su3cl3"));
  desk.Key(QStringLiteral("ctrl+r"));
  EXPECT_TRUE(FocusTextIs(kNiHao + QStringLiteral("『』")));
  desk.Key(QStringLiteral("Return"));

  // The pause keeps what was being composed.
  Compose(QStringLiteral("su3cl3"));
  PauseAndContinue();
  EXPECT_TRUE(FocusTextIs(kNiHao));

  // The last box full (setting 213 is 30: a 31st character fills it), a
  // composition, the pause: the line is kept once, the composition after it.
  desk.Key(QStringLiteral("Return Return Return Return Return"));
  ASSERT_TRUE(Chewing(false));
  const QString full = QStringLiteral("abcdefghijklmnopqrstuvwxyz01234");
  desk.Type(full, 40);
  ASSERT_TRUE(FocusTextIs(full));
  ASSERT_EQ(Probe().focus, kScreen + QStringLiteral("/TB(7)"));
  ASSERT_TRUE(Chewing(true));
  Compose(QStringLiteral("su3cl3"));
  PauseAndContinue();

  // Time-up keeps what is being composed then.
  ASSERT_TRUE(Chewing(true));
  Compose(QStringLiteral("su3cl3"));
  ASSERT_LT(clock.elapsed(), 55000) << "the steps took so long that time-up may have come amid them";

  rec::TestRecordContent rc;
  ASSERT_TRUE(WaitFor([&] { return !RecordPath().isEmpty() && rec::ReadTestRecordFile(RecordPath(), rc); }, 90000))
      << Describe();
  const QStringList lines = rc.typedLines;
  const std::string all = lines.join(u'|').toStdString();
  ASSERT_GE(lines.size(), 1) << all;
  EXPECT_EQ(lines[0], phrase) << all;
  EXPECT_TRUE(lines.contains(kNiHao + QStringLiteral("『』"))) << all;
  EXPECT_EQ(lines.value(2), kNiHao) << all;
  EXPECT_EQ(lines.count(full), 1) << all;
  const qsizetype at = lines.indexOf(full);
  EXPECT_EQ(lines.value(at + 1), kNiHao + kNiHao) << all;
  EXPECT_EQ(rc.Value(rec::RecordKey::IME_MODE).value_or(QString()), QStringLiteral("Chewing")) << all;

  QFile log(inst.Folder() + QStringLiteral("ZetError.Txt"));
  if (log.open(QIODevice::ReadOnly))
    EXPECT_FALSE(plat::fromCp950(log.readAll()).contains(QStringLiteral("WatchKeystrokeRhythm")));
}

}  // namespace
}  // namespace desktop
