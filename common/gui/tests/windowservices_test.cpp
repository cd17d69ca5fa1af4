#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/windowservices.h"
#include "platform/core/codec.h"
#include "platform/core/prompt.h"
#include "platform/gui/formtimer.h"
#include "platform/gui/handler.h"
#include "platform/gui/widgetprompt.h"
#include "testsupport/gui/virtualtime.h"

namespace {

TEST(WindowServices, HandlerFailuresGoToTheErrorReport) {
  QTemporaryDir dir;
  common::ResetCommonState();
  common::ProgramFolder.set(dir.path() + "/");
  common::InstallWindowServices();
  EXPECT_NE(dynamic_cast<plat::WidgetPrompt*>(&plat::prompt()), nullptr);
  // A box that names no title carries the product's.
  EXPECT_EQ(plat::BoxTitle(QString()), common::ProductTitle.get());
  EXPECT_EQ(plat::BoxTitle(QStringLiteral("警告")), QStringLiteral("警告"));
  {
    plat::VirtualScheduler vs;
    plat::FormTimer t(nullptr, "Timer2");
    int ticks = 0;
    t.Tick = [&] {
      ++ticks;
      if (ticks == 1) throw common::MakeAppError(common::kFileNotFound, QStringLiteral("CheckTimeUp"));
      if (ticks == 2) throw std::runtime_error("bad value");
    };
    t.SetInterval(250);
    vs.Advance(750);
    EXPECT_EQ(ticks, 3);
  }
  plat::SetHandlerErrorSink(nullptr);
  plat::SetPrompt(nullptr);
  plat::SetDefaultBoxTitle(nullptr);
  QFile f(common::ErrorReportPath());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString report = plat::fromCp950(f.readAll());
  EXPECT_TRUE(report.contains(QStringLiteral("內部錯誤發生於檔案 Timer2_Timer 的 >53 "))) << report.toStdString();
  EXPECT_TRUE(report.contains(QStringLiteral("bad value")));
  // Any other exception is the runtime's number 5, from this program.
  EXPECT_TRUE(report.contains(QStringLiteral("內部錯誤發生於檔案 Timer2_Timer 的 >5 bad value 5 0 ") +
                              QCoreApplication::applicationName()))
      << report.toStdString();
}

}  // namespace
