#include "exam/run/core/typing_column.h"

#include <algorithm>

#include "exam/run/core/keycodes.h"

namespace run {

int BoxRowOf(int mode, int i) {
  const bool typing = i < 8;
  const int k = typing ? i : i - 8;
  switch (mode) {
    case 1:
      return typing ? 2 * k + 1 : 2 * k;
    case 2:
      return i;
    case 3:
      return typing ? k + 8 : k;
    case 4:
      if (typing) return k < 4 ? k : k + 4;
      return k < 4 ? k + 4 : k + 8;
    case 5:
      if (typing) return k < 4 ? k + 4 : k + 8;
      return k < 4 ? k : k + 4;
    case 6:
      return typing ? 4 * (k / 2) + 2 + k % 2 : 4 * (k / 2) + k % 2;
    default:
      return i;
  }
}

int CaretState(const QString& text, int caret) {
  if (text.isEmpty()) return 0;
  if (caret == text.size()) return 1;
  return caret < text.size() ? 2 : 0;
}

bool TypingColumn::CommitsFirst(int keyCode) {
  switch (keyCode) {
    case kVkReturn:
    case kVkPrior:
    case kVkNext:
    case kVkUp:
    case kVkDown:
    case kVkDelete:
      return true;
    default:
      return false;
  }
}

TypingColumn::KeyResult TypingColumn::Key(int i, int keyCode) {
  KeyResult r;
  switch (keyCode) {
    case kVkReturn:
      r.handled = true;
      r.moved = Enter(i);
      break;
    case kVkPrior:
      r.handled = true;
      r.moved = Page(i, rec::kPageUp);
      break;
    case kVkNext:
      r.handled = true;
      r.moved = Page(i, rec::kPageDown);
      break;
    case kVkUp:
      r.handled = true;
      r.moved = Up(i);
      break;
    case kVkDown:
      r.handled = true;
      r.moved = Down(i);
      break;
    case kVkDelete:
      r.consumed = DeleteAtEnd(i);
      break;
    default:
      break;
  }
  return r;
}

int TypingColumn::Enter(int i) {
  if (boxes_.ReadOnly(i)) return -1;
  boxes_.Write([&] {
    const QString text = boxes_.BoxText(i);
    const int pos = boxes_.Caret(i);
    if (i < last_) {
      boxes_.Focus(i + 1);
      boxes_.ShowParagraph(i + 1);
      boxes_.EditText(i, text.left(pos));
      if (!boxes_.ReadOnly(i + 1)) {
        boxes_.EditText(i + 1, text.mid(pos) + boxes_.BoxText(i + 1));
      } else {
        boxes_.EditText(i, text);  // nowhere to put it
      }
      boxes_.SetCaret(i + 1, 0);
      return;
    }
    // At the end of the text the window cannot move: the line stays as it
    // is rather than being turned round.
    if (lines_.FirstVisibleLine >= lines_.LineCount) return;
    // The line below must be one the buffer keeps; past its end the cut
    // text would have nowhere to go, so the line stays whole.
    const bool room = lines_.FirstVisibleLine + i + 1 <= rec::kLastLineIndex;
    if (room) boxes_.EditText(i, text.left(pos));
    boxes_.Scroll(rec::kLineDown);
    boxes_.ShowParagraph(i);
    if (room && !boxes_.ReadOnly(i)) boxes_.EditText(i, text.mid(pos) + boxes_.BoxText(i));
    boxes_.SetCaret(i, 0);
  });
  return i;
}

int TypingColumn::Up(int i) {
  if (i > 0) {
    boxes_.Focus(i - 1);
    boxes_.ShowParagraph(i - 1);
    return i - 1;
  }
  boxes_.Scroll(rec::kLineUp);
  boxes_.ShowParagraph(i);
  return i;
}

int TypingColumn::Down(int i) {
  if (i < last_) {
    boxes_.Focus(i + 1);
    boxes_.ShowParagraph(i + 1);
    return i + 1;
  }
  boxes_.Scroll(rec::kLineDown);
  boxes_.ShowParagraph(i);
  return i;
}

int TypingColumn::Page(int i, int direction) {
  boxes_.Scroll(direction);
  boxes_.ShowParagraph(i);
  return i;
}

bool TypingColumn::DeleteAtEnd(int i) {
  if (boxes_.Caret(i) != boxes_.BoxText(i).size() || boxes_.HasSelection(i)) return false;
  // Delete at a line's end pulls the next line up.
  if (i < last_ && !boxes_.ReadOnly(i) && !boxes_.ReadOnly(i + 1)) {
    boxes_.Write([&] {
      boxes_.EditText(i, boxes_.BoxText(i) + boxes_.BoxText(i + 1));
      boxes_.EditText(i + 1, QString());
    });
  }
  boxes_.SetCaret(i, boxes_.BoxText(i).size());
  return true;
}

void TypingColumn::InsertHotKey(int i, const QString& text) {
  boxes_.Write([&] {
    const QString t = boxes_.BoxText(i);
    const int pos = boxes_.Caret(i);
    if (pos < t.size()) {
      boxes_.EditText(i, t.left(pos) + text + t.mid(pos));
      boxes_.SetCaret(i, pos + 1);
    } else {
      boxes_.EditText(i, t + text);
      boxes_.SetCaret(i, boxes_.BoxText(i).size());
    }
  });
}

TypingColumn::CharResult TypingColumn::Character(int i, QChar ch, int limit) {
  CharResult r;
  const int size = boxes_.BoxText(i).size();
  if (size < 2 && ch == u' ') {
    // The first two spaces of a line are the paragraph's full-width indent.
    if (!boxes_.ReadOnly(i)) {
      boxes_.Write([&] {
        boxes_.EditText(i, boxes_.BoxText(i) + QChar(0x3000));
        boxes_.SetCaret(i, boxes_.BoxText(i).size());
      });
    }
    r.drop = true;
  } else if (size > limit) {
    // The box is full: the caret (and the character) move on.
    if (i < last_) {
      r.moveTo = i + 1;
    } else {
      boxes_.Scroll(rec::kLineDown);
      r.moveTo = i;
    }
  }
  return r;
}

int TypingColumn::PlaceHeldCommit(int line, int caret, const QString& text, bool handedOver) {
  const int j = line - lines_.FirstVisibleLine;
  if (j >= 0 && j <= last_ && !boxes_.ReadOnly(j)) {
    // Where its box showed it; a full line carries it on as typing does.
    boxes_.SetCaret(j, std::min(caret, static_cast<int>(boxes_.BoxText(j).size())));
    return j;
  }
  if (!handedOver && line >= 0 && line <= rec::kLastLineIndex) {
    QString& l = lines_.AnswerLines[line];
    l.insert(std::min(caret, static_cast<int>(l.size())), text);
  }
  return -1;
}

}  // namespace run
