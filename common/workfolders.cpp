#include "common/workfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>

#include "common/accessors.h"
#include "platform/core/codec.h"
#include "platform/core/paths.h"
#include "platform/core/prompt.h"

namespace common {

namespace {

QString FolderName(WorkFolder f) {
  switch (f) {
    case WorkFolder::Programs: return QStringLiteral("程式資料夾");
    case WorkFolder::Data: return QStringLiteral("成績資料夾");
    case WorkFolder::Temp: return QStringLiteral("暫存資料夾");
  }
  return {};
}

QString FaultText(FolderFault f) {
  switch (f) {
    case FolderFault::Missing: return QStringLiteral("這個資料夾不存在。");
    case FolderFault::NotWritable: return QStringLiteral("無法在這個資料夾寫入檔案。");
    case FolderFault::NotCp950: return QStringLiteral("路徑中有 Big5 (CP950) 無法存放的字元,測驗記錄會記錯路徑。");
    case FolderFault::NoSpace: return QStringLiteral("這個資料夾所在的磁碟空間不足,一次測驗至少需要 1 MB。");
    case FolderFault::NotPrivate:
      return QStringLiteral("這個暫存資料夾不是本帳號專用的,別的帳號可能讀寫其中的檔案。");
    case FolderFault::HasComma: return CommaInPathText();
    case FolderFault::None: break;
  }
  return {};
}

}  // namespace

bool PathFitsCommandLine(const QString& path) { return !path.contains(u','); }

QString CommaInPathText() {
  return QStringLiteral("路徑中有逗號「,」:交給評分程式的命令列以逗號分隔欄位,路徑會在逗號處斷開,"
                        "這次測驗就無法評分。請用名稱中沒有逗號的資料夾。");
}

FolderFault CheckFolder(const QString& path, QString* detail) {
  const QString folder = plat::WithoutTrailingSlash(path.trimmed());
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return FolderFault::Missing;
  // The permission bits do not tell a read-only mount or an access list:
  // only a file made there does.
  QTemporaryFile probe(folder + QStringLiteral("/.probe-XXXXXX"));
  if (!probe.open()) return FolderFault::NotWritable;
  probe.close();
  if (!plat::fitsCp950(QFileInfo(folder).absoluteFilePath())) return FolderFault::NotCp950;
  QStorageInfo disk(folder);
  disk.refresh();
  if (disk.isValid() && disk.bytesAvailable() < kRoomForATest) {
    if (detail) *detail = QStringLiteral("剩下 %1 KB").arg(disk.bytesAvailable() / 1024);
    return FolderFault::NoSpace;
  }
  return FolderFault::None;
}

QList<FolderProblem> CheckWorkFolders(const QString& programs, const QString& data, const QString& temp) {
  QList<FolderProblem> out;
  QStringList seen;
  const std::pair<WorkFolder, QString> folders[] = {
      {WorkFolder::Programs, programs}, {WorkFolder::Data, data}, {WorkFolder::Temp, temp}};
  for (const auto& [which, given] : folders) {
    const QString path = plat::WithoutTrailingSlash(given.trimmed());
    if (seen.contains(path)) continue;
    seen << path;
    if (which == WorkFolder::Data && !path.isEmpty() && !QFileInfo(path).exists()) QDir().mkpath(path);
    if (which == WorkFolder::Temp && plat::TempFolderIsPrivateOne() && path == plat::PrivateTempFolder()) {
      const QString why = plat::PrivateFolderFault(path);
      if (!why.isEmpty()) {
        out.append({which, path, FolderFault::NotPrivate, why});
        continue;
      }
    }
    if (which != WorkFolder::Temp && !PathFitsCommandLine(path)) {
      out.append({which, path, FolderFault::HasComma, {}});
      continue;
    }
    QString detail;
    const FolderFault fault = CheckFolder(path, &detail);
    if (fault != FolderFault::None) out.append({which, path, fault, detail});
  }
  return out;
}

QString FolderInProgramFolder(const QString& value) {
  const QString v = plat::ToSlashes(value.trimmed());
  if (v.isEmpty() || QDir::isAbsolutePath(v)) return value;
  return QDir::cleanPath(ProgramFolder.get() + v) + u'/';
}

QList<FolderProblem> CheckRunFolders() {
  const QString programs = ProgramFolder.get();
  const QString data = DataPath.get().size() > 1 ? FolderInProgramFolder(DataPath.get()) : programs;
  return CheckWorkFolders(programs, data, plat::TempFolder());
}

QString FolderProblemsText(const QString& lead, const QList<FolderProblem>& problems) {
  QString text = lead;
  for (const FolderProblem& p : problems)
    text += QStringLiteral("\r\n\r\n") + FolderName(p.folder) + QStringLiteral(":") + p.path + QStringLiteral("\r\n") +
            FaultText(p.fault) + (p.detail.isEmpty() ? QString() : QStringLiteral("(") + p.detail + u')');
  return text;
}

QString TestFolderLead() { return QStringLiteral("下列資料夾無法使用,不能開始測驗。請通知考場負責人處理。"); }
QString ScorerFolderLead() { return QStringLiteral("下列資料夾無法使用,成績可能無法存檔。請通知考場負責人處理。"); }
QString BatchFolderLead() { return QStringLiteral("下列資料夾無法使用,成績檔和結果檔可能無法寫入。請通知考場負責人處理。"); }

bool WarnOfFolderProblems(const QString& lead, const QList<FolderProblem>& problems) {
  if (problems.isEmpty()) return true;
  plat::prompt().Ask(FolderProblemsText(lead, problems), QStringLiteral("警告訊息"), plat::Buttons::Ok,
                     plat::Icon::Exclamation);
  return false;
}

}  // namespace common
