#pragma once
// Test doubles of the core seams: a clock that moves when told, a fixed
// random sequence, a launcher that records, a prompt that answers from queues.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/core/clock.h"
#include "platform/core/launcher.h"
#include "platform/core/prompt.h"
#include "platform/core/random.h"

namespace plat {

// A clock that moves only when told to.
class FakeClock : public Clock {
 public:
  explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 3, 5), QTime(9, 0, 0)));
  double SecondsSinceMidnight() const override;
  QDateTime Now() const override;
  qint64 MonotonicMs() const override { return mono_; }
  void Advance(qint64 ms);
  void Set(const QDateTime& t) { now_ = t; }

 private:
  QDateTime now_;
  qint64 mono_ = 1000000;
};

class FakeRandom : public Random {
 public:
  explicit FakeRandom(QList<double> values) : values_(std::move(values)) {}
  double Next() override;

 private:
  QList<double> values_;
  int pos_ = 0;
};

class FakeLauncher : public Launcher {
 public:
  bool Start(const QString& program, const QStringList& arguments, WindowStyle style) override;
  QList<LaunchCall> calls;
  bool result = true;
};

// For tests: records every call (with the title the box would show); answers from a queue, else the default.
class FakePrompt : public Prompt {
 public:
  Answer Ask(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
  QString OpenFile(const QString& title, const QString& folder, const QString& filter) override;
  QString PickFolder(const QString& title, const QString& folder) override;
  int Choose(const QString& text, const QString& title, const QStringList& choices, Icon icon) override;
  int PickColour(int initial) override;
  QString InputText(const QString& text, const QString& title, const QString& initial) override;

  QList<PromptCall> calls;
  QList<int> choices;                // answers of Choose, front first (else -1)
  QStringList folders;               // answers of PickFolder, front first (else "")
  QList<Answer> answers;             // taken front first
  Answer fallback = Answer::Ok;      // when the queue is empty
  QStringList files;                 // answers of OpenFile, front first
  QList<int> colours;                // answers of PickColour
  QStringList inputs;                // answers of InputText, front first (else "")
};

}  // namespace plat
