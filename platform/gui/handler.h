#pragma once
// Handlers run under a guard: a failure inside a timer tick or a form event
// is reported and never unwinds into the event loop (which would end the
// program). The programs install a sink that writes the error report.
#include <QString>
#include <exception>
#include <functional>

class QAbstractButton;

namespace plat {

// `procedure` names the handler ("Timer1_Timer", "處理下.Form_Load").
using HandlerErrorSink = std::function<void(const QString& procedure, std::exception_ptr error)>;
// nullptr restores the default, which writes the failure to stderr.
void SetHandlerErrorSink(HandlerErrorSink sink);

// Runs the handler; true when it returned normally.
bool RunHandler(const QString& procedure, const std::function<void()>& handler);
// The same, the failure told to `report` instead (a program that keeps a log
// of its own); an empty `report` is the installed sink.
bool RunHandler(const QString& procedure, const std::function<void()>& handler, const HandlerErrorSink& report);

// A click on the button runs the handler under the guard, named after the
// button's window at the time of the click ("frmClient.Command1_Click").
void ConnectClick(QAbstractButton* button, const char* handler, std::function<void()> run,
                  HandlerErrorSink report = {});

}  // namespace plat
