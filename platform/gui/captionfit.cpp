#include "platform/gui/captionfit.h"

#include <QAbstractSpinBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>

namespace plat {

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\x3000'; }

// Index span [i, j) of the k-th run of blanks of a text.
std::optional<std::pair<qsizetype, qsizetype>> RunAt(const QString& text, int k) {
  int run = -1;
  for (qsizetype i = 0; i < text.size();) {
    if (!IsBlank(text[i])) {
      ++i;
      continue;
    }
    qsizetype j = i;
    while (j < text.size() && IsBlank(text[j])) ++j;
    if (++run == k) return std::make_pair(i, j);
    i = j;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::pair<int, int>> BlankRunPixels(const QLabel* label, int k) {
  const QString text = label->text();
  const auto run = RunAt(text, k);
  if (!run) return std::nullopt;
  const QFontMetrics fm(label->font());
  return std::make_pair(fm.horizontalAdvance(text.left(run->first)), fm.horizontalAdvance(text.left(run->second)));
}

std::optional<std::pair<int, int>> WidenBlankRun(QLabel* label, int k, int pixels) {
  auto span = BlankRunPixels(label, k);
  for (int guard = 0; span && span->second - span->first < pixels && guard < 40; ++guard) {
    QString text = label->text();
    text.insert(RunAt(text, k)->second, u'\x3000');
    label->setText(text);
    span = BlankRunPixels(label, k);
  }
  return span;
}

int LineEditTextRoom(const QLineEdit* edit) {
  QStyleOptionFrame opt;
  opt.initFrom(edit);
  opt.rect = edit->contentsRect();
  opt.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
  opt.midLineWidth = 0;
  opt.state |= QStyle::State_Sunken;
  const QRect r = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
  const QMargins m = edit->textMargins();
  // QLineEdit keeps a further two pixels on each side of the text.
  return r.width() - m.left() - m.right() - 4;
}

int LineEditWidthFor(const QLineEdit* edit, const QString& sample) {
  const int overhead = edit->width() - LineEditTextRoom(edit);
  // One pixel more for the caret after the last character.
  return QFontMetrics(edit->font()).horizontalAdvance(sample) + overhead + 1;
}

}  // namespace plat
