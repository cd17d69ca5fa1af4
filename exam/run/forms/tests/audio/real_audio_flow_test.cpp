// One short test on the real audio device and real timers, at a private
// sound server: two ".wma" parts play one after the other, time runs out,
// the record is written and the scorer started.
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "common/accessors.h"
#include "common/settings.h"
#include "common/store.h"
#include "platform/core/clock.h"
#include "platform/core/launcher.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/form.h"
#include "platform/media/audio_device.h"
#include "platform/media/sound.h"
#include "exam/record/recordmodule.h"
#include "exam/record/testrecord.h"
#include "exam/run/forms/processing.h"
#include "exam/run/core/run_services.h"
#include "exam/run/forms/testscreen.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fakes.h"
#include "testsupport/gui/pulse_server.h"
#include "testsupport/gui/soundfakes.h"

namespace {

const QString kFixtures = QStringLiteral(SOURCE_ROOT "/platform/media/tests/data/");

TEST(RealAudioFlow, TwoWmaPartsPlayInOrderAndTheTestEnds) {
  if (!pulsetest::PulseServer::Available()) GTEST_SKIP() << "pulseaudio, pactl or parec is not installed";
  pulsetest::PulseServer server;
  QString why;
  ASSERT_TRUE(server.Start(&why)) << why.toStdString();

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString root = dir.path() + u'/';
  QDir().mkpath(root + "Data");
  QDir().mkpath(root + "tmp");
  qputenv("TMP", (root + "tmp").toLocal8Bit());
  common::ResetCommonState();
  common::SeedSettingDefaults();
  plat::SetProgramFolder(root);
  common::ProgramFolder.set(root);
  common::DataPath.set(root + "Data");
  plat::FakePrompt prompt;
  plat::FakeLauncher launcher;
  plat::FakeAppControl app;
  plat::FakeBeeper beeper;
  plat::FakeClipboard clipboard;
  testsupport::Seams seams;
  seams.Set(plat::SetPrompt, &prompt);
  seams.Set(plat::SetLauncher, &launcher);
  seams.Set(plat::SetAppControl, &app);
  seams.Set(plat::SetBeeper, &beeper);
  seams.Set(plat::SetClipboard, &clipboard);

  common::Setting701.set(1);
  common::Setting705.set(0);
  common::Setting704.set(1);
  common::Setting208.set(0);
  const QString text = root + "Data/T0001.txt";
  ASSERT_TRUE(plat::writeTextLines(text, {"　第一段", "　第二段"}));
  ASSERT_TRUE(QFile::copy(kFixtures + "T0001A-01.wma", root + "Data/T0001-01.wma"));
  ASSERT_TRUE(QFile::copy(kFixtures + "T0001A-02.wma", root + "Data/T0001-02.wma"));
  rec::TestRecordModule& m = rec::testRecordModule();
  m.Reset();
  m.OwnProgramName = "Tavrel";
  run::SetupScreenValues() = rec::SetupValues{};
  run::SetupScreenValues().name = "王小明";
  run::SetupScreenValues().identity = "A123456789";
  run::SetupScreenValues().minutes = "1";
  run::SetupScreenValues().testFile = text;
  m.LoadTestText(text, run::SetupScreenValues());
  const QString record = rec::NewTestRecordPath(plat::clock().SecondsSinceMidnight());
  auto& proc = plat::forms::get<run::處理下>();
  proc.Text1->setText(record);
  proc.Text2->setText(root + "Data/A123456789.S01");
  common::TestRunState.set(0);

  auto& s = plat::forms::get<run::正式測驗>();
  struct Start {
    QString file;
    qint64 at;
  };
  QList<Start> starts;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(s.Mci, &plat::AudioDevice::modeChanged, [&] {
    if (s.Mci->mode() == plat::kModePlaying) starts.append({QFileInfo(s.Mci->openFile()).fileName(), clock.elapsed()});
  });
  s.Show();
  s.Duration = 9.0f;  // the box takes whole minutes; this run is shorter

  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (app.ends > 0 || clock.elapsed() > 40000) loop.quit();
  });
  poll.start(50);
  loop.exec();

  EXPECT_EQ(app.ends, 1);
  ASSERT_EQ(starts.size(), 2);
  EXPECT_EQ(starts[0].file, "T0001-01.wma");
  EXPECT_EQ(starts[1].file, "T0001-02.wma");
  // Part 1 (2.5 s) ends, is noticed on a position report, and part 2
  // follows after the 1 s delay.
  EXPECT_GT(starts[1].at - starts[0].at, 3000);
  EXPECT_LT(starts[1].at - starts[0].at, 6000);
  EXPECT_EQ(s.PartNo, 2);
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls[0].arguments, QStringList({record + "," + root + "Tavrel"}));
  rec::TestRecordContent rc;
  ASSERT_TRUE(rec::ReadTestRecordFile(record, rc));
  EXPECT_EQ(rc.Value(rec::RecordKey::USERNAME).value_or(""), "王小明");

  plat::FormRegistry::DestroyAll();
  plat::SetProgramFolder(QString());
  qunsetenv("TMP");
  common::ResetCommonState();
}

}  // namespace
