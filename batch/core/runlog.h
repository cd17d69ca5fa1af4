#pragma once
// The batch scorer's run log: "ZetError.Txt" in the program folder, the file
// the test program keeps its error report in. When the batch scorer is the
// one to create it, it starts with the batch scorer's own 14-line header.
// Logging never fails towards the caller.
#include <QString>
#include <QStringList>

namespace batch {

// The header lines; `contact` is the support mail address of line 4.
QStringList RunLogHeader(const QString& contact);

// Starts the file afresh with the header.
void CreateErrorReport(const QString& contact = {}) noexcept;

// Appends "HH:mm:ss>" + text, creating the file with the header first.
void WriteErrorLog(const QString& text, const QString& contact = {}) noexcept;

}  // namespace batch
