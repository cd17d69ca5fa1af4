#include "common/gui/windowservices.h"

#include <exception>

#include "common/errorlog.h"
#include "platform/gui/handler.h"
#include "platform/gui/widgetprompt.h"

namespace common {

namespace {

void LogHandlerFailure(const QString& procedure, std::exception_ptr error) {
  AppError err;
  try {
    std::rethrow_exception(error);
  } catch (const AppError& e) {
    err = e;
  } catch (const std::exception& e) {
    err.text = QString::fromLocal8Bit(e.what());
  } catch (...) {
    err.text = QStringLiteral("unknown error");
  }
  LogTrappedError(procedure, err);
}

}  // namespace

void InstallWindowServices() {
  static plat::WidgetPrompt prompt;
  plat::SetPrompt(&prompt);
  plat::SetHandlerErrorSink(LogHandlerFailure);
}

}  // namespace common
