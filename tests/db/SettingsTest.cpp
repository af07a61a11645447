#include <gtest/gtest.h>

#include "db/CPatchDB.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

const char kDefaultVars[] =
    "[vars]\r\n"
    "ZSNES=\r\n"
    "ZSNESVer=\r\n"
    "ZConfig=\r\n"
    "ZExecutable=\r\n"
    "UseSaveDir=0\r\n"
    "IgnoreHash=0\r\n"
    "IgnoreParens=1\r\n"
    "AllowEdit=0\r\n"
    "RegisterAtStartup=1\r\n"
    "AlwaysOpenGUI=0\r\n"
    "WindowBackground=%app%/EarthBound.bmp\r\n"
    "GridLines=0\r\n"
    "FileIcon=1\r\n"
    "Transition=1\r\n"
    "TransSpeed=60\r\n";

}  // namespace

TEST(Settings, DefaultsAreWrittenInRegistrationOrder) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.ZSNES = "/opt/zsnes/";
  db.IgnoreParens = false;
  db.TransSpeed = 3;
  db.SetDefaults();
  EXPECT_EQ(db.ZSNES, "/opt/zsnes/");  // the emulator settings are not defaults
  db.ZSNES.clear();
  EXPECT_EQ(db.Serialize().substr(0, sizeof kDefaultVars - 1), kDefaultVars);
}

TEST(Settings, ReadFromVarsAndWrittenBackInCanonicalSpelling) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const std::string path = dir.Write("brindle.dat",
                                     "[vars]\nignoreparens=no\nTRANSITION=7\nTransSpeed=250\n"
                                     "UseSaveDir=1\nWindowBackground=\nTransSpeed=90\n");
  ASSERT_EQ(db.Load(path), 0);
  EXPECT_TRUE(prompt.boxes.empty());
  EXPECT_FALSE(db.IgnoreParens);
  EXPECT_EQ(db.Transition, 7);
  EXPECT_EQ(db.TransSpeed, 90);  // the later line wins
  EXPECT_TRUE(db.UseSaveDir);
  EXPECT_EQ(db.WindowBackground, "");
  const std::string out = db.Serialize();
  EXPECT_NE(out.find("\r\nIgnoreParens=0\r\n"), std::string::npos);
  EXPECT_NE(out.find("\r\nUseSaveDir=1\r\n"), std::string::npos);
  EXPECT_NE(out.find("\r\nWindowBackground=\r\n"), std::string::npos);
  EXPECT_NE(out.find("\r\nTransSpeed=90\r\n"), std::string::npos);
}

TEST(Settings, FileWithoutVarsLeavesSettingsAlone) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.FileIcon = 3;
  db.ZExecutable = "zsnes";
  ASSERT_EQ(db.Load(dir.Write("brindle.dat", "[roms]\r\n")), 0);
  EXPECT_EQ(db.FileIcon, 3);
  EXPECT_EQ(db.ZExecutable, "zsnes");
}
