#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <gtest/gtest.h>

#include "batch/forms/services.h"

namespace {

QList<QMessageBox*> Notices() {
  QList<QMessageBox*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) out << b;
  return out;
}

// A second failure of one kind replaces the first notice's text instead of
// piling up another box; a notice stands over the window it is about.
TEST(Notice, OneBoxAKindOverTheWindowItIsAbout) {
  batchui::SetNoticeHook(nullptr);
  QWidget owner;
  owner.show();
  batchui::ShowNotice(QStringLiteral("第一次"), QStringLiteral("錯誤"), &owner);
  batchui::ShowNotice(QStringLiteral("第二次"), QStringLiteral("錯誤"), &owner);
  QList<QMessageBox*> boxes = Notices();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_EQ(boxes[0]->text(), QStringLiteral("第二次"));
  EXPECT_EQ(boxes[0]->parentWidget(), &owner);
  // Another kind has its own box; a closed box is not reused.
  batchui::ShowNotice(QStringLiteral("別的"), QStringLiteral("訊息"), &owner);
  EXPECT_EQ(Notices().size(), 2);
  for (QMessageBox* b : Notices()) b->close();
  QApplication::processEvents();
  batchui::ShowNotice(QStringLiteral("第三次"), QStringLiteral("錯誤"), &owner);
  boxes = Notices();
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_EQ(boxes[0]->text(), QStringLiteral("第三次"));
  boxes[0]->close();
}

}  // namespace
