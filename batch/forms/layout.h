#pragma once
// The main window's pure rules: the speed grade and the identity-field
// layout of setting 915.
#include <QList>
#include <QString>
#include <functional>

namespace batchui {

// The grade text's number (12404 best to 12410 low) of a speed; the lower
// scale when setting 701 is above 0.
int GradeText(double speed, int setting701);

// One position of the identity block: the field its code names (1 name,
// 2 birthday, 3 identity number, 4 seat or class, else none), its top in
// twips and whether its flag hides it.
struct FieldPlace {
  int code = 0;
  int top = 0;
  bool hide = false;
};
// The four positions of setting 915 (four codes, four flags); empty when the
// text is not eight characters long (the designed layout stays).
QList<FieldPlace> IdentityLayout(const QString& setting915);

// The captions of the rows that show a candidate's identity number and
// birthday, as the main window labels them: the store's texts 13936 and
// 13935, the identity row's replaced by setting 918 (its part after the
// last "|") when that is set. The score sheet labels the same values so.
struct IdentityCaptions {
  QString identity;
  QString birthday;
};
IdentityCaptions IdentityRowCaptions(const std::function<QString(int)>& storeText, const QString& setting918);

// The part of a "key|label" setting after (part 1) or before its last "|";
// empty when there is none.
QString FrmShowCol(const QString& text, int part);

}  // namespace batchui
