#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/CBrindleApp.h"
#include "app/CSortListCtrl.h"
#include "app/CSortListModel.h"
#include "platform/CInstanceLock.h"
#include "platform/FileSystem.h"
#include "play/PlayWorld.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

TEST(BrindleApp, SecondCopyWithoutAWindowToRaise) {
  TempDir dir;
  CInstanceLock first("BrindleApp", dir.Path());
  ASSERT_EQ(first.Acquire(), CInstanceLock::Result::Acquired);
  for (bool withFile : {false, true}) {
    ScriptedPrompt prompt;
    CInstanceLock second("BrindleApp", dir.Path());
    BrindleAppEnvironment env;
    env.window.appDir = dir.Path();
    env.prompt = &prompt;
    env.lock = &second;
    env.channelName = QString::fromStdString(dir.File("nobody-listens"));
    env.currentFolder = "/home/user";
    CBrindleApp app(env);
    std::vector<std::string> args = {"-x"};
    if (withFile)
      args.push_back("patches/a.ips");
    EXPECT_EQ(app.Run(args), 0);
    if (!withFile) {
      EXPECT_TRUE(prompt.boxes.empty());
      continue;
    }
    EXPECT_EQ(app.CommandLineFile(), "/home/user/patches/a.ips");
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text,
              "Only one instance of Brindle can be opened at one time. Please use the currently "
              "open instance to load new patch files.");
    EXPECT_EQ(prompt.boxes[0].title, "Brindle");
    EXPECT_EQ(prompt.boxes[0].icon, BoxIcon::None);
  }
  EXPECT_FALSE(PathExists(dir.File("brindle.dat")));  // nothing ran, nothing saved
}

TEST(BrindleApp, PlayingFromTheWindowComesBackToTheRunningWindow) {
  PlayWorld world;
  world.db.Transition = 0;
  world.db.RegisterAtStartup = false;
  world.db.WindowBackground.clear();
  ASSERT_TRUE(world.db.Save(world.dir.File("brindle.dat")));
  CInstanceLock lock("BrindleApp", world.dir.Path());
  BrindleAppEnvironment env;
  env.window.appDir = world.dir.Path();
  env.prompt = &world.prompt;
  env.lock = &lock;
  env.channelName = QString::fromStdString(world.dir.File("channel"));

  // Once the main loop runs: double-click the patch, then look again a little later.
  bool played = false, looked = false, visible = false;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<CMainDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    CSortListCtrl* list = window->PatchList();
    const QPoint row = list->visualRect(list->GetModel()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    played = PathExists(world.record);
    QTimer::singleShot(200, [&, window] {
      looked = true;
      visible = window->isVisible();
      window->RunCommand(CMainDlg::kExit);
    });
  });
  EXPECT_EQ(CBrindleApp(env).Run({}), 0);

  EXPECT_TRUE(played);
  EXPECT_TRUE(looked) << "the main loop ended with the play";
  EXPECT_TRUE(visible);
  EXPECT_NE(ReadFileBytes(world.record).find("play=yes"), std::string::npos);
  EXPECT_TRUE(world.prompt.boxes.empty());
  world.ExpectPutBack();
}
