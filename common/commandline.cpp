#include "common/commandline.h"

namespace common {

CommandFields SplitCommandFields(const QString& text, int limit) {
  CommandFields out;
  if (text.isEmpty()) return out;
  out.fields << QString();
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c != u',') {
      out.fields.last() += c;
      continue;
    }
    if (limit > 0 && out.fields.size() == limit) {
      out.truncated = true;
      out.rest = text.mid(i + 1);
      break;
    }
    ++out.separators;
    out.fields << QString();
  }
  return out;
}

CommandFields CommandFieldsFromArguments(const QStringList& arguments, int limit) {
  return SplitCommandFields(arguments.join(u' '), limit);
}

}  // namespace common
