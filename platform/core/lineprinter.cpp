#include "platform/core/lineprinter.h"

namespace plat {

namespace {

class NoPrinter : public LinePrinter {
 public:
  bool PrintLine(const QString&) override { return Fail(); }
  bool PrintImage(const QImage&) override { return Fail(); }
  bool EndDoc() override {
    error_ = kPrinterOk;
    return true;
  }
  void KillDoc() override {}

 private:
  bool Fail() {
    error_ = kPrinterNotReady;
    return false;
  }
};

LinePrinter* g_printer = nullptr;
LinePrinter* g_default = nullptr;

}  // namespace

LinePrinter& printer() {
  static NoPrinter none;
  if (g_printer) return *g_printer;
  return g_default ? *g_default : none;
}

void SetPrinter(LinePrinter* p) { g_printer = p; }

void SetDefaultPrinter(LinePrinter* p) { g_default = p; }

}  // namespace plat
