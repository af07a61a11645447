#include "db/ZsnesSettings.h"

#include <gtest/gtest.h>

#include "db/CPatchDB.h"
#include "platform/Process.h"
#include "support/ScriptedPrompt.h"

TEST(ZsnesSettings, NormalizeDirectory) {
  EXPECT_EQ(NormalizeDirectory("/games/ ZSNES /"), "/games/ZSNES/");
  EXPECT_EQ(NormalizeDirectory("a  /  b"), "a/b/");
  EXPECT_EQ(NormalizeDirectory("//server\\\\share\\zsnes \t"), "/server/share/zsnes/");
  EXPECT_EQ(NormalizeDirectory("/opt/my games"), "/opt/my games/");
  EXPECT_EQ(NormalizeDirectory(""), "/");
  EXPECT_EQ(NormalizeDirectory(" / "), "/");
}

TEST(ZsnesSettings, DerivedFilesOfTheThreeVariants) {
  const auto files = [](int variant) {
    const auto derived = DeriveZsnesFiles("/games/ ZSNES", variant, "/home/ann");
    return derived ? derived->executable + " | " + derived->config : "none";
  };
  EXPECT_EQ(files(0), "wine \"/games/ZSNES/zsnesw.exe\" | /games/ZSNES/zsnesw.cfg");
  EXPECT_EQ(files(1), "/games/ZSNES/zsnes.exe | /games/ZSNES/zsnes.cfg");
  EXPECT_EQ(files(2), "/games/ZSNES/zsnes | /home/ann/.zsnes/zsnesl.cfg");
  EXPECT_EQ(files(-1), "none");
  // A quote in the folder's name stays in the program's word when the setting is split.
  const auto odd = DeriveZsnesFiles("/games/\"odd\" one", 0, "/home/ann");
  ASSERT_TRUE(odd);
  EXPECT_EQ(SplitProgramText(odd->executable),
            (std::vector<std::string>{"wine", "/games/\"odd\" one/zsnesw.exe"}));
  // A home of "/", and a user the password database does not know: the emulator then keeps its
  // configuration in the folder it was started in.
  EXPECT_EQ(DeriveZsnesFiles("/z", 2, "")->config, "/.zsnes/zsnesl.cfg");
  EXPECT_EQ(DeriveZsnesFiles("/z", 2, std::nullopt)->config, "/z/zsnesl.cfg");

  for (const char* other : {"zsnesw", "ZSNES", "", "zsnesL"})
    EXPECT_EQ(ZsnesVariantIndex(other), 0) << other;
  EXPECT_EQ(ZsnesVariantIndex("zsnes"), 1);
  EXPECT_EQ(ZsnesVariantIndex("zsnesl"), 2);
}

TEST(ZsnesSettings, StoreKeepsTheVariantWithoutASelection) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.ZSNESVer = "ZSNES";
  db.UseSaveDir = true;
  ZsnesForm form = ReadZsnesForm(db);
  EXPECT_FALSE(form.saveWithPatches);  // the check box says the opposite of the setting
  form.variant = -1;
  ApplyZsnesForm(form, db);
  EXPECT_EQ(db.ZSNESVer, "ZSNES");

  // An empty box leaves the emulator unconfigured; "/" is a folder like any other.
  for (const char* blank : {"", " \t "}) {
    form.directory = blank;
    ApplyZsnesForm(form, db);
    EXPECT_EQ(db.ZSNES, "");
  }
  form.directory = std::string(1, '\\');  // not from a literal: g++ 12 warns wrongly at -O2
  ApplyZsnesForm(form, db);
  EXPECT_EQ(db.ZSNES, "/");
}
