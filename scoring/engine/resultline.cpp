#include "scoring/engine/resultline.h"

#include <QFileInfo>

#include "platform/core/compat.h"
#include "platform/core/textfile.h"

namespace scoring {

QString ResultTag(int setting701) { return setting701 > 0 ? QStringLiteral("DovoRO__") : QStringLiteral("RudaZO__"); }

QString CleanResultField(QStringView value, bool* changed) {
  QString out = value.toString();
  bool any = false;
  for (QChar& c : out) {
    if (c == u'|') {
      c = QChar(u'\uFF5C');
      any = true;
    } else if (c == u'\r' || c == u'\n') {
      c = QChar(u' ');
      any = true;
    }
  }
  if (changed) *changed = any;
  return out;
}

QString JoinResultFields(const QStringList& fields, int* cleaned) {
  QString line;
  int count = 0;
  for (const QString& f : fields) {
    bool changed = false;
    line += CleanResultField(f, &changed);
    line += u'|';
    if (changed) ++count;
  }
  if (cleaned) *cleaned = count;
  return line;
}

QStringList ScorerResultFields(const ScorerResultValues& v) {
  QStringList f;
  f << ResultTag(v.setting701) << v.productName << v.testFile << v.name << v.identity + v.classSeat << v.birthday
    << QString() << v.speed << v.minutes + u':' + v.seconds;
  for (int k = 0; k < 6; ++k) f << QString();
  f << v.accuracy << v.errorRate << v.net << v.errors << v.correct << v.localAddress << v.hostName << v.scoredAt
    << v.inputMethod;
  return f;
}

QString ResultFileNameFor(const QString& scoreFile, const QDate& today, int testNumber, const QString& answerFile) {
  QString base = scoreFile.left(qMax<qsizetype>(0, scoreFile.size() - 4));
  // The answer file's number: two digits read as a number; other characters
  // stand as they are.
  const QString tail = answerFile.right(2);
  bool digits = !tail.isEmpty();
  for (QChar c : tail)
    if (!c.isDigit()) digits = false;
  const QString number = digits ? plat::FormatNumber(plat::ValNumber(tail), u"00") : tail;
  return base + u'_' + plat::FormatNumber(today.month(), u"00") + plat::FormatNumber(today.day(), u"00") +
         plat::FormatNumber(testNumber, u"00") + number + QStringLiteral(".Sco");
}

bool WriteResultLineFile(const QString& path, const QString& line, QString* error) {
  QString why;
  if (!plat::writeTextLines(path, {line}, &why)) {
    if (error) *error = QStringLiteral("無法寫入:") + path + QStringLiteral(" ") + why;
    return false;
  }
  return true;
}

}  // namespace scoring
