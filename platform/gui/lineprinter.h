#pragma once
// The system's printer behind the printer interface (platform/core). Tests
// print to a PDF file or to the test doubles' FakeLinePrinter.
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

#include "platform/core/lineprinter.h"

class QPainter;
class QPrinter;

namespace plat {

// Over QPrinter: the system's default printer, or a PDF file when one is set.
class QtLinePrinter : public LinePrinter {
 public:
  QtLinePrinter();
  ~QtLinePrinter() override;
  // Prints into this PDF file instead of a printer (empty: the printer).
  void SetPdfOutput(const QString& path) { pdf_ = path; }
  // The font of the lines; by default a fixed-width Traditional Chinese face.
  // Han text falls back to Traditional Chinese faces whatever the locale.
  void SetFont(const QFont& font);
  QFont Font() const { return font_; }

  bool PrintLine(const QString& line) override;
  bool PrintImage(const QImage& image) override;
  bool EndDoc() override;
  void KillDoc() override;

  int Pages() const { return pages_; }

 private:
  bool Begin();
  bool NewPage();

  QString pdf_;
  QFont font_;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPainter> painter_;
  double y_ = 0;
  int pages_ = 0;
};

// Makes the system's printer the default one (plat::SetDefaultPrinter); the
// programs do so at start.
void UseSystemPrinter();

}  // namespace plat
