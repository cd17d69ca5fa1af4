#pragma once
// The batch scorer's file services: numbered names, copies to a floppy disk,
// and printing a candidate's typed text.
#include <QString>
#include <functional>

#include "platform/core/lineprinter.h"

namespace batch {

// Numbered series (base "." letter two digits). Mode 1: the highest existing
// name; mode 2: the newest file of that letter in the folder, or empty;
// other modes: the next free name. Empty on any failure.
QString NumberedFileName(const QString& path, int mode);

// Copies src over dst through a temporary file beside dst, so dst is either
// the old file or the whole new one. False with a reason on failure.
bool CopyFileOver(const QString& src, const QString& dst, QString* error = nullptr);

// Where the floppy letters are on this machine (unmapped: no disk).
struct FloppyDrives {
  QString a;
  QString b;
};
// TALLISK_DRIVE_A and TALLISK_DRIVE_B of the environment.
FloppyDrives FloppyDrivesFromEnvironment();
// A folder that exists and can be listed.
bool DriveReadable(const QString& folder);

struct FloppyCopyEnv {
  std::function<QString(int)> text;         // 12712 and 14001
  std::function<void(const QString&)> log;
};

// Copies the score file and the result file (each when it exists) to the
// root of the first readable floppy drive, A before B. 1 when copied; 0 when
// the user cancels (no disk, or a copy that failed).
int CopyFloppyScoreFiles(const QString& scoreFile, const QString& resultFile, const FloppyDrives& drives,
                         const FloppyCopyEnv& env);

// Prints a text file line by line (the windows hand in the printer). A
// missing or unreadable file prints nothing; false then, or when the printer
// failed.
bool PrintTextFile(const QString& path, plat::LinePrinter& printer);

}  // namespace batch
