#include "common/gui/windowservices.h"

#include <QCoreApplication>
#include <exception>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "platform/gui/composition.h"
#include "platform/gui/fonts.h"
#include "platform/gui/handler.h"
#include "platform/gui/lineprinter.h"
#include "platform/gui/widgetprompt.h"

namespace common {

namespace {

void LogHandlerFailure(const QString& procedure, std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (...) {
    // The runtime's numbers (5 for a plain exception), from this program.
    LogTrappedError(procedure, CurrentAppError(QCoreApplication::applicationName()));
  }
}

}  // namespace

void InstallWindowServices() {
  static plat::WidgetPrompt prompt;
  plat::SetPrompt(&prompt);
  plat::SetDefaultBoxTitle([] { return ProductTitle.get(); });
  plat::SetHandlerErrorSink(LogHandlerFailure);
  plat::UseSystemPrinter();
  plat::DropRepeatedCommits();
  plat::UseTraditionalChineseFaces();
}

}  // namespace common
