#pragma once
// The batch scorer's text printing (batch::PrintTextFile) onto the
// platform's printer.
#include "batch/core/files.h"
#include "platform/gui/lineprinter.h"

namespace batchui {

class PrinterSink : public batch::LineSink {
 public:
  explicit PrinterSink(plat::LinePrinter& p) : printer_(p) {}
  bool PrintLine(const QString& line) override { return printer_.PrintLine(line); }
  bool EndDoc() override { return printer_.EndDoc(); }
  void KillDoc() override { printer_.KillDoc(); }
  int LastError() const { return printer_.LastError(); }

 private:
  plat::LinePrinter& printer_;
};

}  // namespace batchui
