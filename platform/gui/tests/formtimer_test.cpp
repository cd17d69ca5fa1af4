#include <QElapsedTimer>
#include <QPushButton>
#include <QEventLoop>
#include <QStringList>
#include <gtest/gtest.h>
#include <stdexcept>

#include "platform/gui/form.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/handler.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/virtualtime.h"

namespace {

using plat::FormTimer;
using plat::VirtualScheduler;

TEST(VirtualTime, TimersFireInDueOrderWithTheClockAtEachTick) {
  VirtualScheduler vs;
  FormTimer t100(nullptr, "Timer1"), t250(nullptr, "Timer2");
  QStringList log;
  const qint64 start = plat::clock().MonotonicMs();
  t100.Tick = [&] { log << QStringLiteral("a%1").arg(plat::clock().MonotonicMs() - start); };
  t250.Tick = [&] { log << QStringLiteral("b%1").arg(plat::clock().MonotonicMs() - start); };
  t100.SetInterval(100);
  t250.SetInterval(250);
  vs.Advance(500);
  EXPECT_EQ(log.join(' '), "a100 a200 b250 a300 a400 a500 b500");
  EXPECT_EQ(vs.Now(), 500);
}

TEST(VirtualTime, HandlersChangeTheirTimers) {
  VirtualScheduler vs;
  FormTimer t;
  int ticks = 0;
  t.Tick = [&] {
    if (++ticks == 3) t.SetInterval(160);  // the countdown speeds up
    if (ticks == 5) t.SetEnabled(false);
  };
  t.SetInterval(1000);
  vs.Advance(3000);
  EXPECT_EQ(ticks, 3);
  vs.Advance(320);
  EXPECT_EQ(ticks, 5);
  vs.Advance(10000);
  EXPECT_EQ(ticks, 5);
  t.SetEnabled(true);  // a fresh count
  vs.Advance(159);
  EXPECT_EQ(ticks, 5);
  vs.Advance(1);
  EXPECT_EQ(ticks, 6);
}

TEST(VirtualTime, TenMinutesRunInAnInstantAndRunUntilStops) {
  VirtualScheduler vs;
  FormTimer t1, t2;
  int n1 = 0, n2 = 0;
  t1.Tick = [&] { ++n1; };
  t2.Tick = [&] { ++n2; };
  t1.SetInterval(100);
  t2.SetInterval(250);
  QElapsedTimer wall;
  wall.start();
  EXPECT_TRUE(vs.RunUntil([&] { return n1 == 6000; }, 700000));
  EXPECT_EQ(vs.Now(), 600000);
  EXPECT_EQ(n2, 2400);
  EXPECT_LT(wall.elapsed(), 5000);
  EXPECT_FALSE(vs.RunUntil([] { return false; }, 1000));
  EXPECT_EQ(vs.Now(), 601000);
}

TEST(VirtualTime, ATickDoesNotReenterItsOwnHandler) {
  VirtualScheduler vs;
  FormTimer slow, other;
  int slowTicks = 0, otherTicks = 0;
  // A handler that waits (as a modal box would) while time passes.
  slow.Tick = [&] {
    ++slowTicks;
    vs.Advance(1000);
  };
  other.Tick = [&] { ++otherTicks; };
  slow.SetInterval(100);
  other.SetInterval(250);
  vs.Advance(100);
  EXPECT_EQ(slowTicks, 1);
  EXPECT_EQ(otherTicks, 4);
}

TEST(RealTime, AQTimerDrivesTheTickWithoutAScheduler) {
  FormTimer t;
  QEventLoop loop;
  int ticks = 0;
  t.Tick = [&] {
    if (++ticks == 2) loop.quit();
  };
  t.SetInterval(5);
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_EQ(ticks, 2);
  t.SetEnabled(false);
  EXPECT_EQ(FormTimer::RunningCount(), 0);
}

}  // namespace

namespace {

TEST(HandlerGuard, AFailingTickIsReportedAndTheTimerGoesOn) {
  plat::VirtualScheduler vs;
  QStringList reports;
  testsupport::Seams seams;
  seams.Set(plat::SetHandlerErrorSink, [&](const QString& procedure, std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::runtime_error& err) {
      reports << procedure + ":" + err.what();
    }
  });
  plat::FormTimer t(nullptr, "Timer1");
  int ticks = 0;
  t.Tick = [&] {
    if (++ticks == 1) throw std::runtime_error("disk full");
  };
  t.SetInterval(100);
  vs.Advance(300);
  plat::SetHandlerErrorSink(nullptr);
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(reports, QStringList{"Timer1_Timer:disk full"});
}

class ThrowingForm : public plat::Form {
 public:
  ThrowingForm() : Form("ThrowingForm") {}
  int activates = 0;

 protected:
  void Form_Load() override { throw 42; }
  void Form_Activate() override { ++activates; }
};

TEST(HandlerGuard, AFailingLoadHandlerDoesNotStopTheShow) {
  QStringList reports;
  testsupport::Seams seams;
  seams.Set(plat::SetHandlerErrorSink, [&](const QString& procedure, std::exception_ptr) { reports << procedure; });
  ThrowingForm& f = plat::forms::get<ThrowingForm>();
  f.Show();
  plat::SetHandlerErrorSink(nullptr);
  EXPECT_EQ(reports, QStringList{"ThrowingForm.Form_Load"});
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(f.activates, 1);
  plat::FormRegistry::DestroyAll();
}

// A click is named after the window the button is in when clicked (a form
// may be named after its buttons are made); a report given to the click
// takes the failure instead of the installed sink.
TEST(HandlerGuard, AFailingClickIsReportedUnderItsWindowsName) {
  QStringList installed, own;
  plat::SetHandlerErrorSink([&](const QString& procedure, std::exception_ptr) { installed << procedure; });
  QWidget window;
  auto* plain = new QPushButton(&window);
  auto* logged = new QPushButton(&window);
  int runs = 0;
  plat::ConnectClick(plain, "Command1_Click", [&] {
    ++runs;
    throw std::runtime_error("no disk");
  });
  plat::ConnectClick(logged, "Command2_Click", [] { throw 5; },
                     [&](const QString& procedure, std::exception_ptr) { own << procedure; });
  window.setObjectName("frmClient");
  plain->click();
  plain->click();
  logged->click();
  plat::SetHandlerErrorSink(nullptr);
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(installed, (QStringList{"frmClient.Command1_Click", "frmClient.Command1_Click"}));
  EXPECT_EQ(own, QStringList{"frmClient.Command2_Click"});
}

}  // namespace
