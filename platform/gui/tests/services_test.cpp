#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "platform/gui/clipboard.h"
#include "platform/gui/lineprinter.h"
#include "platform/gui/twips.h"
#include "platform/gui/widgetprompt.h"
#include "testsupport/core/fakes.h"
#include "testsupport/gui/fakes.h"

namespace {

using plat::Answer;
using plat::Buttons;

// Clicks the given standard button of the message box that opens next (by
// its role: the texts are Qt's translations).
void ClickLater(QMessageBox::StandardButton button, QString* seenText = nullptr, QString* seenTitle = nullptr) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    if (seenText) *seenText = box->text();
    if (seenTitle) *seenTitle = box->windowTitle();
    if (QAbstractButton* b = box->button(button)) {
      b->click();
      return;
    }
    ADD_FAILURE() << "no button " << int(button);
    box->reject();
  });
}

TEST(WidgetPrompt, AnswersByTheButtonClicked) {
  plat::WidgetPrompt p;
  using M = QMessageBox;
  struct Case {
    Buttons buttons;
    M::StandardButton click;
    Answer answer;
  } cases[] = {
      {Buttons::Ok, M::Ok, Answer::Ok},
      {Buttons::OkCancel, M::Cancel, Answer::Cancel},
      {Buttons::YesNo, M::No, Answer::No},
      {Buttons::YesNoCancel, M::Yes, Answer::Yes},
      {Buttons::RetryCancel, M::Retry, Answer::Retry},
      {Buttons::RetryCancel, M::Cancel, Answer::Cancel},
      {Buttons::AbortRetryIgnore, M::Ignore, Answer::Ignore},
  };
  for (const Case& c : cases) {
    QString text, title;
    ClickLater(c.click, &text, &title);
    EXPECT_EQ(p.Ask(QStringLiteral("無法讀得檔案"), QStringLiteral("警告訊息"), c.buttons, plat::Icon::Exclamation),
              c.answer)
        << int(c.click);
    EXPECT_EQ(text, QStringLiteral("無法讀得檔案"));
    EXPECT_EQ(title, QStringLiteral("警告訊息"));
  }
}

TEST(WidgetPrompt, EscapeGivesTheCancellingAnswer) {
  plat::WidgetPrompt p;
  for (auto [buttons, answer] : {std::pair{Buttons::RetryCancel, Answer::Cancel}, std::pair{Buttons::YesNo, Answer::No},
                                 std::pair{Buttons::Ok, Answer::Ok}}) {
    QTimer::singleShot(0, [] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      box->close();
    });
    EXPECT_EQ(p.Ask("x", "y", buttons), answer);
  }
}

// A box of the program's own choices: it answers by the button pressed,
// and a close from the window manager or Escape does not answer it.
TEST(WidgetPrompt, ChooseAnswersByTheButtonPressedAndOnlyByOne) {
  plat::WidgetPrompt p;
  const QStringList choices = {QStringLiteral("再試一次"), QStringLiteral("存到別的資料夾"), QStringLiteral("不存記錄")};
  for (int pick = 0; pick < 3; ++pick) {
    QStringList seen;
    bool stayedUp = false;
    QTimer::singleShot(0, [&, pick] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      box->close();
      QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(box, &esc);
      stayedUp = box->isVisible();
      for (int i = 0; i < 3; ++i)
        if (auto* b = box->findChild<QPushButton*>(QStringLiteral("Choice%1").arg(i))) seen << b->text();
      if (auto* b = box->findChild<QPushButton*>(QStringLiteral("Choice%1").arg(pick))) b->click();
      else box->reject();
    });
    EXPECT_EQ(p.Choose(QStringLiteral("測驗記錄無法寫入"), QStringLiteral("警告訊息"), choices, plat::Icon::Critical), pick);
    EXPECT_TRUE(stayedUp);
    EXPECT_EQ(seen, choices);
  }
}

// A chord with Ctrl, Alt or Meta on the focused button (an input method's
// on/off key) does not answer the box; a plain Space does.
TEST(WidgetPrompt, OnlyAPlainKeyPressesTheButton) {
  plat::WidgetPrompt p;
  bool stayedUp = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    QAbstractButton* no = box->button(QMessageBox::No);
    ASSERT_NE(no, nullptr);
    no->setFocus();
    auto key = [&](Qt::KeyboardModifiers mods) {
      for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent e(t, Qt::Key_Space, mods, QStringLiteral(" "));
        QApplication::sendEvent(no, &e);
      }
    };
    for (Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::AltModifier),
                                       Qt::KeyboardModifiers(Qt::MetaModifier), Qt::KeyboardModifiers(Qt::ShiftModifier)})
      key(mods);
    stayedUp = box->isVisible();
    key(Qt::NoModifier);
    if (box->isVisible()) box->reject();
  });
  EXPECT_EQ(p.Ask("x", "y", Buttons::YesNo), Answer::No);
  EXPECT_TRUE(stayedUp);
}

// A box whose caller names no title carries the program's; a named one
// keeps its own. Without a program title nothing is made up.
TEST(WidgetPrompt, ABoxNamedByNoOneCarriesTheProgramsTitle) {
  const QString product = QStringLiteral("聽打測驗系統 V2.7");
  plat::SetDefaultBoxTitle([&] { return product; });
  plat::WidgetPrompt p;
  plat::FakePrompt fake;
  struct Case {
    QString given, shown;
  } const cases[] = {{QString(), product}, {QStringLiteral("  "), product}, {QStringLiteral("警告訊息"), QStringLiteral("警告訊息")}};
  for (const Case& c : cases) {
    QString title;
    ClickLater(QMessageBox::Ok, nullptr, &title);
    p.Ask(QStringLiteral("沒有印表機"), c.given);
    EXPECT_EQ(title, c.shown) << c.given.toStdString();
    fake.Ask(QStringLiteral("沒有印表機"), c.given, Buttons::Ok, plat::Icon::None);
    EXPECT_EQ(fake.calls.last().title, c.shown);
    std::unique_ptr<QMessageBox> notice(plat::NewMessageBox(QMessageBox::Information, c.given, QStringLiteral("x"), nullptr));
    EXPECT_EQ(notice->windowTitle(), c.shown);
    EXPECT_EQ(notice->textFormat(), Qt::PlainText);
  }
  QString title;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    box->findChild<QPushButton*>(QStringLiteral("Choice0"))->click();
  });
  p.Choose(QStringLiteral("要重試嗎?"), QString(), {QStringLiteral("重試")}, plat::Icon::None);
  EXPECT_EQ(title, product);
  plat::SetDefaultBoxTitle(nullptr);
  EXPECT_EQ(plat::BoxTitle(QString()), QString());
}

TEST(WidgetPrompt, WindowsFiltersBecomeQtFilters) {
  EXPECT_EQ(plat::QtFileFilter("Test (*.txt)|*.txt;*.ttt|All|*.*"),
            "Test (*.txt *.TXT *.ttt *.TTT);;All (*)");
  EXPECT_EQ(plat::QtFileFilter("Text (*.txt);;All (*)"), "Text (*.txt);;All (*)");
  bool ok = false;
  EXPECT_EQ(plat::ColourFromBgr(0x0000FF, &ok), 0xFFFF0000u);  // red in the low byte
  EXPECT_TRUE(ok);
  EXPECT_EQ(plat::BgrFromRgb(0xFF102030u), 0x302010);
}

TEST(Twips, FifteenToAPixel) {
  EXPECT_EQ(plat::TwipsToPixels(9600), 640);
  EXPECT_EQ(plat::TwipsToPixels(7200), 480);
  EXPECT_EQ(plat::TwipsToPixels(250), 17);
  EXPECT_EQ(plat::TwipsToPixels(7), 0);
  EXPECT_EQ(plat::TwipsToPixels(8), 1);
  EXPECT_EQ(plat::TwipsToPixels(-8), -1);
  QWidget parent;
  QLabel l(&parent);
  plat::SetTwipsGeometry(&l, {1200, 800, 8000, 255});
  EXPECT_EQ(l.geometry(), QRect(80, 53, 533, 17));
  EXPECT_EQ(plat::TwipsGeometry(&l), (plat::TwipsBox{1200, 795, 7995, 255}));
}

TEST(Clipboard, IsEmptiedAndTheFakeCounts) {
  plat::clipboard().SetText("copied answer");
  EXPECT_EQ(plat::clipboard().Text(), "copied answer");
  plat::ClearClipboard();
  EXPECT_TRUE(plat::clipboard().Text().isEmpty());
  plat::FakeClipboard fake;
  plat::SetClipboard(&fake);
  fake.text = "x";
  plat::ClearClipboard();
  plat::SetClipboard(nullptr);
  EXPECT_EQ(fake.clears, 1);
  EXPECT_TRUE(fake.text.isEmpty());
}

int PdfPages(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray pdf = f.readAll();
  if (!pdf.startsWith("%PDF")) return -1;
  return int(pdf.count("/Type /Page\n")) + int(pdf.count("/Type /Page\r")) + int(pdf.count("/Type /Page ")) ;
}

TEST(LinePrinter, PrintsLinesToPdfAndBreaksPages) {
  QTemporaryDir dir;
  plat::QtLinePrinter p;
  p.SetPdfOutput(dir.filePath("one.pdf"));
  EXPECT_TRUE(p.PrintLine(QStringLiteral("姓名:王小明\t成績 98.50")));
  EXPECT_TRUE(p.PrintLine(QString()));
  EXPECT_TRUE(p.EndDoc());
  EXPECT_EQ(p.Pages(), 1);
  EXPECT_EQ(PdfPages(dir.filePath("one.pdf")), 1);

  p.SetPdfOutput(dir.filePath("many.pdf"));
  for (int i = 0; i < 200; ++i) ASSERT_TRUE(p.PrintLine(QStringLiteral("第 %1 行").arg(i)));
  EXPECT_TRUE(p.EndDoc());
  EXPECT_GE(p.Pages(), 3);
  EXPECT_EQ(PdfPages(dir.filePath("many.pdf")), p.Pages());
  EXPECT_TRUE(p.EndDoc());  // nothing open: nothing to send, no error
  EXPECT_EQ(p.LastError(), plat::kPrinterOk);
}

TEST(LinePrinter, PrintsAWindowImageOnItsOwnPage) {
  QTemporaryDir dir;
  plat::QtLinePrinter p;
  p.SetPdfOutput(dir.filePath("sheet.pdf"));
  EXPECT_FALSE(p.PrintImage(QImage()));
  EXPECT_EQ(p.LastError(), plat::kPrinterNoImage);
  QImage img(640, 320, QImage::Format_RGB32);
  img.fill(Qt::white);
  EXPECT_TRUE(p.PrintLine("header"));
  EXPECT_TRUE(p.PrintImage(img));
  EXPECT_TRUE(p.EndDoc());
  EXPECT_EQ(PdfPages(dir.filePath("sheet.pdf")), 2);
}

TEST(LinePrinter, AnUnwritableTargetIsAPrinterError) {
  plat::QtLinePrinter p;
  p.SetPdfOutput("/nonexistent-folder/x.pdf");
  EXPECT_FALSE(p.PrintLine("x"));
  EXPECT_EQ(p.LastError(), plat::kPrinterError);
  plat::FakeLinePrinter fake;
  fake.PrintLine("a");
  fake.EndDoc();
  fake.failWith = plat::kPrinterNotReady;
  EXPECT_FALSE(fake.PrintLine("b"));
  EXPECT_EQ(fake.LastError(), plat::kPrinterNotReady);
  ASSERT_EQ(fake.docs.size(), 1);
  EXPECT_EQ(fake.docs[0], QStringList{"a"});
}

}  // namespace
