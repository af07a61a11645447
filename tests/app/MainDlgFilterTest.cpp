#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/CListPane.h"
#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"
#include "play/PlayWorld.h"

namespace {

void AddPatch(CPatchDB& db, const std::string& name, const std::string& file) {
  auto patch = std::make_unique<PatchRecord>();
  patch->PatchName = name;
  patch->Filename = file;
  patch->RomName = "GAME";
  patch->RomSize = "8Mbit";
  patch->SizeWord = 8;
  db.AppendPatch(std::move(patch));
}

std::vector<std::string> Names(const CSortListCtrl& list) {
  std::vector<std::string> names;
  for (int row = 0; row < list.GetRowCount(); ++row)
    names.push_back(list.GetRowText(row, 0));
  return names;
}

// Types any text, one key press per character (QTest's key clicks take ASCII only).
void Type(QWidget& widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(&widget, &press);
  }
}

}  // namespace

// Typing in the filter field, Ctrl+F and Escape through the window's own keys, and a play from
// the filtered list of a patch that is neither the first record nor the first row.
TEST(MainDlgFilter, TypingNarrowsTheListAndAPlayTakesTheRowShown) {
  PlayWorld world;  // its patch, "Game Fixed", is record 0
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  world.db.WindowBackground.clear();
  AddPatch(world.db, "Zeta Quest", "/p/zeta.ips");
  AddPatch(world.db, "Caf\xe9 Latin", "/p/latin.ips");
  AddPatch(world.db, "Caf\xc3\x89 UTF", "/p/utf.ips");
  ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
  MainDlgEnvironment env;
  env.appDir = world.dir.Path();
  env.databaseDir = world.dir.Path();
  ScriptedPrompt prompt;
  CMainDlg window(prompt, env);
  ASSERT_TRUE(window.Initialize(""));
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  CSortListCtrl& list = *window.PatchList();
  QLineEdit& filter = *window.PatchPane()->Filter();
  EXPECT_EQ(QApplication::focusWidget(), &list);
  list.SortByColumn(0, false);
  ASSERT_EQ(Names(list), (std::vector<std::string>{"Zeta Quest", "Game Fixed", "Caf\xe9 Latin",
                                                   "Caf\xc3\x89 UTF"}));
  list.SelectRow(0);

  // Ctrl+F from anywhere in the window; any letter case, Latin-1 and UTF-8 names alike.
  QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), &filter);
  Type(filter, QString::fromUtf8("café"));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Caf\xe9 Latin", "Caf\xc3\x89 UTF"}));
  for (int i = 0; i < 4; ++i)
    QTest::keyClick(&filter, Qt::Key_Backspace);
  EXPECT_EQ(list.GetRowCount(), 4);
  QTest::keyClicks(&filter, "FIX");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Game Fixed"}));
  // The selected row is no longer shown: nothing is left to play or remove.
  EXPECT_EQ(list.GetFirstSelected(), -1);
  EXPECT_FALSE(window.FindButton(CMainDlg::kPlayButton)->isEnabled());

  // Escape empties the field and goes back to the list; the window stays open.
  QTest::keyClick(&filter, Qt::Key_Escape);
  EXPECT_TRUE(filter.text().isEmpty());
  EXPECT_EQ(list.GetRowCount(), 4);
  EXPECT_EQ(QApplication::focusWidget(), &list);
  EXPECT_TRUE(window.isVisible());

  // Down goes from the field to the first row shown; Space plays it.
  QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
  QTest::keyClicks(&filter, "fixed");
  ASSERT_EQ(list.GetRowCount(), 1);
  QTest::keyClick(&filter, Qt::Key_Down);
  EXPECT_EQ(QApplication::focusWidget(), &list);
  EXPECT_TRUE(window.FindButton(CMainDlg::kPlayButton)->isEnabled());
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_TRUE(prompt.boxes.empty());
  const std::string record = ReadFileBytes(world.record);
  EXPECT_NE(record.find("arg=" + world.playName + "\n"), std::string::npos) << record;
  world.ExpectPutBack();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"Game Fixed"}));
  EXPECT_EQ(filter.text(), "fixed");
}
