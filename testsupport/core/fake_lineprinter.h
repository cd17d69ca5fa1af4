#pragma once
// A printer for the scorer's report that records the lines and fails on
// demand.
#include <QString>
#include <QStringList>

#include "scoring/engine/lineprinter.h"

namespace scoring {

class FakeLinePrinter : public LinePrinter {
 public:
  int StartDoc() override {
    ++jobs;
    return failAt == 0 ? error : 0;
  }
  int PrintLine(const QString& line) override {
    if (failAt > 0 && lines.size() + 1 >= failAt) return error;
    lines << line;
    return 0;
  }
  int EndDoc() override {
    ++ended;
    return 0;
  }
  QStringList lines;
  int jobs = 0;
  int ended = 0;
  int failAt = -1;  // 0: StartDoc fails; n: the n-th line fails
  int error = 482;
};

}  // namespace scoring
