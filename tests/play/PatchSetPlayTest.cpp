// A patch set's patches applied in memory one after another before a play, and the forms the
// emulators are given them in.
#include <gtest/gtest.h>

#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/ReaderText.h"
#include "play/PatchChain.h"
#include "play/PatchCheck.h"
#include "play/PlayWorld.h"
#include "support/PatchBuilder.h"

namespace {

std::string Installed(PlayWorld& w, const std::string& name, const std::string& bytes) {
  auto patch = std::make_unique<PatchRecord>(*w.db.GetPatch(0));
  patch->PatchName = name;
  patch->Filename = w.dir.Write("more patches/" + name, bytes);
  w.db.AppendPatch(std::move(patch));
  return w.db.GetPatch(w.db.GetPatchCount() - 1)->Filename;
}

// The set's chain, or the one message that stopped it.
std::string Chain(PlayWorld& w, const std::vector<std::string>& paths, PatchChain& chain) {
  const std::string name = "Set " + std::to_string(w.db.GetSetCount());
  EXPECT_TRUE(w.db.AddPatchSet(name, paths));
  const PatchSetRecord& set = *w.db.GetSet(w.db.FindSet(name));
  w.prompt.boxes.clear();
  if (FindSetPatches(w.db, set, chain.patches) &&
      ReadRomForPlay(w.db, *w.db.GetRom(0), chain.whole.rom) &&
      CheckSetForRom(w.db, set, *w.db.GetRom(0), false, chain)) {
    return "";
  }
  EXPECT_EQ(w.prompt.boxes.size(), 1u);
  return w.prompt.boxes.empty() ? "no message" : w.prompt.boxes[0].text;
}

}  // namespace

TEST(PlayPatchSet, ThePatchesApplyInOrderAndOneThatDoesNotFitNamesItselfAndTheSet) {
  PlayWorld w;  // its ROM: 1024 bytes "R"
  const std::string rom(1024, 'R');
  const std::string first = w.patchFolder + "Game (fixed).ips";
  w.dir.Write("my patches/Game (fixed).ips", IpsPatch(IpsRecord(16, "AB")));
  const std::string second = Installed(w, "Second.ips", IpsPatch(IpsRecord(17, "C")));
  std::string both = rom;
  both.replace(16, 2, "AC");

  // Two IPS patches: the result of both in order, and one IPS patch of their records as they are.
  PatchChain chain;
  ASSERT_EQ(Chain(w, {first, second}, chain), "");
  EXPECT_EQ(chain.whole.result, both);
  EXPECT_EQ(SetAsOneIps(chain, false), IpsPatch(IpsRecord(16, "AB") + IpsRecord(17, "C")));

  // A BPS patch that cuts what the two made: one IPS patch only for an emulator that cuts.
  const std::string cut = Installed(w, "Cut.bps", MakeBps(both, both.substr(0, 512)));
  PatchChain cutChain;
  ASSERT_EQ(Chain(w, {first, second, cut}, cutChain), "");
  EXPECT_EQ(SetAsOneIps(cutChain, false), std::nullopt);
  const std::optional<std::string> ips = SetAsOneIps(cutChain, true);
  ASSERT_TRUE(ips);
  IpsContents parsed;
  std::string error, made = rom;
  ASSERT_TRUE(ParseIps(*ips, parsed, error));
  ApplyIps(parsed, made);
  EXPECT_EQ(made, both.substr(0, 512));

  // A BPS patch made for the ROM itself, not for what the patch before it made of it.
  const std::string forRom = Installed(w, "For Rom.bps", MakeBps(rom, rom.substr(0, 512)));
  PatchChain wrong;
  EXPECT_EQ(Chain(w, {first, forRom}, wrong),
            "Error: The patch set \"Set 2\" cannot be played: its patch 2 of 2 stops it.\n\n" +
                forRom +
                "\n\nThe ROM as the patches before it in the set leave it is not the one the "
                "patch \"For Rom.bps\" was made for: that ROM has 1024 bytes and the CRC-32 " +
                CrcText(Crc32(rom)) + ".");

  // A patch of the set that is no longer installed is named with its path.
  w.db.RemovePatch(1);
  PatchChain gone;
  w.prompt.boxes.clear();
  EXPECT_FALSE(FindSetPatches(w.db, *w.db.GetSet(0), gone.patches));
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{
                "Error: The patch set \"Set 0\" cannot be played: its patch\n" + second +
                "\nis no longer installed.\n\nInstall that patch again, or make "
                "the set anew without it."});

  // RetroArch's names for a series.
  EXPECT_EQ(SeriesPatchName("Set", PatchFormat::Ips, 0), "Set.ips");
  EXPECT_EQ(SeriesPatchName("Set", PatchFormat::Bps, 1), "Set.bps1");
  EXPECT_EQ(SeriesPatchName("Set", PatchFormat::Ups, 9), "Set.ups9");
}
