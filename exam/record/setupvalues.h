#pragma once
// The set-up screen's values that the test record module reads and writes,
// as plain data: the screen copies its controls in before a call and back
// out after one.
#include <QString>
#include <optional>

namespace rec {

// The longest test the minutes box takes: a day (the midnight rule refuses
// most of it anyway).
inline constexpr int kMaxTestMinutes = 24 * 60;

// The test length in the minutes box: a whole number of minutes from 1 to
// kMaxTestMinutes, blanks around it allowed; empty for anything else ("3x",
// "5分", "1.5"). The set-up's Start and the test screen both read the box
// through it, so the test runs the minutes that were checked.
std::optional<int> TestMinutes(const QString& text);

// Tick state of a check box.
enum CheckState : int { kUnchecked = 0, kChecked = 1, kGrayed = 2 };

struct SetupValues {
  QString name;        // Text1 candidate name
  QString identity;    // Text2 identity number
  QString testFile;    // Text3 test text file
  QString minutes;     // Text4 test length in minutes
  QString count;       // Text5 test count (above 1: a later test of a series)
  QString classSeat;   // Text6 class and seat
  QString birthYear;   // Text6A
  QString birthMonth;  // Text6B
  QString birthDay;    // Text6C
  QString label7;      // caption of Label7, the fallback base of the result name
  QString imeName;     // text of the input-method form's list

  // Option1/Option2: setting 305 is 1/2. Option3/Option4: setting 904 is
  // 2/1. Option5/6/7: part A, part B, no part letter.
  bool option1 = false, option2 = false, option3 = false, option4 = false;
  bool option5 = false, option6 = false, option7 = false;
  // Check1 assigned path, Check2 assigned host.
  int check1 = kUnchecked, check2 = kUnchecked;
};

// The processing screen's two boxes: the test record's path (Text1) and the
// result file name (Text2).
struct ProcessingNames {
  QString recordPath;
  QString resultName;
};

}  // namespace rec
