#pragma once
// The test record file: the one file that carries a finished test run from
// the test program to the scorer and the batch scorer.
//
// CP950 text, CRLF, one entry a line. First the key lines, each "[", a key of
// exactly four characters, "]=" and the value (to the end of the line, maybe
// empty); then the typed lines. The header ends at the first line that is
// not key-shaped (an empty line too); every later line is typed text, even a
// key-shaped one. A record whose file name has "T" or "t" as its next-to-last
// character holds every line scrambled; empty lines stay empty.
//
// Readers: the test program (set-up screen), the scorer and the batch scorer
// all read through ReadTestRecordFile and take the keys they know.
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace rec {

// The keys, named in code by their eight-letter twins; the file carries only
// the four Chinese characters.
enum class RecordKey {
  TESTNAME,  // 測驗檔名 test text file
  USERFILE,  // 使用檔名 the record's own path
  DTATNAME,  // 答案檔案 typed-text / report file
  SCORNAME,  // 成績檔案 score file
  USERNAME,  // 檢定姓名 name
  BIRTHDAY,  // 檢定生日 year/month/day
  IDENTITY,  // 身分證號 identity number
  CLASSDAT,  // 班級座號 class and seat
  STARTIME,  // 開始時間 seconds since midnight, six digits
  END_TIME,  // 終止時間
  TESTNUMB,  // 測驗次數 test count
  TESTTIME,  // 測驗時間 minutes
  IME_MODE,  // 指輸入法 input method
  PATHFILE,  // 指定路徑 assigned folder
  NET_WORK,  // 指定主機 assigned host
  SYST_ATT,  // 系統屬性 nine numbers joined by ","
  SYST_VER,  // 軟體版本 product title and version
  ERR_DATA,  // 錯誤經驗 expected results (check records, read by the scorer)
  USER_NUM,  // 檢定編號 the scorer's other spelling of the identity number
};

QString KeyLabel(RecordKey key);
std::optional<RecordKey> KeyFromLabel(QStringView label);

// "[" + four characters + "]=": the shape of a key line, whatever the key.
bool IsKeyShaped(QStringView line);
// Scrambled when the next-to-last character of the name is "T" or "t".
bool IsScrambledName(QStringView path);
// The key line as written.
QString KeyLine(RecordKey key, const QString& value);

struct RecordEntry {
  QString key;  // the four characters between the brackets
  QString value;
};

struct TestRecordContent {
  QList<RecordEntry> keys;  // every key line of the header, in file order
  QStringList typedLines;   // every later line, empty ones included

  // The value of the last key line with that key.
  std::optional<QString> Value(RecordKey key) const;
  std::optional<QString> Value(QStringView label) const;
  bool Has(RecordKey key) const { return Value(key).has_value(); }
};

// Splits decoded, unscrambled lines into header and typed lines. Each line
// is first cut of trailing blanks.
TestRecordContent ParseRecordLines(const QStringList& lines);

// Reads a record (either separator, file name in any letter case),
// unscrambling by the name rule. False with a reason when it cannot be read;
// bytes CP950 cannot decode are kept as replacement characters and counted
// in *badBytes.
bool ReadTestRecordFile(const QString& path, TestRecordContent& out, QString* error = nullptr,
                        int* badBytes = nullptr);

// Everything the writer puts into a record, already as text where the file
// holds text.
struct TestRecordFields {
  QString testFile;    // 測驗檔名
  QString recordPath;  // 使用檔名
  QString answerFile;  // 答案檔案
  QString scoreFile;   // 成績檔案
  QString name;        // 檢定姓名
  QString birthday;    // 檢定生日 "1990/5/3"
  QString identity;    // 身分證號
  QString classSeat;   // 班級座號, left out when empty
  double startTime = 0;  // seconds since midnight (single precision)
  double endTime = 0;
  QString testCount;    // 測驗次數
  QString testMinutes;  // 測驗時間
  QString imeName;      // 指輸入法
  bool withAssigned = false;  // setting 908 above 0
  QString assignedPath;       // 指定路徑
  QString assignedHost;       // 指定主機
  QString systemAttributes;   // 系統屬性
  QString version;            // 軟體版本
  QStringList typedLines;     // non-empty typed lines in order
};

struct BuiltRecord {
  QStringList lines;
  // Typed lines whose leading "[" was changed so they could not pass for a
  // key line (a candidate typing "[成績檔案]=/some/path" on the first line).
  int guardedLines = 0;
  // Lines that held a character CP950 cannot hold (written as "?").
  int replacedLines = 0;
};

// The lines of a record, in the order every reader expects.
BuiltRecord BuildRecordLines(const TestRecordFields& fields);

// Writes lines to path through a temporary file in the same folder and a
// rename, scrambling each non-empty line when `scrambled`. Characters CP950
// cannot hold are written as "?" and counted in *replaced. False with a
// reason when the file cannot be written; an older file at path then stays
// as it was.
// `why` gets the system's reason alone.
bool WriteRecordLines(const QString& path, const QStringList& lines, bool scrambled,
                      QString* error = nullptr, int* replaced = nullptr, QString* why = nullptr);

// Seconds since midnight as the record writes them ("000000", single).
QString RecordTimeText(double seconds);

}  // namespace rec
