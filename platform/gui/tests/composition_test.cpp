// The second copy of a commit, as Qt's ibus front end and ibus-daemon make
// it, is dropped; every commit a person made is kept, the same text twice too.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "platform/gui/composition.h"

namespace {

struct Ev {
  QString preedit, commit;
  bool dropped = false;
};

TEST(RepeatedCommitFilter, DropsOnlyTheCopyOfACommitThatEndedWhatWasShown) {
  struct Case {
    const char* what;
    std::vector<Ev> events;
  };
  const Case cases[] = {
      {"the front end's copy, then the daemon's after its reset",
       {{"ㄋ", ""}, {"你好", ""}, {"", "你好"}, {"", ""}, {"", "你好", true}, {"", ""}}},
      {"the daemon's copy with no emptied composition before it, then something new",
       {{"你好", ""}, {"", "你好"}, {"", "你好", true}, {"ㄋ", ""}, {"", ""}, {"", "你"}}},
      {"the daemon's own commits (Enter) clear what is shown first: the same text twice is kept",
       {{"你好", ""}, {"", ""}, {"", "你好"}, {"", ""}, {"你好", ""}, {"", ""}, {"", "你好"}}},
      {"a copy, then the same text composed again and copied again",
       {{"你好", ""}, {"", "你好"}, {"你好", ""}, {"", "你好"}, {"", "你好", true}}},
      {"a copy no daemon repeats, then something new composed and committed",
       {{"你好", ""}, {"", "你好"}, {"ㄋ", ""}, {"你", ""}, {"", ""}, {"", "你好"}}},
      {"a commit with the next composition in the same event",
       {{"你", ""}, {"ㄏ", "你"}, {"", "你"}}},
      {"a commit that is not what was shown is no copy",
       {{"你好", ""}, {"", "你"}, {"", "你"}}},
      {"a hot key: the daemon shows the composition once more before its reset's copy",
       {{"你好", ""}, {"", "你好"}, {"你好", ""}, {"", ""}, {"", "你好", true}}},
      {"no copy comes; the same one-symbol composition made again is committed",
       {{"ㄋ", ""}, {"", "ㄋ"}, {"ㄋ", ""}, {"", "ㄋ"}, {"", ""}, {"", "ㄋ", true}}},
      {"the box typed what it showed itself; a stale copy comes much later",
       {{"你好", ""}, {"", "你好"}, {"", ""}, {"", "你好", true}, {"", "你好"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    plat::RepeatedCommitFilter f;
    for (size_t i = 0; i < c.events.size(); ++i) {
      const Ev& e = c.events[i];
      EXPECT_EQ(f.Drop(e.preedit, e.commit), e.dropped) << "event " << i;
    }
  }
}

// Installed, the copy is dropped whatever widget the focus has moved to.
TEST(RepeatedCommitFilter, TheDaemonsCopyNeverReachesTheNextBox) {
  plat::DropRepeatedCommits();
  plat::DropRepeatedCommits();  // once is enough
  QLineEdit a, b;
  auto send = [](QWidget* to, const QString& preedit, const QString& commit) {
    QInputMethodEvent e(preedit, {});
    e.setCommitString(commit);
    QCoreApplication::sendEvent(to, &e);
  };
  send(&a, "你好", "");
  send(&a, "", "你好");  // the front end's copy, into the box composed in
  send(&b, "", "");      // the daemon's, after the focus moved on
  send(&b, "", "你好");
  EXPECT_EQ(a.text(), "你好");
  EXPECT_EQ(b.text(), "");
  send(&b, "中", "");
  send(&b, "", "");
  send(&b, "", "中");
  EXPECT_EQ(b.text(), "中");
}

TEST(PrepareInputMethod, SetsIbusSyncModeUnlessTheUserChose) {
  qunsetenv("IBUS_ENABLE_SYNC_MODE");
  plat::PrepareInputMethod();
  EXPECT_EQ(qgetenv("IBUS_ENABLE_SYNC_MODE"), "1");
  qputenv("IBUS_ENABLE_SYNC_MODE", "0");
  plat::PrepareInputMethod();
  EXPECT_EQ(qgetenv("IBUS_ENABLE_SYNC_MODE"), "0");
  qunsetenv("IBUS_ENABLE_SYNC_MODE");
}

}  // namespace
