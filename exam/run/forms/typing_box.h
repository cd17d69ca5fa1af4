#pragma once
// A typing box of the test screen: a single-line box whose key, character,
// input-method, mouse and focus events go to the screen's handlers with the
// box's index, in the order the design's handlers expect (KeyDown, then each
// character through KeyPress, then the change, then KeyUp). Nothing can be
// pasted or dropped into it.
#include <QLineEdit>
#include <functional>

namespace run {

class TypingBox : public QLineEdit {
 public:
  TypingBox(int index, QWidget* parent = nullptr);
  int Index() const { return index_; }

  // What KeyPress tells the box to do with a character.
  enum Verdict { kType, kDrop };

  // KeyDown(i, keyCode, shift): a keyCode set to 0, or a true result, means
  // the key is handled and the box does nothing more with it.
  std::function<bool(int i, int& keyCode, int shift)> KeyDown;
  // KeyPress(i, ch): the character is typed where the caret is, in the box
  // that then has the caret (a handler may move it to another box), unless
  // the verdict is kDrop.
  std::function<Verdict(int i, QChar ch)> KeyPress;
  std::function<void(int i)> KeyUp;
  std::function<void(int i)> Click;
  std::function<void(int i)> GotFocus;
  std::function<void(int i)> MouseDown;
  // An input method's commit is typed character by character; the screen
  // hears where one begins and where it ends (with the box the caret ended
  // in), so that it can take the whole commit as one change.
  std::function<void(int i)> CommitBegin;
  std::function<void(int i)> CommitEnd;
  // Which box a character goes to after KeyPress: the box with the caret.
  std::function<TypingBox*()> CaretBox;
  // False while the box takes no click from the mouse.
  std::function<bool()> TakesClicks;
  // A commit that arrives while the screen itself writes the boxes: true
  // when the screen keeps it to type it once the write is done.
  std::function<bool(int i, const QString& text)> HoldCommit;

  // What the input method is composing in the box (shown, not yet typed).
  bool Composing() const { return !preedit_.isEmpty(); }
  // Commits the composition into the box, as typed: through the input
  // method when it does so, else the box types what it shows. False when
  // there was none.
  bool CommitComposition();
  // Types a commit at the caret, as one from the input method.
  void TypeCommit(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  // Types each character of the text that CP950 holds, refusing the others
  // (a surrogate pair as one); returns the box the caret ended in.
  TypingBox* TypeText(const QString& text);
  // Types one character: through this box's KeyPress, then into this box,
  // or the box the caret moved on to. Returns the box it went to.
  TypingBox* TypeCharacter(QChar ch);
  void Insert(const QString& text);
  // Types a commit (the composition already cleared); returns the box the
  // caret ended in.
  TypingBox* TakeCommit(const QString& text);
  // A click from the mouse the box does not take now.
  bool HeldBack(QMouseEvent* e);

  int index_;
  QString preedit_;  // the composition the box shows
};

}  // namespace run
