// The seam scope: whatever a test installs through it is back to its
// default when the scope ends, however the test ends.
#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <stdexcept>

#include "platform/core/clock.h"
#include "testsupport/core/fakes.h"
#include "testsupport/core/seams.h"

namespace {

int* g_pointer = nullptr;
void SetPointer(int* p) { g_pointer = p; }
std::function<int()> g_source;
void SetSource(std::function<int()> f) { g_source = std::move(f); }
int g_level = 5;  // its own default, not an empty value
void SetLevel(int v) { g_level = v; }
QStringList g_names;
void SetNames(const QStringList& names) { g_names = names; }

TEST(Seams, EverySeamIsBackToItsDefaultWhenTheScopeEnds) {
  int value = 1;
  plat::FakeClock clock;
  {
    testsupport::Seams seams;
    seams.Set(SetPointer, &value);
    seams.Set(SetSource, [] { return 7; });
    seams.Set(SetLevel, 2, 5);
    seams.Set(SetNames, QStringList{"a"});
    seams.Set(plat::SetClock, &clock);
    EXPECT_EQ(g_pointer, &value);
    ASSERT_TRUE(g_source);
    EXPECT_EQ(g_source(), 7);
    EXPECT_EQ(g_level, 2);
    EXPECT_EQ(g_names, QStringList{"a"});
    EXPECT_EQ(&plat::clock(), &clock);
  }
  EXPECT_EQ(g_pointer, nullptr);
  EXPECT_FALSE(g_source);
  EXPECT_EQ(g_level, 5);
  EXPECT_TRUE(g_names.isEmpty());
  EXPECT_NE(&plat::clock(), &clock);
}

// A test that stops half-way (a failed assertion returns, a throw unwinds)
// leaves nothing installed for the next one.
TEST(Seams, ATestThatStopsHalfWayLeaksNothing) {
  int value = 1;
  const auto stopsEarly = [&] {
    testsupport::Seams seams;
    seams.Set(SetPointer, &value);
    throw std::runtime_error("failed half-way");
  };
  EXPECT_THROW(stopsEarly(), std::runtime_error);
  EXPECT_EQ(g_pointer, nullptr);
}

// Installed again within one test, the seam still ends at its default; the
// undo steps run last first; Restore() leaves the scope's end nothing to do.
TEST(Seams, ReinstalledAndRestoredEarly) {
  QStringList steps;
  testsupport::Seams seams;
  seams.Set(SetLevel, 1, 5);
  seams.OnEnd([&] { steps << "first"; });
  seams.Set(SetLevel, 2, 9);
  seams.OnEnd([&] { steps << "second"; });
  EXPECT_EQ(g_level, 2);
  seams.Restore();
  EXPECT_EQ(steps, (QStringList{"second", "first"}));
  EXPECT_EQ(g_level, 5);
  g_level = 3;  // after Restore the scope owns nothing
  seams.Restore();
  EXPECT_EQ(g_level, 3);
  g_level = 5;
}

}  // namespace
