#include "platform/gui/handler.h"

#include <QAbstractButton>
#include <cstdio>
#include <utility>

namespace plat {

namespace {

HandlerErrorSink& sink() {
  static HandlerErrorSink s;
  return s;
}

void ToStderr(const QString& procedure, std::exception_ptr error) {
  QString what = QStringLiteral("unknown error");
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    what = QString::fromLocal8Bit(e.what());
  } catch (...) {
  }
  std::fprintf(stderr, "%s: %s\n", procedure.toLocal8Bit().constData(), what.toLocal8Bit().constData());
}

}  // namespace

void SetHandlerErrorSink(HandlerErrorSink s) { sink() = std::move(s); }

bool RunHandler(const QString& procedure, const std::function<void()>& handler) {
  return RunHandler(procedure, handler, {});
}

bool RunHandler(const QString& procedure, const std::function<void()>& handler, const HandlerErrorSink& report) {
  if (!handler) return true;
  try {
    handler();
    return true;
  } catch (...) {
    const std::exception_ptr error = std::current_exception();
    try {
      if (report) {
        report(procedure, error);
      } else if (sink()) {
        sink()(procedure, error);
      } else {
        ToStderr(procedure, error);
      }
    } catch (...) {
      ToStderr(procedure, error);  // a sink that fails still reports
    }
    return false;
  }
}

void ConnectClick(QAbstractButton* button, const char* handler, std::function<void()> run, HandlerErrorSink report) {
  QObject::connect(button, &QAbstractButton::clicked, button,
                   [button, name = QLatin1String(handler), run = std::move(run), report = std::move(report)] {
                     RunHandler(button->window()->objectName() + u'.' + name, run, report);
                   });
}

}  // namespace plat
