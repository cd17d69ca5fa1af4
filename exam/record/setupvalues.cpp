#include "exam/record/setupvalues.h"

namespace rec {

std::optional<int> TestMinutes(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty() || t.size() > 6) return std::nullopt;
  for (QChar c : t)
    if (c < u'0' || c > u'9') return std::nullopt;
  const int minutes = t.toInt();
  if (minutes < 1 || minutes > kMaxTestMinutes) return std::nullopt;
  return minutes;
}

}  // namespace rec
