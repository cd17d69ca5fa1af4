#pragma once
// The desktop's own programs, behind one hook: the browser and the mail
// program for an address, the viewer or editor for a local file (a report,
// a typed text), and the beep. Never a shell. Tests install FakeDesktop.
#include <QList>
#include <QUrl>

namespace plat {

class Desktop {
 public:
  virtual ~Desktop() = default;
  // http, https, mailto and local-file addresses only; false for any other
  // scheme or when nothing could open it.
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

}  // namespace plat
