#include "scoring/engine/recordlist.h"

#include "platform/core/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <cstdio>

#include "common/store.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"
#include "scoring/engine/scorer.h"
#include "exam/record/testrecord.h"

namespace scoring {

namespace {

QString AfterLastSeparator(const QString& path) {
  const qsizetype i = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
  return path.mid(i + 1);
}

DriveSource& Drives() {
  static DriveSource source;
  return source;
}

QStringList SystemRemovableRoots() {
  QStringList roots;
  for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
    if (!v.isValid() || !v.isReady() || v.rootPath().isEmpty()) continue;
    QString dev = QString::fromLocal8Bit(v.device());
    if (!dev.startsWith(QStringLiteral("/dev/"))) continue;
    dev = dev.mid(5);
    // The whole disk of a partition: sdb1 -> sdb, mmcblk0p1 -> mmcblk0.
    QString disk = dev;
    if (!QFileInfo::exists(QStringLiteral("/sys/block/") + disk)) {
      while (!disk.isEmpty() && disk.back().isDigit()) disk.chop(1);
      if (disk.endsWith(u'p') && !QFileInfo::exists(QStringLiteral("/sys/block/") + disk)) disk.chop(1);
    }
    QFile f(QStringLiteral("/sys/block/") + disk + QStringLiteral("/removable"));
    if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed() == "1") {
      QString root = v.rootPath();
      if (!root.endsWith(u'/')) root += u'/';
      roots << root;
    }
  }
  return roots;
}

void CopyErrorMessage(int number) {
  const QString title = common::StoreText(14001);
  plat::Icon icon = plat::Icon::Information;
  plat::Buttons buttons = plat::Buttons::Ok;
  QString text;
  switch (number) {
    case 61: text = common::StoreText(13965); break;
    case 68: text = common::StoreText(13966), icon = plat::Icon::Question, buttons = plat::Buttons::YesNo; break;
    case 70: text = common::StoreText(13967); break;
    case 71: text = common::StoreText(13968), icon = plat::Icon::Question, buttons = plat::Buttons::YesNo; break;
    default:
      if (number >= 52 && number <= 76) {
        text = common::StoreText(13969);
      } else {
        text = common::StoreText(13970) + QString::number(number);
        icon = plat::Icon::Exclamation;
      }
  }
  plat::prompt().Ask(text, title, buttons, icon);
}

// Copies source to target (replacing it); 0 or the runtime error number.
int CopyFile(const QString& source, const QString& target) {
  // A copy that fails leaves the drive's earlier file as it was.
  if (!plat::copyFileChecked(source, target)) return RuntimeFileError(errno);
  return 0;
}

}  // namespace

int RuntimeFileError(int e) {
  switch (e) {
    case ENOSPC: return 61;
    case ENXIO:
    case ENODEV: return 68;
    case EACCES:
    case EROFS:
    case EPERM: return 70;
#ifdef ENOMEDIUM
    case ENOMEDIUM: return 71;
#endif
    case ENOENT: return 53;
    default: return 75;
  }
}

QString ReadSessionSummary(const QString& path, const QString& fileName) {
  rec::TestRecordContent content;
  QString a[5];
  if (rec::ReadTestRecordFile(path, content)) {
    // Only the record's header counts: key-shaped typed lines are text.
    const QString k0 = common::StoreText(13901), k1 = common::StoreText(13904), k2 = common::StoreText(13905),
                  k3a = common::StoreText(13906), k3b = common::StoreText(13907), k4 = common::StoreText(13911);
    for (const rec::RecordEntry& e : content.keys) {
      if (!k0.isEmpty() && e.key == k0) a[0] = AfterLastSeparator(e.value);
      if (!k1.isEmpty() && e.key == k1) a[1] = e.value;
      if (!k2.isEmpty() && e.key == k2) a[2] = e.value;
      if ((!k3a.isEmpty() && e.key == k3a) || (!k3b.isEmpty() && e.key == k3b)) a[3] = e.value;
      if (!k4.isEmpty() && e.key == k4) a[4] = plat::NumberText(plat::ValNumber(e.value));
    }
  }
  return a[0] + u'-' + a[1] + u'-' + a[2] + u'-' + a[3] + u'-' + a[4] + u'-' + fileName;
}

QStringList ScanTestRecordFiles(const QString& pattern) {
  const QString p = plat::ToSlashes(pattern);
  const qsizetype slash = p.lastIndexOf(u'/');
  const QString folder = slash >= 0 ? p.left(slash + 1) : QString();
  const QString names = p.mid(slash + 1);
  QStringList entries;
  for (const QString& name : plat::FindFiles(folder.isEmpty() ? QStringLiteral(".") : folder, names))
    entries << ReadSessionSummary(folder + name, name);
  return entries;
}

void SetDriveSource(DriveSource source) { Drives() = std::move(source); }

QStringList RemovableDriveRoots() { return Drives() ? Drives()() : SystemRemovableRoots(); }

QString CheckDriveWritable(int n) {
  const QStringList roots = RemovableDriveRoots();
  if (n < 0 || roots.size() <= n) return QString();
  QString root = roots[n];
  if (!root.endsWith(u'/')) root += u'/';
  const QString probe = root + QStringLiteral("Err");
  errno = 0;
  QFile f(probe);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write("Err\r\n") != 5 || !f.flush()) {
    const int e = RuntimeFileError(errno);
    f.close();
    QFile::remove(probe);
    CopyErrorMessage(e);
    return QString();
  }
  f.close();
  QFile::remove(probe);
  return root;
}

int CopyTestRecordFiles() {
  QString target = CheckDriveWritable(0);
  // A prompt that keeps answering Retry must not hold the program for ever.
  for (int round = 0; target.isEmpty() && round < 1000; ++round) {
    const QString text = common::StoreText(13968);
    const plat::Answer a =
        plat::prompt().Ask(text, common::StoreText(14001), plat::Buttons::RetryCancel, plat::Icon::Critical);
    if (a != plat::Answer::Retry) return 0;
    target = CheckDriveWritable(1);
    if (target.isEmpty()) target = CheckDriveWritable(0);
  }
  if (target.isEmpty()) return 0;
  const QString files[] = {AnswerFileName(), MarkedLinesFileName(), ScoreFileName(), ResultFileName()};
  for (const QString& file : files) {
    const QString path = plat::ResolvePath(file);
    if (file.isEmpty() || !QFileInfo(path).isFile()) continue;
    const int e = CopyFile(path, target + AfterLastSeparator(file));
    if (e != 0) {
      CopyErrorMessage(e);
      break;
    }
  }
  return 1;
}

}  // namespace scoring
