#include "batch/forms/layout.h"

#include "common/utilities.h"
#include "platform/core/compat.h"

namespace batchui {

int GradeText(double speed, int setting701) {
  static const double low[6] = {90, 75, 60, 45, 30, 10};
  static const double high[6] = {150, 120, 90, 60, 30, 12};
  const double* t = setting701 > 0 ? low : high;
  for (int i = 0; i < 6; ++i)
    if (speed >= t[i]) return 12404 + i;
  return 12410;
}

QList<FieldPlace> IdentityLayout(const QString& s) {
  if (s.size() != 8) return {};
  int shown = 0;
  for (int i = 4; i < 8; ++i)
    if (s[i] == u'1') ++shown;
  int start = 250, step = 100;
  switch (shown) {
    case 4: start = 50, step = 250; break;
    case 3: start = 150, step = 300; break;
    case 2: start = 200, step = 300; break;
    default: break;
  }
  QList<FieldPlace> out;
  for (int p = 0; p < 4; ++p) {
    FieldPlace f;
    f.code = int(plat::ValNumber(QStringView(s).mid(p, 1)));
    f.top = start + p * step;
    f.hide = s[4 + p] == u'0';
    out << f;
  }
  return out;
}

QString FrmShowCol(const QString& text, int part) { return common::SplitAtBar(text, part); }

IdentityCaptions IdentityRowCaptions(const std::function<QString(int)>& storeText, const QString& setting918) {
  IdentityCaptions c;
  c.identity = setting918.isEmpty() ? storeText(13936) : FrmShowCol(setting918, 1);
  c.birthday = storeText(13935);
  return c;
}

}  // namespace batchui
