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

void ReportToRunLog(const QString& procedure, std::exception_ptr error) {
  const QString name = procedure.section(u'.', -1);
  try {
    std::rethrow_exception(error);
  } catch (...) {
    batch::batch().WriteErrorLog(common::ErrorTrapLine(name, common::CurrentAppError(name)));
  }
}

}  // namespace batchui
