#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/gui/captionfit.h"
#include "testsupport/gui/layoutfaults.h"

namespace {

TEST(CaptionFit, ABlankRunIsFoundAndWidened) {
  QWidget form;
  QLabel label(QStringLiteral("請輸入測驗時間：　　　分鐘"), &form);
  const QFontMetrics fm(label.font());
  const auto run = plat::BlankRunPixels(&label, 0);
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->first, fm.horizontalAdvance(QStringLiteral("請輸入測驗時間：")));
  EXPECT_FALSE(plat::BlankRunPixels(&label, 1).has_value());

  const int want = run->second - run->first + 2 * fm.horizontalAdvance(u'\x3000') - 1;
  const auto wider = plat::WidenBlankRun(&label, 0, want);
  ASSERT_TRUE(wider.has_value());
  EXPECT_GE(wider->second - wider->first, want);
  EXPECT_EQ(label.text(), QStringLiteral("請輸入測驗時間：　　　　　分鐘"));  // the words around stay
  EXPECT_EQ(plat::WidenBlankRun(&label, 0, 1), wider);                    // wide enough: unchanged
}

TEST(CaptionFit, ALineEditWideEnoughForItsSampleShowsItWhole) {
  QWidget form;
  QLineEdit edit(&form);
  const QFontMetrics fm(edit.font());
  edit.resize(plat::LineEditWidthFor(&edit, QStringLiteral("120")), 24);
  EXPECT_GE(plat::LineEditTextRoom(&edit), fm.horizontalAdvance(QStringLiteral("120")));
  edit.resize(edit.width() - 4, 24);
  EXPECT_LT(plat::LineEditTextRoom(&edit), fm.horizontalAdvance(QStringLiteral("120")));
}

TEST(CaptionFit, LayoutFaultsNameWhatCutsAText) {
  QWidget form;
  form.resize(400, 200);
  auto* label = new QLabel(QStringLiteral("請準備好檔名　　的試卷"), &form);
  label->setObjectName("Label6");
  label->setGeometry(10, 10, 300, 20);
  auto* box = new QLineEdit(&form);
  box->setObjectName("Text1");
  const QFontMetrics fm(label->font());
  const auto run = plat::BlankRunPixels(label, 0);
  ASSERT_TRUE(run.has_value());
  // In the blanks: nothing cut.
  box->setGeometry(10 + run->first + 1, 10, run->second - run->first - 2, 20);
  EXPECT_EQ(testkit::LayoutFaults(&form), QStringList());
  // Over "的": named.
  box->setGeometry(10 + run->first + 1, 10, run->second - run->first + fm.horizontalAdvance(u'的'), 20);
  EXPECT_EQ(testkit::LayoutFaults(&form), QStringList{"Text1 covers \"的\" of Label6"});
  box->hide();

  // A label narrower than its text; a wrapped one shorter than its lines.
  label->resize(fm.horizontalAdvance(label->text()) - 1, 20);
  auto* wrapped = new QLabel(QStringLiteral("按「要」結束測驗並交卷,按「不要」繼續測驗。"), &form);
  wrapped->setObjectName("Label2");
  wrapped->setWordWrap(true);
  wrapped->setGeometry(10, 40, 120, fm.height());
  // Two buttons over each other, one past the window's edge.
  auto* start = new QPushButton(&form);
  start->setObjectName("Command1");
  start->setGeometry(10, 120, 100, 30);
  auto* exit = new QPushButton(&form);
  exit->setObjectName("Command2");
  exit->setGeometry(100, 130, 320, 30);
  const QStringList faults = testkit::LayoutFaults(&form);
  EXPECT_TRUE(faults.contains("Label6 text is wider than its label")) << faults.join(u'\n').toStdString();
  EXPECT_TRUE(faults.contains("Label2 text is taller than its label")) << faults.join(u'\n').toStdString();
  EXPECT_TRUE(faults.contains("Command1 and Command2 overlap")) << faults.join(u'\n').toStdString();
  EXPECT_TRUE(faults.contains("Command2 reaches past the window")) << faults.join(u'\n').toStdString();
  EXPECT_EQ(faults.size(), 4) << faults.join(u'\n').toStdString();
}

}  // namespace
