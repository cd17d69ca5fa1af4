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
  // A finished test's record in TMP, and the scorer started on it as the
  // test program starts it; it ends itself after `seconds`.
  bool StartScorer(int seconds);
  // Minutes with a unit typed on the set-up screen, then Start: the
  // refusal's message box is up.
  ::testing::AssertionResult StartWithMinutesRefused();
  // The backdrops' X ids (shown or not).
  QList<quint64> Backdrops() const;
  // Every backdrop stands below the window and the window has the focus,
  // checked over a while (a window manager may restack late); false with
  // what stood where.
  ::testing::AssertionResult InFrontAndActive(const QString& name, int forMs = 1500);
  // Empty when the window is shown, above every backdrop and active.
  QString WhyNotInFront(const QString& name) const;
  // Each backdrop is the desktop's own window: no taskbar entry, owned by
  // none, and a close by the window manager leaves it.
  ::testing::AssertionResult BackdropsHoldAgainstAClose();
  // The window stands above `below` and has the focus, over a while.
  ::testing::AssertionResult WaitsOver(const QString& name, const QString& below, int forMs = 1000);
};

}  // namespace desktop
