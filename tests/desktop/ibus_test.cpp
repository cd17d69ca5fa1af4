// The test program typed at through ibus with Chewing, as GNOME users type:
// a daemon of the test's own on a session bus of its own, settings shared
// through gsettings' key file, the program on Qt's ibus front end. What is
// composed is typed once, into the box it was composed in, at a box change
// on the set-up screen and the test screen, a hot key, the pause and the
// time-up; keys typed while the daemon is away reach the box; the chooser
// lists Chewing with the keyboard current, and the record names it.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

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
const QString kKeyboard = QStringLiteral("xkb:us::eng");
const QString kChewing = QStringLiteral("chewing");

class IbusTest : public TestProgramTest {
 protected:
  void SetUp() override {
    TestProgramTest::SetUp();
    if (HasFatalFailure()) return;
    for (const char* tool : {"ibus-daemon", "ibus", "dbus-daemon", "dbus-send"})
      ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
          << tool << " is not installed; run scripts/setup --tests";
    ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/share/ibus/component/chewing.xml")))
        << "ibus-chewing is not installed; run scripts/setup --tests";
    ASSERT_TRUE(home.isValid());
    bus = StartSessionBus(home.path(), busDaemon);
    ASSERT_FALSE(bus.isEmpty());
    // The panel a desktop runs would preload these; the program reads them
    // where the daemon reads its own settings.
    ASSERT_TRUE(WriteWholeFile(Config() + QStringLiteral("glib-2.0/settings/keyfile"),
                               "[desktop/ibus/general]\npreload-engines=['xkb:us::eng', 'chewing']\n"));
    ASSERT_TRUE(StartIbus());
    inst.SetEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    inst.SetEnvironment(QStringLiteral("QT_IM_MODULE"), QStringLiteral("ibus"));
    inst.SetEnvironment(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=ibus"));
    inst.SetEnvironment(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    inst.SetEnvironment(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    // Qt's front end takes a WAYLAND_DISPLAY that is set, even empty (as
    // the harness sets it), to name the address file: the file is named.
    const QStringList files = QDir(Config() + QStringLiteral("ibus/bus")).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1) << files.join(u' ').toStdString();
    inst.SetEnvironment(QStringLiteral("IBUS_ADDRESS_FILE"), Config() + QStringLiteral("ibus/bus/") + files[0]);
  }

  void TearDown() override {
    TestProgramTest::TearDown();
    End(ibus);
    End(busDaemon);
  }

  QString Config() const { return home.path() + QStringLiteral("/.config/"); }

  QProcessEnvironment IbusEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/.cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    env.insert(QStringLiteral("DISPLAY"), desk.Name());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("IBUS_ADDRESS"));
    env.remove(QStringLiteral("IBUS_ADDRESS_FILE"));
    return env;
  }

  // The daemon with no panel, config or emoji helper: only the engines.
  bool StartIbus() {
    ibus = ChildProcess();
    ibus->setProcessEnvironment(IbusEnvironment());
    ibus->setProcessChannelMode(QProcess::MergedChannels);
    ibus->setStandardOutputFile(home.path() + QStringLiteral("/ibus.log"), QIODevice::Append);
    ibus->start(QStringLiteral("ibus-daemon"), {QStringLiteral("--panel=disable"), QStringLiteral("--config=disable"),
                                                QStringLiteral("--emoji-extension=disable")});
    if (!ibus->waitForStarted(5000)) {
      ADD_FAILURE() << "ibus-daemon did not start: " << ibus->errorString().toStdString();
      return false;
    }
    // Answering, it takes an engine (with none set it answers with a failure).
    if (!WaitFor([&] { return Ibus({QStringLiteral("engine"), kKeyboard}).has_value(); }, 20000, 200)) {
      ADD_FAILURE() << "ibus-daemon did not answer\n" << IbusLog();
      return false;
    }
    return true;
  }

  // The daemon gone at once, as a crash takes it; its engines go with it.
  void KillIbus() {
    ibus->kill();
    ibus->waitForFinished(5000);
  }

  // The ibus tool against the test's daemon; its output, or nullopt.
  std::optional<QString> Ibus(const QStringList& arguments) const {
    QProcess p;
    p.setProcessEnvironment(IbusEnvironment());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("ibus"), arguments);
    if (!p.waitForStarted(3000)) return std::nullopt;
    if (!p.waitForFinished(5000)) {
      p.kill();
      p.waitForFinished(2000);
      return std::nullopt;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }

  // The engine every window types with, as a person picks it in the panel.
  ::testing::AssertionResult Engine(const QString& id) {
    Ibus({QStringLiteral("engine"), id});
    if (WaitFor([&] { return Ibus({QStringLiteral("engine")}) == id; }, 5000, 100))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "ibus did not switch to " << id.toStdString() << ": "
                                         << Ibus({QStringLiteral("engine")}).value_or("no answer").toStdString()
                                         << "\n" << IbusLog();
  }

  // The daemon has an input context with the focus: the program's, as it
  // connects and its box has the focus.
  bool HasFocusedContext() const {
    const QStringList files = QDir(Config() + QStringLiteral("ibus/bus")).entryList(QDir::Files);
    QFile f(Config() + QStringLiteral("ibus/bus/") + files.value(0));
    if (files.isEmpty() || !f.open(QIODevice::ReadOnly)) return false;
    QString address;
    for (const QByteArray& line : f.readAll().split('\n'))
      if (line.startsWith("IBUS_ADDRESS=")) address = QString::fromUtf8(line.mid(13));
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("dbus-send"),
            {QStringLiteral("--bus=") + address, QStringLiteral("--print-reply"), QStringLiteral("--reply-timeout=1000"),
             QStringLiteral("--dest=org.freedesktop.IBus"), QStringLiteral("/org/freedesktop/IBus"),
             QStringLiteral("org.freedesktop.DBus.Properties.Get"), QStringLiteral("string:org.freedesktop.IBus"),
             QStringLiteral("string:CurrentInputContext")});
    if (!p.waitForFinished(3000)) {
      p.kill();
      p.waitForFinished(2000);
      return false;
    }
    return p.readAllStandardOutput().contains("/InputContext_");
  }

  std::string IbusLog() const {
    QFile f(home.path() + QStringLiteral("/ibus.log"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().right(3000).toStdString() : std::string();
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

  QString RecordPath() const {
    const QStringList found = QDir(inst.Tmp()).entryList({QStringLiteral("~T*")}, QDir::Files, QDir::Name);
    return found.isEmpty() ? QString() : inst.Tmp() + found.last();
  }

  bool ReadRecord(rec::TestRecordContent& rc, int timeoutMs) {
    return WaitFor([&] { return !RecordPath().isEmpty() && rec::ReadTestRecordFile(RecordPath(), rc); }, timeoutMs);
  }

  QTemporaryDir home;
  QString bus;
  std::unique_ptr<QProcess> busDaemon, ibus;
};

// With the keyboard current the chooser shows, and Chewing is in it below
// the keyboard: picked, the record names it. Shift+Space (Chewing's
// full/half-width key) at the pause continues nothing.
TEST_F(IbusTest, TheChooserListsChewingWithTheKeyboardCurrent) {
  ASSERT_TRUE(Settings({{1147, "1"}}));
  ASSERT_TRUE(Engine(kKeyboard));
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(WaitForWindow(kChooser)) << Describe();
  ASSERT_TRUE(ClickWidget(kChooser + QStringLiteral("/Combo1")));
  QThread::msleep(500);  // the list opens
  desk.Key(QStringLiteral("Down"));
  desk.Key(QStringLiteral("Return"));
  ASSERT_TRUE(WaitForHidden(kChooser)) << Describe();

  ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1")));
  ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
  ASSERT_TRUE(InFrontAndActive(kScreen, 300));
  ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play")));
  desk.Type(QStringLiteral("abc"), 40);
  ASSERT_TRUE(FocusIs(Box(0), QStringLiteral("abc")));
  Pause();
  desk.Key(QStringLiteral("shift+space"));
  QThread::msleep(800);
  EXPECT_TRUE(InFrontAndActive(kPause, 300)) << "Shift+Space answered the pause";
  ASSERT_TRUE(ClickWidget(kPause + QStringLiteral("/Command1")));  // hand the test in now

  rec::TestRecordContent rc;
  ASSERT_TRUE(ReadRecord(rc, 15000)) << Describe();
  EXPECT_EQ(rc.typedLines.value(0), QStringLiteral("abc"));
  EXPECT_EQ(rc.Value(rec::RecordKey::IME_MODE).value_or(QString()), QStringLiteral("Chewing"));
}

TEST_F(IbusTest, WhatWasComposedIsTypedOnceWhereItWasComposed) {
  ASSERT_TRUE(Engine(kChewing));
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

  ASSERT_TRUE(ClickWidget(kSetup + QStringLiteral("/Command1")));
  ASSERT_TRUE(WaitForWindow(kScreen)) << Describe();
  ASSERT_TRUE(InFrontAndActive(kScreen, 300));
  ASSERT_TRUE(ClickWidget(kScreen + QStringLiteral("/MMControl1/Play")));  // a minute from now
  QElapsedTimer clock;
  clock.start();

  // A long phrase in one commit, kept whole.
  Compose(QStringLiteral("su3cl3").repeated(6));
  desk.Key(QStringLiteral("Return"));
  Widgets w;
  ASSERT_TRUE(WaitFor([&] { return (w = Probe()).focusText.size() == 12; }, 5000))
      << "the phrase: \"" << w.focusText.toStdString() << "\"\n" << IbusLog();
  const QString phrase = w.focusText;
  desk.Key(QStringLiteral("Return"));

  // A hot key inserts after what was being composed.
  Compose(QStringLiteral("su3cl3"));
  desk.Key(QStringLiteral("ctrl+r"));
  QThread::msleep(300);
  EXPECT_TRUE(FocusIs(Box(1), kNiHao + QStringLiteral("『』")));
  desk.Key(QStringLiteral("Return"));

  // The pause keeps what was being composed, once.
  Compose(QStringLiteral("su3cl3"));
  PauseAndContinue();
  EXPECT_TRUE(FocusIs(Box(2), kNiHao));
  desk.Key(QStringLiteral("Return"));

  // A click on the next box: the composition stays in its own.
  Compose(QStringLiteral("su3cl3"));
  ASSERT_TRUE(ClickWidget(Box(4)));
  QThread::msleep(500);
  EXPECT_TRUE(FocusIs(Box(4), QString()));

  // The last box full (setting 213 is 30: a 31st character fills it), a
  // composition, the pause: the line is kept once, the composition below.
  desk.Key(QStringLiteral("Return Return Return"));
  ASSERT_TRUE(Engine(kKeyboard));
  const QString full = QStringLiteral("abcdefghijklmnopqrstuvwxyz01234");
  desk.Type(full, 40);
  ASSERT_TRUE(FocusIs(Box(7), full));
  ASSERT_TRUE(Engine(kChewing));
  Compose(QStringLiteral("su3cl3"));
  PauseAndContinue();
  desk.Key(QStringLiteral("Return"));

  // The daemon dies amid a composition: the composition is kept once and
  // every key after it reaches the box.
  Compose(QStringLiteral("su3cl3"));
  KillIbus();
  const QString letters = QStringLiteral("abcdefghij");
  desk.Type(letters, 150);
  EXPECT_TRUE(FocusIs(Box(7), kNiHao + letters));
  desk.Key(QStringLiteral("Return"));
  // The session starts it again: the program types through it once more.
  ASSERT_TRUE(StartIbus());
  ASSERT_TRUE(Engine(kChewing));
  // The front end finds the new daemon by its address file.
  ASSERT_TRUE(WaitFor([&] { return HasFocusedContext(); }, 5000)) << "the program did not come back to ibus";
  Compose(QStringLiteral("su3cl3"));
  desk.Key(QStringLiteral("Return"));
  EXPECT_TRUE(FocusIs(Box(7), kNiHao));
  desk.Key(QStringLiteral("Return"));

  // Time-up keeps what is being composed then.
  Compose(QStringLiteral("su3cl3"));
  ASSERT_LT(clock.elapsed(), 55000) << "the steps took so long that time-up may have come amid them";

  rec::TestRecordContent rc;
  ASSERT_TRUE(ReadRecord(rc, 90000)) << Describe();
  // The record keeps the lines that hold text.
  const QStringList want{phrase, kNiHao + QStringLiteral("『』"), kNiHao, kNiHao, full, kNiHao,
                         kNiHao + letters, kNiHao, kNiHao};
  const std::string all = rc.typedLines.join(u'|').toStdString();
  EXPECT_EQ(all, want.join(u'|').toStdString());
  EXPECT_EQ(rc.Value(rec::RecordKey::IME_MODE).value_or(QString()), QStringLiteral("Chewing")) << all;
  EXPECT_EQ(rc.Value(rec::RecordKey::USERNAME).value_or(QString()), kNiHao) << all;
}

}  // namespace
}  // namespace desktop
