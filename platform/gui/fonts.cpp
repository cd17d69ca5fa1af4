#include "platform/gui/fonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace plat {

QStringList TraditionalChineseFamilies() {
  static const QStringList preferred = {
      QStringLiteral("Noto Sans CJK TC"), QStringLiteral("Noto Serif CJK TC"),
      QStringLiteral("Noto Sans Mono CJK TC"), QStringLiteral("AR PL UMing TW"),
      QStringLiteral("AR PL UKai TW"), QStringLiteral("AR PL New Sung")};
  const QStringList installed = QFontDatabase::families();
  QStringList out;
  for (const QString& f : preferred)
    if (installed.contains(f, Qt::CaseInsensitive)) out << f;
  return out;
}

QFont WithTraditionalChineseFaces(const QFont& font) {
  QStringList families = font.families();
  if (families.isEmpty()) families << font.family();
  // A family in the list comes before the system's fallbacks, which follow
  // the locale's language.
  for (const QString& f : TraditionalChineseFamilies())
    if (!families.contains(f, Qt::CaseInsensitive)) families << f;
  QFont out = font;
  out.setFamilies(families);
  return out;
}

void UseTraditionalChineseFaces() { QApplication::setFont(WithTraditionalChineseFaces(QApplication::font())); }

}  // namespace plat
