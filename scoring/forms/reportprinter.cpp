#include "scoring/forms/reportprinter.h"

#include "platform/gui/lineprinter.h"

namespace scorer {

int PlatformReportPrinter::StartDoc() { return 0; }  // the first line begins the document

int PlatformReportPrinter::PrintLine(const QString& line) {
  plat::LinePrinter& p = plat::printer();
  return p.PrintLine(line) ? 0 : p.LastError();
}

int PlatformReportPrinter::EndDoc() {
  plat::LinePrinter& p = plat::printer();
  return p.EndDoc() ? 0 : p.LastError();
}

}  // namespace scorer
