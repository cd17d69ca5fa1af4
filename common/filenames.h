#pragma once
// Result file naming (.S01 to .S99), the data path on a CD, and the clean-up
// of work, result and log files.
#include <QByteArray>
#include <QList>
#include <QString>

namespace common {

// What the name given to NextResultFileName is.
enum class ResultBase {
  FileName,   // a file name: its extension is cut off ("T01.txt" -> "T01")
  UserEntry,  // a candidate's name or identity number: kept whole, dots too
};

// The next free result name in the data folder (DataPath; created when
// missing; not used when empty or "0"): the base, ".S" and two digits. The
// base is sanitised first (no separators, wildcards or leading dots). `name`
// is left holding the data folder, "/", the base and ".S00". Empty when no
// name can be given (the caller must then not start a test).
QString NextResultFileName(QString& name, ResultBase kind = ResultBase::FileName);

// Numbers a file name in the two characters after the first letter X of its
// extension (any case counts; X is written upper case). Files are compared
// literally, never as patterns.
//   mode 1: base + X + the highest existing number ("00" when none);
//   mode 2: folder + the file of the folder with the highest number among
//           all names with an extension starting with X (the folder alone
//           when none is numbered 01 or more);
//   other:  base + X + the next free number. After 99 the user is asked
//           whether to overwrite number 01: Retry gives 01, Cancel (or a
//           closed box) gives the empty text.
// Empty when the path has no extension or its folder does not exist.
QString NumberedFileName(const QString& path, int mode);

// A mounted volume as the CD look-up sees it.
struct Volume {
  QString root;            // mount point, ending with "/"
  QByteArray fileSystem;   // "iso9660", "udf", "ext4", ...
  QByteArray device;       // "/dev/sr0"
  bool ready = true;
};
QList<Volume> MountedVolumes();

// Root of the first ready CD or DVD (iso9660 or udf), by device name; empty
// when there is none.
QString FirstCdRoot(const QList<Volume>& volumes);

// The test data path on a CD root by setting 209: two or more characters, the
// root followed by that folder; "1", the root; anything else, empty.
QString CdDataPath(const QString& cdRoot, const QString& setting209);

// CdDataPath on the first mounted CD; empty without a CD. The current folder
// is never changed.
QString FindCdDataPath();

// Switches of CleanTempFiles; only the value 1 switches a deletion on.
struct CleanSwitches {
  int dataFolder = 0;    // the program folder's Data/, every file
  int tempWork = 0;      // ~T*.T* in the temporary folder
  int programWork = 0;   // ~T*.T* in the program folder
  int scoreFiles = 0;    // *.R01..*.R99 in the program folder
  int resultFiles = 0;   // *.S01..*.S99 and *.Sco in the program folder
  int errorLogs = 0;     // CrsError.Txt and ZetError.Txt in the program folder
};

// Deletes by the switches (regular files only, names in any case), then the
// temporary folder's CopyFil.tmp. When the first five are all 0 and digit 10
// of FeatureDigits is 1, they become 1,0,1,1,1 (in `s`). Best effort: a file
// that cannot be deleted is logged and the rest still go.
void CleanTempFiles(CleanSwitches& s);
void CleanTempFiles(int dataFolder, int tempWork, int programWork, int scoreFiles, int resultFiles,
                    int errorLogs);

}  // namespace common
