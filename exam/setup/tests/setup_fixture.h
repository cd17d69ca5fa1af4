#pragma once
// The test program's installation in a temporary folder: the shipped
// settings file (plus the lines a test adds), the sample test, a folder for
// TMP, and fakes for every window the set-up screen would open on a desktop.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "common/accessors.h"
#include "common/store.h"
#include "platform/core/codec.h"
#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "platform/gui/form.h"
#include "platform/gui/desktop.h"
#include "platform/gui/formtimer.h"
#include "platform/media/sound.h"
#include "platform/net/tcpclient.h"
#include "exam/record/recordmodule.h"
#include "exam/run/core/run_services.h"
#include "exam/setup/inputmethods.h"
#include "exam/setup/setupscreen.h"
#include "common/gui/urllauncher.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fake_audio_device.h"
#include "testsupport/gui/fake_imframework.h"
#include "testsupport/gui/fake_inputmethods.h"
#include "testsupport/gui/fakes.h"
#include "testsupport/gui/soundfakes.h"
#include "testsupport/gui/virtualtime.h"

namespace setuptest {

inline plat::AudioDevice* MakeFakeDevice(QObject* parent) { return new plat::FakeAudioDevice(parent); }

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    ASSERT_TRUE(dir.isValid());
    root = QDir(dir.path()).absolutePath() + u'/';
    QDir().mkpath(root + "Data");
    QDir().mkpath(root + "tmp");
    qputenv("TMP", (root + "tmp").toLocal8Bit());
    plat::SetProgramFolder(root);
    ASSERT_TRUE(QFile::copy(QStringLiteral(SOURCE_ROOT "/data/Data/T0001.txt"), root + "Data/T0001.txt"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(SOURCE_ROOT "/data/Key.Ini"), root + "Key.Ini"));
    seams.Set(plat::SetPrompt, &prompt);
    seams.Set(plat::SetLauncher, &launcher);
    seams.Set(plat::SetAppControl, &app);
    seams.Set(plat::SetBeeper, &beeper);
    seams.Set(plat::SetAudioDeviceFactory, &MakeFakeDevice);
    seams.Set(plat::SetDesktop, &urls);
    seams.Set(setup::SetInputMethodProvider, &ime);
    seams.Set(plat::SetImFramework, &imf);
    plat::TypedEngine::Forget();
    rec::testRecordModule().Reset();
    rec::testRecordModule().OwnProgramName = "Tavrel";
    run::SetupScreenValues() = rec::SetupValues{};
    setup::SetProgramArguments({"王小明,A123456789,1990/5/3"});
    settings.clear();
  }

  void TearDown() override {
    plat::SetModalDriver(nullptr);  // the clean-up shows nothing on a test's behalf
    plat::FormRegistry::DestroyAll();
    plat::TypedEngine::Forget();
    plat::SetProgramFolder(QString());
    setup::SetProgramArguments({});
    qunsetenv("TMP");
    common::ResetCommonState();
  }

  // The shipped settings file with `settings` appended (a later line wins).
  void WriteSettings() {
    QByteArray bytes;
    ASSERT_TRUE(plat::readAllBytes(QStringLiteral(SOURCE_ROOT "/data/Tavrel.Ini"), bytes));
    for (const QString& line : settings) bytes += plat::toCp950(line) + "\r\n";
    ASSERT_TRUE(plat::writeBytesAtomic(root + "Tavrel.Ini", bytes));
  }

  // Adds "number,=value" to the settings file the next Screen() writes.
  void Set(int number, const QString& value) { settings << QString("%1,=%2").arg(number).arg(value); }

  // Loads and shows the set-up screen.
  setup::輸入資料表面& Screen() {
    WriteSettings();
    auto& s = plat::forms::get<setup::輸入資料表面>();
    s.Show();
    return s;
  }

  QString T(int id) const { return common::StoreText(id); }
  // Texts of every message box so far.
  QStringList Messages() const {
    QStringList out;
    for (const auto& c : prompt.calls) out << c.text;
    return out;
  }
  QString LastMessage() const { return prompt.calls.isEmpty() ? QString() : prompt.calls.last().text; }

  QTemporaryDir dir;
  QString root;
  QStringList settings;
  plat::VirtualScheduler sched;
  plat::FakePrompt prompt;
  plat::FakeLauncher launcher;
  plat::FakeAppControl app;
  plat::FakeBeeper beeper;
  plat::FakeDesktop urls;  // pages and mail forms opened
  setup::FakeInputMethodProvider ime;
  plat::FakeImFramework imf;  // no framework runs unless a test says one does
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

}  // namespace setuptest
