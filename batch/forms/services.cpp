#include "batch/forms/services.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QRegularExpression>

#include "common/store.h"
#include "platform/media/sound.h"

namespace batchui {

bool Desktop::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

void Desktop::Beep() { plat::beeper().Beep(); }

namespace {
Desktop* g_desktop = nullptr;
NoticeHook g_notice;
}  // namespace

Desktop& desktop() {
  static Desktop real;
  return g_desktop ? *g_desktop : real;
}

void SetDesktop(Desktop* d) { g_desktop = d; }

QUrl WebUrl(const QString& address) {
  const QString a = address.trimmed();
  if (a.isEmpty()) return QUrl();
  const QString lower = a.toLower();
  QUrl url;
  if (lower.startsWith(u"http://") || lower.startsWith(u"https://"))
    url = QUrl(a, QUrl::StrictMode);
  else if (!a.contains(u':') && !a.startsWith(u'/'))
    url = QUrl(QStringLiteral("http://") + a, QUrl::StrictMode);
  else
    return QUrl();  // file:, javascript:, a local path ...
  if (!url.isValid() || url.host().isEmpty()) return QUrl();
  return url;
}

QUrl MailUrl(const QString& address, const QString& subject) {
  static const QRegularExpression plain(QStringLiteral("^[^\\s?&#/:<>\"'%@]+@[^\\s?&#/:<>\"'%@]+$"));
  const QString a = address.trimmed();
  if (!plain.match(a).hasMatch()) return QUrl();
  QUrl url;
  url.setScheme(QStringLiteral("mailto"));
  url.setPath(a);
  url.setQuery(QStringLiteral("subject=") + QString::fromLatin1(QUrl::toPercentEncoding(subject)), QUrl::StrictMode);
  return url.isValid() ? url : QUrl();
}

void ShowNotice(const QString& text, const QString& title) {
  if (g_notice) {
    g_notice(text, title);
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok);
  box->setTextFormat(Qt::PlainText);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void SetNoticeHook(NoticeHook hook) { g_notice = std::move(hook); }

QStringList CommandFields(const QStringList& arguments, bool* dropped) {
  QStringList fields(11);
  if (dropped) *dropped = false;
  int index = 0;
  const QString line = arguments.join(u' ');
  for (QChar c : line) {
    if (c == u',') {
      ++index;
      continue;
    }
    if (index > 10) {
      if (dropped) *dropped = true;
      continue;
    }
    fields[index] += c;
  }
  return fields;
}

QString StoreText(int id) { return common::SystemIniValue(id).asText(); }

}  // namespace batchui
