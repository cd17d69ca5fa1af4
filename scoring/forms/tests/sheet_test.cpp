// The score sheet: its layout by the settings, its buttons, the delivery of
// the result and the save and print notices.
#include "scorer_fixture.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QApplication>

#include "common/errorlog.h"
#include "scoring/forms/formkit.h"
#include "testsupport/core/seams.h"

namespace {

using namespace scorertest;
using scorer::成績單;

class Sheet : public ScorerFixture {
 protected:
  // A fresh scorer run to the sheet with these settings lines.
  成績單& Up(const QList<QPair<int, QString>>& ini = {}, const QStringList& extraKeys = {}) {
    plat::FormRegistry::DestroyAll();
    scoring::ResetScorer();
    scorer::ResetDelivery();
    app.Reset();
    IniLines(ini);
    成績單* s = StartAndScore(WriteRecord(QStringLiteral("~T032400.txt"), 1, extraKeys));
    EXPECT_NE(s, nullptr);
    return *s;
  }
  static bool Shown(const QWidget* w) { return !w->isHidden(); }
  static int Top(const QWidget* w) { return scorer::BoxTwips(w).top; }
  QString Log() const {
    QStringList lines;
    plat::readTextLines(common::ErrorReportPath(), lines);
    return lines.join(u'\n');
  }
  static int Count(const plat::FakePrompt& p, const QString& text) {
    int n = 0;
    for (const plat::PromptCall& c : p.calls) n += c.text == text;
    return n;
  }
};

TEST_F(Sheet, IdentityRowsFollowSetting915) {
  struct Case {
    const char* flags;
    int name, birthday, identity, classSeat;  // tops in twips
    bool nameOn, birthdayOn, identityOn, classOn;
  } cases[] = {
      {"12341110", 150, 550, 950, 1350, true, true, true, false},
      {"12341111", 50, 400, 750, 1100, true, true, true, true},
      {"43211100", 1750, 1250, 750, 250, false, false, true, true},
      {"12340000", 250, 650, 1050, 1450, false, false, false, false},
      {"12341000", 250, 650, 1050, 1450, true, false, false, false},
      // Other digits place nothing; the position still takes its step.
      {"19341110", 150, 550, 950, 1350, true, true, true, false},
      // Not eight characters: the design's rows, all shown.
      {"1234111", 150, 550, 950, 1350, true, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    成績單& s = Up({{915, QString::fromLatin1(c.flags)}});
    if (c.flags[1] != '9') {
      EXPECT_EQ(Top(s.Label12), c.birthday);
    }
    EXPECT_EQ(Top(s.Label1), c.name);
    EXPECT_EQ(Top(s.Text1), c.name);
    EXPECT_EQ(Top(s.Label2), c.identity);
    EXPECT_EQ(Top(s.Text2), c.identity);
    EXPECT_EQ(Top(s.Label15), c.classSeat);
    EXPECT_EQ(Top(s.Text15), c.classSeat);
    EXPECT_EQ(Shown(s.Label1) && Shown(s.Text1), c.nameOn);
    EXPECT_EQ(Shown(s.Label12) && Shown(s.Text12), c.birthdayOn);
    EXPECT_EQ(Shown(s.Label2) && Shown(s.Text2), c.identityOn);
    EXPECT_EQ(Shown(s.Label15) && Shown(s.Text15), c.classOn);
  }
}

TEST_F(Sheet, HeadingsFromSettings916And918AndTheHiddenBirthday) {
  成績單& s = Up({{918, "IDENTITY|學號："}, {916, "沒有分隔"}, {932, "9"}});
  EXPECT_EQ(s.Label2->text(), "學號：");
  EXPECT_EQ(s.Label15->text(), "");  // a text without "|" gives an empty caption
  EXPECT_FALSE(Shown(s.Label12));
  EXPECT_FALSE(Shown(s.Text12));
  // The test's bare name shows; the full path stays hidden.
  EXPECT_FALSE(Shown(s.TEXT4));
  EXPECT_TRUE(Shown(s.TEXT4B));
  EXPECT_EQ(scorer::BoxTwips(s.TEXT4B).top, 1800);
  EXPECT_EQ(scorer::BoxTwips(s.TEXT4B).left, 2295);
  EXPECT_EQ(s.TEXT4->text(), work.filePath("T0001.txt"));
}

// A candidate who gave no birthday has none on the sheet, in the score
// record or in the result line: never a date taken from the clock.
TEST_F(Sheet, AnEmptyBirthdayShowsEmpty) {
  成績單& s = Up({{7999, "1"}, {932, "0"}}, {QStringLiteral("[檢定生日]=")});
  EXPECT_TRUE(Shown(s.Text12));
  EXPECT_EQ(s.Text12->text(), "");
  QList<scoring::ScoreRecord> records;
  ASSERT_TRUE(scoring::ReadScoreRecordFile(work.filePath("A123456789.R01"), records));
  ASSERT_EQ(records.size(), 1);
  EXPECT_EQ(records[0].birthday, "");
  QByteArray line;
  ASSERT_TRUE(plat::readAllBytes(plat::ResolvePath(scoring::ResultFileName()), line));
  EXPECT_EQ(plat::fromCp950(line).split(u'|').value(5), "");
}

TEST_F(Sheet, ButtonsFollowSetting7910) {
  struct Case {
    const char* switches;
    const char* s913;
    // Command1..6 shown
    bool shown[6];
  } cases[] = {
      {"100010", "1", {true, false, true, false, false, false}},
      {"111111", "0", {true, true, true, true, true, false}},
      {"111111", "1", {true, true, true, true, true, true}},
      {"011111", "1", {true, true, false, true, true, true}},
      {"1000100", "0", {true, true, true, true, true, false}},
      {"10001", "1", {true, true, true, true, true, true}},
      {"a0b0c0", "1", {false, false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.switches) + "/" + c.s913);
    成績單& s = Up({{7910, QString::fromLatin1(c.switches)}, {913, QString::fromLatin1(c.s913)}});
    const QPushButton* b[] = {s.Command1, s.Command2, s.Command3, s.Command4, s.Command5, s.Command6};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Shown(b[i]), c.shown[i]) << "Command" << i + 1;
  }
}

TEST_F(Sheet, CaptionsTitleAndValuesInTheirBlanks) {
  成績單& s = Up();
  EXPECT_EQ(s.Label6->text(), common::SystemIniValue(11506).asText());
  EXPECT_EQ(s.Command3->toolTip(), common::SystemIniValue(11529).asText());
  // The title: text 11521, blanks, the maker line; as many blanks as fit.
  const QString title = s.windowTitle();
  EXPECT_TRUE(title.startsWith(common::SystemIniValue(11521).asText() + " "));
  EXPECT_TRUE(title.endsWith(common::MakerLine.get()));
  const QFontMetrics fm(s.font());
  const int limit = plat::TwipsToPixels(scorer::kSheetWidth - 900);
  EXPECT_GT(fm.horizontalAdvance(title), limit);
  QString shorter = title;
  shorter.remove(common::SystemIniValue(11521).asText().size(), 1);
  EXPECT_LE(fm.horizontalAdvance(shorter), limit);
  // Each result sits inside its heading, over the heading's blanks.
  const QLabel* headings[] = {s.Label6, s.Label7, s.Label8, s.Label9, s.Label10, s.Label11};
  const QLabel* values[] = {s.Text6, s.Text7, s.Text8, s.Text9, s.Text10, s.Text11};
  for (int i = 0; i < 6; ++i) {
    const plat::TwipsBox h = scorer::BoxTwips(headings[i]), v = scorer::BoxTwips(values[i]);
    EXPECT_EQ(v.top, h.top);
    EXPECT_GT(v.left, h.left);
    EXPECT_LT(v.left + v.width, h.left + h.width);
  }
  EXPECT_LT(scorer::BoxTwips(s.Text5A).left, scorer::BoxTwips(s.Text5B).left);
  EXPECT_EQ(s.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
  EXPECT_EQ(scorer::BoxTwips(&s).height, scorer::kSheetHeight);
}

TEST_F(Sheet, CheckModeMarksTheResultsThatDiffer) {
  // Expected: 31 correct (right), 0 errors (wrong), the rest not given.
  成績單& s = Up({}, {QStringLiteral("[錯誤經驗]=31,0")});
  EXPECT_FALSE(s.Text6->autoFillBackground());
  EXPECT_TRUE(s.Text7->autoFillBackground());
  EXPECT_EQ(s.Text7->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_FALSE(s.Text8->autoFillBackground());
}

TEST_F(Sheet, CopyDeliveryPutsTheScoreFilesInTheAssignedFolder) {
  QDir(work.path()).mkdir("dest");
  const QString dest = work.filePath("dest");
  成績單& s = Up({{7999, "1"}, {908, "1"}, {5999, "0"}, {292, dest + "/"}});
  EXPECT_TRUE(QFileInfo::exists(dest + "/A123456789.R01"));
  EXPECT_TRUE(QFileInfo::exists(dest + "/A123456789_03050101.Sco"));
  EXPECT_TRUE(scorer::Copied());
  EXPECT_FALSE(scorer::DeliveryOutstanding());
  const QString log = Log();
  EXPECT_TRUE(log.contains(common::SystemIniValue(11523).asText() + dest));
  EXPECT_TRUE(log.contains(common::SystemIniValue(11526).asText() + dest + "/A123456789.R01"));
  // A second copy in the same process takes the next number.
  EXPECT_TRUE(s.CopyScoreFiles());
  EXPECT_TRUE(QFileInfo::exists(dest + "/A123456789.R02"));
}

TEST_F(Sheet, ACopyWithoutAFolderCopiesNothingAndSaysSo) {
  // No folder at all: never the root of the disk.
  Up({{7999, "1"}, {908, "4"}, {5999, "0"}});
  const QString refusal = common::SystemIniValue(11525).asText();
  EXPECT_EQ(Count(prompt, refusal), 1);
  EXPECT_TRUE(Log().contains("CopyScoreFiles>no assigned folder"));
  EXPECT_FALSE(QFileInfo::exists("/A123456789.R01"));
  EXPECT_TRUE(scorer::DeliveryOutstanding());
  // A folder that does not exist: three messages, no copy.
  prompt.calls.clear();
  Up({{7999, "1"}, {908, "4"}, {5999, "0"}, {292, work.filePath("missing")}});
  EXPECT_EQ(Count(prompt, refusal), 3);
  EXPECT_TRUE(scorer::DeliveryOutstanding());
  // Files that were never written (setting 7999 not 1) cannot be copied.
  for (const char* f : {"A123456789.R01", "A123456789_03050101.Sco"}) QFile::remove(work.filePath(f));
  prompt.calls.clear();
  QDir(work.path()).mkdir("dest");
  成績單& s = Up({{7999, "0"}, {908, "1"}, {5999, "0"}, {292, work.filePath("dest")}});
  EXPECT_EQ(Count(prompt, refusal), 1);
  EXPECT_TRUE(s.isVisible());
  EXPECT_TRUE(scorer::DeliveryOutstanding());
}

TEST_F(Sheet, DeliveryModesAndTheDurationRule) {
  QDir(work.path()).mkdir("dest");
  const QString dest = work.filePath("dest");
  int uploads = 0;
  seams.Set(scorer::SetUploadStarter, [&] { ++uploads; });
  struct Case {
    const char* s908;
    const char* s5999;
    const char* s201;
    bool copied;
    int uploads;
  } cases[] = {
      {"3", "0", "10", false, 0}, {"0", "0", "10", false, 0}, {"2", "0", "10", false, 1},
      {"5", "0", "10", false, 1}, {"6", "0", "10", true, 1},  {"7", "0", "10", true, 1},
      {"1", "1", "10", true, 0},  {"1", "1", "9", false, 0},  {"2", "10", "10", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.s908) + "/" + c.s5999 + "/" + c.s201);
    QDir(dest).removeRecursively();
    QDir(work.path()).mkdir("dest");
    uploads = 0;
    Up({{7999, "1"}, {908, c.s908}, {5999, c.s5999}, {201, c.s201}, {292, dest}});
    EXPECT_EQ(QFileInfo::exists(dest + "/A123456789.R01"), c.copied);
    EXPECT_EQ(uploads, c.uploads);
  }
}

TEST_F(Sheet, ARightClickOnSaveDeliversOnlyAStandardLengthTest) {
  int uploads = 0;
  seams.Set(scorer::SetUploadStarter, [&] { ++uploads; });
  for (const char* s201 : {"9", "10"}) {
    SCOPED_TRACE(s201);
    uploads = 0;
    成績單& s = Up({{908, "2"}, {5999, "10"}, {201, s201}, {7910, "111111"}});
    EXPECT_EQ(uploads, 0);  // 5999 at 10: nothing on showing
    QMouseEvent left(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                     Qt::NoModifier);
    QMouseEvent right(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(s.Command5, &left);
    EXPECT_EQ(uploads, 0);
    QApplication::sendEvent(s.Command5, &right);
    EXPECT_EQ(uploads, QString(s201) == "10" ? 1 : 0);
    EXPECT_TRUE(s.isEnabled());
  }
}

TEST_F(Sheet, AnUploadHoldsTheSheetUntilItEnds) {
  // Without an upload window the upload is logged as not available.
  成績單& none = Up({{908, "2"}, {5999, "0"}});
  EXPECT_TRUE(Log().contains("frmClient>not available"));
  EXPECT_TRUE(none.isEnabled());
  EXPECT_TRUE(scorer::DeliveryOutstanding());

  int uploads = 0;
  seams.Set(scorer::SetUploadStarter, [&] {
    ++uploads;
    scorer::UploadAttemptStarted();
  });
  成績單& s = Up({{908, "2"}, {5999, "0"}});
  EXPECT_EQ(uploads, 1);
  EXPECT_FALSE(s.isEnabled());
  // Closing the sheet mid-upload is refused.
  EXPECT_FALSE(s.Unload(plat::UnloadMode::ControlMenu));
  EXPECT_TRUE(plat::forms::exists<成績單>());
  EXPECT_FALSE(plat::forms::exists<scorer::是否結束>());
  // A failed attempt gives the sheet back, nothing delivered.
  scorer::UploadAttemptEnded(false);
  EXPECT_TRUE(s.isEnabled());
  EXPECT_TRUE(scorer::DeliveryOutstanding());
  scorer::UploadAttemptStarted();
  scorer::UploadAttemptEnded(true);
  EXPECT_TRUE(s.isEnabled());
  EXPECT_TRUE(s.isVisible());
  EXPECT_TRUE(scorer::Uploaded());
  EXPECT_FALSE(scorer::DeliveryOutstanding());
}

TEST_F(Sheet, TheAutomaticSaveRunsOnceWhileTheSheetReturnsDuringIt) {
  QDir(work.path()).mkdir("drive");
  const QString drive = work.filePath("drive");
  int probes = 0;
  seams.Set(scoring::SetDriveSource, [&] {
    ++probes;
    return QStringList{drive};
  });
  int uploads = 0;
  seams.Set(scorer::SetUploadStarter, [&] { ++uploads; });
  成績單& s = Up({{7999, "1"}, {904, "1"}, {908, "2"}, {5999, "0"}});
  EXPECT_TRUE(s.saved);
  EXPECT_EQ(probes, 1);
  EXPECT_TRUE(QFileInfo::exists(drive + "/A123456789.T01"));
  EXPECT_TRUE(QFileInfo::exists(drive + "/A123456789.R01"));
  EXPECT_TRUE(QFileInfo::exists(drive + "/A123456789_03050101.Sco"));
  EXPECT_EQ(uploads, 1);
  EXPECT_TRUE(s.isEnabled());
  EXPECT_FALSE(plat::forms::exists<scorer::處理存檔>());
  // Showing the sheet again saves nothing more.
  scorer::ShowSheet();
  s.Hide();
  scorer::ShowSheet();
  scheduler->Advance(5000);
  EXPECT_EQ(probes, 1);
  EXPECT_EQ(uploads, 1);
}

TEST_F(Sheet, SaveShowsTheSavingWindowWhichCopiesTwoSecondsLater) {
  QDir(work.path()).mkdir("drive");
  const QString drive = work.filePath("drive");
  int probes = 0;
  seams.Set(scoring::SetDriveSource, [&] {
    ++probes;
    return QStringList{drive};
  });
  成績單& s = Up({{7999, "1"}, {7910, "111111"}});
  s.Command5->click();
  EXPECT_EQ(common::SessionAttr3.get(), 7);
  ASSERT_TRUE(plat::forms::exists<scorer::處理存檔>());
  scorer::處理存檔& w = plat::forms::get<scorer::處理存檔>();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.windowTitle(), common::ProductTitle.get());
  EXPECT_EQ(w.Label1->text(), common::SystemIniValue(12201).asText());
  EXPECT_EQ(scorer::BoxTwips(&w).width, 4750);
  EXPECT_FALSE(s.isEnabled());  // no second save meanwhile
  scheduler->Advance(1999);
  EXPECT_EQ(probes, 0);
  scheduler->Advance(1);
  EXPECT_EQ(probes, 1);
  EXPECT_FALSE(plat::forms::exists<scorer::處理存檔>());
  EXPECT_TRUE(s.isEnabled());
  EXPECT_TRUE(QFileInfo::exists(drive + "/A123456789.R01"));
  scheduler->Advance(10000);
  EXPECT_EQ(probes, 1);
}

TEST_F(Sheet, NoDriveAsksRetryOrCancelAndTheSheetStillReturns) {
  seams.Set(scoring::SetDriveSource, [] { return QStringList{}; });
  成績單& s = Up({{7999, "1"}, {7910, "111111"}});
  prompt.answers = {plat::Answer::Retry, plat::Answer::Cancel};
  s.Command5->click();
  scheduler->Advance(2000);
  int asked = 0;
  for (const plat::PromptCall& c : prompt.calls) asked += c.buttons == plat::Buttons::RetryCancel;
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(s.isEnabled());
  EXPECT_FALSE(plat::forms::exists<scorer::處理存檔>());
}

TEST_F(Sheet, PrintTypedTextShowsThePrintingWindowForSixSeconds) {
  成績單& s = Up({{7999, "1"}, {7910, "111111"}});
  s.Command2->click();
  QStringList report;
  ASSERT_TRUE(plat::readTextLines(work.filePath("A123456789.T01"), report));
  ASSERT_EQ(printer.docs.size(), 1);
  EXPECT_EQ(printer.docs[0], report);
  EXPECT_FALSE(s.Command2->isEnabled());
  EXPECT_FALSE(s.isEnabled());
  ASSERT_TRUE(plat::forms::exists<scorer::處理列印中>());
  EXPECT_EQ(scorer::BoxTwips(&plat::forms::get<scorer::處理列印中>()).height, 1360);
  scheduler->Advance(5000);
  EXPECT_TRUE(plat::forms::exists<scorer::處理列印中>());
  scheduler->Advance(1000);
  EXPECT_FALSE(plat::forms::exists<scorer::處理列印中>());
  EXPECT_TRUE(s.isEnabled());
  EXPECT_FALSE(s.Command2->isEnabled());  // it printed once
}

TEST_F(Sheet, PrintSheetSendsTheWindowWithoutItsButtons) {
  成績單& s = Up();
  s.Command1->click();
  ASSERT_EQ(printer.images.size(), 1);
  EXPECT_EQ(printer.images.first().height(), plat::TwipsToPixels(scorer::kSheetPrintHeight));
  EXPECT_EQ(printer.images.first().pixelColor(2, 2), QColor(Qt::white));
  EXPECT_EQ(scorer::BoxTwips(&s).height, scorer::kSheetHeight);
  EXPECT_EQ(s.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
  // A printer that fails says so.
  printer.failWith = plat::kPrinterNotReady;
  prompt.calls.clear();
  s.Command1->click();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls.first().text, common::SystemIniValue(13960).asText());
}

TEST_F(Sheet, ViewAndPracticeStartTheirProgramsOrSayWhyNot) {
  成績單& s = Up({{7999, "1"}, {7910, "111111"}, {913, "1"}});
  s.Command4->click();
  ASSERT_EQ(desktop.opened.size(), 1);
  EXPECT_EQ(desktop.opened.first(), QUrl::fromLocalFile(work.filePath("A123456789.T01")));
  // No viewer on the desktop: the report is there, the viewer is what is
  // missing, and the box says where the report is.
  desktop.result = false;
  prompt.calls.clear();
  s.Command4->click();
  ASSERT_EQ(prompt.calls.size(), 1);
  const QString said = prompt.calls.first().text;
  EXPECT_TRUE(said.startsWith(QStringLiteral("找不到顯示文字檔的程式"))) << said.toStdString();
  EXPECT_TRUE(said.contains(QStringLiteral("A123456789.T01"))) << said.toStdString();
  EXPECT_FALSE(said.contains(QStringLiteral("找不到檔案"))) << said.toStdString();
  EXPECT_FALSE(said.contains(QStringLiteral("錯誤代碼"))) << said.toStdString();
  // No typing-practice program here: a message, and the sheet goes on.
  prompt.calls.clear();
  s.Command6->click();
  EXPECT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(launcher.calls.isEmpty());
  Touch(ProgramFile("pro1"));
  s.Command6->click();
  ASSERT_EQ(launcher.calls.size(), 1);
  EXPECT_EQ(launcher.calls.first().program, ProgramFile("pro1"));
  EXPECT_TRUE(launcher.calls.first().arguments.isEmpty());
  EXPECT_EQ(app.ends, 0);
}

TEST_F(Sheet, ViewingAMissingReportSaysTheFileIsMissing) {
  成績單& s = Up({{7999, "0"}, {7910, "111111"}});
  s.Command4->click();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls.first().text.contains("A123456789.T01"));
  EXPECT_TRUE(desktop.opened.isEmpty());
}

}  // namespace
