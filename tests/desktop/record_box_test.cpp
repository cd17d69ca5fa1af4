// The test record at time-up on a full temporary folder, at a real window
// manager: the box that waits for the proctor stands in front with the focus,
// a close from the window manager does not answer it, and "try again" after
// the disk is freed writes the typed line into the record.
#include <QDir>
#include <QThread>

#include "exam/record/testrecord.h"
#include "tests/desktop/testprogram.h"
#include "testsupport/core/fulldisk.h"

namespace desktop {
namespace {

const QString kBox = QStringLiteral("MessageBox");

class RecordBoxTest : public TestProgramTest {};

TEST_F(RecordBoxTest, TheBoxWaitsInFrontUntilTheRecordIsWritten) {
  // Room for the start-up check; filled once the test runs.
  testing_support::FullDisk tmp(4 * 1024 * 1024);
  ASSERT_TRUE(tmp.Ok());
  ASSERT_TRUE(tmp.Mounted()) << "a full temporary folder needs a tmpfs mount: run the desktop tests as root";
  inst.SetEnvironment(QStringLiteral("TMP"), tmp.Path());
  inst.SetEnvironment(QStringLiteral("TMPDIR"), tmp.Path());
  ASSERT_TRUE(StartSetup(true));
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("輸入資料表面"), 300));
  ASSERT_TRUE(ClickWidget(QStringLiteral("輸入資料表面/Command1")));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("正式測驗"))) << Describe();
  // Placed and focused by the window manager first: until then the program
  // may still report where the window stood before its frame came, and the
  // click would miss Play, so the clock would never start.
  ASSERT_TRUE(InFrontAndActive(QStringLiteral("正式測驗"), 300));
  ASSERT_TRUE(ClickWidget(QStringLiteral("正式測驗/MMControl1/Play")));
  // Its Pause takes clicks once the part plays: a lost Play fails here,
  // not as a time-up that never comes.
  ASSERT_TRUE(WaitFor(
      [&] {
        const Widgets w = Probe();
        const auto it = w.widgets.constFind(QStringLiteral("正式測驗/MMControl1/Pause"));
        return it != w.widgets.cend() && it->enabled;
      },
      10000))
      << "the part does not play after Play\n"
      << Describe();
  desk.Type(QStringLiteral("abc"));
  ASSERT_TRUE(tmp.Fill());

  // Time-up, a minute after Play.
  ASSERT_TRUE(WaitForWindow(kBox, 90000)) << Describe();
  ASSERT_TRUE(InFrontAndActive(kBox, 500));
  const QList<quint64> stack = desk.Stacking();
  for (quint64 below : WindowIds(QStringLiteral("處理下")))
    if (stack.contains(below)) EXPECT_LT(stack.indexOf(below), stack.indexOf(WindowId(kBox))) << DescribeStacking().toStdString();
  EXPECT_TRUE(QDir(tmp.Path()).entryList({QStringLiteral("~T*")}, QDir::Files).isEmpty());

  desk.CloseByWindowManager(WindowId(kBox));
  QThread::msleep(500);
  ASSERT_TRUE(InFrontAndActive(kBox, 300));

  tmp.Free();
  ASSERT_TRUE(ClickWidget(kBox + QStringLiteral("/qt_msgbox_buttonbox/Choice0")));
  QStringList records;
  rec::TestRecordContent rc;
  ASSERT_TRUE(WaitFor(
      [&] {
        records = QDir(tmp.Path()).entryList({QStringLiteral("~T*.txt")}, QDir::Files);
        return records.size() == 1 && rec::ReadTestRecordFile(tmp.Path() + u'/' + records[0], rc);
      },
      10000))
      << Describe();
  EXPECT_EQ(rc.typedLines, QStringList{QStringLiteral("abc")});
}

}  // namespace
}  // namespace desktop
