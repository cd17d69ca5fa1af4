#include "platform/core/launcher.h"

#include <QFileInfo>
#include <QProcess>

#include "platform/core/paths.h"

namespace plat {

QString ResolveProgram(const QString& name) {
  QString p = ToSlashes(name.trimmed());
  if (QFileInfo(p).isFile() && QFileInfo(p).isExecutable()) return p;
  QString base = p.mid(p.lastIndexOf(u'/') + 1);
  if (base.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) base.chop(4);
  return FindCaseInsensitive(ProgramFolder(), base);
}

bool Launcher::Start(const QString& program, const QStringList& arguments, WindowStyle) {
  return QProcess::startDetached(ResolveProgram(program), arguments);
}

namespace {
Launcher* g_launcher = nullptr;
}

Launcher& launcher() {
  static Launcher sys;
  return g_launcher ? *g_launcher : sys;
}

void SetLauncher(Launcher* l) { g_launcher = l; }

QString NoProgramText(const QString& task, const QStringList& programs) {
  if (programs.isEmpty()) return QStringLiteral("找不到%1,這台電腦沒有安裝。").arg(task);
  const QString none = programs.size() == 1 ? QStringLiteral("沒有安裝") : QStringLiteral("都沒有安裝");
  return QStringLiteral("找不到%1(%2 %3)。").arg(task, programs.join(u"、"), none);
}

}  // namespace plat
