#include "exam/run/core/unheard_parts.h"

#include <QStringList>

namespace run {

namespace {
QString PartName(int part) { return QStringLiteral("第%1段").arg(part); }
}  // namespace

QString UnheardParts::Note(int part, const QString& file, const QString& why) {
  if (parts_.contains(part)) return QString();
  parts_.insert(part, why);
  return QStringLiteral("音效>") + PartName(part) + u' ' + file + QStringLiteral(">無法播放>") + why;
}

QString UnheardParts::Summary() const {
  if (parts_.isEmpty()) return QString();
  QStringList items;
  for (auto it = parts_.cbegin(); it != parts_.cend(); ++it) items << PartName(it.key()) + u'(' + it.value() + u')';
  return QStringLiteral("音效>本次測驗未聽到的段落>") + items.join(u' ');
}

}  // namespace run
