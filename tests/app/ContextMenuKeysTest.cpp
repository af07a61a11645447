#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include "app/CMainDlg.h"
#include "app/CSortListCtrl.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

// "&Remove Patch" and "P&roperties..." share their letter: the first R reaches Remove, the
// second Properties, and Enter gives the command reached; R alone gives neither.
TEST(ContextMenuKeys, TheSecondPressOfASharedLetterReachesTheNextItem) {
  TempDir dir;
  TempDir::WriteTo(dir.File("brindle.dat"),
                   "[vars]\r\nZSNES=/opt/zsnes/\r\nTransition=0\r\nRegisterAtStartup=0\r\n"
                   "WindowBackground=\r\n[patches]\r\nP|a|1|d|/p/p.ips|GAME|8Mbit|\r\n[roms]\r\n");
  ScriptedPrompt prompt;
  int propertiesShown = 0;
  MainDlgEnvironment env;
  env.appDir = dir.Path();
  env.databaseDir = dir.Path();
  env.showOptions = [](CPatchDB&, OptionsPage, const std::string&, UserPrompt&, QWidget*) {};
  env.executablePath = "/usr/bin/brindle";
  env.editPatchInfo = [&](PatchRecord&, bool, UserPrompt&, QWidget*) {
    ++propertiesShown;
    return false;
  };
  CMainDlg window(prompt, env);
  ASSERT_TRUE(window.Initialize(""));
  QMenu* menu = window.PatchMenu();
  const auto reached = [menu] {
    return menu->activeAction() ? menu->activeAction()->text() : QString();
  };
  window.PatchList()->SelectRow(0);
  menu->popup(QPoint(10, 10));
  QApplication::setActiveWindow(menu);
  QTest::keyClick(menu, Qt::Key_R);
  EXPECT_EQ(reached(), "&Remove Patch            \tDel");
  QTest::keyClick(menu, Qt::Key_R);
  EXPECT_EQ(reached(), "P&roperties...");
  EXPECT_TRUE(menu->isVisible());
  QTest::keyClick(menu, Qt::Key_Return);
  EXPECT_FALSE(menu->isVisible());
  EXPECT_EQ(propertiesShown, 1);
  EXPECT_TRUE(prompt.boxes.empty());  // nothing was removed or asked about
}
