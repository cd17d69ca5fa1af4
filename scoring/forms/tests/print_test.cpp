// Printing from the score sheet on the real printer layer, into PDF files
// that poppler's tools read back.
#include "scorer_fixture.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include "common/gui/windowservices.h"
#include "platform/gui/handler.h"
#include "testsupport/core/seams.h"

namespace {

using namespace scorertest;
using scorer::成績單;

// Output of one of poppler's tools on the file.
QString Poppler(const QString& tool, const QStringList& args) {
  const QString exe = QStandardPaths::findExecutable(tool);
  EXPECT_FALSE(exe.isEmpty()) << tool.toStdString() << " is missing (scripts/setup installs poppler-utils)";
  if (exe.isEmpty()) return {};
  QProcess p;
  p.start(exe, args);
  EXPECT_TRUE(p.waitForFinished(30000));
  return QString::fromUtf8(p.readAllStandardOutput());
}

int Pages(const QString& pdf) {
  const QString info = Poppler(QStringLiteral("pdfinfo"), {pdf});
  for (const QString& line : info.split(u'\n'))
    if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
  return -1;
}

class Printing : public ScorerFixture {
 protected:
  void SetUp() override {
    ScorerFixture::SetUp();
    seams.Set(plat::SetPrinter, &pdf);
  }
  void TearDown() override {
    // Kept for a look by hand when asked.
    const QString keep = qEnvironmentVariable("SCORER_KEEP_PRINTS");
    if (!keep.isEmpty())
      for (const QString& f : QDir(work.path()).entryList({"*.pdf", "*.png"}, QDir::Files))
        QFile::copy(work.filePath(f), keep + u'/' + f);
    ScorerFixture::TearDown();
  }
  plat::QtLinePrinter pdf;
};

TEST_F(Printing, TheSheetPrintsAsOnePageWithItsImage) {
  IniLines({{7999, "1"}});
  成績單* s = StartAndScore(WriteRecord());
  ASSERT_NE(s, nullptr);
  const QString file = work.filePath("sheet.pdf");
  pdf.SetPdfOutput(file);
  s->Command1->click();
  EXPECT_TRUE(prompt.calls.isEmpty());
  ASSERT_TRUE(QFileInfo(file).size() > 0);
  EXPECT_EQ(Pages(file), 1);
  // The page holds the sheet's picture: dark text on white, no buttons.
  Poppler(QStringLiteral("pdftoppm"), {"-png", "-r", "60", "-singlefile", file, work.filePath("sheet-print")});
  QImage page(work.filePath("sheet-print.png"));
  ASSERT_FALSE(page.isNull());
  int dark = 0;
  for (int y = 0; y < page.height(); y += 2)
    for (int x = 0; x < page.width(); x += 2) dark += qGray(page.pixel(x, y)) < 128;
  EXPECT_GT(dark, 50);
  s->grab().save(work.filePath("sheet-window.png"));
}

TEST_F(Printing, TheTypedTextReportPrintsItsLines) {
  IniLines({{7999, "1"}, {7910, "111111"}});
  成績單* s = StartAndScore(WriteRecord());
  ASSERT_NE(s, nullptr);
  const QString file = work.filePath("report.pdf");
  pdf.SetPdfOutput(file);
  s->Command2->click();
  EXPECT_TRUE(prompt.calls.isEmpty());
  ASSERT_TRUE(QFileInfo(file).size() > 0);
  EXPECT_EQ(Pages(file), 1);
  // Some glyphs of the CJK face come back as Kangxi radicals (⽣ for 生):
  // compatibility normalisation folds them.
  const QString text = Poppler(QStringLiteral("pdftotext"), {"-layout", file, "-"}).normalized(QString::NormalizationForm_KC);
  EXPECT_TRUE(text.contains(QStringLiteral("王小明"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("公園裡有很多花"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("T0001"))) << text.toStdString();
}

// Without a printer the box says so under the product's title, and once a
// printer is there the report can be printed after all.
TEST_F(Printing, NoPrinterSaysSoAndThePrintCanBeTriedAgain) {
  IniLines({{7999, "1"}, {7910, "111111"}});
  成績單* s = StartAndScore(WriteRecord());
  ASSERT_NE(s, nullptr);
  common::InstallWindowServices();  // as the program does: the boxes' title
  seams.Set(plat::SetPrompt, &prompt);
  plat::FakeLinePrinter none;
  none.failWith = plat::kPrinterNotReady;
  seams.Set(plat::SetPrinter, &none);
  s->Command2->click();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls.first().text, common::SystemIniValue(13960).asText());
  EXPECT_EQ(prompt.calls.first().title, common::ProductTitle.get());
  scheduler->Advance(6000);
  EXPECT_TRUE(s->isEnabled());
  EXPECT_TRUE(s->Command2->isEnabled());
  EXPECT_EQ(app.ends, 0);

  const QString file = work.filePath("again.pdf");
  pdf.SetPdfOutput(file);
  seams.Set(plat::SetPrinter, &pdf);
  s->Command2->click();
  EXPECT_EQ(prompt.calls.size(), 1);
  EXPECT_GT(QFileInfo(file).size(), 0);
  EXPECT_FALSE(s->Command2->isEnabled());  // printed: once is enough
  plat::SetDefaultBoxTitle(nullptr);
  plat::SetHandlerErrorSink(nullptr);
}

}  // namespace
