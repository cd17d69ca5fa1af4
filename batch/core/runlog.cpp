#include "batch/core/runlog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "common/errorlog.h"
#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

namespace batch {

QStringList RunLogHeader(const QString& contact) {
  const QDateTime now = plat::clock().Now();
  const QString program = QCoreApplication::instance()
                              ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                              : QStringLiteral("Tallisk");
  return {QStringLiteral("Dovo 錯誤報告記錄"),
          QString(),
          QStringLiteral("為了協助解決這個問題，請以電子郵件傳送這個檔案到"),
          contact + QStringLiteral("。"),
          QString(),
          QStringLiteral("請儘可能詳細的描述問題發生之前，您正在做什麼，如此我們才能試著在此"),
          QStringLiteral("重現您的問題。特別是，請告訴我們此問題的前導步驟，以及此問題在經過"),
          QStringLiteral("該步驟後是必然出現或是偶爾才出現。"),
          QString(),
          QStringLiteral("把範式檔和考生檔及結果檔三個檔案送到E-Mail."),
          QString(),
          QStringLiteral("感謝您"),
          plat::ProgramFolder() + u' ' + program + QStringLiteral("  ") + now.toString(QStringLiteral("yyyy/M/d")) +
              u' ' + now.toString(QStringLiteral("HH:mm:ss")),
          QString()};
}

void CreateErrorReport(const QString& contact) noexcept {
  try {
    const QString path = common::ErrorReportPath();
    QString why;
    if (!plat::writeTextLines(path, RunLogHeader(contact), &why)) {
      static bool warned = false;
      if (!warned)
        std::fprintf(stderr, "cannot write the run log %s: %s\n", path.toLocal8Bit().constData(),
                     why.toLocal8Bit().constData());
      warned = true;
    }
  } catch (...) {
  }
}

void WriteErrorLog(const QString& text, const QString& contact) noexcept {
  try {
    if (!QFileInfo::exists(common::ErrorReportPath())) CreateErrorReport(contact);
  } catch (...) {
  }
  // The line itself as every program writes it (and to stderr on failure).
  common::WriteErrorLog(text);
}

}  // namespace batch
