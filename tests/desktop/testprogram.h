#pragma once
// What the test program's desktop tests share: the settings they rely on,
// set in their own Tavrel.Ini, and the checks of where its windows stand.
#include "tests/desktop/desktop.h"

namespace desktop {

// Name, identity number (its check digit holds), birthday.
inline const QString kParticulars = QStringLiteral("王小明,A123456789,1990/5/3");

class TestProgramTest : public DesktopTest {
 protected:
  void SetUp() override;

  // Starts the test program (with particulars or none) and waits for its
  // set-up screen.
  bool StartSetup(bool particulars);
  // The backdrops' X ids (shown or not).
  QList<quint64> Backdrops() const;
  // Every backdrop stands below the window and the window has the focus,
  // checked over a while (a window manager may restack late); false with
  // what stood where.
  ::testing::AssertionResult InFrontAndActive(const QString& name, int forMs = 1500);
  // Empty when the window is shown, above every backdrop and active.
  QString WhyNotInFront(const QString& name) const;
};

}  // namespace desktop
