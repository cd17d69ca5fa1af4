#include "exam/record/commandline.h"

#include "common/commandline.h"
#include "platform/core/paths.h"

namespace rec {

QString ProgramCommandLine::Text() const { return program + u' ' + fields.join(u','); }

QStringList ProgramCommandLine::Arguments() const { return {fields.join(u',')}; }

QString ProgramCommandLine::Executable() const { return ExecutableFor(program); }

QStringList ProgramCommandLine::FieldsFromArguments(const QStringList& arguments) {
  if (arguments.isEmpty()) return {};
  // Arguments that join to nothing are one empty field, as they always read.
  const QStringList fields = common::CommandFieldsFromArguments(arguments).fields;
  return fields.isEmpty() ? QStringList{QString()} : fields;
}

QString ExecutableFor(const QString& exeName) {
  QString p = plat::ToSlashes(exeName.trimmed());
  const qsizetype slash = p.lastIndexOf(u'/');
  QString folder = slash >= 0 ? p.left(slash + 1) : plat::ProgramFolder();
  QString base = p.mid(slash + 1);
  if (base.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) base.chop(4);
  // The deliverables carry these exact names; the old texts spell them in
  // capitals.
  if (base.compare(QStringLiteral("score"), Qt::CaseInsensitive) == 0)
    base = QStringLiteral("score");
  else if (base.compare(QStringLiteral("Tallisk"), Qt::CaseInsensitive) == 0)
    base = QStringLiteral("Tallisk");
  return plat::FindCaseInsensitive(folder, base);
}

ProgramCommandLine ScorerCommandLine(const QString& record, const QString& programFolder,
                                     const QString& ownName) {
  ProgramCommandLine c;
  c.program = programFolder + QStringLiteral("SCORE.EXE");
  c.fields = {record, programFolder + ownName};
  c.style = plat::WindowStyle::MinimizedFocus;
  return c;
}

ProgramCommandLine NextProgramCommandLine(int mode, const QString& record, const QString& scoreFile,
                                          const QString& settingsBase, const QString& programFolder) {
  ProgramCommandLine c;
  c.style = plat::WindowStyle::NormalFocus;
  if (mode == 1 || mode == 2) {
    c.program = settingsBase + QStringLiteral(".EXE");
    c.fields = {record, scoreFile};
    if (mode == 2) c.fields.append(QStringLiteral("123"));
  } else {
    c.program = programFolder + QStringLiteral("Tallisk.EXE");
    c.fields = {record, settingsBase};
  }
  return c;
}

bool StartProgram(const ProgramCommandLine& line, QString* error) {
  const QString exe = line.Executable();
  if (!plat::launcher().Start(exe, line.Arguments(), line.style)) {
    if (error) *error = QStringLiteral("無法啟動 ") + exe;
    return false;
  }
  return true;
}

}  // namespace rec
