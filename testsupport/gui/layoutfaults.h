#pragma once
// Tests' check that every text of a form reads whole. The designs place in
// twips for one font; the desktop's font decides how wide a text really is.
#include <QStringList>

class QWidget;

namespace testkit {

// What would cut a text on this form (empty when nothing does), among the
// shown children of `form`: a label whose text is wider (or, wrapped,
// taller) than the label; a control lying over the written part of a
// label's text (standing in its blanks is how a box joins its caption); two
// controls other than labels lying over each other; a control reaching past
// the form's edge.
QStringList LayoutFaults(const QWidget* form);

}  // namespace testkit
