#pragma once
// Handlers run under a guard: a failure inside a timer tick or a form event
// is reported and never unwinds into the event loop (which would end the
// program). The programs install a sink that writes the error report.
#include <QString>
#include <exception>
#include <functional>

namespace plat {

// `procedure` names the handler ("Timer1_Timer", "處理下.Form_Load").
using HandlerErrorSink = std::function<void(const QString& procedure, std::exception_ptr error)>;
// nullptr restores the default, which writes the failure to stderr.
void SetHandlerErrorSink(HandlerErrorSink sink);

// Runs the handler; true when it returned normally.
bool RunHandler(const QString& procedure, const std::function<void()>& handler);

}  // namespace plat
