#include "batch/forms/program.h"

#include <QApplication>
#include <cstdio>

#include "batch/core/batch.h"
#include "batch/forms/display.h"
#include "batch/forms/services.h"
#include "platform/core/prompt.h"
#include "platform/core/paths.h"
#include "platform/gui/form.h"

namespace batchui {

SingleInstance::SingleInstance(const QString& lockPath) : path_(lockPath) {}

QString SingleInstance::DefaultLockPath() {
  QString user = qEnvironmentVariable("USER");
  if (user.isEmpty()) user = qEnvironmentVariable("LOGNAME");
  return plat::TempFolder() + QStringLiteral("/Tallisk-") + plat::SanitizeFileBase(user) + QStringLiteral(".lock");
}

bool SingleInstance::Acquire() {
  cannotMake_.clear();
  if (lock_ && lock_->isLocked()) return true;
  lock_ = std::make_unique<QLockFile>(path_);
  // Stale only when its holder is gone, never by age: a copy may run all day.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return true;
  switch (lock_->error()) {
    case QLockFile::LockFailedError: break;
    case QLockFile::PermissionError: cannotMake_ = QStringLiteral("沒有寫入權限或唯讀"); break;
    default: cannotMake_ = QStringLiteral("無法寫入,磁碟可能已滿"); break;
  }
  lock_.reset();
  return false;
}

void SingleInstance::Release() {
  if (lock_) lock_->unlock();
  lock_.reset();
}

int RunTallisk(QApplication& app, const QStringList& arguments) {
  // The batch scorer's boxes carry its own title, from its own settings.
  plat::SetDefaultBoxTitle([] { return batch::batch().settings.ProductTitle(); });
  SingleInstance instance;
  if (!instance.Acquire()) {
    if (instance.CannotMake().isEmpty()) return 0;
    // Ending without a word would look like a copy already running.
    const QString path = instance.LockPath();
    std::fprintf(stderr, "Tallisk: cannot make the lock %s\n", qPrintable(path));
    batch::batch().WriteErrorLog(QStringLiteral("無法建立鎖定檔,程式結束>") + path + u'>' + instance.CannotMake());
    plat::prompt().Ask(QStringLiteral("無法在暫存資料夾建立鎖定檔 ") + path + QStringLiteral(" (") +
                           instance.CannotMake() + QStringLiteral(")。\n請檢查暫存資料夾是否已滿或唯讀，程式結束。"),
                       StoreText(14001).isEmpty() ? QStringLiteral("訊息") : StoreText(14001), plat::Buttons::Ok,
                       plat::Icon::Critical);
    return kExitCannotStart;
  }
  // The program ends through the exit button (or the main window's close),
  // never because the last window happened to hide.
  app.setQuitOnLastWindowClosed(false);
  Display& display = plat::forms::get<Display>();
  display.SetArguments(arguments);
  display.Start();
  if (plat::app().Ending()) return 0;
  const int code = app.exec();
  plat::FormRegistry::DestroyAll();
  return code;
}

}  // namespace batchui
