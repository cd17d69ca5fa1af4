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

bool LineRecorder::PrintLine(const QString& line) {
  error_ = failWith;
  if (!failWith && failAtLine > 0 && lines.size() + 1 >= failAtLine) error_ = kPrinterError;
  if (error_) return false;
  lines << line;
  return true;
}

bool LineRecorder::PrintImage(const QImage&) {
  error_ = failWith;
  if (failWith) return false;
  ++imageCount;
  return true;
}

bool LineRecorder::EndDoc() {
  ++ended;
  error_ = failWith;
  if (failWith) return false;
  if (!lines.isEmpty()) docs << lines;
  lines.clear();
  return true;
}

void LineRecorder::KillDoc() {
  ++killed;
  lines.clear();
}

LinePrinter& printer() {
  static NoPrinter none;
  if (g_printer) return *g_printer;
  return g_default ? *g_default : none;
}

void SetPrinter(LinePrinter* p) { g_printer = p; }

void SetDefaultPrinter(LinePrinter* p) { g_default = p; }

}  // namespace plat
