#include "app/CSortHeaderCtrl.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "app/CSortListCtrl.h"

namespace {

std::vector<std::pair<QString, bool>> MenuItems(const QMenu& menu) {
  std::vector<std::pair<QString, bool>> items;
  for (const QAction* action : menu.actions())
    items.emplace_back(action->text(), action->isChecked());
  return items;
}

}  // namespace

TEST(CSortHeaderCtrl, ClickDirectionRule) {
  CSortHeaderCtrl header;
  EXPECT_EQ(header.GetSortColumn(), -1);
  EXPECT_TRUE(header.GetClickDirection(0));
  header.SetSortColumn(0, true);
  EXPECT_FALSE(header.GetClickDirection(0));
  EXPECT_TRUE(header.GetClickDirection(1));
  header.SetSortColumn(0, false);
  EXPECT_TRUE(header.GetClickDirection(0));
  EXPECT_TRUE(header.GetClickDirection(1));
}

TEST(CSortHeaderCtrl, HidingAndShowingColumns) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Patch Name,200;Author,85;Version,100"));
  CSortHeaderCtrl& header = *list.GetHeaderCtrl();

  header.ShowColumn(2, false);
  EXPECT_FALSE(header.IsColumnVisible(2));
  EXPECT_EQ(header.sectionSize(2), 0);
  std::unique_ptr<QMenu> menu = header.CreateColumnMenu();
  EXPECT_EQ(MenuItems(*menu), (std::vector<std::pair<QString, bool>>{
                                  {"Patch Name", true}, {"Author", true}, {"Version", false}}));
  EXPECT_EQ(menu->actions()[2]->data().toInt(), 3);

  header.ChooseColumnMenuItem(3);
  EXPECT_EQ(header.sectionSize(2), 100);
  header.ChooseColumnMenuItem(1);
  EXPECT_EQ(header.sectionSize(0), 0);
  header.ChooseColumnMenuItem(1);
  EXPECT_EQ(header.sectionSize(0), 200);

  // Dragged to 0 by hand, never hidden from the menu: unchecked, and choosing it keeps it at 0.
  header.resizeSection(1, 0);
  EXPECT_FALSE(header.CreateColumnMenu()->actions()[1]->isChecked());
  header.ChooseColumnMenuItem(2);
  EXPECT_EQ(header.sectionSize(1), 0);

  // Choices outside the menu and columns beyond the remembered ones change nothing.
  header.ChooseColumnMenuItem(0);
  header.ChooseColumnMenuItem(4);
  header.ShowColumn(300, false);
  EXPECT_EQ(header.sectionSize(0), 200);
  EXPECT_EQ(header.sectionSize(2), 100);
}

TEST(CSortHeaderCtrl, RightClickMenuTogglesTheChosenColumn) {
  CSortListCtrl list;
  ASSERT_TRUE(list.InsertColumns("Name,120;Size,80"));
  list.resize(300, 200);
  list.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  CSortHeaderCtrl& header = *list.GetHeaderCtrl();
  const QPoint onHeading(10, header.height() / 2);

  std::vector<std::pair<QString, bool>> shown;
  // The menu runs its own loop: pick from it once it is up.
  auto choose = [&](int item) {
    QTimer::singleShot(50, [&shown, item]() {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr)
        return;
      shown = MenuItems(*menu);
      if (item >= 0)
        menu->setActiveAction(menu->actions()[item]);
      QTest::keyClick(menu, item >= 0 ? Qt::Key_Return : Qt::Key_Escape);
    });
  };

  choose(1);
  QTest::mousePress(header.viewport(), Qt::RightButton, {}, onHeading);
  EXPECT_EQ(shown, (std::vector<std::pair<QString, bool>>{{"Name", true}, {"Size", true}}));
  EXPECT_EQ(header.sectionSize(1), 0);

  choose(-1);  // dismissed: nothing changes
  QTest::mousePress(header.viewport(), Qt::RightButton, {}, onHeading);
  EXPECT_EQ(shown, (std::vector<std::pair<QString, bool>>{{"Name", true}, {"Size", false}}));
  EXPECT_EQ(header.sectionSize(1), 0);

  choose(1);
  QTest::mousePress(header.viewport(), Qt::RightButton, {}, onHeading);
  EXPECT_EQ(header.sectionSize(1), 80);
  EXPECT_EQ(header.GetSortColumn(), -1);  // a right-click never sorts
}
