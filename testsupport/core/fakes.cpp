#include "testsupport/core/fakes.h"

namespace plat {

FakeClock::FakeClock(QDateTime start) : now_(std::move(start)) {}

double FakeClock::SecondsSinceMidnight() const { return now_.time().msecsSinceStartOfDay() / 1000.0; }

QDateTime FakeClock::Now() const { return now_; }

void FakeClock::Advance(qint64 ms) {
  now_ = now_.addMSecs(ms);
  mono_ += ms;
}

double FakeRandom::Next() {
  if (values_.isEmpty()) return 0.0;
  double v = values_[pos_ % values_.size()];
  ++pos_;
  return v;
}

bool FakeLauncher::Start(const QString& program, const QStringList& arguments, WindowStyle style) {
  calls.append({ResolveProgram(program), arguments, style});
  return result;
}

Answer FakePrompt::Ask(const QString& text, const QString& title, Buttons buttons, Icon icon) {
  calls.append({text, BoxTitle(title), buttons, icon});
  if (!answers.isEmpty()) return answers.takeFirst();
  return fallback;
}

QString FakePrompt::OpenFile(const QString& title, const QString&, const QString&) {
  calls.append({QString(), BoxTitle(title), Buttons::OkCancel, Icon::None});
  return files.isEmpty() ? QString() : files.takeFirst();
}

QString FakePrompt::PickFolder(const QString& title, const QString&) {
  calls.append({QString(), BoxTitle(title), Buttons::OkCancel, Icon::None});
  return folders.isEmpty() ? QString() : folders.takeFirst();
}

int FakePrompt::Choose(const QString& text, const QString& title, const QStringList&, Icon icon) {
  calls.append({text, BoxTitle(title), Buttons::Ok, icon});
  return choices.isEmpty() ? -1 : choices.takeFirst();
}

int FakePrompt::PickColour(int) { return colours.isEmpty() ? -1 : colours.takeFirst(); }

QString FakePrompt::InputText(const QString& text, const QString& title, const QString&) {
  calls.append({text, BoxTitle(title), Buttons::OkCancel, Icon::None});
  return inputs.isEmpty() ? QString() : inputs.takeFirst();
}

}  // namespace plat
