// score: the scorer of one test run. Started by the test program with the
// test record's path and the test program's own path; without arguments it
// offers the manual entry form.
#include <QApplication>

#include "apps/hooks.h"
#include "common/errorlog.h"
#include "common/gui/backdrop.h"
#include "common/gui/contactwindow.h"
#include "common/gui/whoami.h"
#include "common/gui/windowservices.h"
#include "platform/core/windowsystem.h"
#include "platform/gui/composition.h"
#include "platform/gui/form.h"
#include "platform/gui/translations.h"
#include "scoring/engine/recordlist.h"
#include "scoring/engine/scorer.h"
#include "scoring/forms/dataentry.h"
#include "scoring/forms/frmclient.h"
#include "scoring/forms/services.h"

int main(int argc, char** argv) {
  // Before the application: under Wayland only X11 keeps the windows in order.
  plat::WindowSystemSelection windowSystem;
  plat::PrepareInputMethod();  // before the application: ibus reads it at start
  QApplication app(argc, argv);
  windowSystem.ApplicationStarted(common::WriteErrorLog);
  QApplication::setApplicationName(QStringLiteral("score"));
  QApplication::setApplicationVersion(QStringLiteral(PROGRAM_VERSION));
  e2e::StartHooks();  // for those who test the programs; nothing without their variables
  // The program ends only where the windows end it.
  QApplication::setQuitOnLastWindowClosed(false);

  common::InstallWindowServices();
  plat::InstallQtTranslations();  // standard buttons and dialogs in Chinese
  // A lab without removable drives names a folder that stands for one.
  const QString drive = qEnvironmentVariable("SCORE_REMOVABLE_DRIVE");
  if (!drive.isEmpty()) scoring::SetDriveSource([drive] { return QStringList{drive}; });

  scorer::Companions c;
  c.showBackdrops = [] { common::ShowBackdrops(); };
  c.showCredits = [] { plat::forms::get<common::我是誰>().Show(); };
  c.setCreditsLimits = [](const QString& lines, const QString& columns) {
    common::我是誰& w = plat::forms::get<common::我是誰>();
    w.lineLimitText = lines;
    w.columnLimitText = columns;
    w.Text1->setText(lines);
    w.Text2->setText(columns);
  };
  c.showContact = [] { plat::forms::get<common::frmLiaison>().Show(); };
  scorer::SetCompanions(c);
  scorer::InstallUploadWindow();

  // The sender's fields travel as one argument; an older starter may have
  // split them at blanks.
  scorer::SetCommandLine(app.arguments().mid(1).join(u' '));
  plat::forms::get<scorer::輸入資料>().Show();
  return app.exec();
}
