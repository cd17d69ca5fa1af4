#include "platform/core/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/reasons.h"

namespace plat {

namespace {
QString& programFolderOverride() {
  static QString f;
  return f;
}
}  // namespace

QString ProgramFolder() {
  QString f = programFolderOverride();
  if (f.isEmpty()) {
    if (QCoreApplication::instance())
      f = QCoreApplication::applicationDirPath();
    else
      f = QDir::currentPath();
  }
  if (!f.endsWith(u'/')) f += u'/';
  return f;
}

void SetProgramFolder(const QString& folder) { programFolderOverride() = ToSlashes(folder); }

QString PrivateTempFolder() {
  const QString own = WithoutTrailingSlash(QDir::tempPath()) + QStringLiteral("/Tavrel-") + QString::number(::geteuid());
  // Made on first use for the account alone; whether an existing one is
  // really the account's is for the start-up check to say.
  ::mkdir(QFile::encodeName(own).constData(), 0700);
  return own;
}

QString TempFolder() {
  QString t = qEnvironmentVariable("TMP");
  if (t.isEmpty()) t = qEnvironmentVariable("TMPDIR");
  if (!t.isEmpty()) return WithoutTrailingSlash(t);
  return PrivateTempFolder();
}

bool TempFolderIsPrivateOne() {
  return qEnvironmentVariable("TMP").isEmpty() && qEnvironmentVariable("TMPDIR").isEmpty();
}

QString PrivateFolderFault(const QString& folder) {
  struct stat st {};
  if (::lstat(QFile::encodeName(folder).constData(), &st) != 0)
    return QStringLiteral("無法建立:") + systemReason(errno);
  if (!S_ISDIR(st.st_mode)) return QStringLiteral("不是資料夾本身(是連結或檔案)");
  if (st.st_uid != ::geteuid()) return QStringLiteral("屬於別的帳號(uid %1)").arg(st.st_uid);
  if ((st.st_mode & 077) != 0)
    return QStringLiteral("別的帳號也能進入(權限 %1)").arg(st.st_mode & 0777, 4, 8, QLatin1Char('0'));
  return {};
}

QString ToSlashes(QString path) { return path.replace(u'\\', u'/'); }

QString WithoutTrailingSlash(QString path) {
  path = ToSlashes(path);
  while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
  return path;
}

static bool matchFrom(QStringView p, QStringView n) {
  qsizetype pi = 0, ni = 0, star = -1, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == u'?' || p[pi].toCaseFolded() == n[ni].toCaseFolded())) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == u'*') {
      star = pi++;
      mark = ni;
    } else if (star >= 0) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*') ++pi;
  return pi == p.size();
}

bool WildcardMatch(QStringView pattern, QStringView name) {
  if (matchFrom(pattern, name)) return true;
  // "*.*" and "x*.*" also take names without an extension.
  if (pattern.endsWith(u".*") && !name.contains(u'.')) return matchFrom(pattern.chopped(2), name);
  return false;
}

QStringList FindFiles(const QString& folder, QStringView pattern) {
  QDir d(folder.isEmpty() ? QStringLiteral(".") : folder);
  QStringList out;
  for (const QFileInfo& fi : d.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort))
    if (fi.isFile() && WildcardMatch(pattern, fi.fileName())) out.append(fi.fileName());
  std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
    int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
  });
  return out;
}

QString FindCaseInsensitive(const QString& folder, const QString& name) {
  QString dir = ToSlashes(folder);
  if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
  if (QFileInfo::exists(dir + name)) return dir + name;
  QDir d(dir.isEmpty() ? QStringLiteral(".") : dir);
  const QStringList entries = d.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  for (const QString& e : entries)
    if (e.compare(name, Qt::CaseInsensitive) == 0) return dir + e;
  return dir + name;
}

QString ResolvePath(const QString& path) {
  QString p = ToSlashes(path);
  if (p.isEmpty() || QFileInfo::exists(p)) return p;
  qsizetype slash = p.lastIndexOf(u'/');
  if (slash < 0) return FindCaseInsensitive(QString(), p).mid(0);
  QString folder = p.left(slash);
  if (!QFileInfo::exists(folder.isEmpty() ? QStringLiteral("/") : folder)) {
    QString rf = ResolvePath(folder);
    if (QFileInfo::exists(rf)) folder = rf;
  }
  return FindCaseInsensitive(folder.isEmpty() ? QStringLiteral("/") : folder, p.mid(slash + 1));
}

QString SanitizeFileBase(const QString& base, int maxLength) {
  QString out;
  for (QChar c : base) {
    if (c.unicode() < 0x20 || QStringView(u"/\\:*?\"<>|,").contains(c))
      out += u'_';
    else
      out += c;
  }
  while (out.startsWith(u'.')) out.remove(0, 1);
  out.replace(QStringLiteral(".."), QStringLiteral("_"));
  if (out.size() > maxLength) {
    out.truncate(maxLength);
    if (!out.isEmpty() && out.back().isHighSurrogate()) out.chop(1);
  }
  return out;
}

}  // namespace plat
