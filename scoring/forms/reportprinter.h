#pragma once
// The engine prints the typed-text report line by line; in the scorer those
// lines go to the platform printer (the system's printer, or a PDF).
#include "scoring/engine/lineprinter.h"

namespace scorer {

class PlatformReportPrinter : public scoring::LinePrinter {
 public:
  int StartDoc() override;
  int PrintLine(const QString& line) override;
  int EndDoc() override;
};

}  // namespace scorer
