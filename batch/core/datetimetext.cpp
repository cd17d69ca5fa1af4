#include "batch/core/datetimetext.h"

namespace batch {

QString DateTimeText(const QDateTime& t) {
  const QDate d = t.date();
  const QTime tm = t.time();
  const int h12 = tm.hour() % 12 == 0 ? 12 : tm.hour() % 12;
  return QStringLiteral("%1/%2/%3 %4 %5:%6:%7")
      .arg(d.year())
      .arg(d.month())
      .arg(d.day())
      .arg(tm.hour() < 12 ? QStringLiteral("上午") : QStringLiteral("下午"))
      .arg(h12, 2, 10, QChar(u'0'))
      .arg(tm.minute(), 2, 10, QChar(u'0'))
      .arg(tm.second(), 2, 10, QChar(u'0'));
}

}  // namespace batch
