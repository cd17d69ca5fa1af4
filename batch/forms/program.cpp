#include "batch/forms/program.h"

#include <QApplication>
#include <cstdio>

#include "batch/forms/display.h"
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
  if (lock_ && lock_->isLocked()) return true;
  lock_ = std::make_unique<QLockFile>(path_);
  // Stale only when its holder is gone, never by age: a copy may run all day.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return true;
  if (lock_->error() != QLockFile::LockFailedError)
    std::fprintf(stderr, "Tallisk: cannot make the lock %s\n", qPrintable(path_));
  lock_.reset();
  return false;
}

void SingleInstance::Release() {
  if (lock_) lock_->unlock();
  lock_.reset();
}

int RunTallisk(QApplication& app, const QStringList& arguments) {
  SingleInstance instance;
  if (!instance.Acquire()) return 0;
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
