#pragma once
// The test program's test record module: it loads the test text into the
// line buffers, names the audio parts, keeps the run's file names and times,
// writes the test record at the end of the run, hands the run to the scorer,
// and reads a record back when the program is started again in a series.
//
// Operations that the design lets fail towards their caller throw
// common::AppError (the caller's trap logs it and tells the user); nothing
// here shows a window.
#include <QString>
#include <QStringList>

#include <functional>

#include "common/errorlog.h"
#include "exam/record/commandline.h"
#include "exam/record/linebuffers.h"
#include "exam/record/setupvalues.h"
#include "exam/record/testrecord.h"

namespace rec {

class TestRecordModule {
 public:
  TestRecordModule();

  // ---- state, alive for the process ----
  TestLines lines;
  QString TestFilePath;    // test text of the run
  QString RecordFilePath;  // the record last read back
  QString ScoreFilePath;   // 成績檔案
  QString AudioBase;       // e.g. ".../T0001A-.wma"
  float TestStartTime = 0;
  float TestEndTime = 0;
  // The file handed to the scorer by the last FinishAndHandOff: the record,
  // or its plain temporary copy when scrambling failed.
  QString HandOffRecordPath;
  // The running program's name without folder and extension (the scorer
  // starts it again); defaults to the executable's.
  QString OwnProgramName;
  // Major.minor.revision of the program, for 軟體版本.
  QString VersionNumbers;
  // The system's reason when the last record write failed.
  QString RecordWriteReason;

  // Back to the state of a fresh process.
  void Reset();

  // ---- test text and audio parts ----
  // Loads the test text (scrambled by the name rule) into the buffers: at
  // most 241 lines, right-trimmed; a line starting with a blank starts a
  // paragraph. With setting 701 above 0 it works out AudioBase from the
  // stem, the part letter of Option5/Option6 and setting 707, a file
  // stem-01.* found beside the test, or store entry 4447. Throws when the
  // file cannot be read.
  void LoadTestText(const QString& path, const SetupValues& setup);
  // The audio file of paragraph 1..ParagraphCount; "ZZZZZZZZ.ZZZ" for any
  // other number; "" when setting 701 is 0.
  QString ParagraphAudioFile(int paragraph) const;
  // A test file picked at random from the CD, the test folder (setting 210)
  // or the program folder, by TestFilePattern; empty when none matches.
  QString ResolveTestDataPath() const;
  // The name (no folder) of one file matching pattern ("folder/T*.txt",
  // letter case ignored), drawn by plat::random() among the first 201 in
  // name order; "" when none matches.
  static QString PickRandomTestFile(const QString& pattern);

  // ---- the typing boxes (layout from the settings) ----
  void ClearTestLines(TypingBoxes& boxes) const { TestLines::ClearTestLines(boxes); }
  void ScrollTestLines(int direction, TypingBoxes& boxes);
  int VisibleLineIndex(int row) const { return lines.VisibleLineIndex(row); }
  int ParagraphOfLine(int row) const { return lines.ParagraphOfLine(row); }

  // ---- the record ----
  // The fields of a record of this run (fills the empty boxes of a birthday
  // partly given with today's date parts, leaves one not given at all
  // empty, and applies the score file rule first).
  TestRecordFields SessionFields(SetupValues& setup, const ProcessingNames& names);
  // Writes a plain record to path (atomically) and logs it. Throws when the
  // file cannot be written; an earlier file at path is then left as it was.
  void WriteSessionFile(const QString& path, SetupValues& setup, const ProcessingNames& names);
  // Reads a record back into the set-up values and the module (particulars,
  // times, score file, assigned path and host, system attributes, the next
  // test number). Throws when the file cannot be read.
  void ReadTestRecord(const QString& path, SetupValues& setup);
  // Stores the nine numbers of 系統屬性 through their accessors. A number
  // that cannot be held is skipped with a log line; never fails.
  static void ApplySessionSettings(const QString& list);
  QString ScoreFileName(const QString& name);
  void SetTestTimes(double start, double end);

  // ---- end of the test ----
  // Called when Setting214 is 0, before the record is written, so the
  // screen can load the input-method form and refresh setup.imeName.
  std::function<void(SetupValues&)> PrepareImeName;
  // Carries the set-up choices into the settings, writes the record (and
  // scrambles it when store 181 is 2 or 3), keeps a copy in the data folder
  // when store 205 is 1. Returns the path to hand to the scorer. Throws when
  // no record could be written.
  // CarrySetupChoices, then WriteHandOffRecord.
  QString FinishAndHandOff(const ProcessingNames& names, SetupValues& setup);
  // The set-up screen's last choices into the settings (and Tavrel.Ini).
  void CarrySetupChoices(SetupValues& setup);
  // Writes the record (scrambled when store 181 is 2 or 3) and the data
  // folder's copy; again as often as asked, the typed text staying in the
  // buffers. Returns the path to hand to the scorer; throws, with
  // RecordWriteReason set, when no record was written whole.
  QString WriteHandOffRecord(const ProcessingNames& names, SetupValues& setup);
  // Starts the scorer with the handed-off record (or `recordPath` when
  // given). Throws when it cannot be started.
  void StartScorer(const QString& recordPath = {});
  // Mode 1 or 2 starts the test program again, any other the batch scorer,
  // with RecordFilePath. False when the program is missing or would not
  // start (nothing else happens then).
  bool RunNextProgram(int mode);

  // The command lines these two would start, for callers that only show or
  // log them.
  ProgramCommandLine ScorerLine(const QString& recordPath) const;
  ProgramCommandLine NextProgramLine(int mode) const;
};

// The one instance of the test program.
TestRecordModule& testRecordModule();

// ---- naming that the set-up screen does at the start of a test ----

// TMP (else TMPDIR, else the system's), "/~T", the seconds since midnight
// as "000000", and ".ttt" when store 181 is 2 or 3, else ".txt". A
// temporary folder whose path holds a "," (it would split the scorer's
// command line) is replaced by the account's own (plat::PrivateTempFolder).
QString NewTestRecordPath(double secondsSinceMidnight);

// The base the result name is made from: the name when Setting905 is 1, the
// identity number when it is 2 (each only when not empty), else Label7's
// caption; made safe for a file name and a command-line field.
QString ResultNameBase(const SetupValues& setup);

// The birthday as the record holds it, "1990/5/3", from the three boxes;
// empty when all three are.
QString BirthdayText(const SetupValues& setup);
// Splits a record's birthday back into the three boxes: month and day two
// digits, the year four when it is 1000 or more. No date check, so a value
// that is not a valid date survives unchanged into the next record. An
// empty value empties the boxes.
void SplitBirthday(const QString& value, SetupValues& setup);

}  // namespace rec
