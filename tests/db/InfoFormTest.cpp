#include <gtest/gtest.h>

#include "db/CPatchDB.h"
#include "db/PatchInfoForm.h"
#include "db/RomInfoForm.h"
#include "support/ScriptedPrompt.h"

TEST(InfoForm, PatchFormNeedsItsRomAndNameAndWritesOneLine) {
  const std::string needRom =
      "You must specify a ROM name and ROM size in order to continue.\n\t\t\t\n(Note that the "
      "vast majority of ROMs have headers, so you should probably leave the \"Header\" option "
      "checked.)";
  PatchInfoForm form{"Name", "Author", "1.0", "GAME", "", "a\r\nb\rc\nd", 12, false};
  for (auto [romName, megabits, patchName, expected] :
       {std::tuple{"", 12, "Name", needRom},
        {"GAME", 0, "Name", needRom},
        {"GAME", 12, "", "You must specify a patch name in order to continue."}}) {
    PatchInfoForm bad = form;
    bad.RomName = romName;
    bad.Megabits = megabits;
    bad.PatchName = patchName;
    ScriptedPrompt prompt;
    EXPECT_FALSE(ValidatePatchInfo(bad, prompt));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, expected);
    EXPECT_EQ(prompt.boxes[0].title, "Brindle");
    EXPECT_EQ(prompt.boxes[0].icon, BoxIcon::None);
  }
  ScriptedPrompt prompt;
  ASSERT_TRUE(ValidatePatchInfo(form, prompt));
  PatchRecord patch;
  patch.Filename = "/p/a.ips";
  ApplyPatchInfo(form, patch);
  EXPECT_EQ(patch.Description, "a b c d");
  EXPECT_EQ(patch.SizeWord, 12);
  EXPECT_EQ(patch.RomSize, "12Mbit No header");
  EXPECT_EQ(CPatchDB::ParseRomSize(patch.RomSize), 12);
  EXPECT_EQ(patch.Filename, "/p/a.ips");
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(InfoForm, RomFormKeepsTheFlagWithoutANameAndNeverStoresAFailedDigest) {
  RomRecord rom;
  rom.ForcedName = "Old";
  rom.UseForcedName = true;
  rom.RomDigest = "stored";
  ApplyRomInfo({"", false, CPatchDB::kInvalidFileHashText}, rom);
  EXPECT_EQ(rom.ForcedName, "");
  EXPECT_TRUE(rom.UseForcedName);
  EXPECT_EQ(rom.RomDigest, "stored");
  ApplyRomInfo({"New", false, "recomputed"}, rom);
  EXPECT_EQ(rom.ForcedName, "New");
  EXPECT_FALSE(rom.UseForcedName);
  EXPECT_EQ(rom.RomDigest, "recomputed");
}
