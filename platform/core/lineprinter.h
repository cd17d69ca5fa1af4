#pragma once
// The printer, line by line (the reports and typed texts) and as a window
// image (the score sheets): the one printer interface of the programs. The
// first line or image begins a document; EndDoc sends it. Failures carry the
// Windows printer error numbers the messages are keyed to. The system's
// printer over QPrinter is the window layer's (platform/gui/lineprinter.h).
#include <QList>
#include <QString>
#include <QStringList>

class QImage;

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

LinePrinter& printer();
// Installs a printer (not owned); nullptr restores the default printer.
void SetPrinter(LinePrinter* p);
// The default printer (not owned): the system's once the window layer has
// set it (UseSystemPrinter); until then, or after nullptr, a printer that is
// never ready (kPrinterNotReady), as on a machine without one.
void SetDefaultPrinter(LinePrinter* p);

}  // namespace plat
