#include "batch/forms/services.h"

#include <QMap>
#include <QMessageBox>
#include <QPointer>

#include "common/commandline.h"
#include "common/store.h"
#include "platform/gui/widgetprompt.h"

namespace batchui {

namespace {
NoticeHook g_notice;
}  // namespace

void ShowNotice(const QString& text, const QString& title, QWidget* owner) {
  if (g_notice) {
    g_notice(text, title);
    return;
  }
  static QMap<QString, QPointer<QMessageBox>> shown;
  QPointer<QMessageBox>& box = shown[title];
  if (box && box->isVisible()) {
    box->setText(text);
    box->raise();
    box->activateWindow();
    return;
  }
  // Owned, so the window manager keeps it over the window it is about.
  box = plat::NewMessageBox(QMessageBox::Information, title, text, owner);
  box->setStandardButtons(QMessageBox::Ok);
  box->setObjectName(QStringLiteral("Notice"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void SetNoticeHook(NoticeHook hook) { g_notice = std::move(hook); }

QStringList CommandFields(const QStringList& arguments, bool* dropped) {
  constexpr int kFields = 11;
  const common::CommandFields f = common::CommandFieldsFromArguments(arguments, kFields);
  QStringList fields = f.fields;
  fields.resize(kFields);
  // Only text past the eleventh "," is lost; more "," alone lose nothing.
  if (dropped) *dropped = QString(f.rest).remove(u',').size() > 0;
  return fields;
}


}  // namespace batchui
