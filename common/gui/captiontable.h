#pragma once
// The caption table of the test program's fourteen forms: for each form
// number, the controls that get the locale font and the texts (number,
// control, property) read from the numbered store. Controls are named by
// objectName; an element of a control array as "Option1(2)".
#include <QList>
#include <QString>
#include <QStringList>

namespace common {

enum class TextProperty { Caption, ToolTip };

struct CaptionText {
  int number;
  QString control;  // empty: the form itself
  TextProperty property;
};

struct FormCaptions {
  int formNumber = 0;
  QString formName;         // the design's form name
  QStringList fonts;        // in order, the form itself ("") first
  QList<CaptionText> texts; // in the order they are applied
};

// Forms 1 to 14 of the test program.
const QList<FormCaptions>& TestProgramCaptionTable();
// nullptr for a number outside 1 to 14.
const FormCaptions* TestProgramCaptions(int formNumber);

// The form of a program's table by its number; nullptr when it has none.
const FormCaptions* FindFormCaptions(const QList<FormCaptions>& table, int formNumber);

// Builds a form's lists from the compact notation the table is written in:
//   fonts: "Label1..10 Command1 Option1(1..6) TB+TbX(0..15)"
//          (the form itself comes first without being named; "A+B(0..15)"
//          gives A(0) B(0) A(1) B(1) ...)
//   texts: "10101 Label1..10 Caption", "10183 Text1,Text2 ToolTip",
//          "10100 . Caption" (the form); numbers run on from the first.
// Texts keep the order given (the test program's table is in ascending
// text number; the scorers' tables have their own order).
FormCaptions ParseFormCaptions(int formNumber, const QString& formName, const QString& fonts,
                               const QStringList& texts);

}  // namespace common
