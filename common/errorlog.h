#pragma once
// The error report "ZetError.Txt" in the program folder: a header that asks
// the user to send the file, then one time-stamped line per event. Every
// error trap of every program logs through it, so nothing here ever throws.
#include <QString>

namespace common {

// Numbers of the Windows runtime for the failures we raise, so a report
// reads the same as the old programs' did.
enum ErrorNumber : int {
  kInvalidCall = 5,
  kOverflow = 6,
  kTypeMismatch = 13,
  kFileNotFound = 53,
  kPathFileAccess = 75,
  kPathNotFound = 76,
};

// What a procedure that fails towards its caller throws. `line` is 0 or the
// source line; `source` names the module or procedure.
struct AppError {
  int number = 0;
  QString text;
  QString source;
  int line = 0;
};

// An error with the runtime's own description of the number (empty text for
// numbers we do not know).
AppError MakeAppError(int number, const QString& source = {}, int line = 0);
// The description of a number, in Traditional Chinese.
QString RuntimeErrorText(int number);
// What a box shows of an error: the description of its number, with the
// detail the error carries when that says more ("路徑/檔案存取錯誤(...)").
QString DescribeError(const AppError& err);

// The error being handled, for a `catch (...)` trap: an AppError as thrown;
// any other exception as number 5 with its description (7 for memory).
AppError CurrentAppError(const QString& source = {}) noexcept;

// The trap line: "內部錯誤發生於檔案 <proc> 的 >" then number, text, number,
// line and source, separated by single blanks.
QString ErrorTrapLine(const QString& procedure, const AppError& err);

// File name of the report and its full path in the program folder (an
// existing file is found in any letter case).
inline constexpr char16_t kErrorReportName[] = u"ZetError.Txt";
QString ErrorReportPath();

// Writes the report afresh with its header (earlier lines are dropped).
void CreateErrorReport() noexcept;

// Appends "HH:mm:ss>" + text, creating the report with its header first when
// it is missing. On a write failure the line goes to stderr instead.
void WriteErrorLog(const QString& text) noexcept;

// Shorthand for traps: WriteErrorLog(ErrorTrapLine(procedure, err)).
void LogTrappedError(const QString& procedure, const AppError& err) noexcept;

}  // namespace common
