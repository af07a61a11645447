#include <gtest/gtest.h>

#include "app/CBrindleApp.h"
#include "platform/CInstanceLock.h"
#include "platform/FileSystem.h"
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
