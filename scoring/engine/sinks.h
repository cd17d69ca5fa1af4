#pragma once
// What the engine tells the world while it runs. The scorer's windows adapt
// these to their progress bar and log files; tests record them; benchmarks
// drop them.
#include <QString>
#include <QStringList>

namespace scoring {

class EngineLog {
 public:
  virtual ~EngineLog() = default;
  // The error report shared with the other programs ("ZetError.Txt").
  virtual void ErrorLog(const QString& text) = 0;
  // The scorer's own log ("CrsError.Txt"); an empty text begins a new one.
  virtual void CrsLog(const QString& text) = 0;
};

class NullLog : public EngineLog {
 public:
  void ErrorLog(const QString&) override {}
  void CrsLog(const QString&) override {}
};

// The scoring-in-progress window's bar (range 0..100) and its tool tip.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void SetValue(int value) = 0;
  virtual void SetToolTip(const QString& text) = 0;
};

class NullProgress : public ProgressSink {
 public:
  void SetValue(int) override {}
  void SetToolTip(const QString&) override {}
};

}  // namespace scoring
