#include "common/filenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/accessors.h"
#include "common/errorlog.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "platform/core/reasons.h"

namespace common {

namespace {

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

// The number in the last two characters of a name whose third-last is X;
// -1 when that character is not X.
int seriesNumber(const QString& name, QChar x) {
  if (name.size() < 3) return -1;
  const QStringView last3 = QStringView(name).right(3);
  if (last3[0].toUpper() != x) return -1;
  return static_cast<int>(plat::RoundHalfEven(plat::ValNumber(last3.mid(1))).value_or(0));
}

// An extension that starts with X: some "." followed by X, as "*.X*" means.
bool hasExtensionLetter(const QString& name, QChar x) {
  for (qsizetype i = name.indexOf(u'.'); i >= 0 && i + 1 < name.size(); i = name.indexOf(u'.', i + 1))
    if (name[i + 1].toUpper() == x) return true;
  return false;
}

}  // namespace

QString NumberedFileName(const QString& path, int mode) {
  try {
    const QString p = plat::ToSlashes(path);
    const qsizetype sep = p.lastIndexOf(u'/');
    const qsizetype dot = p.lastIndexOf(u'.');
    if (dot < 0 || dot < sep || dot + 1 >= p.size()) return QString();
    const QChar x = p[dot + 1].toUpper();

    QString folder = p.left(sep + 1);  // "" or ending with "/"
    const QString listFolder = folder.isEmpty() ? QStringLiteral(".") : folder;
    if (!QFileInfo(listFolder).isDir()) {
      const QString found = plat::ResolvePath(plat::WithoutTrailingSlash(folder));
      if (!QFileInfo(found).isDir()) return QString();
      folder = found + u'/';
    }
    const QString stem = p.mid(sep + 1, dot + 1 - (sep + 1));  // "111."
    const QString prefix = stem + x;
    const QString base = folder + stem;

    int max = 0;
    QString best;
    for (const QString& name : plat::FindFiles(folder.isEmpty() ? QStringLiteral(".") : folder,
                                               u"*")) {
      const bool inSeries = mode == 2 ? hasExtensionLetter(name, x)
                                      : name.startsWith(prefix, Qt::CaseInsensitive);
      if (!inSeries) continue;
      const int n = seriesNumber(name, x);
      if (n > max) {
        max = n;
        best = name;
      }
    }

    if (mode == 1) return base + x + twoDigits(max);
    if (mode == 2) return folder + best;
    if (max + 1 <= 99) return base + x + twoDigits(max + 1);
    const plat::Answer a = plat::prompt().Ask(
        QStringLiteral("滿了99個檔案,是否蓋上.") + x + QStringLiteral("01檔案"), QStringLiteral("警告"),
        plat::Buttons::RetryCancel, plat::Icon::Critical);
    // Only an explicit yes overwrites an earlier candidate's 01 file.
    if (a == plat::Answer::Retry || a == plat::Answer::Yes) return base + x + QStringLiteral("01");
    return QString();
  } catch (...) {
    return QString();
  }
}

QString NextResultFileName(QString& name, ResultBase kind) {
  try {
    QString base = name;
    if (kind == ResultBase::FileName) {
      const qsizetype dot = base.lastIndexOf(u'.');
      if (dot >= 0) base.truncate(dot);
    }
    base = plat::SanitizeFileBase(base);
    if (base.isEmpty()) base = QStringLiteral("_");
    base += QStringLiteral(".S00");

    const QString data = DataPath.get();
    if (!data.isEmpty() && data != u"0") {
      const QString folder = plat::WithoutTrailingSlash(data);
      if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        WriteErrorLog(QStringLiteral("NextResultFileName>") + folder);
      base = (folder.endsWith(u'/') ? folder : folder + u'/') + base;
    }
    name = base;
    return NumberedFileName(name, 0);
  } catch (...) {
    return QString();
  }
}

QList<Volume> MountedVolumes() {
  QList<Volume> out;
  for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
    QString root = s.rootPath();
    if (!root.endsWith(u'/')) root += u'/';
    out.append(Volume{root, s.fileSystemType(), s.device(), s.isReady()});
  }
  return out;
}

QString FirstCdRoot(const QList<Volume>& volumes) {
  const Volume* first = nullptr;
  for (const Volume& v : volumes) {
    const QByteArray fs = v.fileSystem.toLower();
    if (!v.ready || (fs != "iso9660" && fs != "udf")) continue;
    if (!first || v.device < first->device) first = &v;
  }
  return first ? first->root : QString();
}

QString CdDataPath(const QString& cdRoot, const QString& setting209) {
  if (cdRoot.isEmpty()) return QString();
  QString root = plat::ToSlashes(cdRoot);
  if (!root.endsWith(u'/')) root += u'/';
  if (setting209.size() >= 2) {
    QString sub = plat::ToSlashes(setting209);
    while (sub.startsWith(u'/')) sub.remove(0, 1);
    return root + sub;
  }
  if (setting209 == u"1") return root;
  return QString();
}

QString FindCdDataPath() {
  try {
    const QString v = Setting209.get();
    if (v.size() < 2 && v != u"1") return QString();
    return CdDataPath(FirstCdRoot(MountedVolumes()), v);
  } catch (...) {
    return QString();
  }
}

namespace {

enum class Series { Any, WorkFile, ScoreFile, ResultFile };

bool isSeriesName(const QString& name, Series kind) {
  if (name.startsWith(u'.')) return false;  // hidden files are never ours
  auto numbered = [&](QChar letter) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 && name.size() - dot == 4 && name[dot + 1].toUpper() == letter &&
           name[dot + 2].isDigit() && name[dot + 2].unicode() < 128 && name[dot + 3].isDigit() &&
           name[dot + 3].unicode() < 128;
  };
  switch (kind) {
    case Series::Any: return true;
    case Series::WorkFile: return plat::WildcardMatch(u"~T*.T*", name);
    case Series::ScoreFile: return numbered(u'R');
    case Series::ResultFile: return numbered(u'S') || name.endsWith(QStringLiteral(".Sco"), Qt::CaseInsensitive);
  }
  return false;
}

// Deletes the matching regular files of a folder; failures are logged (or,
// for the error reports themselves, written to stderr).
void deleteSeries(const QString& folder, Series kind, bool logFailures = true) {
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return;
  const QString dir = folder.endsWith(u'/') ? folder : folder + u'/';
  for (const QString& name : plat::FindFiles(dir, u"*")) {
    if (!isSeriesName(name, kind)) continue;
    QFile f(dir + name);
    errno = 0;
    if (f.remove()) continue;
    const QString line = QStringLiteral("CleanTempFiles>") + dir + name + u' ' + plat::fileReason(f, errno);
    if (logFailures)
      WriteErrorLog(line);
    else
      std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
  }
}

void deleteNamed(const QString& folder, const QString& name, bool logFailures) {
  const QString path = plat::FindCaseInsensitive(folder, name);
  if (!QFileInfo(path).isFile()) return;
  QFile f(path);
  errno = 0;
  if (f.remove()) return;
  const QString line = QStringLiteral("CleanTempFiles>") + path + u' ' + plat::fileReason(f, errno);
  if (logFailures)
    WriteErrorLog(line);
  else
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

}  // namespace

void CleanTempFiles(CleanSwitches& s) {
  try {
    if (s.dataFolder == 0 && s.tempWork == 0 && s.programWork == 0 && s.scoreFiles == 0 &&
        s.resultFiles == 0) {
      if (plat::ValNumber(FeatureDigits.get().mid(9, 1)) == 1) {
        s.dataFolder = s.programWork = s.scoreFiles = s.resultFiles = 1;
        s.tempWork = 0;
      }
    }
    const QString program = ProgramFolder.get();
    const QString temp = plat::TempFolder();
    if (s.dataFolder == 1) deleteSeries(plat::FindCaseInsensitive(program, QStringLiteral("Data")), Series::Any);
    if (s.tempWork == 1) deleteSeries(temp, Series::WorkFile);
    if (s.programWork == 1) deleteSeries(program, Series::WorkFile);
    if (s.scoreFiles == 1) deleteSeries(program, Series::ScoreFile);
    if (s.resultFiles == 1) deleteSeries(program, Series::ResultFile);
    deleteNamed(temp, QStringLiteral("CopyFil.tmp"), true);
    // Last, so that a failure logged above does not bring the report back.
    if (s.errorLogs == 1) {
      deleteNamed(program, QStringLiteral("CrsError.Txt"), false);
      deleteNamed(program, QString::fromUtf16(kErrorReportName), false);
    }
  } catch (...) {
  }
}

void CleanTempFiles(int dataFolder, int tempWork, int programWork, int scoreFiles, int resultFiles,
                    int errorLogs) {
  CleanSwitches s{dataFolder, tempWork, programWork, scoreFiles, resultFiles, errorLogs};
  CleanTempFiles(s);
}

}  // namespace common
