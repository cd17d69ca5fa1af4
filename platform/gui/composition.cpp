#include "platform/gui/composition.h"

#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QWidget>
#include <utility>

namespace plat {

void InputMethodContext::Commit() { QGuiApplication::inputMethod()->commit(); }

void InputMethodContext::Reset() { QGuiApplication::inputMethod()->reset(); }

namespace {
InputMethodContext* g_context = nullptr;
}

InputMethodContext& inputMethodContext() {
  static InputMethodContext real;
  return g_context ? *g_context : real;
}

void SetInputMethodContext(InputMethodContext* c) { g_context = c; }

bool RepeatedCommitFilter::Drop(const QString& preedit, const QString& commit) {
  // The same composition shown again is the daemon's answer to a key sent
  // before the reset; anything else shown is new.
  auto show = [this](const QString& p) {
    shown_ = p;
    if (!p.isEmpty() && p != copied_) copied_.clear();
  };
  if (commit.isEmpty()) {
    show(preedit);
    return false;
  }
  // The daemon's copy comes once what it showed is cleared; the same text
  // committed while it is shown is a new commit of a new composition.
  if (!copied_.isEmpty() && commit == copied_ && shown_ != commit) {
    copied_.clear();
    return true;
  }
  copied_ = commit == shown_ ? commit : QString();
  show(preedit);
  return false;
}

namespace {

class RepeatedCommitWatcher : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::InputMethod) return QObject::eventFilter(o, e);
    auto* im = static_cast<QInputMethodEvent*>(e);
    if (!filter_.Drop(im->preeditString(), im->commitString())) return false;
    im->accept();
    return true;
  }

 private:
  RepeatedCommitFilter filter_;
};

}  // namespace

void DropRepeatedCommits() {
  static RepeatedCommitWatcher* watcher = nullptr;
  if (watcher || !QCoreApplication::instance()) return;
  watcher = new RepeatedCommitWatcher(QCoreApplication::instance());
  QCoreApplication::instance()->installEventFilter(watcher);
}

void PrepareInputMethod() {
  if (!qEnvironmentVariableIsSet("IBUS_ENABLE_SYNC_MODE")) qputenv("IBUS_ENABLE_SYNC_MODE", "1");
}

}  // namespace plat
