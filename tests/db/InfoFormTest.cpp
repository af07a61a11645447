#include <gtest/gtest.h>

#include "db/PatchInfoForm.h"
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
    std::tie(bad.RomName, bad.SizeIndex, bad.PatchName) = std::tuple(romName, sizeIndex, patchName);
    ScriptedPrompt prompt;
    EXPECT_FALSE(ValidatePatchInfo(bad, prompt));
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{expected});
  }
  PatchRecord patch;
  ApplyPatchInfo(form, patch);
  EXPECT_EQ(patch.Description, "a b c d");
}
