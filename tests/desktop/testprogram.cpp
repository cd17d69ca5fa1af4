#include "tests/desktop/testprogram.h"

#include <QDateTime>
#include <QThread>

#include "platform/core/textfile.h"
#include "exam/record/testrecord.h"

namespace desktop {

void TestProgramTest::SetUp() {
  DesktopTest::SetUp();
  if (HasFatalFailure()) return;
  // Whatever the shipped file says: no question without particulars, no
  // required fields, no confirmation box, a one-minute test whose clock
  // starts with the first Play, parts played one by one.
  Settings({{199, "0"},
            {197, "0"},
            {901, "0"},
            {902, "0"},
            {917, "0"},
            {932, "0"},
            {933, "0"},
            {903, "1"},
            {201, "1"},
            {701, "2"},
            {705, "1"},
            {181, "0"},
            {149, "0"},
            {202, ""}});
}

bool TestProgramTest::StartScorer(int seconds) {
  const QString folder = inst.Folder();
  if (!plat::writeTextLines(folder + QStringLiteral("T9001.txt"), {QStringLiteral("　　今天天氣很好，我們去公園散步。")}))
    return false;
  const QString record = inst.Tmp() + QStringLiteral("~T032400.txt");
  const QStringList lines = {QStringLiteral("[測驗檔名]=") + folder + QStringLiteral("T9001.txt"),
                             QStringLiteral("[答案檔案]=") + folder + QStringLiteral("A123456789.T01"),
                             QStringLiteral("[成績檔案]=") + folder + QStringLiteral("A123456789.R01"),
                             QStringLiteral("[檢定姓名]=王小明"),
                             QStringLiteral("[身分證號]=A123456789"),
                             QStringLiteral("[開始時間]=031800"),
                             QStringLiteral("[終止時間]=032400"),
                             QStringLiteral("[測驗次數]=1"),
                             QStringLiteral("[指定主機]=127.0.0.1"),
                             QStringLiteral("　　今天天氣很好，我們去公園散步。")};
  if (!rec::WriteRecordLines(record, lines, false)) return false;
  return StartProgram(QStringLiteral("score"), {record + u',' + folder + QStringLiteral("Tavrel")}, seconds);
}

::testing::AssertionResult TestProgramTest::StartWithMinutesRefused() {
  if (!ClickWidget(QStringLiteral("輸入資料表面/Text4"))) return ::testing::AssertionFailure() << "no minutes box";
  desk.Key(QStringLiteral("ctrl+a"));
  desk.Type(QStringLiteral("3x"));
  if (!WaitFor([&] { return Probe().focusText == QStringLiteral("3x"); }, 3000))
    return ::testing::AssertionFailure() << "the minutes were not typed\n" << Describe();
  if (!ClickWidget(QStringLiteral("輸入資料表面/Command1"))) return ::testing::AssertionFailure() << "no Start";
  if (!WaitForWindow(QStringLiteral("MessageBox"), 5000))
    return ::testing::AssertionFailure() << "no refusal\n" << Describe();
  return ::testing::AssertionSuccess();
}

bool TestProgramTest::StartSetup(bool particulars) {
  if (!StartProgram(QStringLiteral("Tavrel"), particulars ? QStringList{kParticulars} : QStringList{}, 150))
    return false;
  if (!WaitForWindow(QStringLiteral("輸入資料表面"))) {
    ADD_FAILURE() << "the set-up screen did not show";
    return false;
  }
  return true;
}

QList<quint64> TestProgramTest::Backdrops() const {
  return WindowIds(QStringLiteral("背景")) + WindowIds(QStringLiteral("全螢幕黑景"));
}

QString TestProgramTest::WhyNotInFront(const QString& name) const {
  const quint64 id = WindowId(name);
  const QList<quint64> stack = desk.Stacking();
  if (!id || !stack.contains(id)) return name + QStringLiteral(" is not shown");
  for (quint64 b : Backdrops())
    if (stack.indexOf(b) > stack.indexOf(id)) return QStringLiteral("a backdrop stands above ") + name;
  if (desk.Active() != id) return name + QStringLiteral(" is not the active window");
  return {};
}

::testing::AssertionResult TestProgramTest::BackdropsHoldAgainstAClose() {
  const QList<quint64> ids = Backdrops();
  if (ids.size() != 2) return ::testing::AssertionFailure() << "backdrops: " << ids.size() << "\n" << Describe();
  for (quint64 id : ids) {
    const Window w = desk.Describe(id);
    if (!w.Has(QStringLiteral("SKIP_TASKBAR")) || !w.types.contains(QStringLiteral("DESKTOP")) || w.transientFor)
      return ::testing::AssertionFailure() << "backdrop " << w.title.toStdString() << " states "
                                           << w.states.join(u',').toStdString() << " types "
                                           << w.types.join(u',').toStdString() << " owner " << w.transientFor;
  }
  for (quint64 id : ids) desk.CloseByWindowManager(id);
  QThread::msleep(800);
  for (quint64 id : ids)
    if (!desk.Describe(id).viewable || !desk.Stacking().contains(id))
      return ::testing::AssertionFailure() << "a backdrop went at the window manager's close\n" << Describe();
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult TestProgramTest::WaitsOver(const QString& name, const QString& below, int forMs) {
  auto why = [&]() -> QString {
    const QString front = WhyNotInFront(name);
    if (!front.isEmpty()) return front;
    const QList<quint64> stack = desk.Stacking();
    if (stack.indexOf(WindowId(below)) > stack.indexOf(WindowId(name))) return below + QStringLiteral(" stands above ") + name;
    return {};
  };
  QString reason;
  WaitFor([&] { return (reason = why()).isEmpty(); }, 5000, 100);
  const qint64 until = QDateTime::currentMSecsSinceEpoch() + forMs;
  while (reason.isEmpty() && QDateTime::currentMSecsSinceEpoch() < until) {
    QThread::msleep(150);
    reason = why();
  }
  if (reason.isEmpty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << reason.toStdString() << "\n" << Describe();
}

::testing::AssertionResult TestProgramTest::InFrontAndActive(const QString& name, int forMs) {
  // The window manager may take a moment to focus a new window; from then
  // on nothing may come over it.
  QString why;
  WaitFor([&] { return (why = WhyNotInFront(name)).isEmpty(); }, 5000, 100);
  const qint64 until = QDateTime::currentMSecsSinceEpoch() + forMs;
  while (why.isEmpty() && QDateTime::currentMSecsSinceEpoch() < until) {
    QThread::msleep(150);
    why = WhyNotInFront(name);
  }
  if (why.isEmpty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << why.toStdString() << "\n" << Describe();
}

}  // namespace desktop
