#pragma once
// The typing column's editing rules: what Enter, Delete at a box's end, the
// arrow and page keys, a hot key, the indent spaces and a full box do to the
// boxes and the window over the line buffers. The rules see the boxes
// through ColumnBoxes: the test screen implements it over its controls,
// tests over plain texts and carets.
#include <QString>
#include <functional>

#include "exam/record/linebuffers.h"

namespace run {

class ColumnBoxes : public rec::TypingBoxes {
 public:
  // SetBoxText (a refill) leaves the caret at the box's start; EditText
  // leaves it at the end, as an edit does.
  virtual void EditText(int i, const QString& text) = 0;
  virtual int Caret(int i) const = 0;
  virtual void SetCaret(int i, int pos) = 0;
  virtual bool HasSelection(int i) const = 0;
  virtual bool ReadOnly(int i) const = 0;
  // The caret goes into box i.
  virtual void Focus(int i) = 0;
  // The paragraph of the row is shown.
  virtual void ShowParagraph(int row) = 0;
  // Saves the answer boxes, moves the window (rec::ScrollDirection) and
  // refills the boxes.
  virtual void Scroll(int direction) = 0;
  // The program's own write into the boxes: what the candidate's input
  // method commits meanwhile is kept until it is over.
  virtual void Write(const std::function<void()>& body) { body(); }
};

// The row (0..15 from the top) of box i in layout `mode` (setting 208):
// 0 answers only; the others place each answer box with its model box.
int BoxRowOf(int mode, int i);
// The last box that takes typing: 15 with answers only, 7 in the paired
// layouts.
inline int LastTypingBox(int mode) { return mode != 0 ? 7 : 15; }
// A box takes typing while the test runs, when it is an answer box and its
// line is one the buffer keeps.
inline bool BoxTakesTyping(int firstVisibleLine, int i, int lastBox, bool handedOver) {
  return !handedOver && i <= lastBox && firstVisibleLine + i <= rec::kLastLineIndex;
}
// 0 for an empty box, 1 with the caret at its end, 2 inside it.
int CaretState(const QString& text, int caret);

class TypingColumn {
 public:
  TypingColumn(ColumnBoxes& boxes, rec::TestLines& lines, int lastBox)
      : boxes_(boxes), lines_(lines), last_(lastBox) {}

  // The keys that split, join, scroll or move on: what an input method is
  // composing goes in first, and the key acts where the caret then is.
  static bool CommitsFirst(int keyCode);

  struct KeyResult {
    bool handled = false;  // the box does nothing more with the key
    bool consumed = false;  // the key code is cleared
    int moved = -1;        // the box whose caret the rhythm watch restarts on
  };
  // A key without shift in box i.
  KeyResult Key(int i, int keyCode);
  // A hot key's text goes in at the caret of box i.
  void InsertHotKey(int i, const QString& text);

  struct CharResult {
    bool drop = false;  // the character is not typed
    int moveTo = -1;    // the box the caret moves on to before it is
  };
  // A character typed in box i; `limit` is the line length (setting 213).
  CharResult Character(int i, QChar ch, int limit);

  // A commit held while the program wrote the boxes, for the buffer line
  // and caret its box had then: the box that shows the line now, its caret
  // set, to type it into; -1 when it went into the buffer (its line
  // scrolled out of sight) or nowhere (after the hand-over, or no line).
  int PlaceHeldCommit(int line, int caret, const QString& text, bool handedOver);

 private:
  int Enter(int i);
  int Up(int i);
  int Down(int i);
  int Page(int i, int direction);
  bool DeleteAtEnd(int i);

  ColumnBoxes& boxes_;
  rec::TestLines& lines_;
  int last_;
};

}  // namespace run
