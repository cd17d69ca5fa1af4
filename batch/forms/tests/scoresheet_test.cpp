#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>

#include "batch/forms/layout.h"
#include "fixture.h"
#include "platform/gui/twips.h"
#include "testsupport/core/seams.h"

using namespace batchtest;
using batchui::Display;
using batchui::成績單;

namespace {

class Sheet : public BatchUi {
 protected:
  成績單& Open(const QList<Candidate>& candidates = ClassOfThree()) {
    score = WriteScoreFile("Class.R01", candidates);
    settings[804] = "0";
    Display& d = Start({WriteRecord(score, 0, 0)});
    d.Command2_Click();
    return plat::forms::get<成績單>();
  }
  QString score;
};

}  // namespace

TEST_F(Sheet, StepsThroughTheCandidatesWithinTheFile) {
  成績單& s = Open();
  EXPECT_TRUE(s.isVisible());
  EXPECT_TRUE(s.windowTitle().startsWith(QString("成績單") + QString(22, QChar(0x3000))));
  EXPECT_TRUE(s.windowTitle().endsWith(Text(998)));
  EXPECT_EQ(s.Text1->text(), QString("王小明"));
  EXPECT_EQ(s.Label15->text(), QString("共 3 筆資料"));
  EXPECT_EQ(s.TEXT14->text(), QString("第 1 次測驗"));
  EXPECT_EQ(s.Text6->text(), QString("300"));
  EXPECT_EQ(s.Text9->text(), QString("96.77"));
  EXPECT_EQ(s.Text5A->text(), "10:00" + Text(12705));
  struct Step {
    void (成績單::*click)();
    const char* name;
  };
  const Step steps[] = {{&成績單::Command9_Click, "王小明"},
                        {&成績單::Command8_Click, "李小華"},
                        {&成績單::Command8_Click, "陳大同"},
                        {&成績單::Command8_Click, "陳大同"},
                        {&成績單::Command9_Click, "李小華"}};
  for (const Step& st : steps) {
    (s.*st.click)();
    EXPECT_EQ(s.Text1->text(), QString(st.name));
  }
  EXPECT_EQ(s.TEXT14->text(), QString("第 2 次測驗"));
  // The value of each result row sits in the blanks of its caption.
  EXPECT_GT(s.Text6->x(), s.Label6->x());
  EXPECT_LT(s.Text6->geometry().right(), s.Label6->x() + s.Label6->fontMetrics().horizontalAdvance(s.Label6->text()));
  // Back to the main window.
  s.Command3_Click();
  EXPECT_FALSE(s.isVisible());
  EXPECT_TRUE(plat::forms::get<Display>().isVisible());
}

TEST_F(Sheet, SizeSnapsBackCentred) {
  成績單& s = Open();
  s.resize(200, 100);
  EXPECT_EQ(s.width(), plat::TwipsToPixels(9000));
  EXPECT_EQ(s.height(), plat::TwipsToPixels(5300));
}

TEST_F(Sheet, PrintsTheTypedTextAndWaitsForTheNextCandidate) {
  成績單& s = Open();
  s.Command8_Click();
  s.Command2_Click();
  EXPECT_FALSE(s.isVisible());
  EXPECT_TRUE(plat::forms::get<Display>().isVisible());  // the user returns through it
  ASSERT_EQ(printer.docs.size(), 1);
  EXPECT_EQ(printer.docs[0], (QStringList{"李小華 的打字稿", "第二行"}));
  EXPECT_FALSE(s.Command2->isEnabled());
  // The notice closes itself on the sixth tick.
  auto& notice = plat::forms::get<batchui::處理列印中>();
  EXPECT_TRUE(notice.isVisible());
  EXPECT_EQ(notice.windowTitle(), Text(997));
  sched.Advance(5000);
  EXPECT_TRUE(notice.isVisible());
  sched.Advance(1000);
  EXPECT_FALSE(plat::forms::exists<batchui::處理列印中>());
  // Still disabled until a step, even at the last record.
  s.Show();
  EXPECT_FALSE(s.Command2->isEnabled());
  s.Command8_Click();
  EXPECT_TRUE(s.Command2->isEnabled());
}

TEST_F(Sheet, AFailedPrintOfTheTypedTextCanBeTriedAgain) {
  成績單& s = Open();
  printer.failWith = plat::kPrinterNotReady;
  s.Command2_Click();
  EXPECT_TRUE(printer.docs.isEmpty());
  EXPECT_TRUE(s.Command2->isEnabled());
  printer.failWith = plat::kPrinterOk;
  s.Command2_Click();
  EXPECT_EQ(printer.docs.size(), 1);
  EXPECT_FALSE(s.Command2->isEnabled());
}

TEST_F(Sheet, ThePrintingNoticeRefusesACloseFromOutside) {
  成績單& s = Open();
  s.Command2_Click();
  auto& notice = plat::forms::get<batchui::處理列印中>();
  sched.Advance(2000);
  QCloseEvent close;
  QCoreApplication::sendEvent(&notice, &close);  // the window manager's close
  ASSERT_TRUE(plat::forms::exists<batchui::處理列印中>());
  EXPECT_TRUE(notice.isVisible());
  sched.Advance(4000);
  EXPECT_FALSE(plat::forms::exists<batchui::處理列印中>());
}

// A record without a duration shows none: never the time of the candidate
// shown before it.
TEST_F(Sheet, AnEmptyDurationShowsEmpty) {
  QList<Candidate> two = ClassOfThree().mid(0, 2);
  two[1].duration = "";
  成績單& s = Open(two);
  EXPECT_EQ(s.Text5A->text(), "10:00" + Text(12705));
  s.Command8_Click();
  EXPECT_EQ(s.Text1->text(), QString("李小華"));
  EXPECT_EQ(s.Text5A->text(), QString());
  s.Command9_Click();
  EXPECT_EQ(s.Text5A->text(), "10:00" + Text(12705));
}

TEST_F(Sheet, TypedTextWithPaddedPathOpensInTheEditor) {
  成績單& s = Open();
  s.Command4_Click();
  ASSERT_EQ(desktop.opened.size(), 1);
  EXPECT_EQ(desktop.opened[0], QUrl::fromLocalFile(root + "Data/typed1.S01"));
  // No viewer on the desktop: a box says so and where the typed text is.
  desktop.result = false;
  s.Command4_Click();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.startsWith(QStringLiteral("找不到顯示文字檔的程式"))) << prompt.calls[0].text.toStdString();
  EXPECT_TRUE(prompt.calls[0].text.contains(QStringLiteral("typed1.S01")));
  EXPECT_TRUE(Logged("無法開啟打字稿"));
  desktop.result = true;
  desktop.opened.clear();
  prompt.calls.clear();
  QFile::remove(root + "Data/typed1.S01");
  s.Command4_Click();
  EXPECT_TRUE(desktop.opened.isEmpty());
  EXPECT_TRUE(Logged("找不到打字稿"));
  // Printing a missing typed text prints nothing.
  s.Command2_Click();
  EXPECT_TRUE(printer.docs.isEmpty());
}

TEST_F(Sheet, PrintsItsOwnImageWithoutTheButtons) {
  成績單& s = Open();
  s.Command1_Click();
  ASSERT_EQ(printer.images.size(), 1);
  EXPECT_EQ(printer.images[0].size(), s.size());
  // White while printed; light grey afterwards; the buttons are back.
  EXPECT_EQ(printer.images[0].pixelColor(2, 2), QColor(255, 255, 255));
  EXPECT_EQ(s.palette().color(QPalette::Window), QColor(0xC0, 0xC0, 0xC0));
  EXPECT_TRUE(s.Command1->isVisible());
  EXPECT_TRUE(s.Command10->isVisible());
  // A failing printer is said, not silent.
  printer.failWith = plat::kPrinterNotReady;
  s.Command1_Click();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_TRUE(prompt.calls[0].text.endsWith("484"));
  EXPECT_TRUE(s.Command9->isVisible());
}

TEST_F(Sheet, PrintsToPdf) {
  成績單& s = Open();
  plat::QtLinePrinter pdf;
  pdf.SetPdfOutput(root + "sheet.pdf");
  seams.Set(plat::SetPrinter, &pdf);
  s.Command1_Click();
  plat::QtLinePrinter text;
  text.SetPdfOutput(root + "typed.pdf");
  seams.Set(plat::SetPrinter, &text);
  s.Command2_Click();
  seams.Set(plat::SetPrinter, &printer);
  for (const char* f : {"sheet.pdf", "typed.pdf"}) {
    QByteArray bytes;
    ASSERT_TRUE(plat::readAllBytes(root + f, bytes)) << f;
    EXPECT_TRUE(bytes.startsWith("%PDF")) << f;
    EXPECT_GT(bytes.size(), 1000) << f;
  }
  EXPECT_TRUE(prompt.calls.isEmpty());
}

TEST_F(Sheet, ChoosesScoreFiles) {
  成績單& s = Open();
  const QString other = WriteScoreFile("Data/Other.R07", {ClassOfThree()[2]});
  prompt.files = {other};
  s.Command10_Click();
  ASSERT_FALSE(prompt.calls.isEmpty());
  EXPECT_EQ(s.FileName(), other);
  EXPECT_EQ(s.Text1->text(), QString("陳大同"));
  EXPECT_EQ(s.Label15->text(), QString("共 1 筆資料"));
  // Cancel: cleared, then the same file again.
  s.Command10_Click();
  EXPECT_EQ(s.Text1->text(), QString("陳大同"));
  EXPECT_EQ(batch::batch().table.LoadedCount(), 1);
  // A file that is gone: the table stays empty, no message.
  QFile::remove(other);
  const int before = int(prompt.calls.size());
  s.Command10_Click();
  EXPECT_EQ(batch::batch().table.LoadedCount(), 0);
  EXPECT_EQ(s.Text1->text(), QString());
  EXPECT_EQ(prompt.calls.size(), before + 1);  // the dialog only
}

TEST_F(Sheet, NewestScoreFileOfTheDataFolder) {
  成績單& s = Open();
  // The data folder (setting 202) is the program folder: Class.R01.
  s.Command8_Click();
  s.Command7_Click();
  EXPECT_EQ(s.FileName(), root + "Class.R01");
  EXPECT_EQ(s.Text1->text(), QString("王小明"));
  WriteScoreFile("Newer.R02", {ClassOfThree()[1]});
  s.Command7_Click();
  EXPECT_EQ(s.Text1->text(), QString("李小華"));
  EXPECT_TRUE(prompt.calls.isEmpty());

  batch::batch().settings.SettingValue(202, root + "Data");  // an empty folder
  s.Command7_Click();
  ASSERT_EQ(prompt.calls.size(), 1);
  EXPECT_EQ(prompt.calls[0].text, QString("找不到檔案,請手動輸入正確檔名"));
  EXPECT_EQ(prompt.calls[0].title, QString("警告"));
  EXPECT_EQ(s.FileName(), QString());
  EXPECT_EQ(s.Text1->text(), QString("李小華"));  // the table as it was
}

TEST_F(Sheet, OutColorPaintsTheTenValues) {
  成績單& s = Open();
  s.OutColor(float(0x0000FF));  // red in 0x00BBGGRR
  for (QLabel* l : {s.TEXT3, s.TEXT4, s.Text5A, s.Text6, s.Text7, s.Text8, s.Text9, s.TEXT10, s.TEXT11, s.TEXT14})
    EXPECT_EQ(l->palette().color(QPalette::Window), QColor(255, 0, 0)) << l->objectName().toStdString();
  EXPECT_NE(s.Text1->palette().color(QPalette::Window), QColor(255, 0, 0));
}

// The sheet names the identity number and the birthday as the main window
// does, never a seat and a class it does not show.
TEST_F(Sheet, TheIdentityRowsAreNamedAsInTheMainWindow) {
  成績單& s = Open();
  const Display& d = plat::forms::get<Display>();
  EXPECT_EQ(s.TEXT2->text(), QString("A123456789"));
  EXPECT_EQ(s.Label2->text(), d.Label02->text());
  EXPECT_EQ(s.Label2->text(), Text(13936));
  EXPECT_EQ(s.Label12->text(), d.Label03->text());
  EXPECT_EQ(s.Label12->text(), Text(13935));
}

TEST_F(Sheet, TheIdentityRowTakesItsNameFromTheSettingAsInTheMainWindow) {
  settings[918] = "IDENTITY|准考證號：";
  settings[916] = "CLASSDAT|班級：";
  成績單& s = Open();
  EXPECT_EQ(s.Label2->text(), QString("准考證號："));
  EXPECT_EQ(s.Label2->text(), plat::forms::get<Display>().Label02->text());
  EXPECT_EQ(s.Label12->text(), Text(13935));  // the birthday stays the birthday
}

TEST(BatchRules, IdentityRowCaptions) {
  auto store = [](int id) { return QStringLiteral("<%1>").arg(id); };
  EXPECT_EQ(batchui::IdentityRowCaptions(store, "").identity, QString("<13936>"));
  EXPECT_EQ(batchui::IdentityRowCaptions(store, "").birthday, QString("<13935>"));
  EXPECT_EQ(batchui::IdentityRowCaptions(store, "a|b|證號：").identity, QString("證號："));
  EXPECT_EQ(batchui::IdentityRowCaptions(store, "no bar").identity, QString());  // as the main window reads it
}
