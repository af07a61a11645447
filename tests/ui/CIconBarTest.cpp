#include "ui/CIconBar.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <string>
#include <vector>

namespace {

// A bar with every notification written down in the order it came.
struct Bar {
  QWidget parent;
  CIconBar bar{&parent};
  std::vector<std::string> events;

  Bar(int itemWidth, int itemHeight, int items, int count, bool horizontal) {
    parent.resize(400, 400);
    bar.Create(5, 5, itemWidth, itemHeight, items, count, 0);
    bar.SetHorizontal(horizontal);
    QObject::connect(&bar, &CIconBar::IbnPressed, [this] { events.push_back("pressed"); });
    QObject::connect(&bar, &CIconBar::IbnReleased, [this] { events.push_back("released"); });
    QObject::connect(&bar, &CIconBar::IbnSelChange,
                     [this](int i) { events.push_back("selchange " + std::to_string(i)); });
    QObject::connect(&bar, &CIconBar::IbnDblClk,
                     [this](int i) { events.push_back("dblclk " + std::to_string(i)); });
    parent.show();
  }
  QPoint Centre(int slot) const { return bar.ItemRect(slot).center(); }
  std::vector<std::string> Take() { return std::exchange(events, {}); }
};

using Events = std::vector<std::string>;

}  // namespace

TEST(IconBar, SizesAndItemRectangles) {
  Bar pages(75, 55, 4, 6, false);
  EXPECT_EQ(pages.bar.geometry(), QRect(5, 5, 77, 344));
  for (int slot = 0; slot < 6; ++slot)
    EXPECT_EQ(pages.bar.ItemRect(slot), QRect(2, 2 + 57 * slot, 73, 55)) << slot;
  EXPECT_EQ(pages.bar.DrawingOrigin(1), QPoint(2, 58));

  Bar icons(38, 38, 3, 3, true);
  EXPECT_EQ(icons.bar.size(), QSize(122, 42));
  EXPECT_EQ(icons.bar.ItemRect(0), QRect(2, 2, 38, 38));
  EXPECT_EQ(icons.bar.ItemRect(1).left(), 42);
  EXPECT_EQ(icons.bar.ItemRect(2).left(), 82);
  EXPECT_EQ(icons.bar.DrawingOrigin(2), QPoint(81, 2));

  // Each item is drawn once per paint, from its origin; empty slots are not drawn at all.
  std::vector<std::pair<int, QPoint>> drawn;
  QObject::connect(&pages.bar, &CIconBar::IbnDrawItem, [&](int index, QPainter* painter) {
    drawn.emplace_back(index, painter->transform().map(QPoint(0, 0)));
  });
  pages.bar.grab();
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_EQ(drawn[3], std::make_pair(3, QPoint(2, 172)));
  const QImage image = pages.bar.grab().toImage();
  EXPECT_EQ(image.pixelColor(0, 0), QColor(127, 157, 185));
  EXPECT_EQ(image.pixelColor(2, 2), QColor(49, 106, 197));  // item 0 is selected
  EXPECT_EQ(image.pixelColor(10, 10), QColor(193, 210, 238));
  EXPECT_EQ(image.pixelColor(10, 59 + 10), QColor(255, 255, 255));
}

TEST(IconBar, PressReleaseOrders) {
  Bar b(75, 55, 4, 6, false);
  CIconBar& bar = b.bar;

  // Pressed on item 1, dragged off the bar, released there: nothing is selected.
  QTest::mousePress(&bar, Qt::LeftButton, {}, b.Centre(1));
  QTest::mouseMove(&bar, b.Centre(1));
  EXPECT_EQ(bar.PressedItem(), 1);
  EXPECT_EQ(bar.DrawingOrigin(1), QPoint(4, 60));  // the pressed look
  QTest::mouseMove(&bar, QPoint(200, 10));
  EXPECT_EQ(bar.HoverSlot(), -1);
  EXPECT_EQ(bar.DrawingOrigin(1), QPoint(2, 58));  // gone while the pointer is away
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(200, 10));
  EXPECT_EQ(b.Take(), (Events{"pressed", "released"}));
  EXPECT_EQ(bar.GetSelection(), 0);

  // Pressed on item 2, released on item 3: no change either.
  QTest::mousePress(&bar, Qt::LeftButton, {}, b.Centre(2));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, b.Centre(3));
  EXPECT_EQ(b.Take(), (Events{"pressed", "released"}));

  // A click on the selected item reports the selection again.
  QTest::mouseClick(&bar, Qt::LeftButton, {}, b.Centre(0));
  EXPECT_EQ(b.Take(), (Events{"pressed", "selchange 0", "released"}));

  // An empty slot is neither highlighted nor pressed.
  QTest::mouseMove(&bar, b.Centre(5));
  EXPECT_EQ(bar.HoverSlot(), 5);
  QTest::mouseClick(&bar, Qt::LeftButton, {}, b.Centre(5));
  EXPECT_EQ(b.Take(), (Events{"released"}));
  const QImage image = bar.grab().toImage();
  EXPECT_EQ(image.pixelColor(b.Centre(5)), QColor(255, 255, 255));

  // A double click, as the window system delivers it: a click, then a double-click event in
  // place of the second press, and its release.
  QTest::mouseClick(&bar, Qt::LeftButton, {}, b.Centre(2));
  QTest::mouseDClick(&bar, Qt::LeftButton, {}, b.Centre(2));
  QTest::mouseRelease(&bar, Qt::LeftButton, {}, b.Centre(2));
  EXPECT_EQ(b.Take(), (Events{"pressed", "selchange 2", "released", "pressed", "dblclk 2",
                              "selchange 2", "released"}));
  EXPECT_EQ(bar.GetSelection(), 2);
}
