#pragma once
// The one-line result file (".Sco"): fields each followed by "|", first the
// tag. The scorer writes 24 fields; the batch scorer writes its own variant
// with the same joining rules.
//
// No field is quoted, so a "|" or a line break inside a value would shift
// every later field for the server that reads the line: such characters are
// replaced ("|" by the full-width "｜", CR and LF by a blank).
#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace scoring {

inline constexpr int kResultFieldCount = 24;

// "DovoRO__" when audio plays per part (setting 701 above 0), else "RudaZO__".
QString ResultTag(int setting701);

// A value made safe for the line; *changed tells whether anything was
// replaced.
QString CleanResultField(QStringView value, bool* changed = nullptr);

// Every field cleaned and followed by "|". *cleaned counts the fields that
// had to be changed.
QString JoinResultFields(const QStringList& fields, int* cleaned = nullptr);

// What the scorer's line carries, as the score sheet shows it.
struct ScorerResultValues {
  int setting701 = 0;
  QString productName;  // setting 294
  QString testFile;     // TEXT4
  QString name;         // Text1
  QString identity;     // Text2
  QString classSeat;    // Text15
  QString birthday;     // Text12
  QString speed;        // Text11
  QString minutes;      // Text5A
  QString seconds;      // Text5B
  QString accuracy;     // Text9
  QString errorRate;    // Text10
  QString net;          // Text8
  QString errors;       // Text7
  QString correct;      // Text6
  QString localAddress;
  QString hostName;
  QString scoredAt;     // TEXT3
  QString inputMethod;  // Text13
};

// The 24 fields in order (not yet cleaned or joined).
QStringList ScorerResultFields(const ScorerResultValues& v);

// The score file less its last four characters, "_", month and day, the test
// number and the answer file's last two characters (both "00"), ".Sco":
// C:\R\A123.R01, test 1, answer ...T01, 5 March -> C:\R\A123_03050101.Sco.
QString ResultFileNameFor(const QString& scoreFile, const QDate& today, int testNumber, const QString& answerFile);

// Writes the line and a line end as the whole file (replacing it), through a
// temporary file and a rename. False with a reason on failure.
bool WriteResultLineFile(const QString& path, const QString& line, QString* error = nullptr);

}  // namespace scoring
