#include <gtest/gtest.h>

#include "db/PatchInfoForm.h"
#include "db/RomInfoForm.h"
#include "support/ScriptedPrompt.h"

TEST(InfoForm, PatchFormNeedsItsRomAndNameAndWritesOneLine) {
  const std::string needRom =
      "You must specify a ROM name and ROM size in order to continue.\n\t\t\t\n(Note that the "
      "vast majority of ROMs have headers, so you should probably leave the \"Header\" option "
      "checked.)";
  const PatchInfoForm form{"Name", "", "", "GAME", "", "a\r\nb\rc\nd", 5, false};
  for (auto [romName, sizeIndex, patchName, expected] :
       {std::tuple{" \t", 5, "Name", needRom},
        {"GAME", -1, "Name", needRom},
        {"GAME", 5, "", "You must specify a patch name in order to continue."}}) {
    PatchInfoForm bad = form;
    bad.RomName = romName;
    bad.SizeIndex = sizeIndex;
    bad.PatchName = patchName;
    ScriptedPrompt prompt;
    EXPECT_FALSE(ValidatePatchInfo(bad, prompt));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, expected);
    EXPECT_EQ(prompt.boxes[0].title, "Brindle");
    EXPECT_EQ(prompt.boxes[0].icon, BoxIcon::None);
  }
  PatchRecord patch;
  patch.Filename = "/p/a.ips";
  ApplyPatchInfo(form, patch);
  EXPECT_EQ(patch.Description, "a b c d");
  EXPECT_EQ(patch.Filename, "/p/a.ips");
}

TEST(InfoForm, RomFormKeepsTheFlagWhenTheForcedNameIsCleared) {
  RomRecord rom;
  rom.ForcedName = "Old";
  rom.UseForcedName = true;
  ApplyRomInfo({"", false, "d1"}, rom);
  EXPECT_EQ(rom.ForcedName + rom.RomDigest, "d1");
  EXPECT_TRUE(rom.UseForcedName);
  ApplyRomInfo({"New", false, "d2"}, rom);
  EXPECT_FALSE(rom.UseForcedName);
}
