#include "platform/core/reasons.h"

#include <QFileDevice>
#include <cerrno>
#include <cstring>

namespace plat {

namespace {

QString Known(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT: return QStringLiteral("磁碟空間不足");
    case EACCES:
    case EPERM: return QStringLiteral("沒有存取權限");
    case EROFS: return QStringLiteral("磁碟是唯讀的,不能寫入");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("找不到檔案或資料夾");
    case EIO: return QStringLiteral("磁碟讀寫錯誤");
    case ENOLCK: return QStringLiteral("檔案系統不提供檔案鎖");
    case EISDIR: return QStringLiteral("這是資料夾,不是檔案");
    case EEXIST: return QStringLiteral("檔案已經存在");
    case EMFILE:
    case ENFILE: return QStringLiteral("同時開啟的檔案太多");
    case EFBIG: return QStringLiteral("檔案太大");
    default: return {};
  }
}

QString WithSystemText(const QString& ours, const QString& system) {
  if (system.isEmpty() || system == ours) return ours;
  return ours + u'(' + system + u')';
}

}  // namespace

QString systemReason(int error) {
  const QString system = QString::fromLocal8Bit(std::strerror(error));
  const QString known = Known(error);
  return WithSystemText(known.isEmpty() ? QStringLiteral("系統錯誤 %1").arg(error) : known, system);
}

QString fileReason(const QFileDevice& f, int error) {
  if (error != 0 && !Known(error).isEmpty()) return systemReason(error);
  QString ours;
  switch (f.error()) {
    case QFileDevice::ReadError: ours = QStringLiteral("讀取檔案時發生錯誤"); break;
    case QFileDevice::WriteError: ours = QStringLiteral("寫入檔案時發生錯誤"); break;
    case QFileDevice::ResourceError: ours = QStringLiteral("系統資源不足(例如磁碟空間)"); break;
    case QFileDevice::OpenError: ours = QStringLiteral("無法開啟檔案"); break;
    case QFileDevice::PermissionsError: ours = QStringLiteral("沒有存取權限"); break;
    case QFileDevice::RenameError: ours = QStringLiteral("無法更改檔名"); break;
    case QFileDevice::RemoveError: ours = QStringLiteral("無法刪除檔案"); break;
    case QFileDevice::CopyError: ours = QStringLiteral("無法複製檔案"); break;
    case QFileDevice::PositionError: ours = QStringLiteral("無法移到檔案中的位置"); break;
    case QFileDevice::ResizeError: ours = QStringLiteral("無法改變檔案大小"); break;
    case QFileDevice::TimeOutError: ours = QStringLiteral("等候逾時"); break;
    case QFileDevice::AbortError: ours = QStringLiteral("操作已中止"); break;
    case QFileDevice::FatalError:
    case QFileDevice::UnspecifiedError: ours = QStringLiteral("檔案錯誤"); break;
    case QFileDevice::NoError: break;
  }
  if (ours.isEmpty() && error != 0) return systemReason(error);
  QString system = f.error() != QFileDevice::NoError ? f.errorString() : QString();
  if (system.isEmpty() && error != 0) system = QString::fromLocal8Bit(std::strerror(error));
  return WithSystemText(ours.isEmpty() ? QStringLiteral("檔案錯誤") : ours, system);
}

}  // namespace plat
