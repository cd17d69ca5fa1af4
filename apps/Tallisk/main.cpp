// Tallisk, the batch scorer: started by the test program or the scorer with
// "<test record>,<settings base>" (one argument, or several joined by blanks).
#include <QApplication>

#include "apps/hooks.h"
#include "batch/core/runlog.h"
#include "batch/forms/program.h"
#include "common/gui/windowservices.h"
#include "platform/core/prompt.h"
#include "platform/core/windowsystem.h"
#include "platform/gui/composition.h"
#include "platform/gui/translations.h"

int main(int argc, char** argv) {
  // Before the application: under Wayland only X11 keeps the windows in order.
  plat::WindowSystemSelection windowSystem;
  plat::PrepareInputMethod();  // before the application: ibus reads it at start
  QApplication app(argc, argv);
  windowSystem.ApplicationStarted([](const QString& line) { batch::WriteErrorLog(line); });
  QApplication::setApplicationName(QStringLiteral("Tallisk"));
  QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
  e2e::StartHooks();  // for those who test the programs; nothing without their variables
  // Message boxes, and failures of shared form handlers into the error report.
  common::InstallWindowServices();
  plat::InstallQtTranslations();  // standard buttons and dialogs in Chinese
  const int code = batchui::RunTallisk(app, QApplication::arguments().mid(1));
  plat::SetPrompt(nullptr);
  return code;
}
