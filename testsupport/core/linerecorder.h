#pragma once
// A printer that records what would be printed; fails on demand.
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/core/lineprinter.h"

namespace plat {

// The window tests' FakeLinePrinter keeps the images too.
class LineRecorder : public LinePrinter {
 public:
  bool PrintLine(const QString& line) override;
  bool PrintImage(const QImage& image) override;
  bool EndDoc() override;
  void KillDoc() override;

  QStringList lines;        // of the open document
  QList<QStringList> docs;  // sent documents
  int imageCount = 0;
  int ended = 0;            // EndDoc calls, failed ones too
  int killed = 0;
  int failWith = kPrinterOk;  // when set, every call fails with it
  int failAtLine = 0;         // n > 0: a document's n-th line and those after fail (kPrinterError)
};

}  // namespace plat
