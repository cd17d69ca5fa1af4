#pragma once
// Opening a web page or a mail form: never through a shell, and only for
// http, https and mailto addresses. Tests install FakeUrlLauncher.
#include <QList>
#include <QString>
#include <QUrl>

namespace setup {

class UrlLauncher {
 public:
  virtual ~UrlLauncher() = default;
  // The desktop's handler for the address (xdg-open when Qt cannot hand it
  // over); false when nothing could be started.
  virtual bool Open(const QUrl& url);
};

class FakeUrlLauncher : public UrlLauncher {
 public:
  bool Open(const QUrl& url) override {
    opened.append(url);
    return result;
  }
  QList<QUrl> opened;
  bool result = true;
};

UrlLauncher& urlLauncher();
void SetUrlLauncher(UrlLauncher* l);  // not owned; nullptr restores the real one

// The page of a web address from the settings: "http://host/path",
// "https://...", or "www.host" (taken as http). Empty (invalid) for any
// other scheme, a blank or an address without a host.
QUrl WebUrl(const QString& address);

// "mailto:" with the address and the subject; invalid when the address is not
// a plain "name@host".
QUrl MailUrl(const QString& address, const QString& subject);

// Opens a checked address. A refused or failed one starts nothing and is
// logged under `procedure`; false then.
bool OpenUrlChecked(const QUrl& url, const QString& what, const QString& procedure);

}  // namespace setup
