#pragma once
// The desktop's input method, as far as a program asks it to finish what it
// is composing before the program itself writes into the box. Input methods
// differ: some commit the composition when asked to commit, others when
// reset, none when there is no input method at all. The programs use the
// real one; tests install a fake that behaves like one of those.
#include <QString>

class QWidget;

namespace plat {

class InputMethodContext {
 public:
  virtual ~InputMethodContext() = default;
  // Asks the input method to commit its composition into the focus widget.
  virtual void Commit();
  // Asks it to drop its composition (some commit it instead).
  virtual void Reset();
};

InputMethodContext& inputMethodContext();
void SetInputMethodContext(InputMethodContext* c);  // nullptr: the real one

// For tests: an input method that composes `composing` for the focus widget
// and, by its kind, commits it on Commit, on Reset, or on neither (it drops
// it on Reset then, and the widget is left showing it).
class FakeInputMethodContext : public InputMethodContext {
 public:
  enum Kind { kCommitsOnNeither, kCommitsOnCommit, kCommitsOnReset };
  explicit FakeInputMethodContext(Kind k = kCommitsOnNeither) : kind(k) {}

  // Shows text as the widget's pre-edit, as the input method does while
  // composing.
  void Compose(QWidget* w, const QString& text);
  // Commits the composition into the focus widget now.
  void Deliver();

  void Commit() override;
  void Reset() override;

  Kind kind;
  QString composing;
  int commits = 0;
  int resets = 0;
};

}  // namespace plat
