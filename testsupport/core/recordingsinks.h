#pragma once
// The engine's log and progress bar as a test records them.
#include <QList>
#include <QString>
#include <QStringList>

#include "scoring/engine/sinks.h"

namespace scoring {

class RecordingLog : public EngineLog {
 public:
  void ErrorLog(const QString& text) override { errors << text; }
  void CrsLog(const QString& text) override { crs << text; }
  QStringList errors;
  QStringList crs;
};

class RecordingProgress : public ProgressSink {
 public:
  void SetValue(int value) override {
    values << value;
    last = value;
  }
  void SetToolTip(const QString& text) override { tips << text; }
  QList<int> values;
  QStringList tips;
  int last = -1;
};

}  // namespace scoring
