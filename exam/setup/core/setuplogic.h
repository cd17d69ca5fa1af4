#pragma once
// The set-up screen's rules that need no window: the command line's fields,
// the birthday and minutes boxes, the checks of the particulars, the midnight
// rule, the particulars layout string and the result file's base.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "common/commandline.h"
#include "common/filenames.h"

namespace setup {

inline constexpr int kMaxCommandFields = 7;

using common::CommandFields;

// The program's command-line text split at ",", seven fields at most (a
// field past the seventh is dropped).
inline CommandFields SplitCommandFields(const QString& text) {
  return common::SplitCommandFields(text, kMaxCommandFields);
}

// The scorer's "again, from test 1": record, score file, "123".
bool IsScorerRestart(const CommandFields& f);

struct BirthDate {
  QString year;   // four digits
  QString month;  // two digits
  QString day;    // two digits
};
// A date as year, month and day with "/", "-" or "." between them; empty
// when the text is not a valid date.
std::optional<BirthDate> ParseBirthDate(const QString& text);

// The number in a birthday or count box: its leading number, 0 for text
// that is not one.
double BoxNumber(const QString& text);

// The particulars, numbered as the layout string's rows.
enum class Particular { Name = 1, Birthday = 2, Identity = 3 };

// The start's checks of the particulars; the lock of what a launcher gave
// asks the same ones.
bool NameTooShort(const QString& name, int setting901);
// The identity number as the start checks it: upper case when 902 = 1 or
// 917 = 1.
QString IdentityAsChecked(const QString& identity, int setting902, int setting917);
bool IdentityTooShort(const QString& identity, int setting902);
// The text id of the first birthday box (year, month, day) that is filled
// but out of range; 0 when none is.
int BirthdayFault(const QString& year, const QString& month, const QString& day);
bool BirthdayIncomplete(const QString& year, const QString& month, const QString& day);

// A particular a launcher gave stays locked unless the start would refuse it
// for ever (missing, too short, incomplete): a locked box the candidate
// cannot mend would refuse every start. The identity number's check digit
// is only a question there, so it does not open the box.
bool NameGiven(const QString& name, int setting901);
bool IdentityGiven(const QString& identity, int setting902, int setting917);
bool BirthdayGiven(const QString& year, const QString& month, const QString& day);

// How a particular is named in messages and in the error report, and the
// line that leads a refusal about one the launcher did not give.
QString ParticularName(Particular p);
QString NotGivenLead(Particular p);

// A test of `minutes` started at `now` (seconds since midnight), with
// `extraSeconds` of waiting before it, would still run at midnight.
bool RunsPastMidnight(double now, double minutes, double extraSeconds = 0);

// Where the particulars rows go by the layout string (setting 915): four row
// numbers then four visibility digits.
struct RowSlot {
  int position = 0;  // 1..4
  int row = 0;       // 1 name, 2 birthday, 3 identity, 4 class and seat; other: none
  int top = 0;       // twips
  int visibility = 0;
};
struct ParticularsLayout {
  bool valid = false;  // exactly eight characters
  int step = 0;
  int firstTop = 0;
  QList<RowSlot> rows;
};
ParticularsLayout ComputeParticularsLayout(const QString& layout);

// The result file's base and how to number it: the name (905 = 1) or the
// identity number (905 = 2) when not empty, else the test file name. A
// candidate's entry that leaves nothing usable once made safe for a file
// name falls back to the test file name.
struct ResultBaseChoice {
  QString base;
  common::ResultBase kind = common::ResultBase::FileName;
};
ResultBaseChoice ChooseResultBase(int setting905, const QString& name, const QString& identity,
                                  const QString& label7);

// The file-name part of a path typed or chosen in the test box: after the
// last "\" or "/" (the whole text when there is none).
QString FileNameOf(const QString& path);

}  // namespace setup
