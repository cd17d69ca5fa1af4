#include "exam/run/forms/typing_box.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/core/codec.h"
#include "platform/gui/composition.h"
#include "exam/run/core/keycodes.h"

namespace run {

TypingBox::TypingBox(int index, QWidget* parent) : QLineEdit(parent), index_(index) {
  setObjectName(QStringLiteral("TB(%1)").arg(index));
  setFrame(false);
  setAcceptDrops(false);
  setDragEnabled(false);
  setContextMenuPolicy(Qt::NoContextMenu);
  setAttribute(Qt::WA_InputMethodEnabled, true);
}

namespace {

// Paste in any form; undo and redo too, which would bring back text the
// screen itself replaced.
bool IsBlocked(QKeyEvent* e) {
  return e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) ||
         (e->key() == Qt::Key_Insert && (e->modifiers() & Qt::ShiftModifier));
}

bool IsModifier(int key) {
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
      return true;
    default:
      return false;
  }
}

}  // namespace

void TypingBox::keyPressEvent(QKeyEvent* e) {
  // A key that reaches the box while it shows a composition is not the
  // input method's (it is away, or passed the key on): what it composed is
  // typed first, once, so that the key follows it.
  if (Composing() && !IsModifier(e->key())) CommitComposition();
  if (IsBlocked(e)) {
    e->accept();
    return;
  }
  int code = VirtualKeyCode(e->key(), e->modifiers(), e->nativeScanCode());
  const int shift = ShiftMask(e->modifiers());
  const int before = code;
  if (KeyDown && KeyDown(index_, code, shift)) {
    e->accept();
    return;
  }
  if (code == 0 && before != 0) {
    e->accept();
    return;
  }
  // Keys that move between boxes and lines are the screen's alone.
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      e->accept();
      return;
    default:
      break;
  }
  const QString text = e->text();
  // What a key types: text that is not a control character (Backspace,
  // Tab, Escape), without Ctrl or Alt. The line edit would take more as
  // input (a surrogate pair, a private-use or format character, an AltGr
  // chord), so it never sees text the record cannot hold.
  const bool typing = !text.isEmpty() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
                      text.at(0).category() != QChar::Other_Control;
  if (typing) {
    TypeText(text);
  } else if (text.isEmpty() || plat::fitsCp950(text)) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  e->accept();
}

TypingBox* TypingBox::TypeText(const QString& text) {
  // Character by character, a surrogate pair as one: a character the
  // record's code page cannot hold would be lost at the end (written as
  // "?"), so it is not taken, as in a box of that code page.
  TypingBox* at = this;
  for (qsizetype k = 0; k < text.size();) {
    const qsizetype n =
        text.at(k).isHighSurrogate() && k + 1 < text.size() && text.at(k + 1).isLowSurrogate() ? 2 : 1;
    const QStringView one = QStringView(text).mid(k, n);
    k += n;
    if (n == 1 && plat::fitsCp950(one)) at = at->TypeCharacter(one.at(0));
  }
  return at;
}

TypingBox* TypingBox::TypeCharacter(QChar ch) {
  TypingBox* before = CaretBox ? CaretBox() : this;
  if (KeyPress && KeyPress(index_, ch) == kDrop) return this;
  // The handler may have moved the caret on (a full box): the character
  // follows it.
  TypingBox* after = CaretBox ? CaretBox() : this;
  TypingBox* target = after && after != before ? after : this;
  target->Insert(QString(ch));
  return target;
}

void TypingBox::Insert(const QString& text) {
  if (isReadOnly()) return;
  // Typed as the user types: the box's edit signals follow.
  QLineEdit::insert(text);
}

void TypingBox::keyReleaseEvent(QKeyEvent* e) {
  QLineEdit::keyReleaseEvent(e);
  if (!e->isAutoRepeat() && KeyUp) KeyUp(index_);
}

void TypingBox::inputMethodEvent(QInputMethodEvent* e) {
  const QString commit = e->commitString();
  if (!commit.isEmpty() && !isReadOnly() && HoldCommit && HoldCommit(index_, commit)) {
    // Typed now it would land in a line the screen is in the middle of
    // moving; the screen types it in its own line afterwards.
    QInputMethodEvent pre(e->preeditString(), e->attributes());
    QLineEdit::inputMethodEvent(&pre);
    preedit_ = e->preeditString();
    e->accept();
    return;
  }
  // The input method took the keys; the screen still sees a key (not one
  // that moves), then each committed character as if typed.
  int code = kVkProcessKey;
  if (KeyDown) KeyDown(index_, code, 0);
  if (isReadOnly()) {
    preedit_.clear();
    e->accept();
    return;
  }
  if (commit.isEmpty()) {
    QLineEdit::inputMethodEvent(e);
    preedit_ = e->preeditString();
    return;
  }
  // Clear what the input method was composing, then type the commit.
  QInputMethodEvent clear;
  clear.setCommitString(QString(), e->replacementStart(), e->replacementLength());
  QLineEdit::inputMethodEvent(&clear);
  preedit_.clear();
  TypingBox* at = TakeCommit(commit);
  if (!e->preeditString().isEmpty() && at == this) {
    QInputMethodEvent pre(e->preeditString(), e->attributes());
    QLineEdit::inputMethodEvent(&pre);
    preedit_ = e->preeditString();
  }
  if (at->KeyUp) at->KeyUp(at->index_);
  e->accept();
}

TypingBox* TypingBox::TakeCommit(const QString& text) {
  // Each character goes to the box with the caret, which a full box moves on.
  if (CommitBegin) CommitBegin(index_);
  TypingBox* at = TypeText(text);
  if (CommitEnd) CommitEnd(at->index_);
  return at;
}

void TypingBox::TypeCommit(const QString& text) {
  if (isReadOnly() || text.isEmpty()) return;
  int code = kVkProcessKey;
  if (KeyDown) KeyDown(index_, code, 0);
  TypingBox* at = TakeCommit(text);
  if (at->KeyUp) at->KeyUp(at->index_);
}

bool TypingBox::CommitComposition() {
  if (preedit_.isEmpty()) return false;
  // The input method commits into the focus widget, on commit or on reset
  // by its kind; each arrives here as a commit and ends the composition.
  if (hasFocus()) {
    plat::inputMethodContext().Commit();
    if (!preedit_.isEmpty()) plat::inputMethodContext().Reset();
  }
  // None did (no input method, or one that drops on reset): the box types
  // what it showed, once.
  if (!preedit_.isEmpty()) {
    QInputMethodEvent e;
    e.setCommitString(preedit_);
    QCoreApplication::sendEvent(this, &e);
    preedit_.clear();
  }
  return true;
}

bool TypingBox::HeldBack(QMouseEvent* e) {
  if (!e->spontaneous() || !TakesClicks || TakesClicks()) return false;
  e->accept();
  return true;
}

void TypingBox::mousePressEvent(QMouseEvent* e) {
  if (HeldBack(e)) return;
  if (MouseDown) MouseDown(index_);
  if (e->button() == Qt::MiddleButton) {  // the selection paste
    e->accept();
    return;
  }
  QLineEdit::mousePressEvent(e);
}

void TypingBox::mouseReleaseEvent(QMouseEvent* e) {
  if (HeldBack(e)) return;
  if (e->button() == Qt::MiddleButton) {
    e->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton && Click) Click(index_);
}

void TypingBox::mouseDoubleClickEvent(QMouseEvent* e) {
  if (HeldBack(e)) return;
  if (e->button() == Qt::MiddleButton) {
    e->accept();
    return;
  }
  QLineEdit::mouseDoubleClickEvent(e);
}

void TypingBox::focusInEvent(QFocusEvent* e) {
  // A line edit selects its whole text when the focus comes by Tab or a
  // shortcut, and Qt gives a window shown again its focus widget back with
  // a Tab reason: the next key or commit would replace the candidate's
  // line. The caret stays where it was, whatever brought the focus.
  const int caret = cursorPosition();
  const Qt::FocusReason reason = e->reason();
  const bool wouldSelect = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                           reason == Qt::ShortcutFocusReason;
  QFocusEvent plain(e->type(), wouldSelect ? Qt::OtherFocusReason : reason);
  QLineEdit::focusInEvent(&plain);
  if (hasSelectedText() && reason != Qt::MouseFocusReason) {
    deselect();
    setCursorPosition(caret);
  }
  if (GotFocus) GotFocus(index_);
}

void TypingBox::contextMenuEvent(QContextMenuEvent* e) { e->accept(); }

}  // namespace run
