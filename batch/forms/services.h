#pragma once
// What the batch scorer's windows use from around them, behind small hooks:
// the program keeps the real ones, tests install fakes.
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace batchui {

// The desktop's own programs: the browser, the mail program, the text
// editor for a typed-text file, and the beep. Never a shell.
class Desktop {
 public:
  virtual ~Desktop() = default;
  // http, https, mailto and local-file addresses; false when nothing
  // could open it.
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

// A web address from the settings: "http://...", "https://..." or a bare
// "www.host/..." (taken as http). Invalid for any other scheme, a blank
// address or one without a host.
QUrl WebUrl(const QString& address);
// "mailto:" the address with the subject percent-encoded; invalid unless the
// address is a plain "name@host".
QUrl MailUrl(const QString& address, const QString& subject);

// A message box shown without waiting (the upload runs on while it is up).
// Tests install a recorder.
using NoticeHook = std::function<void(const QString& text, const QString& title)>;
void ShowNotice(const QString& text, const QString& title);
void SetNoticeHook(NoticeHook hook);  // empty restores the real box

// The command line: the arguments joined with a blank, split at every ","
// into the eleven fields 0 to 10 (missing ones empty). Characters stay as
// they are; *dropped tells whether text followed an eleventh ",".
QStringList CommandFields(const QStringList& arguments, bool* dropped = nullptr);

// The text of the store's number (empty when the settings give none).
QString StoreText(int id);

}  // namespace batchui
