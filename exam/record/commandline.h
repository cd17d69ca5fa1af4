#pragma once
// The command lines by which the test program, the scorer and the batch
// scorer start one another: the program, then fields separated by ",", the
// first always the test record's path. No quoting exists, so a field cannot
// hold a ",".
//
// On the way out the joined fields travel as ONE argument (no shell). A
// receiver rebuilds the sender's text by joining its arguments with single
// blanks (an older starter may have split the text at blanks) and splits
// that at ",".
#include <QString>
#include <QStringList>

#include "platform/core/launcher.h"

namespace rec {

struct ProgramCommandLine {
  QString program;  // the program as the sender names it, e.g. ".../SCORE.EXE"
  QStringList fields;
  plat::WindowStyle style = plat::WindowStyle::NormalFocus;

  // The classic text: program, one blank, the fields joined by ",".
  QString Text() const;
  // The argument list handed to the launcher: one element, the joined fields.
  QStringList Arguments() const;
  // The installed program that `program` names (see ExecutableFor).
  QString Executable() const;

  // A receiver's fields from its arguments (argv without the program).
  // No arguments give no fields.
  static QStringList FieldsFromArguments(const QStringList& arguments);
};

// "…/SCORE.EXE", "…/Tallisk.EXE", "<settings base>.EXE": the deliverable
// that the name stands for, in the folder the name gives (the installation
// folder when it gives none), found in any letter case. The ".EXE" goes.
QString ExecutableFor(const QString& exeName);

// The test program starts the scorer: record, then its own path without
// extension (program folder + own name). The scorer comes up minimized.
ProgramCommandLine ScorerCommandLine(const QString& record, const QString& programFolder,
                                     const QString& ownName);

// Mode 1 and 2 start the test program (settings base + ".EXE") with the
// record and the score file, mode 2 adding the field "123"; any other mode
// starts the batch scorer in the program folder with the record and the
// settings base. The test program's set-up exit and the scorer's return both
// use it.
ProgramCommandLine NextProgramCommandLine(int mode, const QString& record, const QString& scoreFile,
                                          const QString& settingsBase, const QString& programFolder);

// Starts the command line through plat::launcher(). False, with a reason,
// when the launcher could not start it.
bool StartProgram(const ProgramCommandLine& line, QString* error = nullptr);

}  // namespace rec
