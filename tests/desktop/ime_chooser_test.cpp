// The input-method chooser at a real window manager: loaded by the set-up
// screen's load, it asks over that screen with the focus, so keys never go
// to the name box it covers.
#include <QThread>

#include "tests/desktop/testprogram.h"

namespace desktop {
namespace {

using ImeChooserTest = TestProgramTest;

TEST_F(ImeChooserTest, TheChooserAsksOverTheSetupScreenWithTheFocus) {
  ASSERT_TRUE(Settings({{1147, "1"}}));
  ASSERT_TRUE(StartSetup(false));
  ASSERT_TRUE(WaitForWindow(QStringLiteral("frmIME"))) << Describe();
  ASSERT_TRUE(WaitsOver(QStringLiteral("frmIME"), QStringLiteral("輸入資料表面"), 1500));
  EXPECT_TRUE(WaitFor([&] { return Probe().focus == QStringLiteral("frmIME/Combo1"); }, 3000)) << Describe();
  // Typing goes to the question, never into the name box behind it.
  desk.Type(QStringLiteral("ab"));
  QThread::msleep(300);
  const Widgets w = Probe();
  EXPECT_EQ(w.focus, QStringLiteral("frmIME/Combo1")) << Describe();
  EXPECT_FALSE(w.focusText.contains(QStringLiteral("ab"))) << Describe();
}

}  // namespace
}  // namespace desktop
