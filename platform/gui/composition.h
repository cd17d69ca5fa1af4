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

// Qt's ibus front end, asked to commit, types its own copy of the
// composition and then resets ibus-daemon, which commits the same text once
// more a moment later, into whatever has the focus by then. The filter tells
// that second copy by its shape: a commit of exactly what was shown ends the
// composition, and the same text committed again, once nothing is shown and
// before anything new is composed, is the copy. A commit the daemon makes of
// its own (Enter in Chewing) clears what is shown first, so it is never
// taken for a copy.
class RepeatedCommitFilter {
 public:
  // One input-method event as it comes; true when it is the second copy.
  bool Drop(const QString& preedit, const QString& commit);

 private:
  QString shown_;   // the composition shown last
  QString copied_;  // a commit that ended the composition shown
};

// Drops the second copies of the application's commits, whatever widget
// they are aimed at. Once; needs the application.
void DropRepeatedCommits();

// Before the application starts: ibus's front end, unless the user chose,
// hands each key to the daemon and waits for the answer, so that a key
// typed while the daemon is away reaches the box instead of being lost.
void PrepareInputMethod();

}  // namespace plat
