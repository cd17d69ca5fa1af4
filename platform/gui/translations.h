#pragma once
// Qt's own texts (standard buttons, file dialog, context menus) in
// Traditional Chinese, so that "確定" and "取消" in the programs' messages name
// buttons that are really on the screen.
namespace plat {

// Installs Qt's Traditional Chinese translations (qtbase_zh_TW, from Qt's
// translations folder) on the application. Once per process; false, with a
// warning on stderr, when they are not installed (Qt then stays English).
bool InstallQtTranslations();

}  // namespace plat
