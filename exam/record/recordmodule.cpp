#include "exam/record/recordmodule.h"

#include <QCoreApplication>
#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/accessors.h"
#include "common/filenames.h"
#include "common/scramble.h"
#include "common/settings.h"
#include "common/store.h"
#include "common/utilities.h"
#include "platform/core/clock.h"
#include "platform/core/codec.h"
#include "platform/core/compat.h"
#include "platform/core/paths.h"
#include "platform/core/random.h"
#include "platform/core/textfile.h"

namespace rec {

namespace {

constexpr int kMaxRandomCandidates = 201;
const QString kNoAudioFile = QStringLiteral("ZZZZZZZZ.ZZZ");

void Log(const QString& text) { common::WriteErrorLog(text); }

[[noreturn]] void Fail(int number, const QString& procedure, const QString& text) {
  common::AppError e = common::MakeAppError(number, procedure);
  if (!text.isEmpty()) e.text = text;
  throw e;
}

bool ScrambledRecordsOn() {
  const int v = common::SystemIniValue(181).asInt();
  return v == 2 || v == 3;
}

// Folder and name joined by exactly one "/".
QString JoinPath(QString folder, const QString& name) {
  folder = plat::ToSlashes(folder);
  if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
  return folder + name;
}

int NumberOf(const QString& text) {
  return static_cast<int>(plat::RoundHalfEven(plat::ValNumber(text)).value_or(0));
}

// Lines with text left after cutting trailing blanks; -1 when unreadable.
int NonEmptyLines(const QString& path) {
  QByteArray bytes;
  if (!plat::readAllBytes(path, bytes)) return -1;
  int n = 0;
  for (QByteArray line : plat::splitRawLines(bytes)) {
    while (!line.isEmpty() && line.back() == ' ') line.chop(1);
    if (!line.isEmpty()) ++n;
  }
  return n;
}

void LogFieldsWithCommas(const ProgramCommandLine& line) {
  for (const QString& f : line.fields)
    if (f.contains(u','))
      Log(QStringLiteral("命令列欄位含有\",\",接收端會分錯欄位>") + f);
}

QString DefaultProgramName() {
  if (QCoreApplication::instance())
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
  return QStringLiteral("Tavrel");
}

QString DefaultVersion() {
  QString v = QCoreApplication::instance() ? QCoreApplication::applicationVersion() : QString();
  return v.isEmpty() ? QStringLiteral("1.0.0") : v;
}

}  // namespace

TestRecordModule::TestRecordModule() { Reset(); }

void TestRecordModule::Reset() {
  lines.Reset();
  TestFilePath.clear();
  RecordFilePath.clear();
  ScoreFilePath.clear();
  AudioBase.clear();
  TestStartTime = 0;
  TestEndTime = 0;
  HandOffRecordPath.clear();
  RecordWriteReason.clear();
  OwnProgramName = DefaultProgramName();
  VersionNumbers = DefaultVersion();
  PrepareImeName = nullptr;
}

// ---------------------------------------------------------------------------
// Test text and audio parts

void TestRecordModule::LoadTestText(const QString& path, const SetupValues& setup) {
  lines.Reset();
  TestFilePath = path;
  AudioBase.clear();
  const QString file = plat::ResolvePath(path);
  QByteArray bytes;
  if (!QFileInfo(file).isFile() || !plat::readAllBytes(file, bytes))
    Fail(common::kFileNotFound, QStringLiteral("LoadTestText"), QStringLiteral("找不到測驗檔 ") + path);

  const bool scrambled = IsScrambledName(path);
  for (QByteArray raw : plat::splitRawLines(bytes)) {
    while (!raw.isEmpty() && raw.back() == ' ') raw.chop(1);
    if (scrambled) raw = common::UnscrambleToBytes(raw);
    const QString line = plat::fromCp950(raw);
    const int k = lines.LineCount;
    lines.ModelLines[k] = line;
    if (StartsParagraph(line)) ++lines.ParagraphCount;
    lines.ParagraphNumbers[k] = static_cast<std::uint8_t>(lines.ParagraphCount);
    if (k == kLastLineIndex) break;
    ++lines.LineCount;
  }

  if (common::Setting701.get() > 0) {
    const QString letter = setup.option5 ? QStringLiteral("A") : setup.option6 ? QStringLiteral("B") : QString();
    const QString stem = common::PathPart(4, file) + letter;
    AudioBase = stem + QStringLiteral("-.");
    const QString probe = stem + QStringLiteral("-01.");
    const QString ext = common::Setting707.get();
    if (ext.size() >= 3) {
      AudioBase += ext;
    } else {
      const QStringList found =
          plat::FindFiles(common::PathPart(2, probe), QString(common::PathPart(3, probe) + u'*'));
      const QString fallback = common::SystemIniValue(4447).asText();
      if (!found.isEmpty())
        AudioBase = common::PathPart(4, AudioBase) + common::PathPart(5, found.first());
      else if (!fallback.isEmpty())
        AudioBase = fallback;
      else
        AudioBase += QStringLiteral("wma");
    }
    Log(QStringLiteral("7>") + AudioBase);
  }
  lines.FirstVisibleLine = 0;
}

QString TestRecordModule::ParagraphAudioFile(int paragraph) const {
  if (common::Setting701.get() == 0) return QString();
  if (paragraph < 1 || paragraph > lines.ParagraphCount) return kNoAudioFile;
  return common::PathPart(4, AudioBase) + plat::FormatNumber(paragraph, u"00") +
         common::PathPart(5, AudioBase);
}

QString TestRecordModule::PickRandomTestFile(const QString& pattern) {
  const QString p = plat::ToSlashes(pattern);
  const qsizetype slash = p.lastIndexOf(u'/');
  const QString folder = slash >= 0 ? p.left(slash + 1) : QStringLiteral("./");
  const QString glob = p.mid(slash + 1);
  if (glob.isEmpty() || !QFileInfo(folder).isDir()) return QString();
  QStringList names = plat::FindFiles(folder, glob);
  if (names.size() > kMaxRandomCandidates) names = names.mid(0, kMaxRandomCandidates);
  if (names.isEmpty()) return QString();
  return names.at(plat::random().Below(static_cast<int>(names.size()))).trimmed();
}

QString TestRecordModule::ResolveTestDataPath() const {
  const QString pattern = common::TestFilePattern.get();
  const QString cd = common::FindCdDataPath();
  if (!cd.isEmpty()) {
    const QString name = PickRandomTestFile(JoinPath(cd, pattern));
    if (!name.isEmpty()) return JoinPath(cd, name);
  }
  const QString testFolder = common::TestFolder.get();
  QString folder = plat::WithoutTrailingSlash(testFolder.size() > 1 ? testFolder : common::ProgramFolder.get());
  QString name = PickRandomTestFile(JoinPath(folder, pattern));
  if (name.isEmpty()) {
    folder = plat::WithoutTrailingSlash(common::ProgramFolder.get());
    name = PickRandomTestFile(JoinPath(folder, pattern));
  }
  // No test anywhere: the empty text, which the set-up screen reports.
  return name.isEmpty() ? QString() : JoinPath(folder, name);
}

void TestRecordModule::ScrollTestLines(int direction, TypingBoxes& boxes) {
  lines.ScrollTestLines(direction, boxes, LineLayout::FromSettings());
}

// ---------------------------------------------------------------------------
// The record

namespace {
bool BirthdayEmpty(const SetupValues& s) {
  return s.birthYear.isEmpty() && s.birthMonth.isEmpty() && s.birthDay.isEmpty();
}
}  // namespace

QString BirthdayText(const SetupValues& s) {
  if (BirthdayEmpty(s)) return QString();
  auto part = [](const QString& t) { return plat::NumberText(plat::ValNumber(t)); };
  return part(s.birthYear) + u'/' + part(s.birthMonth) + u'/' + part(s.birthDay);
}

void SplitBirthday(const QString& value, SetupValues& s) {
  if (value.trimmed().isEmpty()) {
    // No birthday given: the boxes stay empty for the next test too.
    s.birthYear.clear();
    s.birthMonth.clear();
    s.birthDay.clear();
    return;
  }
  const QStringList parts = value.split(u'/');
  QString* boxes[] = {&s.birthYear, &s.birthMonth, &s.birthDay};
  for (int i = 0; i < 3 && i < parts.size(); ++i) {
    const int n = NumberOf(parts[i]);
    const int width = i == 0 ? (n >= 1000 ? 4 : 1) : 2;
    *boxes[i] = n < 0 ? QString::number(n) : QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
  }
}

TestRecordFields TestRecordModule::SessionFields(SetupValues& setup, const ProcessingNames& names) {
  // A birthday left empty stays empty: today's date on the score sheet would
  // be a birthday nobody gave. Only the missing parts of one begun are
  // filled.
  if (!BirthdayEmpty(setup)) {
    const QDate today = plat::clock().Now().date();
    if (setup.birthYear.isEmpty()) setup.birthYear = today.toString(QStringLiteral("yyyy"));
    if (setup.birthMonth.isEmpty()) setup.birthMonth = today.toString(QStringLiteral("MM"));
    if (setup.birthDay.isEmpty()) setup.birthDay = today.toString(QStringLiteral("dd"));
  }

  if (plat::ValNumber(setup.count) <= 1) {
    QString score = names.resultName;
    if (score.size() >= 3)
      score[score.size() - 3] = u'R';
    else
      Log(QStringLiteral("WriteSessionFile>結果檔名太短,成績檔名照用>") + score);
    ScoreFilePath = score;
  }

  TestRecordFields f;
  f.testFile = setup.testFile;
  f.recordPath = names.recordPath;
  f.answerFile = names.resultName;
  f.scoreFile = ScoreFilePath;
  f.name = setup.name;
  f.birthday = BirthdayText(setup);
  f.identity = setup.identity;
  f.classSeat = setup.classSeat;
  f.startTime = TestStartTime;
  f.endTime = TestEndTime;
  f.testCount = setup.count;
  f.testMinutes = setup.minutes;
  f.imeName = setup.imeName;
  f.withAssigned = common::Setting908.get() > 0;
  f.assignedPath = common::AssignedPath.get();
  f.assignedHost = common::AssignedHost.get();
  const int attrs[] = {common::Setting904.get(), common::Setting305.get(), common::PartChoice.get(),
                       common::Setting208.get(), common::Setting701.get(), common::Setting281.get(),
                       common::Setting705.get(), common::Setting704.get(), common::Setting908.get()};
  QStringList a;
  for (int v : attrs) a << QString::number(v);
  f.systemAttributes = a.join(u',');
  f.version = common::ProductTitle.get() + u'[' + VersionNumbers + u']';
  const int last = lines.LastAnswerIndex();
  for (int i = 0; i <= last; ++i)
    if (!lines.AnswerLines[i].isEmpty()) f.typedLines << lines.AnswerLines[i];
  return f;
}

namespace {

// Writes built lines and logs what the building had to change.
bool WriteBuilt(const QString& path, const BuiltRecord& b, bool scrambled, QString* error, QString* why = nullptr) {
  if (b.guardedLines > 0)
    Log(QStringLiteral("WriteSessionFile>打字首行形同鍵行,\"[\"已寫成\"〔\">") + path);
  if (b.replacedLines > 0)
    Log(QStringLiteral("WriteSessionFile>%1 行含有Big5以外的字,已寫成\"?\">").arg(b.replacedLines) + path);
  return WriteRecordLines(path, b.lines, scrambled, error, nullptr, why);
}

}  // namespace

void TestRecordModule::WriteSessionFile(const QString& path, SetupValues& setup, const ProcessingNames& names) {
  const BuiltRecord b = BuildRecordLines(SessionFields(setup, names));
  QString err;
  if (!WriteBuilt(path, b, false, &err, &RecordWriteReason))
    Fail(common::kPathFileAccess, QStringLiteral("WriteSessionFile"), err);
  // Said only of a record written whole.
  Log(QStringLiteral("儲存所有資料,準備往處理成績..."));
}

void TestRecordModule::ApplySessionSettings(const QString& list) {
  const QStringList fields = list.split(u',');
  for (int i = 0; i < 9 && i < fields.size(); ++i) {
    const double v = plat::ValNumber(fields[i]);
    if (i == 7) {  // Setting704 is 16-bit
      if (auto s = plat::ToInt16(v))
        common::Setting704.set(*s);
      else
        Log(QStringLiteral("ApplySessionSettings>第8個值超出範圍,略過>") + fields[i]);
      continue;
    }
    const auto b = plat::ToByte(v);
    if (!b) {
      Log(QStringLiteral("ApplySessionSettings>第%1個值超出範圍,略過>").arg(i + 1) + fields[i]);
      continue;
    }
    switch (i) {
      case 0: common::Setting904.set(*b); break;
      case 1: common::Setting305.set(*b); break;
      case 2: common::PartChoice.set(*b); break;
      case 3: common::Setting208.set(*b); break;
      case 4: common::Setting701.set(*b); break;
      case 5: common::Setting281.set(*b); break;
      case 6: common::Setting705.set(*b); break;
      case 8: common::Setting908.set(*b); break;
      default: break;
    }
  }
}

void TestRecordModule::ReadTestRecord(const QString& path, SetupValues& setup) {
  RecordFilePath = path;
  TestRecordContent c;
  QString err;
  int bad = 0;
  if (!ReadTestRecordFile(path, c, &err, &bad)) Fail(common::kFileNotFound, QStringLiteral("ReadTestRecord"), err);
  if (bad > 0) Log(QStringLiteral("ReadTestRecord>%1 個位元組不是Big5>").arg(bad) + path);

  for (const RecordEntry& e : c.keys) {
    const auto key = KeyFromLabel(e.key);
    if (!key) continue;
    switch (*key) {
      case RecordKey::TESTNAME:
        setup.testFile = e.value;
        TestFilePath = e.value;
        break;
      case RecordKey::SCORNAME:
        if (!e.value.trimmed().isEmpty()) ScoreFilePath = e.value;
        break;
      case RecordKey::USERNAME: setup.name = e.value; break;
      case RecordKey::BIRTHDAY: SplitBirthday(e.value, setup); break;
      case RecordKey::IDENTITY: setup.identity = e.value; break;
      case RecordKey::CLASSDAT: setup.classSeat = e.value; break;
      case RecordKey::STARTIME: TestStartTime = plat::ToSingle(plat::ValNumber(e.value)); break;
      case RecordKey::END_TIME: TestEndTime = plat::ToSingle(plat::ValNumber(e.value)); break;
      case RecordKey::TESTNUMB: {
        // The next test of the series. Past what the accessor holds the series
        // goes on at its highest number rather than failing the start.
        const int next = NumberOf(e.value) + 1;
        const int held = std::clamp(next, 0, 249);
        if (held != next) Log(QStringLiteral("ReadTestRecord>測驗次數超出範圍>") + e.value);
        common::TestNumber.set(held);
        break;
      }
      case RecordKey::TESTTIME: setup.minutes = e.value; break;
      case RecordKey::PATHFILE: common::AssignedPath.set(e.value); break;
      case RecordKey::NET_WORK: common::AssignedHost.set(e.value); break;
      case RecordKey::SYST_ATT: ApplySessionSettings(e.value); break;
      default: break;  // 使用檔名, 答案檔案, 指輸入法, 軟體版本 are not taken back
    }
  }
}

QString TestRecordModule::ScoreFileName(const QString& name) {
  if (!name.isEmpty()) ScoreFilePath = name;
  return ScoreFilePath;
}

void TestRecordModule::SetTestTimes(double start, double end) {
  TestStartTime = plat::ToSingle(start);
  TestEndTime = plat::ToSingle(end);
}

// ---------------------------------------------------------------------------
// End of the test

QString TestRecordModule::FinishAndHandOff(const ProcessingNames& names, SetupValues& setup) {
  CarrySetupChoices(setup);
  return WriteHandOffRecord(names, setup);
}

void TestRecordModule::CarrySetupChoices(SetupValues& setup) {
  using namespace common;
  if (Setting214.get() == 0 && PrepareImeName) PrepareImeName(setup);

  // The candidate's last choices on the set-up screen become the settings.
  const int s305 = Setting305.get();
  if (s305 == 1 || s305 == 2) {
    if (setup.option1) Setting305.set(1);
    else if (setup.option2) Setting305.set(2);
  }
  const int s904 = Setting904.get();
  if (s904 == 1 || s904 == 2) {
    if (setup.option3) Setting904.set(2);
    else if (setup.option4) Setting904.set(1);
  }
  const int part = PartChoice.get();
  if (part >= 1 && part <= 3) {
    if (setup.option5) PartChoice.set(1);
    else if (setup.option6) PartChoice.set(2);
    else if (setup.option7) PartChoice.set(3);
  }
  const int s908 = Setting908.get();
  if ((s908 == 0 || s908 == 1 || s908 == 2 || s908 == 6) && (setup.check1 == kUnchecked || setup.check1 == kChecked) &&
      (setup.check2 == kUnchecked || setup.check2 == kChecked)) {
    const int v = setup.check1 == kChecked ? (setup.check2 == kChecked ? 6 : 1) : (setup.check2 == kChecked ? 2 : 0);
    Setting908.set(v);
    if (v != s908) RunModeFlag.set(1);
  }
  const int mode = RunModeFlag.get();
  if (mode == 1 || mode == 2) {
    const int now = Setting908.get();
    if (now == 1 || now == 4 || now == 6 || now == 7) SaveSetting(292, AssignedPath.get());
    if (now == 2 || now == 5 || now == 6 || now == 7) SaveSetting(293, AssignedHost.get());
    SaveSetting(908, QString::number(now));
  }
}

QString TestRecordModule::WriteHandOffRecord(const ProcessingNames& names, SetupValues& setup) {
  using namespace common;
  HandOffRecordPath.clear();
  RecordWriteReason.clear();
  const QString recordPath = names.recordPath;
  QString handOff = recordPath;
  if (ScrambledRecordsOn() && recordPath.size() >= 2) {
    // The plain record goes under the "X" name (which every reader takes as
    // plain), the scrambled one is made from it, and the plain one goes only
    // once the scrambled one is known to be whole.
    QString temp = recordPath;
    temp[temp.size() - 2] = u'X';
    if (QFileInfo::exists(temp)) {
      Log(QStringLiteral("FinishAndHandOff>刪除舊的暫存檔>") + temp);
      QFile::remove(temp);
    }
    WriteSessionFile(temp, setup, names);
    const int want = NonEmptyLines(temp);
    if (ScrambleFile(temp, recordPath) && NonEmptyLines(recordPath) == want) {
      if (!QFile::remove(temp)) Log(QStringLiteral("FinishAndHandOff>無法刪除暫存檔>") + temp);
    } else {
      Log(QStringLiteral("FinishAndHandOff>加密考生檔失敗,改交未加密的檔案>") + temp);
      QFile::remove(recordPath);  // never leave a half-made record beside the good one
      handOff = temp;
    }
  } else {
    WriteSessionFile(recordPath, setup, names);
  }

  if (SystemIniValue(205).asInt() == 1) {
    // A copy in the data folder; it may be missing, never wrong: under a
    // scrambled-style name it is scrambled too.
    QString folder = DataPath.get();
    if (folder.trimmed().isEmpty()) {
      Log(QStringLiteral("FinishAndHandOff>沒有資料夾,不留副本"));
    } else {
      ChangeDirSafe(folder);
      const QString copy = JoinPath(folder, PathPart(3, plat::ToSlashes(recordPath)));
      QString err;
      const BuiltRecord b = BuildRecordLines(SessionFields(setup, names));
      if (!WriteBuilt(copy, b, IsScrambledName(copy), &err)) Log(QStringLiteral("FinishAndHandOff>") + err);
    }
  }

  HandOffRecordPath = handOff;
  return handOff;
}

ProgramCommandLine TestRecordModule::ScorerLine(const QString& recordPath) const {
  return ScorerCommandLine(recordPath, common::ProgramFolder.get(), OwnProgramName);
}

ProgramCommandLine TestRecordModule::NextProgramLine(int mode) const {
  return NextProgramCommandLine(mode, RecordFilePath, ScoreFilePath, common::SettingsBase.get(),
                                common::ProgramFolder.get());
}

void TestRecordModule::StartScorer(const QString& recordPath) {
  const QString record = recordPath.isEmpty() ? HandOffRecordPath : recordPath;
  if (record.isEmpty()) Fail(common::kInvalidCall, QStringLiteral("StartScorer"), QStringLiteral("沒有考生檔"));
  const ProgramCommandLine line = ScorerLine(record);
  LogFieldsWithCommas(line);
  Log(QStringLiteral("StartScorer>") + line.Text());
  QString err;
  if (!StartProgram(line, &err)) Fail(common::kFileNotFound, QStringLiteral("StartScorer"), err);
}

bool TestRecordModule::RunNextProgram(int mode) {
  const ProgramCommandLine line = NextProgramLine(mode);
  if (!QFileInfo(line.Executable()).isFile()) return false;
  LogFieldsWithCommas(line);
  Log(QStringLiteral("正在返回打字的程式>") + line.Text());
  QString err;
  if (!StartProgram(line, &err)) {
    Log(QStringLiteral("RunNextProgram>") + err);
    return false;
  }
  return true;
}

TestRecordModule& testRecordModule() {
  static TestRecordModule m;
  return m;
}

namespace {
void ResetModule() { testRecordModule().Reset(); }
const bool registered = (common::AddCommonStateReset(&ResetModule), true);
}  // namespace

// ---------------------------------------------------------------------------
// Naming at the start of a test

QString NewTestRecordPath(double secondsSinceMidnight) {
  QString folder = plat::TempFolder();
  if (folder.contains(u',')) folder = plat::PrivateTempFolder();
  if (folder.contains(u',')) folder = QStringLiteral("/tmp");
  return JoinPath(folder, QStringLiteral("~T") + plat::FormatSingle(plat::ToSingle(secondsSinceMidnight), u"000000") +
                              (ScrambledRecordsOn() ? QStringLiteral(".ttt") : QStringLiteral(".txt")));
}

QString ResultNameBase(const SetupValues& s) {
  const int rule = common::Setting905.get();
  QString base;
  if (rule == 1 && !s.name.isEmpty())
    base = s.name;
  else if (rule == 2 && !s.identity.isEmpty())
    base = s.identity;
  else
    base = s.label7;
  base.replace(u',', u'_');
  return plat::SanitizeFileBase(base);
}

}  // namespace rec
