#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "common/gui/captiontable.h"
#include "common/gui/formtext.h"
#include "common/store.h"
#include "platform/core/codec.h"

namespace {

using common::CaptionText;
using common::FormCaptions;
using common::TextProperty;

const QString kMing = QString::fromUtf16(u"\u65B0\u7D30\u660E\u9AD4");

// A widget of the control kind a design name stands for.
QWidget* MakeControl(const QString& name, QWidget* parent) {
  QWidget* w;
  if (name.startsWith("Label") || name.startsWith("TbX") || name.startsWith("Time") || name.startsWith("Box") ||
      name.startsWith("Image"))
    w = new QLabel(parent);
  else if (name.startsWith("Command") || name.endsWith("Button"))
    w = new QPushButton(parent);
  else if (name.startsWith("Frame"))
    w = new QGroupBox(parent);
  else if (name.startsWith("Option"))
    w = new QRadioButton(parent);
  else if (name.startsWith("Check"))
    w = new QCheckBox(parent);
  else
    w = new QLineEdit(parent);
  w->setObjectName(name);
  return w;
}

// A stand-in form holding every control its table names, with design-time
// wording "design".
std::unique_ptr<QWidget> MakeForm(const FormCaptions& t) {
  auto form = std::make_unique<QWidget>();
  form->setObjectName(t.formName);
  form->setWindowTitle("design");
  QStringList names = t.fonts;
  for (const CaptionText& c : t.texts) names << c.control;
  names.removeAll(QString());
  names.removeDuplicates();
  for (const QString& n : names) {
    QWidget* w = MakeControl(n, form.get());
    common::SetCaption(w, "design");
    w->setToolTip("design");
  }
  return form;
}

QString CaptionOf(QWidget* w) {
  if (w->isWindow()) return w->windowTitle();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  return QString();
}

class FormText : public ::testing::Test {
 protected:
  void SetUp() override {
    common::ResetCommonState();
    common::ProgramFolder.set(dir.path() + "/");
    common::SetUserDefaultLcid(1028);
  }
  void TearDown() override { common::SetUserDefaultLcid(-1); }
  QString ErrorReport() {
    QFile f(common::ErrorReportPath());
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return plat::fromCp950(f.readAll());
  }
  QTemporaryDir dir;
};

TEST_F(FormText, TableHasTheDesignCountsPerForm) {
  // fonts set / texts read, per form number
  const std::map<int, std::pair<int, int>> counts = {
      {1, {39, 55}}, {2, {35, 8}}, {3, {29, 29}}, {4, {3, 3}},  {5, {1, 3}},   {6, {1, 1}},   {7, {1, 1}},
      {8, {7, 7}},   {9, {1, 1}},  {10, {3, 3}},  {11, {6, 6}}, {12, {5, 5}}, {13, {6, 6}}, {14, {2, 2}}};
  int texts = 0, tips = 0;
  ASSERT_EQ(common::TestProgramCaptionTable().size(), 14);
  for (const FormCaptions& t : common::TestProgramCaptionTable()) {
    SCOPED_TRACE(t.formNumber);
    EXPECT_EQ(t.fonts.size(), counts.at(t.formNumber).first);
    EXPECT_EQ(t.texts.size(), counts.at(t.formNumber).second);
    EXPECT_EQ(t.fonts.value(0), QString());  // the form first
    for (int i = 0; i < t.texts.size(); ++i) {
      const CaptionText& c = t.texts[i];
      if (i > 0) {
        EXPECT_LT(t.texts[i - 1].number, c.number);
      }
      EXPECT_EQ(c.number / 100 - 100, t.formNumber) << c.number;
      EXPECT_TRUE(common::StoreHasId(c.number)) << c.number;
      (c.property == TextProperty::Caption ? texts : tips)++;
    }
  }
  EXPECT_EQ(texts, 104);
  EXPECT_EQ(tips, 26);
}

TEST_F(FormText, SpotEntriesOfTheTable) {
  auto find = [](int form, int number) -> CaptionText {
    for (const CaptionText& c : common::TestProgramCaptions(form)->texts)
      if (c.number == number) return c;
    return {0, "missing", TextProperty::Caption};
  };
  struct Case {
    int form, number;
    QString control;
    TextProperty prop;
  } cases[] = {
      {1, 10100, "", TextProperty::Caption},           {1, 10110, "Label10", TextProperty::Caption},
      {1, 10133, "Command11", TextProperty::ToolTip},  {1, 10186, "Text6", TextProperty::ToolTip},
      {1, 10189, "Text6C", TextProperty::ToolTip},     {2, 10217, "Image2", TextProperty::ToolTip},
      {3, 10316, "Option1(1)", TextProperty::Caption}, {3, 10326, "Option3(2)", TextProperty::Caption},
      {5, 10508, "CancelButton", TextProperty::Caption}, {10, 11011, "", TextProperty::Caption},
      {12, 11204, "Label2", TextProperty::Caption},    {13, 11302, "Option1(1)", TextProperty::Caption},
      {13, 11305, "Label1", TextProperty::Caption},
  };
  for (const Case& c : cases) {
    const CaptionText got = find(c.form, c.number);
    EXPECT_EQ(got.control, c.control) << c.number;
    EXPECT_EQ(got.property, c.prop) << c.number;
  }
  EXPECT_EQ(common::TestProgramCaptions(2)->fonts.mid(3, 4), (QStringList{"TB(0)", "TbX(0)", "TB(1)", "TbX(1)"}));
  EXPECT_FALSE(common::TestProgramCaptions(3)->fonts.contains("Option1(0)"));
  EXPECT_EQ(common::TestProgramCaptions(0), nullptr);
  EXPECT_EQ(common::TestProgramCaptions(15), nullptr);
}

TEST_F(FormText, EveryFormGetsItsTextsOnTheRightControls) {
  for (const FormCaptions& t : common::TestProgramCaptionTable())
    for (const CaptionText& c : t.texts) common::SystemIniValue(c.number, QStringLiteral("第%1號").arg(c.number));
  for (const FormCaptions& t : common::TestProgramCaptionTable()) {
    SCOPED_TRACE(t.formNumber);
    auto form = MakeForm(t);
    common::ApplyFormText(t.formNumber, form.get());
    for (const CaptionText& c : t.texts) {
      QWidget* w = common::FindControl(form.get(), c.control);
      const QString want = QStringLiteral("第%1號").arg(c.number);
      EXPECT_EQ(c.property == TextProperty::ToolTip ? w->toolTip() : CaptionOf(w), want) << c.number;
    }
    for (const QString& name : t.fonts)
      EXPECT_EQ(common::FindControl(form.get(), name)->property(common::kFontCharsetProperty).toInt(), 136)
          << name.toStdString();
  }
  EXPECT_TRUE(ErrorReport().isEmpty());  // nothing missing
}

TEST_F(FormText, MissingStoreTextsBlankTheCaptionAndUnlistedControlsStay) {
  common::SystemIniValue(10101, QStringLiteral("姓名"));
  const FormCaptions& t = *common::TestProgramCaptions(1);
  auto form = MakeForm(t);
  QWidget* text4 = MakeControl("Text4", form.get());
  text4->setToolTip("design");
  common::ApplyFormText(1, form.get());
  EXPECT_EQ(CaptionOf(common::FindControl(form.get(), "Label1")), QStringLiteral("姓名"));
  EXPECT_EQ(form->windowTitle(), QString());
  EXPECT_EQ(CaptionOf(common::FindControl(form.get(), "Label2")), QString());
  EXPECT_EQ(common::FindControl(form.get(), "Command3")->toolTip(), QString());
  EXPECT_EQ(text4->toolTip(), "design");
  EXPECT_FALSE(text4->property(common::kFontCharsetProperty).isValid());
}

TEST_F(FormText, TheTestScreenKeepsItsCaptionAndOtherNumbersDoNothing) {
  auto form = MakeForm(*common::TestProgramCaptions(2));
  common::ApplyFormText(2, form.get());
  EXPECT_EQ(form->windowTitle(), "design");
  for (int n : {0, 15, 99, -1}) {
    auto f1 = MakeForm(*common::TestProgramCaptions(1));
    common::ApplyFormText(n, f1.get());
    EXPECT_EQ(f1->windowTitle(), "design");
    EXPECT_FALSE(f1->property(common::kFontCharsetProperty).isValid());
  }
}

TEST_F(FormText, OwnCaptionOfOperationNotesIs11011) {
  common::SystemIniValue(11011, QStringLiteral("操作說明"));
  auto form = MakeForm(*common::TestProgramCaptions(10));
  common::ApplyFormText(10, form.get());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("操作說明"));
}

TEST_F(FormText, UnlistedControlsKeepTheirDesignFont) {
  auto form = MakeForm(*common::TestProgramCaptions(5));
  QWidget* ok = common::FindControl(form.get(), "OKButton");
  ok->setFont(QFont("DejaVu Sans", 9));
  auto three = MakeForm(*common::TestProgramCaptions(3));
  QWidget* option0 = MakeControl("Option1(0)", three.get());
  option0->setFont(QFont("DejaVu Sans", 9));
  common::SetCaption(option0, "design");
  common::ApplyFormText(5, form.get());
  common::ApplyFormText(3, three.get());
  EXPECT_EQ(ok->font().family(), "DejaVu Sans");
  EXPECT_FALSE(ok->property(common::kFontCharsetProperty).isValid());
  EXPECT_EQ(option0->font().family(), "DejaVu Sans");
  EXPECT_EQ(CaptionOf(option0), "design");
}

TEST_F(FormText, AMissingControlIsLoggedAndTheRestApplied) {
  common::SystemIniValue(11100, QStringLiteral("我是誰"));
  common::SystemIniValue(11105, QStringLiteral("第五行"));
  auto form = MakeForm(*common::TestProgramCaptions(11));
  delete common::FindControl(form.get(), "Label3");
  common::ApplyFormText(11, form.get());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("我是誰"));
  EXPECT_EQ(CaptionOf(common::FindControl(form.get(), "Label5")), QStringLiteral("第五行"));
  const QString report = ErrorReport();
  EXPECT_TRUE(report.contains(QStringLiteral("內部錯誤發生於檔案 ApplyFormText 的 >424")));
  EXPECT_EQ(report.count("Label3"), 2);  // font pass and text pass
}

TEST_F(FormText, LabelCaptionsAreNeverMarkup) {
  common::SystemIniValue(11401, QStringLiteral("<b>處理中</b>"));
  auto form = MakeForm(*common::TestProgramCaptions(14));
  common::ApplyFormText(14, form.get());
  auto* label = form->findChild<QLabel*>("Label1");
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_EQ(label->text(), QStringLiteral("<b>處理中</b>"));
}

TEST_F(FormText, LocaleFontTable) {
  struct Case {
    int lcid, charset;
    QString name;
  } cases[] = {{1028, 136, kMing},
               {1041, 128, QString::fromUtf16(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF")},
               {1042, 129, QString::fromUtf16(u"\uAD74\uB9BC")},
               {2052, 134, QString::fromUtf16(u"\u5B8B\u4F53")},
               {1033, 1, QString()},
               {0, 1, QString()}};
  for (const Case& c : cases) {
    EXPECT_EQ(common::LocaleFontFor(c.lcid).charset, c.charset);
    EXPECT_EQ(common::LocaleFontFor(c.lcid).name, c.name);
  }
}

TEST_F(FormText, LocaleFontMapsTheFaceToAnInstalledFamily) {
  QLabel l;
  l.setFont(QFont("DejaVu Sans", 9));
  common::SetLocaleFont(&l);
  EXPECT_EQ(l.property(common::kFontCharsetProperty).toInt(), 136);
  ASSERT_FALSE(common::InstalledFamiliesFor(kMing).isEmpty()) << "no Traditional Chinese font installed";
  EXPECT_EQ(l.property(common::kFontNameProperty).toString(), kMing);
  EXPECT_TRUE(QFontDatabase::families().contains(l.font().family()));
  EXPECT_TRUE(QFontDatabase::writingSystems(l.font().family()).contains(QFontDatabase::TraditionalChinese));
  EXPECT_EQ(l.font().pointSize(), 9);  // only the face changes

  common::SetUserDefaultLcid(1033);  // any other locale: charset 1, the face stays
  QLabel other;
  other.setFont(QFont("DejaVu Sans", 9));
  common::SetLocaleFont(&other);
  EXPECT_EQ(other.property(common::kFontCharsetProperty).toInt(), 1);
  EXPECT_EQ(other.font().family(), "DejaVu Sans");
  common::SetLocaleFont(nullptr);  // never fails towards the caller
}

TEST_F(FormText, ApplyingTwiceGivesTheSameResult) {
  common::SystemIniValue(11200, QStringLiteral("暫停"));
  auto form = MakeForm(*common::TestProgramCaptions(12));
  common::ApplyFormText(12, form.get());
  const QString first = form->windowTitle();
  const QFont font = form->font();
  common::ApplyFormText(12, form.get());
  EXPECT_EQ(form->windowTitle(), first);
  EXPECT_EQ(form->font(), font);
}

}  // namespace
