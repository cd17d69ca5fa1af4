#pragma once
// The date and time text of a summary: the zh-TW short date and long time
// ("2024/12/31 下午 12:59:59"), at most 24 bytes in CP950, so it fits the
// score record's date field whole.
#include <QDateTime>
#include <QString>

namespace batch {

QString DateTimeText(const QDateTime& t);

}  // namespace batch
