#pragma once
// Captions that hold their box: a label whose text leaves a run of blanks for
// a box ("請輸入測驗時間：　　　分鐘"). The designs place in twips for one font; the desktop's font
// decides how wide the text really is, so these measure it.
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QWidget;

namespace plat {

// The pixel span [from, to) of the k-th run of blanks (U+0020 or U+3000) of a
// label's text, in the label's font, from the label's left edge; empty when
// the text has no such run.
std::optional<std::pair<int, int>> BlankRunPixels(const QLabel* label, int k);

// Adds full-width blanks to the k-th run of a label's text until the run is
// at least `pixels` wide. The span afterwards (empty when there is no run).
std::optional<std::pair<int, int>> WidenBlankRun(QLabel* label, int k, int pixels);

// The width a line edit needs to show `sample` whole: the text, its margins
// and the frame.
int LineEditWidthFor(const QLineEdit* edit, const QString& sample);
// The pixels a line edit has for its text now.
int LineEditTextRoom(const QLineEdit* edit);

}  // namespace plat
