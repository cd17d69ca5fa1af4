#pragma once
// What the scorer's windows use from outside this library, behind small
// hooks: the program wires the real ones in main(), tests their fakes.
#include <QList>
#include <QString>
#include <QUrl>
#include <QStringList>
#include <functional>

class QWidget;

namespace scorer {

// Windows the scorer carries from the test program; this library does not
// link the test program's screens, so the program hands them in. A hook
// left empty does nothing (a missing contact window is logged).
struct Companions {
  // 全螢幕黑景 and 背景: disabled, shown modeless, behind every window.
  std::function<void()> showBackdrops;
  // 背景, the owner of the score sheet (nullptr: no owner).
  std::function<QWidget*()> backdrop;
  // The credits window 我是誰, modeless.
  std::function<void()> showCredits;
  // The contact window frmLiaison, modeless.
  std::function<void()> showContact;
};
void SetCompanions(const Companions& c);
const Companions& companions();

// The desktop's own programs: web pages, the text editor for a report, the
// beep. Never a shell.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // http, https and file addresses; false when nothing could open it.
  virtual bool OpenUrl(const QUrl& url);
  virtual void Beep();
};

class FakeDesktop : public Desktop {
 public:
  bool OpenUrl(const QUrl& url) override {
    opened << url;
    return result;
  }
  void Beep() override { ++beeps; }
  QList<QUrl> opened;
  bool result = true;
  int beeps = 0;
};

Desktop& desktop();
// Installs a desktop (not owned); nullptr restores the real one.
void SetDesktop(Desktop* d);

// The command line the scorer was started with: the sender's fields joined
// back into one text (empty when started without arguments).
void SetCommandLine(const QString& text);
QString CommandLine();

// Splits a command line at every ",": adjacent commas give an empty part, a
// trailing comma an empty last part. As many parts as the text holds.
QStringList SplitCommandLine(const QString& text);

}  // namespace scorer
