// The set-up screen at a desktop's fonts: every caption reads whole, boxes
// stand in their captions' blanks and hold their longest values, buttons
// cover no option group, the title shows the maker's line whole.
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/accessors.h"
#include "platform/gui/captionfit.h"
#include "platform/gui/twips.h"
#include "exam/setup/tests/setup_fixture.h"
#include "exam/setup/updown.h"
#include "testsupport/gui/layoutfaults.h"

namespace setuptest {
namespace {

using SetupLayout = SetupTest;

TEST_F(SetupLayout, EveryTextReadsWholeInEachLayout) {
  struct Case {
    const char* what;
    QStringList lines;
  } const cases[] = {
      {"as designed", {}},
      {"voice speed shown", {"701,=2", "706,=1"}},
      {"web panel 1", {"980,=1"}},
      {"web panel 2", {"980,=2"}},
      {"web panel 2, voice speed shown", {"980,=2", "701,=2", "706,=1"}},
      {"web panel 3, voice speed shown", {"980,=3", "701,=2", "706,=1"}},
      {"birthday row hidden", {"932,=9"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    settings = c.lines;
    auto& s = Screen();
    s.SetOptionValue(s.Option2);  // the paper's name shown
    EXPECT_EQ(testkit::LayoutFaults(&s).join(u'\n').toStdString(), "");
    // The minutes box holds three digits beside its arrows.
    s.Text4->setText(QStringLiteral("120"));
    EXPECT_GE(plat::LineEditTextRoom(s.Text4), QFontMetrics(s.Text4->font()).horizontalAdvance(QStringLiteral("120")));
    EXPECT_GE(plat::LineEditTextRoom(s.Text6A), QFontMetrics(s.Text6A->font()).horizontalAdvance(QStringLiteral("1990")));
    EXPECT_LE(s.Text4->geometry().right(), s.UpDown1->geometry().left());
    plat::FormRegistry::DestroyAll();
  }
}

TEST_F(SetupLayout, InTheCompactLayoutStartAndExitStandBelowTheOptionGroups) {
  Set(980, "2");
  Set(701, "2");
  Set(706, "1");
  auto& s = Screen();
  for (QGroupBox* g : {s.Frame1, s.Frame2, s.Frame3, s.Frame4}) {
    ASSERT_TRUE(g->isVisibleTo(&s)) << g->objectName().toStdString();
    for (QPushButton* b : {s.Command1, s.Command2})
      EXPECT_FALSE(b->geometry().intersects(g->geometry()))
          << b->objectName().toStdString() << " over " << g->objectName().toStdString();
  }
  EXPECT_LE(s.Command1->geometry().bottom(), s.height());
}

TEST_F(SetupLayout, TheTitleShowsTheMakersLineWhole) {
  auto& s = Screen();
  const QString title = s.windowTitle();
  EXPECT_TRUE(title.startsWith(common::ProductTitle.get())) << title.toStdString();
  EXPECT_TRUE(title.endsWith(common::MakerLine.get())) << title.toStdString();
  EXPECT_TRUE(title.contains(common::ProductTitle.get() + QStringLiteral("  ")));  // padded
  // Narrower than the title bar, in the bar's own font, and padded as far as
  // that allows.
  const QFontMetrics fm(setup::TitleBarFont(s.font()));
  const int room = s.width() - plat::TwipsToPixels(900) - 4 * fm.height();
  EXPECT_LE(fm.horizontalAdvance(title), room);
  EXPECT_GT(fm.horizontalAdvance(title + u' '), room);
}

}  // namespace
}  // namespace setuptest
