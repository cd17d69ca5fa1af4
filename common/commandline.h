#pragma once
// The programs' command-line fields. A sender joins its fields with "," into
// one argument; a receiver joins its arguments with single blanks (an older
// starter may have split the text at blanks) and splits that at ",". No
// quoting exists, so a field cannot hold a ",".
#include <QString>
#include <QStringList>

namespace common {

struct CommandFields {
  QStringList fields;      // two "," in a row give an empty field
  int separators = 0;      // "," between the kept fields
  bool truncated = false;  // a "," followed the last field the limit keeps
  QString rest;            // the text after that ",", as it stands
  bool Empty() const { return fields.isEmpty(); }
  QString Field(int i) const { return fields.value(i); }
};

// Splits at every ",", keeping at most `limit` fields (0: every field).
// Characters stay as they are; an empty text gives no fields.
CommandFields SplitCommandFields(const QString& text, int limit = 0);

// The receiver's side: the arguments (argv without the program) joined with
// single blanks, then split.
CommandFields CommandFieldsFromArguments(const QStringList& arguments, int limit = 0);

}  // namespace common
