#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/gui/translations.h"
#include "platform/gui/widgetprompt.h"

namespace {

// A button's text less its keyboard mnemonic: "否(&N)" -> "否", "&Open" -> "Open".
QString Plain(QString text) {
  static const QRegularExpression mnemonic(QStringLiteral("\\(&[A-Za-z]\\)"));
  return text.remove(mnemonic).remove(u'&');
}

QStringList ButtonTexts(QWidget* dialog) {
  QStringList texts;
  for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
    if (b->isVisible() && !b->text().isEmpty()) texts << Plain(b->text());
  return texts;
}

TEST(QtTranslations, PromptsShowChineseButtons) {
  ASSERT_TRUE(plat::InstallQtTranslations());
  EXPECT_TRUE(plat::InstallQtTranslations());  // a second call adds nothing

  plat::WidgetPrompt prompt;
  struct Case {
    plat::Buttons buttons;
    QStringList expected, names;
  } cases[] = {
      {plat::Buttons::OkCancel, {"確定", "取消"}, {"Ok", "Cancel"}},
      {plat::Buttons::YesNoCancel, {"是", "否", "取消"}, {"Yes", "No", "Cancel"}},
      {plat::Buttons::RetryCancel, {"重試", "取消"}, {"Retry", "Cancel"}},
      {plat::Buttons::AbortRetryIgnore, {"終止", "重試", "忽略"}, {"Abort", "Retry", "Ignore"}},
  };
  for (const Case& c : cases) {
    QStringList seen;
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      seen = ButtonTexts(box);
      // Scripts find the box and its buttons by name, not by these texts.
      EXPECT_EQ(box->objectName(), QStringLiteral("MessageBox"));
      for (const QString& name : c.names) EXPECT_NE(box->findChild<QAbstractButton*>(name), nullptr) << name.toStdString();
      box->close();
    });
    prompt.Ask(QStringLiteral("請按「確定」或「取消」"), QStringLiteral("警告"), c.buttons);
    seen.sort();
    QStringList want = c.expected;
    want.sort();
    EXPECT_EQ(seen, want) << seen.join(u',').toStdString();
  }

  // The file dialog of the prompt: its buttons and its labels.
  QStringList buttons, labels;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>())
      for (QAbstractButton* b : box->buttons()) buttons << Plain(b->text());
    for (QLabel* l : dialog->findChildren<QLabel*>()) labels << Plain(l->text());
    dialog->reject();
  });
  EXPECT_TRUE(prompt.OpenFile(QStringLiteral("尋找檔案"), QDir::tempPath(), "Test|*.txt").isEmpty());
  const QString all = (buttons + labels).join(u'|');
  for (const char* english : {"Open", "Cancel", "Look in:", "File name:", "Files of type:"})
    EXPECT_FALSE(buttons.contains(english) || labels.contains(english)) << english << " in " << all.toStdString();
  EXPECT_TRUE(buttons.contains(QStringLiteral("開啟")) && buttons.contains(QStringLiteral("取消"))) << all.toStdString();
}

}  // namespace
