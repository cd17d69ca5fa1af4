#pragma once
// The desktop's own programs, behind one hook: the browser and the mail
// program for an address, the viewer or editor for a local file (a report,
// a typed text). Never a shell. Tests install FakeDesktop. (The beep is
// plat::beeper().)
#include <QList>
#include <QUrl>

namespace plat {

class Desktop {
 public:
  virtual ~Desktop() = default;
  // http, https, mailto and local-file addresses only; false for any other
  // scheme or when nothing could open it.
  virtual bool OpenUrl(const QUrl& url);
};

// Shows a local file (a typed text) in the desktop's viewer. false when
// nothing could show it, with the reason in *why: no such program.
bool ShowTextFile(const QString& path, QString* why);

Desktop& desktop();
// Installs a desktop (not owned); nullptr restores the real one.
void SetDesktop(Desktop* d);

}  // namespace plat
