// Every form of the test run that exists takes its captions and tool tips
// from the store, on the controls the caption table names.
#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

#include "common/errorlog.h"
#include "platform/core/codec.h"
#include "common/gui/captiontable.h"
#include "common/gui/formtext.h"
#include "common/gui/backdrop.h"
#include "exam/run/forms/countdown.h"
#include "net/forms/frmdownload3.h"
#include "exam/run/forms/pausedialog.h"
#include "exam/run/forms/processing.h"
#include "exam/run/forms/testscreen.h"
#include "exam/run/forms/tests/run_fixture.h"
#include "exam/run/forms/volumetest.h"
#include "common/gui/whoami.h"

namespace {

QString Numbered(int n) { return QStringLiteral("文字%1").arg(n); }

QString CaptionOf(QWidget* w) {
  if (w->isWindow()) return w->windowTitle();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return QStringLiteral("<no caption>");
}

class FormCaptions : public runtest::RunTest {
 protected:
  void SetUp() override {
    RunTest::SetUp();
    for (const common::FormCaptions& f : common::TestProgramCaptionTable())
      for (const common::CaptionText& t : f.texts) common::SystemIniValue(t.number, Numbered(t.number));
    common::SetUserDefaultLcid(1028);
  }
  void TearDown() override {
    common::SetUserDefaultLcid(-1);
    RunTest::TearDown();
  }

  // titleAfterLoad: a form whose load handler sets its title after the
  // captions (the countdown and the pause dialog show the product title).
  void Check(int formNumber, QWidget* form, const QString& titleAfterLoad = QString()) {
    SCOPED_TRACE(formNumber);
    const common::FormCaptions* table = common::TestProgramCaptions(formNumber);
    ASSERT_NE(table, nullptr);
    for (const QString& name : table->fonts) {
      QWidget* w = common::FindControl(form, name);
      ASSERT_NE(w, nullptr) << "no control " << name.toStdString();
      EXPECT_EQ(w->property(common::kFontCharsetProperty).toInt(), 136) << name.toStdString();
    }
    for (const common::CaptionText& t : table->texts) {
      QWidget* w = common::FindControl(form, t.control);
      ASSERT_NE(w, nullptr) << "no control " << t.control.toStdString();
      const QString got = t.property == common::TextProperty::ToolTip ? w->toolTip() : CaptionOf(w);
      const bool retitled = t.control.isEmpty() && !titleAfterLoad.isEmpty();
      EXPECT_EQ(got, retitled ? titleAfterLoad : Numbered(t.number)) << t.number;
    }
    QFile report(common::ErrorReportPath());
    if (report.open(QIODevice::ReadOnly)) {
      EXPECT_FALSE(plat::fromCp950(report.readAll()).contains(QStringLiteral("ApplyFormText"))) << "a control was missing";
    }
  }
};

TEST_F(FormCaptions, TestScreen) {
  LoadText();
  auto& f = plat::forms::loaded<run::正式測驗>();
  Check(2, &f);
  EXPECT_NE(f.windowTitle(), Numbered(10200));  // no caption of its own from the store
}
TEST_F(FormCaptions, DownloadWindow) { Check(6, &plat::forms::loaded<run::FrmDownload3>()); }
TEST_F(FormCaptions, Countdown) { Check(9, &plat::forms::loaded<run::FrmToWait>(), common::ProductTitle.get()); }
TEST_F(FormCaptions, InformationDialog) { Check(11, &plat::forms::loaded<common::我是誰>()); }
TEST_F(FormCaptions, PauseDialog) { Check(12, &plat::forms::loaded<run::是否暫離>(), common::ProductTitle.get()); }
TEST_F(FormCaptions, VolumeTest) { Check(13, &plat::forms::loaded<run::音量測試>()); }
TEST_F(FormCaptions, ProcessingScreen) { Check(14, &plat::forms::loaded<run::處理下>()); }

}  // namespace
