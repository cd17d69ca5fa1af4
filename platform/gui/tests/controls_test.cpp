#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/gui/controls.h"

using plat::BoxTwips;
using plat::TwipsBox;

// Boxes off the 15-twip grid read back as set; what something else changed
// reads from the geometry, the rest of the box stays as set.
TEST(Controls, TheBoxReadsBackUntilChangedByOtherMeans) {
  QWidget form;
  QLabel* l = plat::MakeControl<QLabel>(&form, "Label1", {1207, 803, 4750, 250});
  EXPECT_EQ(l->objectName(), QString("Label1"));
  EXPECT_EQ(BoxTwips(l), (TwipsBox{1207, 803, 4750, 250}));
  plat::SetTopTwips(l, 1001);
  plat::SetLeftTwips(l, 98);
  EXPECT_EQ(BoxTwips(l), (TwipsBox{98, 1001, 4750, 250}));
  l->move(20, 30);
  EXPECT_EQ(BoxTwips(l), (TwipsBox{300, 450, 4750, 250}));
  l->resize(10, 10);
  EXPECT_EQ(BoxTwips(l), (TwipsBox{300, 450, 150, 150}));
  QLabel plain(&form);
  plain.setGeometry(2, 3, 4, 5);
  EXPECT_EQ(BoxTwips(&plain), (TwipsBox{30, 45, 60, 75}));
}

// A window keeps its place when resized, and its size reads back as set
// after it was moved.
TEST(Controls, AWindowsSizeReadsBackWhereverItStands) {
  QWidget window;
  window.move(40, 50);
  plat::SetSizeTwips(&window, 4750, 1360);
  EXPECT_EQ(window.pos(), QPoint(40, 50));
  plat::CentreOnScreen(&window);
  const TwipsBox b = BoxTwips(&window);
  EXPECT_EQ(b.width, 4750);
  EXPECT_EQ(b.height, 1360);
  EXPECT_EQ(b.left, plat::PixelsToTwips(window.geometry().x()));
}
