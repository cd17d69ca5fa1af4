#include "testsupport/gui/fakes.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <utility>

namespace plat {

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

bool FakeLinePrinter::PrintImage(const QImage& image) {
  if (!LineRecorder::PrintImage(image)) return false;
  images << image;
  return true;
}

}  // namespace plat
