#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "common/accessors.h"
#include "common/gui/formtext.h"
#include "common/store.h"
#include "common/gui/backdrop.h"
#include "common/gui/whoami.h"
#include "testsupport/core/seams.h"
#include "testsupport/gui/fakes.h"

namespace {

using common::我是誰;

class WhoAmI : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    common::ProgramFolder.set(dir.path() + "/");
    common::SetUserDefaultLcid(1028);
    seams.Set(plat::SetAppControl, &app);
  }
  void TearDown() override {
    plat::FormRegistry::DestroyAll();
    common::SetUserDefaultLcid(-1);
  }
  static void KeyUp(QWidget* w, Qt::Key key) {
    QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }
  QTemporaryDir dir;
  plat::FakeAppControl app;
  testsupport::Seams seams;  // last: gives the seams back before the doubles go
};

TEST_F(WhoAmI, LoadTakesItsCaptionsFromTheStore) {
  const QStringList texts = {"系統資訊", "隱藏說明", "最多行數:", "每行字數:", "聽打測驗", "版權"};
  for (int i = 0; i < texts.size(); ++i) common::SystemIniValue(11100 + i, texts[i]);
  我是誰& f = plat::forms::get<我是誰>();
  f.Show();
  EXPECT_EQ(f.windowTitle(), texts[0]);
  QLabel* labels[] = {f.Label1, f.Label2, f.Label3, f.Label4, f.Label5};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(labels[i]->text(), texts[i + 1]);
    EXPECT_EQ(labels[i]->property(common::kFontCharsetProperty).toInt(), 136);
  }
  EXPECT_EQ(f.findChild<QWidget*>("Text1"), f.Text1);
}

TEST_F(WhoAmI, EachActivationRewritesTheLineLimits) {
  我是誰& f = plat::forms::get<我是誰>();
  f.Show();
  EXPECT_EQ(f.Text1->text(), "240");
  EXPECT_EQ(f.Text2->text(), "60");
  f.Text1->setText("999");
  f.Text2->setText("1");
  f.Command1->click();  // hides
  EXPECT_FALSE(f.isVisible());
  f.Show();
  EXPECT_EQ(f.Text1->text(), "240");
  EXPECT_EQ(f.Text2->text(), "60");
  // The scorer gives its own limits; activations then rewrite those.
  f.lineLimitText = "160";
  f.Hide();
  f.Show();
  EXPECT_EQ(f.Text1->text(), "160");
  EXPECT_EQ(f.Text2->text(), "60");
  f.Text1->setText("999");
  f.Hide();
  f.Show();
  EXPECT_EQ(f.Text1->text(), "160");
}

TEST_F(WhoAmI, F11OnTheButtonTogglesLabel1) {
  我是誰& f = plat::forms::get<我是誰>();
  f.Show();
  EXPECT_FALSE(f.Label1->isVisible());
  KeyUp(f.Command1, Qt::Key_F11);
  EXPECT_TRUE(f.Label1->isVisible());
  KeyUp(f.Command1, Qt::Key_F10);
  KeyUp(f.Command1, Qt::Key_A);
  EXPECT_TRUE(f.Label1->isVisible());
  KeyUp(f.Command1, Qt::Key_F11);
  EXPECT_FALSE(f.Label1->isVisible());
  KeyUp(f.Text1, Qt::Key_F11);  // only the button's key handler does it
  EXPECT_FALSE(f.Label1->isVisible());
}

TEST_F(WhoAmI, RendersChineseInAChineseFont) {
  // Look at the picture by hand when the layout changes; here: it renders.
  common::SystemIniValue(11100, "系統資訊");
  common::SystemIniValue(11104, "電腦聽打測驗系統");
  common::SystemIniValue(11105, "本程式供聽打檢定使用,測驗中請勿關閉。");
  common::SystemIniValue(11102, "最多行數:");
  common::SystemIniValue(11103, "每行字數:");
  我是誰& f = plat::forms::get<我是誰>();
  f.Show();
  const QImage img = f.grab().toImage();
  EXPECT_EQ(img.size(), QSize(320, 216));
  const QString out = qEnvironmentVariable("WHOAMI_PNG");
  if (!out.isEmpty()) img.save(out);
  const QFontInfo info(f.Label4->font());
  EXPECT_TRUE(info.family().contains("CJK")) << info.family().toStdString();
}

TEST(Backdrops, CoverTheScreenAndHoldNoControls) {
  common::背景& b = plat::forms::get<common::背景>();
  common::全螢幕黑景& k = plat::forms::get<common::全螢幕黑景>();
  b.Show();
  k.Show();
  EXPECT_TRUE(b.findChildren<QWidget*>().isEmpty());
  EXPECT_TRUE(k.findChildren<QWidget*>().isEmpty());
  EXPECT_EQ(k.palette().color(QPalette::Window), QColor(Qt::black));
  EXPECT_GE(b.width(), 640);
  b.resize(100, 100);  // the resize handler does nothing
  EXPECT_EQ(b.size(), QSize(100, 100));
  plat::FormRegistry::DestroyAll();
}

}  // namespace
