#include "common/errorlog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <cstdio>
#include <exception>
#include <new>

#include "common/accessors.h"
#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

namespace common {

namespace {

QString contactAddress() {
  // A deployment setting; before the settings are read it may be empty.
  return ContactInfo(1).asText();
}

QString executableName() {
  if (!QCoreApplication::instance()) return QString();
  return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

void toStderr(const QString& what, const QString& line) {
  // Reported once: a read-only folder would otherwise repeat it per line.
  static bool warned = false;
  if (!warned) {
    warned = true;
    std::fprintf(stderr, "%s\n", what.toLocal8Bit().constData());
  }
  if (!line.isEmpty()) std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

QStringList headerLines() {
  const QDateTime now = plat::clock().Now();
  QStringList h;
  h << QStringLiteral("Dovo 錯誤報告記錄") << QString()
    << QStringLiteral("為了協助解決這個問題，請以電子郵件傳送這個檔案到")
    << contactAddress() + QStringLiteral("。") << QString()
    << QStringLiteral("請儘可能詳細的描述問題發生之前，您正在做什麼，如此我們才能試著在此")
    << QStringLiteral("重現您的問題。特別是，請告訴我們此問題的前導步驟，以及此問題在經過")
    << QStringLiteral("該步驟後是必然出現或是偶爾才出現。") << QString()
    << QStringLiteral("把範式檔和考生檔及結果檔三個檔案送到E-Mail。") << QString()
    << QStringLiteral("範式檔,範例:T01.TXT")
    // Where the candidate's record really is on this machine.
    << QStringLiteral("考生檔,請找你電腦內") + plat::TempFolder() + QStringLiteral("/~T*.T* ")
    << QStringLiteral("結果檔 範例:111.s04") << QString() << QString()
    << QStringLiteral("感謝您") << QString()
    << ProgramFolder.get() + u' ' + executableName() + QStringLiteral("  ") +
           now.toString(QStringLiteral("yyyy/M/d")) + u' ' + now.toString(QStringLiteral("HH:mm:ss"))
    << QString();
  return h;
}

}  // namespace

QString RuntimeErrorText(int number) {
  switch (number) {
    case kInvalidCall: return QStringLiteral("程序呼叫或引數不正確");
    case kOverflow: return QStringLiteral("數值溢位");
    case 7: return QStringLiteral("記憶體不足");
    case 9: return QStringLiteral("陣列索引超出範圍");
    case 11: return QStringLiteral("除數為零");
    case kTypeMismatch: return QStringLiteral("資料型態不符");
    case 52: return QStringLiteral("檔案名稱或代碼不正確");
    case kFileNotFound: return QStringLiteral("找不到檔案");
    case 57: return QStringLiteral("裝置輸入/輸出錯誤");
    case 58: return QStringLiteral("檔案已經存在");
    case 61: return QStringLiteral("磁碟已滿");
    case 62: return QStringLiteral("讀取超過檔案結尾");
    case 70: return QStringLiteral("沒有存取權限");
    case 71: return QStringLiteral("磁碟未就緒");
    case kPathFileAccess: return QStringLiteral("路徑/檔案存取錯誤");
    case kPathNotFound: return QStringLiteral("找不到路徑");
    default: return QString();
  }
}

QString DescribeError(const AppError& err) {
  const QString kind = RuntimeErrorText(err.number);
  if (kind.isEmpty()) return err.text;
  if (err.text.isEmpty()) return kind;
  if (err.text.startsWith(kind)) return err.text;  // the description with its detail
  return kind + QStringLiteral("(") + err.text + u')';
}

AppError MakeAppError(int number, const QString& source, int line) {
  return AppError{number, RuntimeErrorText(number), source, line};
}

AppError CurrentAppError(const QString& source) noexcept {
  try {
    const std::exception_ptr current = std::current_exception();
    if (!current) return AppError{0, QString(), source, 0};
    try {
      std::rethrow_exception(current);
    } catch (const AppError& e) {
      return e;
    } catch (const std::bad_alloc&) {
      return MakeAppError(7, source);
    } catch (const std::exception& e) {
      return AppError{kInvalidCall, QString::fromLocal8Bit(e.what()), source, 0};
    } catch (...) {
      return MakeAppError(kInvalidCall, source);
    }
  } catch (...) {
    return AppError{kInvalidCall, QString(), source, 0};
  }
}

QString ErrorTrapLine(const QString& procedure, const AppError& err) {
  const QString n = QString::number(err.number);
  return QStringLiteral("內部錯誤發生於檔案 ") + procedure + QStringLiteral(" 的 >") + n + u' ' +
         err.text + u' ' + n + u' ' + QString::number(err.line) + u' ' + err.source;
}

QString ErrorReportPath() {
  return plat::FindCaseInsensitive(ProgramFolder.get(), QString::fromUtf16(kErrorReportName));
}

void CreateErrorReport() noexcept {
  try {
    const QString path = ErrorReportPath();
    QString why;
    if (!plat::writeTextLines(path, headerLines(), &why))
      toStderr(QStringLiteral("cannot write the error report ") + path + QStringLiteral(": ") + why, QString());
  } catch (...) {
    toStderr(QStringLiteral("cannot write the error report"), QString());
  }
}

void WriteErrorLog(const QString& text) noexcept {
  QString line;
  try {
    line = plat::clock().Now().toString(QStringLiteral("HH:mm:ss")) + u'>' + text;
    const QString path = ErrorReportPath();
    if (!QFileInfo::exists(path)) CreateErrorReport();
    QString why, unlocked;
    if (!plat::appendTextLine(path, line, &why, &unlocked)) {
      toStderr(QStringLiteral("cannot append to the error report ") + path + QStringLiteral(": ") + why, line);
    } else if (!unlocked.isEmpty()) {
      // Said once a file: the lines go on without the lock all the same.
      static QSet<QString> told;
      if (!told.contains(path))
        plat::appendTextLine(path, line.left(9) + QStringLiteral("錯誤報告檔無法上鎖,不加鎖寫入>") + unlocked);
      told.insert(path);
    }
  } catch (...) {
    toStderr(QStringLiteral("cannot append to the error report"), line);
  }
}

void LogTrappedError(const QString& procedure, const AppError& err) noexcept {
  try {
    WriteErrorLog(ErrorTrapLine(procedure, err));
  } catch (...) {
  }
}

}  // namespace common
