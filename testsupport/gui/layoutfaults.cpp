#include "testsupport/gui/layoutfaults.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QWidget>

namespace testkit {

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\x3000'; }

// Where a label's one-line text starts, by its alignment.
int TextLeft(const QLabel* label) {
  const QFontMetrics fm(label->font());
  const QRect r = label->contentsRect();
  const int width = fm.horizontalAdvance(label->text());
  const Qt::Alignment a = QStyle::visualAlignment(label->layoutDirection(), label->alignment());
  if (a & Qt::AlignHCenter) return r.left() + (r.width() - width) / 2;
  if (a & Qt::AlignRight) return r.right() + 1 - width;
  return r.left();
}

// A widget a person sees on the form: shown, with a size.
bool Shown(const QWidget* w) { return w->isVisibleTo(w->window()) && !w->isHidden() && w->width() > 0; }

bool IsText(const QWidget* w) { return qobject_cast<const QLabel*>(w) != nullptr; }

QString Name(const QWidget* w) { return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName(); }

}  // namespace

QStringList LayoutFaults(const QWidget* form) {
  QStringList faults;
  const QList<QWidget*> all = form->findChildren<QWidget*>();
  QList<const QWidget*> shown;
  for (const QWidget* w : all) {
    // Parts of a compound control (a spin box's edit, a group's own) are its own business.
    const QWidget* p = w->parentWidget();
    if (p != form && !qobject_cast<const QGroupBox*>(p)) continue;
    if (Shown(w)) shown << w;
  }
  auto inForm = [form](const QWidget* w) { return QRect(w->mapTo(form, QPoint(0, 0)), w->size()); };

  for (const QWidget* w : shown) {
    const QRect r = inForm(w);
    if (!form->rect().contains(r)) faults << Name(w) + QStringLiteral(" reaches past the window");
    const auto* label = qobject_cast<const QLabel*>(w);
    if (!label || label->text().isEmpty() || label->textFormat() == Qt::RichText) continue;
    const QFontMetrics fm(label->font());
    if (label->wordWrap()) {
      if (label->heightForWidth(label->width()) > label->height())
        faults << Name(w) + QStringLiteral(" text is taller than its label");
      continue;
    }
    if (fm.horizontalAdvance(label->text()) > label->contentsRect().width())
      faults << Name(w) + QStringLiteral(" text is wider than its label");
    // The written characters of the text, in form pixels, and what covers them.
    const QString text = label->text();
    const int left = r.left() + TextLeft(label);
    for (const QWidget* o : shown) {
      if (o == w || IsText(o) || o->parentWidget() != w->parentWidget()) continue;
      const QRect c = inForm(o);
      if (c.bottom() < r.top() + (r.height() - fm.height()) / 2 || c.top() > r.bottom()) continue;
      for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsBlank(text[i])) continue;
        const int x0 = left + fm.horizontalAdvance(text.left(i));
        const int x1 = left + fm.horizontalAdvance(text.left(i + 1));
        if (x1 > c.left() && x0 <= c.right()) {
          faults << Name(o) + QStringLiteral(" covers \"") + text[i] + QStringLiteral("\" of ") + Name(w);
          break;
        }
      }
    }
  }
  for (int i = 0; i < shown.size(); ++i)
    for (int j = i + 1; j < shown.size(); ++j) {
      const QWidget* a = shown[i];
      const QWidget* b = shown[j];
      if (IsText(a) || IsText(b) || a->parentWidget() != b->parentWidget()) continue;
      // A pixel shared by two boxes that touch in twips is rounding, not overlap.
      const QRect both = inForm(a).intersected(inForm(b));
      if (both.width() > 1 && both.height() > 1)
        faults << Name(a) + QStringLiteral(" and ") + Name(b) + QStringLiteral(" overlap");
    }
  return faults;
}

}  // namespace testkit
