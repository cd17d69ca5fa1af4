#include "batch/forms/formkit.h"

#include <QLabel>

#include "batch/core/batch.h"
#include "common/errorlog.h"

namespace batchui {

QLabel* MakeLabel(QWidget* form, const char* name, const plat::TwipsBox& box, const char* caption) {
  QLabel* l = MakeControl<QLabel>(form, name, box);
  l->setTextFormat(Qt::PlainText);
  l->setText(QString::fromUtf8(caption));
  return l;
}

void Trap(const char* procedure, const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    const QString name = QString::fromLatin1(procedure);
    batch::batch().WriteErrorLog(common::ErrorTrapLine(name, common::CurrentAppError(name)));
  }
}

}  // namespace batchui
