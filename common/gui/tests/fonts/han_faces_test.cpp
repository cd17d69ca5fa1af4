// The faces Han text is drawn in under Debian's default locale (C.UTF-8),
// on screen and on paper. A program of its own: its main sets the locale
// before fontconfig first reads it.
#include <QApplication>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRawFont>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextLayout>
#include <gtest/gtest.h>

#include "common/gui/windowservices.h"
#include "platform/core/prompt.h"
#include "platform/gui/fonts.h"
#include "platform/gui/handler.h"
#include "platform/gui/lineprinter.h"

namespace {

const QString kHan = QStringLiteral("中文聽打測驗，。「王小明」");

// The faces the text is drawn in, one a run.
QStringList FacesOf(const QFont& font, const QString& text) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  QStringList faces;
  for (const QGlyphRun& run : layout.glyphRuns()) faces << run.rawFont().familyName();
  return faces;
}

bool AllTraditional(const QStringList& faces) {
  if (faces.isEmpty()) return false;
  for (const QString& f : faces)
    if (!plat::TraditionalChineseFamilies().contains(f)) return false;
  return true;
}

QString Join(const QStringList& l) { return l.join(QStringLiteral(", ")); }

class HanFaces : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(plat::TraditionalChineseFamilies().isEmpty()) << "no Noto CJK TC (fonts-noto-cjk)"; }
  void TearDown() override {
    plat::SetPrompt(nullptr);
    plat::SetDefaultBoxTitle(nullptr);
    plat::SetHandlerErrorSink(nullptr);
  }
};

// Every kind of control a window has, with its font as forms change it
// (bold, larger), once the programs' window services are in.
TEST_F(HanFaces, OnScreenTheWindowsDrawHanInTraditionalChineseFaces) {
  ASSERT_EQ(qEnvironmentVariable("LANG"), QStringLiteral("C.UTF-8"));
  std::cout << "before: " << Join(FacesOf(QApplication::font(), kHan)).toStdString() << "\n";
  common::InstallWindowServices();
  QLabel label;
  QLineEdit box;
  QFont heading = label.font();
  heading.setBold(true);
  heading.setPointSize(16);
  struct Case {
    const char* what;
    QFont font;
  } const cases[] = {{"label", label.font()}, {"typing box", box.font()}, {"bold heading", heading}};
  for (const Case& c : cases) {
    const QStringList faces = FacesOf(c.font, kHan);
    EXPECT_TRUE(AllTraditional(faces)) << c.what << ": " << Join(faces).toStdString();
    // Latin beside it may take a Latin face; the Han stays Traditional.
    const QStringList mixed = FacesOf(c.font, QStringLiteral("ID A123456789 ") + kHan);
    bool traditional = false;
    for (const QString& f : mixed) {
      EXPECT_TRUE(!f.contains(QStringLiteral("CJK")) || plat::TraditionalChineseFamilies().contains(f))
          << c.what << ": " << Join(mixed).toStdString();
      traditional = traditional || plat::TraditionalChineseFamilies().contains(f);
    }
    EXPECT_TRUE(traditional) << c.what << ": " << Join(mixed).toStdString();
  }
}

// Fonts the PDF embeds, from poppler's pdffonts: one name a line.
QStringList PdfFonts(const QString& pdf) {
  const QString exe = QStandardPaths::findExecutable(QStringLiteral("pdffonts"));
  EXPECT_FALSE(exe.isEmpty()) << "pdffonts is missing (scripts/setup installs poppler-utils)";
  if (exe.isEmpty()) return {};
  QProcess p;
  p.start(exe, {pdf});
  EXPECT_TRUE(p.waitForFinished(30000));
  QStringList names;
  const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  for (qsizetype i = 2; i < lines.size(); ++i) names << lines[i].section(u' ', 0, 0, QString::SectionSkipEmpty);
  return names;
}

// On paper: the report's lines in the printer's own face, and in a face
// without Han that a caller may give it.
TEST_F(HanFaces, OnPaperTheLinesArePrintedInTraditionalChineseFaces) {
  QTemporaryDir dir;
  struct Case {
    const char* what;
    QString family;  // empty: the printer's own
  } const cases[] = {{"the printer's face", QString()}, {"a Latin face", QStringLiteral("DejaVu Sans")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    plat::QtLinePrinter printer;
    if (!c.family.isEmpty()) printer.SetFont(QFont(c.family, 11));
    const QString pdf = dir.filePath(QStringLiteral("%1.pdf").arg(c.family.isEmpty() ? "own" : "latin"));
    printer.SetPdfOutput(pdf);
    ASSERT_TRUE(printer.PrintLine(kHan));
    ASSERT_TRUE(printer.EndDoc());
    const QStringList fonts = PdfFonts(pdf);
    bool traditional = false;
    for (const QString& f : fonts) {
      EXPECT_FALSE(f.contains(QStringLiteral("CJKjp"))) << Join(fonts).toStdString();
      traditional = traditional || f.contains(QStringLiteral("CJKtc"));
    }
    EXPECT_TRUE(traditional) << Join(fonts).toStdString();
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Debian's default locale, whatever the caller's: fontconfig reads it once.
  qputenv("LANG", "C.UTF-8");
  for (const char* v : {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LANGUAGE", "FC_LANG"}) qunsetenv(v);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
