#pragma once
// The printer, line by line (the scorers' report) and as a window image (the
// score sheet). The first line or image begins a document; EndDoc sends it.
// Failures carry the Windows printer error numbers the scorers' messages are
// keyed to. Tests print to a PDF file or use FakeLinePrinter.
#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

class QPainter;
class QPrinter;

namespace plat {

enum PrinterError : int {
  kPrinterOk = 0,
  kPrinterError = 482,        // the print job failed
  kPrinterProperty = 483,     // the driver does not take a setting
  kPrinterNotReady = 484,     // no printer set up, or its information unreadable
  kPrinterNoImage = 486,      // a window image cannot go to this printer
};

class LinePrinter {
 public:
  virtual ~LinePrinter() = default;
  // false with LastError() set when the line could not be printed.
  virtual bool PrintLine(const QString& line) = 0;
  // The image on a page of its own, scaled down to the page when larger.
  virtual bool PrintImage(const QImage& image) = 0;
  // Sends the document; true also when nothing was printed.
  virtual bool EndDoc() = 0;
  // Drops the document being printed.
  virtual void KillDoc() = 0;
  int LastError() const { return error_; }

 protected:
  int error_ = kPrinterOk;
};

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

LinePrinter& printer();
// Installs a printer (not owned); nullptr restores the system printer.
void SetPrinter(LinePrinter* p);

}  // namespace plat
