// What an input method is composing when the program itself saves, scrolls
// or inserts: it is typed once, into its own line, and the record keeps
// what the candidate saw. Each case runs with an input method that commits
// when asked to commit, one that commits when reset, and one that does
// neither (the box then types what it shows).
#include <QLineEdit>

#include "platform/gui/composition.h"
#include "exam/record/testrecord.h"
#include "exam/run/forms/pausedialog.h"
#include "exam/run/forms/tests/run_fixture.h"
#include "testsupport/core/seams.h"

namespace runtest {
namespace {

using run::正式測驗;
using Kind = plat::FakeInputMethodContext::Kind;

class CompositionBase : public RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    common::Setting705.set(0);
    seams.Set(plat::SetInputMethodContext, &im);
  }
  void TearDown() override {
    RunTest::TearDown();
  }

  正式測驗& Start() {
    LoadText(0);
    正式測驗& s = StartScreen();
    QCoreApplication::processEvents();  // the window active, the box focused
    sched.Advance(1000);
    return s;
  }

  // The last typing box of the shipped paired layout (Enter seven times
  // from the first) holding 31 characters, one more than setting 213's 30.
  正式測驗& FullLastBox() {
    common::Setting208.set(1);
    正式測驗& s = Start();
    for (int k = 0; k < 7; ++k) Key(Box(s), Qt::Key_Return);
    EXPECT_EQ(s.CurBox, 7);
    Commit(s.TB[7], full);
    EXPECT_EQ(s.TB[7]->text(), full);
    return s;
  }

  // The full line once in line 7, the phrase alone in line 8, the window one
  // line down, and every box showing its own line; after continuing and the
  // time-up the record holds the same.
  void ExpectLineOnceAndPhraseBelow(正式測驗& s) {
    const rec::TestLines& lines = rec::testRecordModule().lines;
    EXPECT_EQ(lines.AnswerLines[7], full);
    EXPECT_EQ(lines.AnswerLines[8], "你好");
    EXPECT_EQ(lines.FirstVisibleLine, 1);
    for (int j = 0; j <= 7; ++j) EXPECT_EQ(s.TB[j]->text(), lines.AnswerLines[1 + j]) << j;
    EXPECT_EQ(s.TB[7]->text(), "你好");
    plat::forms::get<run::是否暫離>().Command2_Click();
    EXPECT_EQ(s.TB[6]->text(), full);
    EXPECT_EQ(s.TB[7]->text(), "你好");
    EXPECT_EQ(RecordAtTimeUp(), (full + "|你好").toStdString());
  }

  // The typed lines of the record written at the time-up, "|" between.
  std::string RecordAtTimeUp() {
    EXPECT_TRUE(sched.RunUntil([&] { return app.ends > 0; }, 700000));
    rec::TestRecordContent rc;
    EXPECT_TRUE(rec::ReadTestRecordFile(recordPath, rc));
    QStringList typed;
    for (const QString& l : rc.typedLines)
      if (!l.isEmpty()) typed << l;
    return typed.join(u'|').toStdString();
  }

  plat::FakeInputMethodContext im;
  const QString full = QString(31, u'字');
};

class CompositionTest : public CompositionBase, public ::testing::WithParamInterface<Kind> {
 protected:
  void SetUp() override {
    CompositionBase::SetUp();
    im.kind = GetParam();
  }
};

using CommitInsideTheSave = CompositionBase;

// The reported fault: the pause's save reset the input method, its commit
// scrolled the full box inside the save, and the save then wrote the old
// line into the box below it: the line twice, the phrase gone.
TEST_P(CompositionTest, AtThePauseAFullLastBoxKeepsItsLineOnceAndThePhraseGoesBelow) {
  正式測驗& s = FullLastBox();
  im.Compose(s.TB[7], "你好");
  s.Image2_Click();
  EXPECT_TRUE(im.composing.isEmpty());  // the input method was asked, and answered or dropped it
  ExpectLineOnceAndPhraseBelow(s);
}

// An input method that composes in a window of its own and commits when the
// box is reset: its commit comes in the middle of the save, as the save sets
// the lines again. It is typed after the save, in its own line, once.
TEST_F(CommitInsideTheSave, LandsOnceInItsLine) {
  正式測驗& s = FullLastBox();
  s.TB[15]->setText("x");  // the text line above box 7: the save sets it again
  QObject hook;
  int sent = 0;
  QObject::connect(s.TB[15], &QLineEdit::textChanged, &hook, [&] {
    if (sent++ == 0) Commit(s.TB[7], "你好");
  });
  s.Image2_Click();
  ASSERT_GT(sent, 0);
  ExpectLineOnceAndPhraseBelow(s);
}

TEST_P(CompositionTest, APauseKeepsThePhraseInTheBox) {
  正式測驗& s = Start();
  Type(s.TB[0], "abc");
  im.Compose(s.TB[0], "中文");
  s.Image2_Click();
  EXPECT_EQ(rec::testRecordModule().lines.AnswerLines[0], "abc中文");
  plat::forms::get<run::是否暫離>().Command2_Click();
  EXPECT_EQ(s.TB[0]->text(), "abc中文");
  Type(s.TB[0], "d");  // typing goes on after it, nothing composed is left over
  EXPECT_EQ(s.TB[0]->text(), "abc中文d");
  EXPECT_EQ(RecordAtTimeUp(), "abc中文d");
}

TEST_P(CompositionTest, TheTimeUpKeepsThePhraseInTheRecord) {
  正式測驗& s = Start();
  Type(s.TB[0], "abc");
  im.Compose(s.TB[0], "中文");
  EXPECT_EQ(RecordAtTimeUp(), "abc中文");
  EXPECT_TRUE(s.HandedOver);
}

// Ctrl+R inserts 『』 mid-line while a phrase is composed there: the phrase
// first, the hot key's text after it, the caret between its two characters.
TEST_P(CompositionTest, AHotKeysInsertComesAfterThePhrase) {
  正式測驗& s = Start();
  s.TB[0]->setText("abcd");
  s.TB[0]->setCursorPosition(2);
  im.Compose(s.TB[0], "你好");
  Key(s.TB[0], Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(s.TB[0]->text(), "ab你好『』cd");
  EXPECT_EQ(s.TB[0]->cursorPosition(), 5);
  EXPECT_FALSE(s.TB[0]->Composing());
}

// An input method that lets Enter or Down through while composing: the
// phrase stays in the line it was composed in, and the key acts after it.
TEST_P(CompositionTest, AKeyThatSplitsOrMovesOnActsAfterThePhrase) {
  正式測驗& s = Start();
  Type(s.TB[0], "ab");
  im.Compose(s.TB[0], "中文");
  Key(s.TB[0], Qt::Key_Return);
  EXPECT_EQ(s.TB[0]->text(), "ab中文");
  EXPECT_EQ(s.TB[1]->text(), "");
  EXPECT_EQ(s.CurBox, 1);
  im.Compose(s.TB[1], "你好");
  Key(s.TB[1], Qt::Key_Down);
  EXPECT_EQ(s.TB[1]->text(), "你好");
  EXPECT_EQ(s.CurBox, 2);
  EXPECT_FALSE(s.TB[1]->Composing());
}

// The input method went away while composing: the keys come to the box
// plainly. What it showed is typed once, first; the keys follow, and a
// modifier alone (Shift, Chewing's own key) leaves the composition be.
TEST_P(CompositionTest, KeysTypedWhileTheInputMethodIsAwayComeAfterThePhrase) {
  正式測驗& s = Start();
  Type(s.TB[0], "ab");
  im.Compose(s.TB[0], "你好");
  Key(s.TB[0], Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_TRUE(s.TB[0]->Composing());
  Type(s.TB[0], "cd");
  EXPECT_EQ(s.TB[0]->text(), "ab你好cd");
  EXPECT_FALSE(s.TB[0]->Composing());
  im.Compose(s.TB[0], "中");
  Key(s.TB[0], Qt::Key_Backspace);
  EXPECT_EQ(s.TB[0]->text(), "ab你好cd");
  EXPECT_EQ(RecordAtTimeUp(), "ab你好cd");
}

INSTANTIATE_TEST_SUITE_P(InputMethods, CompositionTest,
                         ::testing::Values(Kind::kCommitsOnCommit, Kind::kCommitsOnReset, Kind::kCommitsOnNeither),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                           switch (info.param) {
                             case Kind::kCommitsOnCommit: return std::string("CommitsOnCommit");
                             case Kind::kCommitsOnReset: return std::string("CommitsOnReset");
                             default: return std::string("CommitsOnNeither");
                           }
                         });

}  // namespace
}  // namespace runtest
