// Tavrel: the test program. It starts on its set-up screen, whose load
// handler reads the settings and the command line (the particulars, or the
// record of the previous test of a series).
#include <QApplication>

#include "apps/hooks.h"
#include "common/errorlog.h"
#include "common/gui/windowservices.h"
#include "platform/core/windowsystem.h"
#include "platform/gui/composition.h"
#include "platform/gui/form.h"
#include "platform/gui/translations.h"
#include "exam/record/recordmodule.h"
#include "exam/setup/downloadlink.h"
#include "exam/setup/setupscreen.h"

int main(int argc, char** argv) {
  // Before the application: under Wayland only X11 keeps the windows in order.
  plat::WindowSystemSelection windowSystem;
  plat::PrepareInputMethod();  // before the application: ibus reads it at start
  QApplication app(argc, argv);
  windowSystem.ApplicationStarted(common::WriteErrorLog);
  QApplication::setApplicationName(QStringLiteral("Tavrel"));
  QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
  e2e::StartHooks();  // for those who test the programs; nothing without their variables
  // The program ends only where its windows end it.
  QApplication::setQuitOnLastWindowClosed(false);

  common::InstallWindowServices();
  plat::InstallQtTranslations();  // standard buttons and dialogs in Chinese
  // The set-up screen reaches the web side only through these hooks.
  setup::InstallNetworkHooks();
  rec::testRecordModule().Reset();  // takes the program's name and version

  plat::forms::get<setup::輸入資料表面>().Show();
  const int code = app.exec();
  plat::FormRegistry::DestroyAll();
  return code;
}
