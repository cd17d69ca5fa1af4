#include "platform/gui/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace plat {

bool InstallQtTranslations() {
  static bool installed = false;
  if (installed) return true;
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(QStringLiteral("qtbase_zh_TW"), folder) ||
      !QCoreApplication::installTranslator(translator)) {
    delete translator;
    qWarning("qtbase_zh_TW not found in %s: standard buttons stay in English", qPrintable(folder));
    return false;
  }
  installed = true;
  return true;
}

}  // namespace plat
