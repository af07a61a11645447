// Which emulator is given which patch: the user's own, one of Brindle's making, or none.
#include <gtest/gtest.h>

#include "db/CPatchDB.h"
#include "patch/BpsWriter.h"
#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/PatchApply.h"
#include "play/PatchForms.h"
#include "support/PatchBuilder.h"
#include "support/ScriptedPrompt.h"

namespace {

// For each emulator, "as is", "served" (a patch of Brindle's making) or "refused".
std::string Plays(const CPatchDB& db, const CheckedPatch& checked) {
  std::string out;
  for (const EmulatorKind kind :
       {EmulatorKind::Zsnes, EmulatorKind::RetroArch, EmulatorKind::Mednafen}) {
    const std::vector<PatchForm> forms = FormsOf(checked);
    out += std::string(out.empty() ? "" : ", ") + EmulatorName(kind) + " " +
           (!FirstNotApplied(db, kind, forms) ? "as is"
            : EmulatorPlays(db, kind, forms)  ? "served"
                                              : "refused");
  }
  return out;
}

}  // namespace

TEST(PatchForms, EachFormIsPlayedAsItIsServedOrRefusedAsTheRealEmulatorsAskAndServedRight) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const std::string rom = std::string(512, 'H') + std::string(0x8000, 'R');
  const std::string record = IpsRecord(0x300, "fixed");
  const auto check = [&](const std::string& patch, PatchFormat format, bool headerless = false) {
    CheckedPatch checked;
    checked.rom = rom;
    checked.result = headerless ? rom.substr(512) : rom;
    std::string error;
    EXPECT_TRUE(ApplyPatch(patch, format, checked.result, checked.summary, error)) << error;
    checked.headerMisfit = headerless;
    checked.appliedTo = rom.size() - (headerless ? 512 : 0);
    if (headerless)
      checked.result.insert(0, rom, 0, 512);
    // What RetroArch and Mednafen are given instead makes the same result, cleanly.
    std::string data = rom;
    PatchSummary served;
    EXPECT_TRUE(ApplyPatch(*MakeIps(rom, checked.result), PatchFormat::Ips, data, served, error));
    EXPECT_TRUE(data == checked.result && served.ipsQuirks == 0);
    data = rom;
    EXPECT_TRUE(ApplyPatch(WriteBps(rom, checked.result), PatchFormat::Bps, data, served, error));
    EXPECT_TRUE(data == checked.result);
    return Plays(db, checked);
  };
  EXPECT_EQ(check(IpsPatch(record), PatchFormat::Ips),
            "ZSNES as is, RetroArch as is, Mednafen as is");
  EXPECT_EQ(check(IpsPatch(record, "a comment"), PatchFormat::Ips),
            "ZSNES as is, RetroArch served, Mednafen as is");
  EXPECT_EQ(check(IpsPatch(IpsRun(0x10, 0, 'x') + record), PatchFormat::Ips),
            "ZSNES as is, RetroArch served, Mednafen served");
  EXPECT_EQ(check("PATCH" + record, PatchFormat::Ips),
            "ZSNES as is, RetroArch served, Mednafen served");
  EXPECT_EQ(check(IpsPatch(IpsRecord(0x454f46, "x") + record), PatchFormat::Ips),
            "ZSNES refused, RetroArch as is, Mednafen served");
  EXPECT_EQ(check(IpsPatch(record, std::string("\0\x40\0", 3)), PatchFormat::Ips),
            "ZSNES refused, RetroArch served, Mednafen as is");
  // A size after "EOF" that the records leave anyway changes nothing.
  EXPECT_EQ(check(IpsPatch(record, std::string("\0\x82\0", 3)), PatchFormat::Ips),
            "ZSNES as is, RetroArch as is, Mednafen as is");
  const std::string target = std::string(0x8000, 'T');
  EXPECT_EQ(check(MakeBps(rom, target), PatchFormat::Bps),
            "ZSNES refused, RetroArch as is, Mednafen served");
  EXPECT_EQ(check(MakeUps(rom, target), PatchFormat::Ups),
            "ZSNES refused, RetroArch as is, Mednafen served");
  EXPECT_EQ(check(MakeBps(rom.substr(512), target), PatchFormat::Bps, true),
            "ZSNES refused, RetroArch served, Mednafen served");

  // Of the other emulator only the formats its settings name are known.
  db.OtherFormats = "ips";
  CheckedPatch checked;
  EXPECT_TRUE(EmulatorPlays(db, EmulatorKind::Other, FormsOf(checked)));
  checked.summary.ipsQuirks = kIpsBytesAfterEnd;
  EXPECT_FALSE(EmulatorPlays(db, EmulatorKind::Other, FormsOf(checked)));
}
