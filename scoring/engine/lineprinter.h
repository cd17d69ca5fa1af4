#pragma once
// Printing line by line, as the report is printed. The programs install a
// printer of the window layer; tests install the fake. Each call returns 0
// or the runtime's printer error number (482 printer error, 483 property not
// supported, 484 no printer information, 486 cannot print to this printer).
#include <QString>
#include <QStringList>

namespace scoring {

class LinePrinter {
 public:
  virtual ~LinePrinter() = default;
  virtual int StartDoc() = 0;
  virtual int PrintLine(const QString& line) = 0;
  virtual int EndDoc() = 0;
};

// What a machine without any installed printer has.
class NoPrinter : public LinePrinter {
 public:
  int StartDoc() override { return 484; }
  int PrintLine(const QString&) override { return 484; }
  int EndDoc() override { return 0; }
};

LinePrinter& linePrinter();
// Installs a printer (not owned); nullptr restores NoPrinter.
void SetLinePrinter(LinePrinter* p);

}  // namespace scoring
