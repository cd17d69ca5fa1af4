#pragma once
// A test program without windows on screen: virtual time, fake audio, fake
// prompts, launcher, beeper, clipboard and mixer, a settings store at its
// defaults, a test text of three paragraphs with an audio file each, and the
// set-up values of a ten-minute test.
#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "common/accessors.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"
#include "platform/media/sound.h"
#include "exam/record/recordmodule.h"
#include "exam/run/forms/processing.h"
#include "exam/run/core/run_services.h"
#include "exam/run/forms/testscreen.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fake_audio_device.h"
#include "testsupport/gui/fakes.h"
#include "testsupport/gui/soundfakes.h"
#include "testsupport/gui/virtualtime.h"

namespace runtest {

struct FakeFile {
  QString path;
  qint64 lengthMs;
  qint64 appearsAtMs;
};

// Files every fake device made from now on knows.
inline QList<FakeFile>& FakeFiles() {
  static QList<FakeFile> files;
  return files;
}

inline plat::AudioDevice* MakeFakeDevice(QObject* parent) {
  auto* d = new plat::FakeAudioDevice(parent);
  for (const FakeFile& f : FakeFiles()) d->addFile(f.path, f.lengthMs, f.appearsAtMs);
  return d;
}

// Sends a key press and its release to a widget.
inline void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QCoreApplication::processEvents();  // window activation and focus arrive as events
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QCoreApplication::sendEvent(w, &press);
  // The release goes where the focus is then, as from a keyboard.
  QWidget* to = QApplication::focusWidget();
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QCoreApplication::sendEvent(to && to->window() == w->window() ? to : w, &release);
}

inline int QtKeyOf(QChar c) {
  if (c.isLetterOrNumber() && c.unicode() < 128) return c.toUpper().unicode();
  if (c == u' ') return Qt::Key_Space;
  return Qt::Key_unknown;
}

// Types text key by key into the widget.
inline void Type(QWidget* w, const QString& text) {
  for (QChar c : text) Key(w, QtKeyOf(c), Qt::NoModifier, QString(c));
}

// An input method's commit.
inline void Commit(QWidget* w, const QString& text) {
  QInputMethodEvent e;
  e.setCommitString(text);
  QCoreApplication::sendEvent(w, &e);
}

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    common::SeedSettingDefaults();
    ASSERT_TRUE(dir.isValid());
    root = dir.path() + u'/';
    QDir().mkpath(root + "Data");
    QDir().mkpath(root + "tmp");
    qputenv("TMP", (root + "tmp").toLocal8Bit());
    plat::SetProgramFolder(root);
    common::ProgramFolder.set(root);
    common::DataPath.set(root + "Data");
    common::SettingsBase.set(root + "Tavrel");
    seams.Set(plat::SetPrompt, &prompt);
    seams.Set(plat::SetLauncher, &launcher);
    seams.Set(plat::SetAppControl, &app);
    seams.Set(plat::SetBeeper, &beeper);
    seams.Set(plat::SetClipboard, &clipboard);
    seams.Set(plat::SetMixer, &mixer);
    seams.Set(plat::SetAudioDeviceFactory, &MakeFakeDevice);
    FakeFiles().clear();
    rec::testRecordModule().Reset();
    rec::testRecordModule().OwnProgramName = "Tavrel";
    run::SetupScreenValues() = rec::SetupValues{};
    run::SetupScreenValues().name = "王小明";
    run::SetupScreenValues().identity = "A123456789";
    run::SetupScreenValues().minutes = "10";
    run::SetupScreenValues().count = "1";
    common::SystemIniValue(10218, "時鐘倒退了");
    common::SystemIniValue(11402, "測驗結束");
    common::SystemIniValue(11403, "交給評分程式");
    common::SystemIniValue(11404, "處理中");
    for (int n = 10219; n <= 10225; ++n) common::SystemIniValue(n, QString("警告%1").arg(n));
  }

  void TearDown() override {
    plat::FormRegistry::DestroyAll();
    plat::SetProgramFolder(QString());
    qunsetenv("TMP");
    common::ResetCommonState();
  }

  // A test text of three paragraphs (lines 0..5) with audio on: parts of
  // 5, 4 and 6 seconds, every file on disk too (the countdown looks there).
  void LoadText(int s701 = 1, QList<qint64> lengths = {5000, 4000, 6000}) {
    common::Setting701.set(s701);
    testFile = root + "Data/T0001.txt";
    ASSERT_TRUE(plat::writeTextLines(testFile, {"　第一段第一行", "第一段第二行", "　第二段的一行", "第二段的二行",
                                                "　第三段", "第三段完"}));
    for (int p = 1; p <= lengths.size(); ++p) {
      const QString f = root + QString("Data/T0001-%1.wma").arg(p, 2, 10, QChar('0'));
      FakeFiles().append({f, lengths[p - 1], 0});
      plat::writeBytesAtomic(f, "x");
    }
    run::SetupScreenValues().testFile = testFile;
    rec::testRecordModule().LoadTestText(testFile, run::SetupScreenValues());
  }

  // What the set-up screen does at the start: name the record and the
  // result, run state 0.
  void NameRecord() {
    recordPath = rec::NewTestRecordPath(plat::clock().SecondsSinceMidnight());
    auto& p = plat::forms::get<run::處理下>();
    p.Text1->setText(recordPath);
    p.Text2->setText(root + "Data/A123456789.S01");
    common::TestRunState.set(0);
  }

  run::正式測驗& StartScreen() {
    NameRecord();
    auto& s = plat::forms::get<run::正式測驗>();
    s.Show();
    return s;
  }

  plat::FakeAudioDevice& Audio(run::正式測驗& s) { return *static_cast<plat::FakeAudioDevice*>(s.Mci); }
  run::TypingBox* Box(run::正式測驗& s) { return s.TB.at(s.CurBox); }

  QTemporaryDir dir;
  QString root;
  QString testFile;
  QString recordPath;
  plat::VirtualScheduler sched;
  plat::FakePrompt prompt;
  plat::FakeLauncher launcher;
  plat::FakeAppControl app;
  plat::FakeBeeper beeper;
  plat::FakeClipboard clipboard;
  plat::FakeMixer mixer;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace runtest
