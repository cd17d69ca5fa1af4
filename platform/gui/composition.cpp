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

void FakeInputMethodContext::Compose(QWidget* w, const QString& text) {
  composing = text;
  QList<QInputMethodEvent::Attribute> attrs{{QInputMethodEvent::Cursor, int(text.size()), 1, QVariant()}};
  QInputMethodEvent e(text, attrs);
  QCoreApplication::sendEvent(w, &e);
}

void FakeInputMethodContext::Deliver() {
  QWidget* to = QApplication::focusWidget();
  if (composing.isEmpty() || !to) return;
  QInputMethodEvent e;
  e.setCommitString(std::exchange(composing, QString()));
  QCoreApplication::sendEvent(to, &e);
}

void FakeInputMethodContext::Commit() {
  ++commits;
  if (kind == kCommitsOnCommit) Deliver();
}

void FakeInputMethodContext::Reset() {
  ++resets;
  if (kind == kCommitsOnReset) {
    Deliver();
  } else {
    composing.clear();
  }
}

}  // namespace plat
