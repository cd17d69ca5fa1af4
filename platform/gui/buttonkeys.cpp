#include "platform/gui/buttonkeys.h"

#include <QAbstractButton>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace plat {

namespace {

constexpr Qt::KeyboardModifiers kChord = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

}  // namespace

bool IsChordOnAButtonKey(int key, Qt::KeyboardModifiers modifiers) {
  // Space with any modifier is an input method's key (Shift+Space is
  // Chewing's full/half-width switch, Ctrl+ and Super+Space switch methods).
  if (key == Qt::Key_Space) return modifiers & (kChord | Qt::ShiftModifier);
  if (key == Qt::Key_Select || key == Qt::Key_Return || key == Qt::Key_Enter) return modifiers & kChord;
  return false;
}

namespace {

class ButtonKeyGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (IsChordOnAButtonKey(k->key(), k->modifiers())) {
          k->accept();
          return true;
        }
        break;
      }
      case QEvent::Shortcut:  // a mnemonic, Alt with a letter of the caption
        if (qobject_cast<QAbstractButton*>(watched)) return true;
        break;
      default:
        break;
    }
    return false;
  }
};

}  // namespace

void PlainKeysPressButtons(QWidget* window) {
  if (!window) return;
  // The guard has no meta-object of its own: findChild would take any child.
  ButtonKeyGuard* guard = nullptr;
  for (QObject* o : window->children())
    if ((guard = dynamic_cast<ButtonKeyGuard*>(o))) break;
  if (!guard) {
    guard = new ButtonKeyGuard(window);
    window->installEventFilter(guard);
  }
  // Installing again only moves the filter to the front.
  for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) b->installEventFilter(guard);
}

}  // namespace plat
