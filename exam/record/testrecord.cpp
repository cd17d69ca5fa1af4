#include "exam/record/testrecord.h"

#include <QFileInfo>

#include "common/scramble.h"
#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/textfile.h"

namespace rec {

namespace {

struct KeyName {
  RecordKey key;
  const char16_t* label;
};

constexpr KeyName kKeys[] = {
    {RecordKey::TESTNAME, u"測驗檔名"}, {RecordKey::USERFILE, u"使用檔名"},
    {RecordKey::DTATNAME, u"答案檔案"}, {RecordKey::SCORNAME, u"成績檔案"},
    {RecordKey::USERNAME, u"檢定姓名"}, {RecordKey::BIRTHDAY, u"檢定生日"},
    {RecordKey::IDENTITY, u"身分證號"}, {RecordKey::CLASSDAT, u"班級座號"},
    {RecordKey::STARTIME, u"開始時間"}, {RecordKey::END_TIME, u"終止時間"},
    {RecordKey::TESTNUMB, u"測驗次數"}, {RecordKey::TESTTIME, u"測驗時間"},
    {RecordKey::IME_MODE, u"指輸入法"}, {RecordKey::PATHFILE, u"指定路徑"},
    {RecordKey::NET_WORK, u"指定主機"}, {RecordKey::SYST_ATT, u"系統屬性"},
    {RecordKey::SYST_VER, u"軟體版本"}, {RecordKey::ERR_DATA, u"錯誤經驗"},
    {RecordKey::USER_NUM, u"檢定編號"},
};

// "〔" (CP950 A1 65): looks like the bracket to a reader of the file, never
// passes for one to a program.
constexpr char16_t kGuardBracket = u'\u3014';

// The line as a reader will see it: a line break inside a value would start
// a line of its own, and a character CP950 cannot hold becomes "?" (which
// may change the line's shape, so this comes before the key-line guard).
QString AsWritten(QString line, int& replacedLines) {
  line.replace(u'\r', u' ');
  line.replace(u'\n', u' ');
  bool lossless = true;
  const QByteArray bytes = plat::toCp950(line, &lossless);
  if (!lossless) {
    ++replacedLines;
    line = plat::fromCp950(bytes);
  }
  return line;
}

}  // namespace

QString KeyLabel(RecordKey key) {
  for (const KeyName& k : kKeys)
    if (k.key == key) return QString::fromUtf16(k.label);
  return QString();
}

std::optional<RecordKey> KeyFromLabel(QStringView label) {
  for (const KeyName& k : kKeys)
    if (label == QStringView(k.label)) return k.key;
  return std::nullopt;
}

bool IsKeyShaped(QStringView line) {
  return line.size() >= 7 && line[0] == u'[' && line[5] == u']' && line[6] == u'=';
}

bool IsScrambledName(QStringView path) {
  if (path.size() < 2) return false;
  const QChar c = path[path.size() - 2];
  return c == u'T' || c == u't';
}

QString KeyLine(RecordKey key, const QString& value) {
  return u'[' + KeyLabel(key) + QStringLiteral("]=") + value;
}

std::optional<QString> TestRecordContent::Value(QStringView label) const {
  for (qsizetype i = keys.size() - 1; i >= 0; --i)
    if (keys[i].key == label) return keys[i].value;
  return std::nullopt;
}

std::optional<QString> TestRecordContent::Value(RecordKey key) const {
  return Value(KeyLabel(key));
}

TestRecordContent ParseRecordLines(const QStringList& lines) {
  TestRecordContent out;
  bool inHeader = true;
  for (const QString& raw : lines) {
    const QString line = plat::trimTrailingBlanks(raw);
    if (inHeader && IsKeyShaped(line)) {
      out.keys.append({line.mid(1, 4), line.mid(7)});
      continue;
    }
    inHeader = false;
    out.typedLines.append(line);
  }
  return out;
}

bool ReadTestRecordFile(const QString& path, TestRecordContent& out, QString* error,
                        int* badBytes) {
  out = TestRecordContent();
  const QString file = plat::ResolvePath(path);
  if (!QFileInfo(file).isFile()) {
    if (error) *error = QStringLiteral("沒有這個測驗記錄:") + path;
    return false;
  }
  QByteArray bytes;
  if (!plat::readAllBytes(file, bytes)) {
    if (error) *error = QStringLiteral("無法讀取測驗記錄:") + path;
    return false;
  }
  const bool scrambled = IsScrambledName(path);
  int bad = 0;
  QStringList lines;
  for (const QByteArray& raw : plat::splitRawLines(bytes)) {
    QByteArray lineBytes = raw;
    while (!lineBytes.isEmpty() && lineBytes.back() == ' ') lineBytes.chop(1);
    if (scrambled) lineBytes = common::UnscrambleToBytes(lineBytes);
    int b = 0;
    lines.append(plat::fromCp950(lineBytes, &b));
    bad += b;
  }
  if (badBytes) *badBytes = bad;
  out = ParseRecordLines(lines);
  return true;
}

QString RecordTimeText(double seconds) {
  return plat::FormatSingle(plat::ToSingle(seconds), u"000000");
}

BuiltRecord BuildRecordLines(const TestRecordFields& f) {
  BuiltRecord r;
  QStringList& l = r.lines;
  l << KeyLine(RecordKey::TESTNAME, f.testFile) << KeyLine(RecordKey::USERFILE, f.recordPath)
    << KeyLine(RecordKey::DTATNAME, f.answerFile) << KeyLine(RecordKey::SCORNAME, f.scoreFile)
    << KeyLine(RecordKey::USERNAME, f.name) << KeyLine(RecordKey::BIRTHDAY, f.birthday)
    << KeyLine(RecordKey::IDENTITY, f.identity);
  if (!f.classSeat.isEmpty()) l << KeyLine(RecordKey::CLASSDAT, f.classSeat);
  l << KeyLine(RecordKey::STARTIME, RecordTimeText(f.startTime))
    << KeyLine(RecordKey::END_TIME, RecordTimeText(f.endTime))
    << KeyLine(RecordKey::TESTNUMB, f.testCount) << KeyLine(RecordKey::TESTTIME, f.testMinutes)
    << KeyLine(RecordKey::IME_MODE, f.imeName);
  if (f.withAssigned)
    l << KeyLine(RecordKey::PATHFILE, f.assignedPath) << KeyLine(RecordKey::NET_WORK, f.assignedHost);
  l << KeyLine(RecordKey::SYST_ATT, f.systemAttributes) << KeyLine(RecordKey::SYST_VER, f.version);

  for (QString& line : l) line = AsWritten(line, r.replacedLines);

  // Every line so far is key-shaped, so a typed line that is too would be
  // taken as a key by every reader.
  bool allKeyShaped = true;
  for (const QString& typed : f.typedLines) {
    if (typed.isEmpty()) continue;
    QString line = AsWritten(typed, r.replacedLines);
    if (allKeyShaped && IsKeyShaped(line)) {
      line[0] = QChar(kGuardBracket);
      ++r.guardedLines;
    }
    allKeyShaped = allKeyShaped && IsKeyShaped(line);
    l << line;
  }
  return r;
}

bool WriteRecordLines(const QString& path, const QStringList& lines, bool scrambled,
                      QString* error, int* replaced, QString* reason) {
  int lossy = 0;
  QByteArray out;
  for (const QString& line : lines) {
    bool ok = true;
    QByteArray bytes = plat::toCp950(line, &ok);
    if (!ok) ++lossy;
    if (scrambled && !bytes.isEmpty()) bytes = common::ScrambleBytes(bytes);
    out += bytes;
    out += "\r\n";
  }
  if (replaced) *replaced = lossy;
  QString why;
  if (!plat::writeBytesAtomic(plat::ToSlashes(path), out, &why)) {
    if (error) *error = QStringLiteral("無法寫入測驗記錄 ") + path + QStringLiteral(":") + why;
    if (reason) *reason = why;
    return false;
  }
  return true;
}

}  // namespace rec
