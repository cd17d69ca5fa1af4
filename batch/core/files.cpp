#include "batch/core/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "common/filenames.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/textfile.h"

namespace batch {

QString NumberedFileName(const QString& path, int mode) {
  const QString name = common::NumberedFileName(path, mode);
  // The shared engine answers mode 2 with the folder alone when no file is
  // numbered; the batch scorer's callers test for empty.
  if (mode == 2 && (name.isEmpty() || name.endsWith(u'/'))) return QString();
  return name;
}

bool CopyFileOver(const QString& src, const QString& dst, QString* error) {
  QString why;
  if (plat::copyFileChecked(src, dst, &why)) return true;
  if (error) *error = QStringLiteral("無法寫入:") + dst + QStringLiteral(" ") + why;
  return false;
}

FloppyDrives FloppyDrivesFromEnvironment() {
  return {qEnvironmentVariable("TALLISK_DRIVE_A"), qEnvironmentVariable("TALLISK_DRIVE_B")};
}

bool DriveReadable(const QString& folder) {
  if (folder.isEmpty()) return false;
  const QFileInfo fi(folder);
  if (!fi.isDir() || !fi.isReadable()) return false;
  // A listing that fails (no medium, no permission) is not readable.
  QDir d(folder);
  d.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  d.entryList();
  return d.exists() && d.isReadable();
}

namespace {

QString fileName(const QString& path) {
  const QString p = plat::ToSlashes(path);
  return p.mid(p.lastIndexOf(u'/') + 1);
}

}  // namespace

int CopyFloppyScoreFiles(const QString& scoreFile, const QString& resultFile, const FloppyDrives& drives,
                         const FloppyCopyEnv& env) {
  auto text = [&](int id) { return env.text ? env.text(id) : QString(); };
  auto log = [&](const QString& s) {
    if (env.log) env.log(s);
  };
  auto askRetry = [&] {
    return plat::prompt().Ask(text(12712), text(14001), plat::Buttons::RetryCancel, plat::Icon::Critical) ==
           plat::Answer::Retry;
  };
  for (;;) {
    QString root;
    if (DriveReadable(drives.a))
      root = drives.a;
    else if (DriveReadable(drives.b))
      root = drives.b;
    if (root.isEmpty()) {
      if (askRetry()) continue;
      return 0;
    }
    if (!root.endsWith(u'/')) root += u'/';
    bool ok = true;
    for (const QString& src : {scoreFile, resultFile}) {
      if (src.isEmpty() || !QFileInfo(src).isFile()) {
        // Nothing of this run to copy: never a stale file in its place.
        log(QStringLiteral("磁片複製略過不存在的檔案>") + src);
        continue;
      }
      QString why;
      const QString dst = root + fileName(src);
      if (!CopyFileOver(src, dst, &why)) {
        log(QStringLiteral("磁片複製失敗>") + dst + u' ' + why);
        ok = false;
        break;
      }
      log(QStringLiteral("磁片複製>") + dst);
    }
    if (ok) return 1;
    if (!askRetry()) return 0;
  }
}

bool PrintTextFile(const QString& path, plat::LinePrinter& printer) {
  QString p = path;
  while (p.endsWith(u' ') || p.endsWith(QChar(0))) p.chop(1);
  QStringList lines;
  if (p.isEmpty() || !plat::readTextLines(plat::ResolvePath(p), lines)) return false;
  for (const QString& line : lines) {
    if (!printer.PrintLine(line)) {
      printer.KillDoc();
      return false;
    }
  }
  return printer.EndDoc();
}

}  // namespace batch
