#pragma once
// Message boxes and common dialogs behind one interface. Library code asks
// through it; the programs install the window version, tests a fake that
// answers at once and never blocks.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace plat {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct PromptCall {
  QString text;
  QString title;
  Buttons buttons;
  Icon icon;
};

class Prompt {
 public:
  virtual ~Prompt() = default;
  virtual Answer Ask(const QString& text, const QString& title, Buttons buttons = Buttons::Ok,
                     Icon icon = Icon::None) = 0;
  // File-open dialog: the chosen path, or empty when cancelled.
  virtual QString OpenFile(const QString& title, const QString& folder, const QString& filter);
  // Folder dialog: the chosen folder, or empty when cancelled.
  virtual QString PickFolder(const QString& title, const QString& folder);
  // A box whose buttons carry their own texts: the index of the one
  // pressed, or -1 when the box was closed without one (and without a
  // window).
  virtual int Choose(const QString& text, const QString& title, const QStringList& choices, Icon icon = Icon::None);
  // Colour picker on 0x00BBGGRR values: the chosen colour, or -1 when cancelled.
  virtual int PickColour(int initial);
  // Input box: the text typed, empty when cancelled. Without a window the
  // initial text is the answer.
  virtual QString InputText(const QString& text, const QString& title, const QString& initial = {});
};

// Without a window: writes the text to stderr and answers the first button.
class ConsolePrompt : public Prompt {
 public:
  Answer Ask(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
};

Prompt& prompt();
// Installs a prompt (not owned); nullptr restores the console prompt.
void SetPrompt(Prompt* p);

// The title a box shows: the one given, else (blank) the program's own, so
// that no box is left for the window manager to name.
QString BoxTitle(const QString& title);
// The program's title for boxes that name none; nullptr leaves them as given.
void SetDefaultBoxTitle(std::function<QString()> title);

// The first button of a set: what a box closed without an answer gives is
// decided by callers, not here.
Answer FirstButton(Buttons b);

}  // namespace plat
