#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMouseEvent>

#include "batch/core/scorefile.h"
#include "batch/core/summaryfile.h"
#include "batch/forms/captions.h"
#include "batch/forms/formkit.h"
#include "batch/forms/layout.h"
#include "common/workfolders.h"
#include "fixture.h"
#include "platform/gui/titlebar.h"
#include "platform/gui/twips.h"
#include "testsupport/core/readonlyfolder.h"

using namespace batchtest;
using batchui::Display;

namespace {

QStringList ResultFields(const QString& path) {
  QByteArray bytes;
  plat::readAllBytes(path, bytes);
  EXPECT_TRUE(bytes.endsWith("|\r\n"));
  QString line = plat::fromCp950(bytes);
  line.chop(3);
  return line.split(u'|');
}

}  // namespace

TEST(BatchRules, CommandFields) {
  struct Case {
    QStringList args;
    QStringList first;  // fields 0, 1, 2
    bool dropped;
  };
  const Case cases[] = {
      {{"/tmp/~T1.ttt,/opt/t/Tavrel"}, {"/tmp/~T1.ttt", "/opt/t/Tavrel", ""}, false},
      {{",/opt/t/Tavrel"}, {"", "/opt/t/Tavrel", ""}, false},       // no record named
      {{"/tmp/a b.txt,", "x"}, {"/tmp/a b.txt", " x", ""}, false},  // arguments joined by a blank
      {{}, {"", "", ""}, false},
      {{"0,1,2,3,4,5,6,7,8,9,10,11,12"}, {"0", "1", "2"}, true},
      {{"0,1,2,3,4,5,6,7,8,9,10,"}, {"0", "1", "2"}, false},
  };
  for (const Case& c : cases) {
    bool dropped = false;
    const QStringList f = batchui::CommandFields(c.args, &dropped);
    ASSERT_EQ(f.size(), 11);
    EXPECT_EQ(f.mid(0, 3), c.first) << c.args.join(' ').toStdString();
    EXPECT_EQ(dropped, c.dropped) << c.args.join(' ').toStdString();
  }
  EXPECT_EQ(batchui::CommandFields({"0,1,2,3,4,5,6,7,8,9,10,11"})[10], QString("10"));
}

TEST(BatchRules, GradeByTheSpeedScale) {
  struct Case {
    double speed;
    int s701;
    int text;
  };
  const Case cases[] = {{90, 1, 12404},  {89.9, 1, 12405}, {75, 1, 12405}, {10, 1, 12409}, {9.99, 1, 12410},
                        {150, 0, 12404}, {149, 0, 12405},  {90, 0, 12406}, {60, 0, 12407}, {30, 0, 12408},
                        {12, 0, 12409},  {11.9, 0, 12410}, {0, 0, 12410},  {200, 3, 12404}};
  for (const Case& c : cases) EXPECT_EQ(batchui::GradeText(c.speed, c.s701), c.text) << c.speed << " " << c.s701;
}

TEST(BatchRules, IdentityLayout) {
  struct Case {
    const char* s915;
    QList<int> tops;
    QList<bool> hidden;
  };
  const Case cases[] = {
      {"12341111", {50, 300, 550, 800}, {false, false, false, false}},
      {"12341110", {150, 450, 750, 1050}, {false, false, false, true}},
      {"12341100", {200, 500, 800, 1100}, {false, false, true, true}},
      {"12341000", {250, 350, 450, 550}, {false, true, true, true}},
      {"1234x2x2", {250, 350, 450, 550}, {false, false, false, false}},  // neither shown nor hidden
  };
  for (const Case& c : cases) {
    const auto places = batchui::IdentityLayout(c.s915);
    ASSERT_EQ(places.size(), 4) << c.s915;
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(places[i].code, i + 1);
      EXPECT_EQ(places[i].top, c.tops[i]) << c.s915 << " " << i;
      EXPECT_EQ(places[i].hide, c.hidden[i]) << c.s915 << " " << i;
    }
  }
  EXPECT_TRUE(batchui::IdentityLayout("1234").isEmpty());
  EXPECT_TRUE(batchui::IdentityLayout("123411110").isEmpty());
  EXPECT_EQ(batchui::IdentityLayout("x2341111")[0].code, 0);  // places nothing, still advances
}

TEST(BatchRules, TitlePadding) {
  auto width = [](const QString& s) { return int(s.size()) * 10; };
  // 3 + n + 2 characters fit in 100 up to n = 5.
  EXPECT_EQ(plat::PadTitle("總成績", "製作", 100, width), QString("總成績") + QString(5, ' ') + "製作");
  // A very wide window: the loop stops at 500 blanks; a narrow one keeps one.
  EXPECT_EQ(plat::PadTitle("A", "B", 1000000, width).size(), 502);
  EXPECT_EQ(plat::PadTitle("A", "B", 10, width), QString("A B"));
  EXPECT_EQ(batchui::FrmShowCol("key|座號：", 1), QString("座號："));
  EXPECT_EQ(batchui::FrmShowCol("a|b|c", 0), QString("a|b"));
  EXPECT_EQ(batchui::FrmShowCol("座號", 1), QString());
}

TEST(BatchRules, CaptionTableOfTheMainWindow) {
  const common::FormCaptions* t = batchui::BatchCaptions(batchui::kDisplayForm);
  ASSERT_NE(t, nullptr);
  QStringList rows;
  for (const auto& c : t->texts) rows << QString::number(c.number) + u'=' + (c.control.isEmpty() ? "." : c.control);
  EXPECT_EQ(rows.join(' '), QString("12400=. 13934=Label01 13936=Label02 13935=Label03 13948=Label04 "
                                    "13947=Label05 13938=Label06 13941=Label07 13942=Label08 13943=Label09 "
                                    "13944=Label10 13945=Label11 13946=Label12 13937=Label14 12402=Command1 "
                                    "12403=Command2 10119=Command3 12401=Label1"));
  EXPECT_EQ(t->fonts.size(), 1 + 13 + 3 + 1);
  EXPECT_EQ(t->fonts[0], QString());
  EXPECT_EQ(t->fonts[1], QString("Label01"));
  for (int code : {8, 18, 21}) EXPECT_NE(batchui::BatchCaptions(code), nullptr);
  EXPECT_EQ(batchui::BatchCaptions(16), nullptr);
}

TEST_F(BatchUi, CaptionsFromTheStoreAndEmptyWithoutThem) {
  settings.clear();  // a settings file that gives none of the texts
  settings[915] = "12341111";
  Display& d = Start({});
  EXPECT_EQ(d.Label01->text(), QString());
  EXPECT_EQ(d.Label12->text(), QString());
  EXPECT_EQ(d.Command1->text(), QString());
  EXPECT_EQ(d.Label1->text(), QString());
  // The title is rebuilt from 12400 (empty) and the maker line.
  EXPECT_TRUE(d.windowTitle().startsWith(' '));
  EXPECT_TRUE(d.windowTitle().endsWith(batch::batch().settings.MakerLine()));
}

TEST_F(BatchUi, ShowsTheSummaryOfTheScoreFileTheRecordNames) {
  settings[915] = "12341111";
  settings[916] = "CLASSDAT|班級：";
  settings[918] = "IDENTITY|准考證號：";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 0) + "," + root + "Tavrel"});
  EXPECT_TRUE(d.isVisible());
  EXPECT_FALSE(d.HandedToSheet());
  EXPECT_EQ(d.Fields()[1], root + "Tavrel");
  // Captions of the table, then the summary the score table computed.
  EXPECT_EQ(d.Label01->text(), Text(13934));
  EXPECT_EQ(d.Label02->text(), QString("准考證號："));
  EXPECT_EQ(d.Label14->text(), QString("班級："));
  EXPECT_EQ(d.Command3->text(), Text(10119));
  EXPECT_EQ(d.Label1->text(), QString("請先等監考老師登記完畢後，再跳離本畫面,否則視同零分!"));
  const batch::DisplayTexts& t = batch::batch().table.Display();
  EXPECT_EQ(d.TEXT01->text(), QString("王小明"));
  EXPECT_EQ(d.TEXT04->text(), QString("3"));
  EXPECT_EQ(d.TEXT05->text(), Text(12701));
  EXPECT_EQ(d.TEXT06->text(), QString("2026/3/5 上午 09:00:00"));
  EXPECT_EQ(d.TEXT09->text(), QString("311 字"));
  EXPECT_EQ(d.TEXT12->text(), t.TEXT12);
  EXPECT_EQ(d.TEXT12->text(), QString("31.1 字/分"));
  EXPECT_EQ(d.TEXT13->text(), QString("10:00"));
  EXPECT_EQ(d.TEXT09->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(d.TEXT12->palette().color(QPalette::WindowText), QColor(0, 0, 255));  // 882 = 30
  // The identity block by 915; the title keeps the maker line at its end.
  EXPECT_EQ(batchui::BoxTwips(d.Label03).top, 300);
  EXPECT_EQ(batchui::BoxTwips(d.TEXT02).top, 550);
  EXPECT_EQ(batchui::BoxTwips(d.TEXT14).top, 800);
  EXPECT_TRUE(d.windowTitle().startsWith(Text(12400) + "  "));
  EXPECT_TRUE(d.windowTitle().endsWith(Text(998)));
  // Measured in the title bar's bold font: within its room, padded as far
  // as that allows.
  const QFontMetrics bar(plat::TitleBarFont(d.font()));
  EXPECT_LE(bar.horizontalAdvance(d.windowTitle()), plat::TitleBarRoom(&d));
  EXPECT_GT(bar.horizontalAdvance(d.windowTitle() + u' '), plat::TitleBarRoom(&d));
  EXPECT_TRUE(d.Command2->isVisibleTo(&d));
  EXPECT_TRUE(d.Command3->isVisibleTo(&d));
  EXPECT_TRUE(Logged("總成績..."));
}

TEST_F(BatchUi, AFolderTheResultsCannotGoToIsSaidAndTheWindowStillShows) {
  QDir().mkpath(root + "张");
  qputenv("TMP", (root + "张").toUtf8());  // a path the records cannot hold
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 0) + "," + root + "Tavrel"});
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.startsWith(common::BatchFolderLead()));
  EXPECT_TRUE(prompt.calls[0].text.contains("暫存資料夾:" + root + "张")) << prompt.calls[0].text.toStdString();
  EXPECT_TRUE(d.isVisible());
}

TEST_F(BatchUi, SettingsHideButtonsAndTheBirthday) {
  settings[802] = "0";
  settings[992] = "0";
  settings[932] = "9";
  settings[915] = "12341110";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 0)});
  EXPECT_FALSE(d.Command2->isVisibleTo(&d));
  EXPECT_FALSE(d.Command3->isVisibleTo(&d));
  EXPECT_FALSE(d.Label03->isVisibleTo(&d));
  EXPECT_FALSE(d.TEXT03->isVisibleTo(&d));
  EXPECT_FALSE(d.TEXT14->isVisibleTo(&d));  // flag 0 of the fourth position
  EXPECT_EQ(batchui::BoxTwips(d.TEXT01).top, 150);
}

TEST_F(BatchUi, UnattendedDeliveryRunsOnceOnTheFirstActivation) {
  settings[804] = "1";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 1, root + "remote\\")});
  EXPECT_TRUE(d.FirstActivationDone());
  // The summary record is the fourth record, the result line beside it.
  EXPECT_EQ(SizeOf(score), 4 * 252);
  batch::ScoreRow last;
  ASSERT_TRUE(batch::ReadScoreRecordAt(score, 4, last));
  EXPECT_EQ(last.testNumber, 0);
  EXPECT_EQ(last.testFile, Text(12701));
  const QString result = batch::batch().ResultFileName();
  EXPECT_EQ(QFileInfo(result).fileName(), QString("Class_03050301.Sco"));
  const QStringList f = ResultFields(result);
  ASSERT_EQ(f.size(), 23);
  EXPECT_EQ(f[2], Text(12703));  // the result line's own method text
  EXPECT_EQ(f[3], QString("王小明"));
  // Delivery mode 1: both files in the remote folder (none there before: 00).
  EXPECT_TRUE(QFileInfo::exists(root + "remote/Class.R00"));
  EXPECT_EQ(SizeOf(root + "remote/Class.R00"), 4 * 252);
  EXPECT_TRUE(QFileInfo::exists(root + "remote/Class_03050301.Sco"));

  // Back from another window: the grade again, never the delivery.
  d.Hide();
  d.Show();
  EXPECT_EQ(SizeOf(score), 4 * 252);
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(BatchUi, NoDeliveryWithoutCandidatesOrWhenSettingSaysOnExit) {
  settings[804] = "2";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 1, root + "remote")});
  EXPECT_EQ(SizeOf(score), 3 * 252);
  EXPECT_FALSE(d.FirstActivationDone());
  // On exit with 804 = 2: appended, copied, then the end.
  d.Command1_Click();
  EXPECT_EQ(SizeOf(score), 4 * 252);
  EXPECT_TRUE(QFileInfo::exists(root + "remote/Class.R00"));
  EXPECT_EQ(app.ends, 1);
  EXPECT_TRUE(desktop.opened.isEmpty());  // 9901 = 0
}

// A summary record that cannot be appended stops every later step: no
// result line, no copy, no upload of a score file without its summary; the
// message names the file. On exit the program ends with a failing code.
TEST_F(BatchUi, ASummaryThatCannotBeWrittenStopsTheDelivery) {
  for (const char* when : {"1", "2"}) {
    SCOPED_TRACE(when);
    if (QString(when) == "2") Afresh();
    QDir(root + "remote").removeRecursively();
    QDir().mkpath(root + "remote");
    settings[804] = when;
    const QString score = WriteScoreFile("Class.R01", ClassOfThree());
    int appends = 0;
    batch::batch().summary = batch::SummaryFile({[](const QString& s) { batch::batch().WriteErrorLog(s); }, {},
                                                 [&](const QString&, const batch::ScoreRow&, const auto&) {
                                                   ++appends;
                                                   scoring::AppendOutcome out;
                                                   out.error = QStringLiteral("disk full");
                                                   return out;
                                                 }});
    Display& d = Start({WriteRecord(score, 0, 7, root + "remote", "127.0.0.1")});
    if (QString(when) == "2") d.Command1_Click();
    EXPECT_EQ(appends, 1);
    EXPECT_EQ(SizeOf(score), 3 * 252);
    EXPECT_TRUE(batch::batch().ResultFileName().isEmpty());
    EXPECT_TRUE(QDir(root).entryList({"*.Sco"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(root + "remote").entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(plat::forms::exists<batchui::frmClient>());
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_TRUE(prompt.calls[0].text.contains(score));
    EXPECT_TRUE(Logged(QStringLiteral("總成績無法寫入成績檔,不送出>") + score));
    EXPECT_TRUE(Logged("disk full"));
    // Delivered unattended at the start (804 = 1), the program still waits
    // for the exit button, and then fails too.
    if (QString(when) == "1") {
      EXPECT_EQ(app.ends, 0);
      d.Command1_Click();
    }
    EXPECT_EQ(app.ends, 1);
    EXPECT_EQ(app.code, batchui::kExitNotDelivered);
  }
}

// The summary record goes in, its result line cannot be written (the score
// file's folder is read-only, the score file is not: the folder's mode for
// an account, a read-only bind mount for root). Said, logged, and the
// program fails on exit whatever 804 says.
TEST_F(BatchUi, AResultLineThatCannotBeWrittenIsToldAndTheProgramFailsOnExit) {
  for (const char* when : {"1", "2"}) {
    SCOPED_TRACE(when);
    if (QString(when) == "2") Afresh();
    settings[804] = when;
    ASSERT_TRUE(QDir().mkpath(root + "scores"));
    const QString score = WriteScoreFile("scores/Class.R01", ClassOfThree());
    const testing_fs::ReadOnlyFolder readOnly(root + "scores", {score});
    ASSERT_TRUE(readOnly.ok()) << readOnly.error().toStdString();
    Display& d = Start({WriteRecord(score, 0, 0)});
    d.Command1_Click();
    EXPECT_EQ(SizeOf(score), 4 * 252);
    EXPECT_TRUE(QDir(root + "scores").entryList({"*.Sco"}, QDir::Files).isEmpty());
    EXPECT_TRUE(batch::batch().ResultFileName().isEmpty());
    ASSERT_EQ(prompt.calls.size(), 1);
    EXPECT_TRUE(prompt.calls[0].text.contains("結果檔無法寫入"));
    EXPECT_TRUE(Logged(QStringLiteral("總成績的結果檔無法寫入>") + score));
    EXPECT_EQ(app.ends, 1);
    EXPECT_EQ(app.code, batchui::kExitNotDelivered);
  }
}

TEST_F(BatchUi, AScoreFileOfSummariesOnlyIsNotSummarisedAgain) {
  settings[804] = "1";
  const QString score = WriteScoreFile("Class.R01", {});
  Start({WriteRecord(score, 0, 1, root + "remote")});
  EXPECT_EQ(SizeOf(score), 0);
  EXPECT_TRUE(batch::batch().ResultFileName().isEmpty());
  EXPECT_FALSE(QFileInfo::exists(root + "remote/Class.R00"));
  EXPECT_TRUE(Logged("沒有可以傳送的成績"));
}

TEST_F(BatchUi, GradeLines) {
  settings[7902] = "1";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  settings[800] = "2";  // average speed 31.1: 丙等 on the upper scale
  Display& d = Start({WriteRecord(score, 0, 0)});
  EXPECT_TRUE(d.Label1->isVisibleTo(&d));
  EXPECT_EQ(d.Label1->text(), Text(12411) + Text(12408) + Text(12412));
  EXPECT_EQ(d.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(batchui::BoxTwips(d.Label1), (plat::TwipsBox{1500, 4000, 4500, 200}));
  EXPECT_EQ(d.Label2->text(), Text(12413));
  EXPECT_EQ(d.Label3->text(), Text(12414));
  EXPECT_EQ(d.Label4->text(), batchui::kMakerMail);
  EXPECT_TRUE(d.Label4->isVisibleTo(&d));
  // The contact line opens the web page.
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(d.Label4, &press);
  ASSERT_EQ(desktop.opened.size(), 1);
  EXPECT_EQ(desktop.opened[0], QUrl("http://www.example.org/batch"));
  EXPECT_EQ(beeper.beeps, 1);
}

TEST_F(BatchUi, LowGradeAndNoGrade) {
  settings[7902] = "1";
  settings[701] = "1";
  const QString score = WriteScoreFile("Slow.R01", {{"王小明", "A123456789", {90, 10, 80, 90, 10, 9.99f}}});
  Display& d = Start({WriteRecord(score, 0, 0)});
  EXPECT_EQ(d.Label1->text(), Text(12410));
  EXPECT_EQ(d.Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  EXPECT_EQ(batchui::BoxTwips(d.Label1), (plat::TwipsBox{1500, 4210, 4800, 300}));
  EXPECT_FALSE(d.Label2->isVisibleTo(&d));

  // Switch 7902 off: the notice line alone.
  plat::FormRegistry::DestroyAll();
  batch::ResetBatch();
  common::ResetCommonState();
  settings.remove(7902);
  Display& e = Start({WriteRecord(score, 0, 0)});
  EXPECT_TRUE(e.Label1->isVisibleTo(&e));
  EXPECT_EQ(e.Label1->text(), QString("請先等監考老師登記完畢後，再跳離本畫面,否則視同零分!"));
  EXPECT_FALSE(e.Label2->isVisibleTo(&e));
}

TEST_F(BatchUi, WithoutARecordTheNewestNumberedScoreFileIsShown) {
  WriteScoreFile("Class.R01", ClassOfThree());
  WriteScoreFile("Other.R03", {ClassOfThree()[1], ClassOfThree()[2]});
  WriteScoreFile("Class.S04", ClassOfThree());  // another letter
  for (const QStringList& args : {QStringList{}, QStringList{",x"}, QStringList{root + "missing.txt"}}) {
    plat::FormRegistry::DestroyAll();
    batch::ResetBatch();
    common::ResetCommonState();
    Display& d = Start(args);
    EXPECT_TRUE(d.isVisible()) << args.join(' ').toStdString();
    EXPECT_EQ(batch::batch().table.ScoreFileName(), root + "Other.R03");
    EXPECT_EQ(d.TEXT04->text(), QString("2"));
    // The sheet shows the first candidate.
    EXPECT_EQ(plat::forms::get<batchui::成績單>().Text1->text(), QString("李小華"));
  }
  EXPECT_TRUE(Logged("找不到測驗記錄檔"));
}

TEST_F(BatchUi, NoScoreFileAnywhereOpensTheSheetInstead) {
  Display& d = Start({});
  EXPECT_TRUE(d.HandedToSheet());
  EXPECT_FALSE(d.isVisible());
  auto& sheet = plat::forms::get<batchui::成績單>();
  EXPECT_TRUE(sheet.isVisible());
  // Closing the sheet never leaves the program without a window.
  sheet.close();
  EXPECT_FALSE(sheet.isVisible());
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(plat::forms::exists<batchui::成績單>());
}

TEST_F(BatchUi, ExitOpensTheWebPageWhenAsked) {
  settings[9901] = "1";
  settings[804] = "0";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 1, root + "remote")});
  d.Command1_Click();
  EXPECT_EQ(app.ends, 1);
  ASSERT_EQ(desktop.opened.size(), 1);
  EXPECT_EQ(desktop.opened[0].scheme(), QString("http"));
  EXPECT_EQ(beeper.beeps, 1);
  EXPECT_EQ(SizeOf(score), 3 * 252);  // 804 not 2: nothing delivered
}

TEST_F(BatchUi, TitleBarCloseIsTheExitButton) {
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  settings[804] = "0";
  Display& d = Start({WriteRecord(score, 0, 0)});
  d.close();
  EXPECT_EQ(app.ends, 1);
}

TEST_F(BatchUi, WebAndMailAddressesAreCheckedNeverRun) {
  settings[9902] = "javascript:alert(1)";
  settings[997] = "Tavrel 聽打 測驗 V2.7";
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  Display& d = Start({WriteRecord(score, 0, 0)});
  d.EnterWWW();
  EXPECT_TRUE(desktop.opened.isEmpty());
  EXPECT_EQ(beeper.beeps, 1);
  EXPECT_TRUE(Logged("EnterWWW>網址不正確"));
  d.EnterMail();
  ASSERT_EQ(desktop.opened.size(), 1);
  const QUrl mail = desktop.opened[0];
  EXPECT_EQ(mail.scheme(), QString("mailto"));
  EXPECT_EQ(mail.path(), QString("service@example.org"));
  EXPECT_EQ(QUrl::fromPercentEncoding(mail.query(QUrl::FullyEncoded).mid(8).toLatin1()), QString("Tavrel聽打測驗V2.7"));
  EXPECT_EQ(beeper.beeps, 2);
  // Which addresses pass: platform/core's WebUrl and MailUrl tests.
}

TEST_F(BatchUi, FloppyCopyByTheRecordsFirstAttribute) {
  settings[804] = "1";
  QDir().mkpath(root + "floppyA");
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  const QString record = WriteRecord(score, 3, 0);
  WriteSettings();
  batch::batch().drives = {root + "floppyA", QString()};
  Start({record});
  EXPECT_EQ(SizeOf(root + "floppyA/Class.R01"), 4 * 252);
  EXPECT_TRUE(QFileInfo::exists(root + "floppyA/Class_03050301.Sco"));
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(BatchUi, ContactWindow) {
  const QString score = WriteScoreFile("Class.R01", ClassOfThree());
  settings[10802] = "mail:";
  Display& d = Start({WriteRecord(score, 0, 0)});
  d.Command3_Click();
  auto& c = plat::forms::get<batchui::frmLiaison>();
  EXPECT_TRUE(c.isVisible());
  EXPECT_EQ(c.windowTitle(), Text(997));
  EXPECT_EQ(c.Label2->text(), QString("mail:service@example.org"));
  EXPECT_EQ(c.Label3->text(), QString("http://www.example.org/"));
  c.Label3_Click();
  c.Label2_Click();
  ASSERT_EQ(desktop.opened.size(), 2);
  EXPECT_EQ(desktop.opened[0], QUrl("http://www.example.org/"));
  EXPECT_EQ(desktop.opened[1].scheme(), QString("mailto"));
  EXPECT_TRUE(QUrl::fromPercentEncoding(desktop.opened[1].query(QUrl::FullyEncoded).toLatin1())
                  .startsWith("subject=Tavrel聽打測驗V2.7["));
  EXPECT_EQ(beeper.beeps, 2);
  c.Command1_Click();
  EXPECT_FALSE(c.isVisible());
}
