#include "ui/CDialogUnits.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>

TEST(DialogUnits, RoundLikeTheTemplatesAndKeepNeighboursTouching) {
  QFont font;
  font.setPixelSize(13);
  const CDialogUnits units(font);
  ASSERT_GT(units.BaseX(), 2);
  ASSERT_GT(units.BaseY(), 8);
  for (int du = 0; du <= 500; ++du) {
    EXPECT_EQ(units.ToPixelsX(du), (du * units.BaseX() + 2) / 4) << du;
    EXPECT_EQ(units.ToPixelsY(du), (du * units.BaseY() + 4) / 8) << du;
  }
  // A list and the label right below it, one unit apart, and a rectangle given as QRect.
  const QRect list = units.ToPixels(67, 7, 402, 127);
  const QRect label = units.ToPixels(QRect(67, 136, 402, 11));
  EXPECT_EQ(list.bottom() + 1, units.ToPixelsY(134));
  EXPECT_EQ(label.top(), units.ToPixelsY(136));
  EXPECT_EQ(list.left(), label.left());
  EXPECT_EQ(list.width(), label.width());

  QFont larger = font;
  larger.setPixelSize(26);
  const CDialogUnits big(larger);
  EXPECT_GT(big.BaseX(), units.BaseX());
  EXPECT_GT(big.BaseY(), units.BaseY());
  EXPECT_EQ(CDialogUnits().BaseY(), QFontMetrics(QApplication::font()).height());
}
