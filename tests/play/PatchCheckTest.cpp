// The patch is checked against its ROM before a play changes anything.
#include <gtest/gtest.h>

#include "patch/Crc32.h"
#include "patch/ReaderText.h"
#include "play/PlayWorld.h"
#include "support/PatchBuilder.h"

namespace {

// Plays a patch of the world's ROM written as `name` in the patch folder; the play must stop
// before it changes anything, with one error box, whose text it returns.
std::string Refusal(PlayWorld& w, const std::string& name, const std::string& bytes) {
  w.db.GetPatch(0)->Filename = w.dir.Write("my patches/" + name, bytes);
  w.prompt.boxes.clear();
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_FALSE(PathExists(w.record)) << "the emulator was started";
  w.ExpectPutBack();
  EXPECT_EQ(w.prompt.boxes.size(), 1u);
  return w.prompt.boxes.empty() ? std::string() : w.prompt.boxes[0].text;
}

}  // namespace

TEST(PlayPatchCheck, AnIpsPatchThatNoLongerReadsIsRefused) {
  PlayWorld w;
  const std::string path = w.patchFolder + "Game (fixed).ips";
  EXPECT_EQ(Refusal(w, "Game (fixed).ips", "PATCH\x01\x02"),
            "Error: The patch \"Game Fixed\" cannot be played:\n" + path +
                "\n\nThe file is not a well-formed IPS patch: the file ends inside the record at "
                "byte 5.");
  ::unlink(path.c_str());
  w.prompt.boxes.clear();
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.Texts(), std::vector<std::string>{
                                  "Error: The patch \"Game Fixed\" cannot be played:\n" + path +
                                  "\n\nThe file could not be read (No such file or directory)."});
  w.ExpectPutBack();
}

TEST(PlayPatchCheck, ABpsOrUpsPatchNeedsTheRomItWasMadeForAndMustGiveItsTarget) {
  PlayWorld w;  // its ROM: 1024 bytes "R"
  const std::string rom = std::string(1024, 'R');
  // ZSNES applies IPS patches only, and says so first.
  EXPECT_EQ(Refusal(w, "Game (fixed).bps", MakeBps(rom, "target")),
            "Error: ZSNES cannot apply the patch \"" + w.patchFolder +
                "Game (fixed).bps\": it applies IPS patches only.\n\nRetroArch or Mednafen can "
                "play BPS patches: choose one of them in Options, on the emulator page.");
  w.db.Emulator = "retroarch";
  w.db.RetroArch = w.emulator;
  w.db.RetroArchCore = w.dir.Write("cores/core.so", "core");
  const std::string other(1024, 'O');
  EXPECT_EQ(Refusal(w, "Game (fixed).UPS", MakeUps(other, "target")),
            "Error: " + w.romFile +
                "\n\nThis ROM is not the one the patch \"Game Fixed\" was made for: that ROM has "
                "1024 bytes and the CRC-32 " +
                CrcText(Crc32(other)) + ".");
  // A patch whose result is not the target it names is refused whichever emulator is chosen.
  const std::string wrong =
      WithBeatChecksums(BpsHead(1024, 6) + BpsTargetRead("target"), Crc32(rom), Crc32("tarGet"));
  EXPECT_EQ(Refusal(w, "Game (fixed).bps", wrong),
            "Error: The patch \"Game Fixed\" cannot be played:\n" + w.patchFolder +
                "Game (fixed).bps\n\nApplied to this ROM, the patch does not give what it should: "
                "the file it makes has the CRC-32 " +
                CrcText(Crc32("target")) + ", where the patch says " + CrcText(Crc32("tarGet")) +
                ". No emulator would play it correctly.");
}
