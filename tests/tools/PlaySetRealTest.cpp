// Patch sets played through brindle-tool with Debian's own RetroArch (bsnes-mercury) and
// Mednafen, with the battery game: two patches whose result shows the order they were applied
// in, and the save named after the set in its first patch's folder. The user's own emulator
// settings are never touched: each world has a home and a runtime folder of its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSystem.h"
#include "support/BatteryRom.h"
#include "support/PatchBuilder.h"
#include "support/RealEmulator.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/XServer.h"

namespace {

constexpr char kRetroArch[] = "/usr/bin/retroarch";
constexpr char kCore[] = "/usr/lib/x86_64-linux-gnu/libretro/bsnes_mercury_balanced_libretro.so";
constexpr char kMednafen[] = "/usr/games/mednafen";

// A ROM, the battery patch (as IPS or as BPS) in one folder, the label patch in another, and the
// set "Battery + Label" of the two, in that order.
struct SetWorld {
  TempDir dir;
  std::string home, runtime, database;

  SetWorld(const std::string& vars, bool bpsFirst) {
    home = dir.Path() + "/home";
    runtime = dir.Path() + "/runtime";
    ::mkdir(home.c_str(), 0700);
    ::mkdir(runtime.c_str(), 0700);
    TempDir::WriteTo(home + "/.config/retroarch/retroarch.cfg",
                     "video_driver = \"null\"\naudio_driver = \"null\"\ninput_driver = \"null\"\n");
    database = dir.Write("brindle.dat", "[vars]\r\n" + vars);
    const std::string rom = dir.Write("roms/Battery.sfc", MakeBatteryRom());
    std::string patched = MakeBatteryRom();
    patched.replace(0x100, 8, kPatchedSave);
    const std::string first =
        bpsFirst ? dir.Write("first/Battery Fix.bps", MakeBps(MakeBatteryRom(), patched))
                 : dir.Write("first/Battery Fix.ips", MakeBatteryPatch());
    const std::string second = dir.Write("second/Label.ips", MakeBatteryLabelPatch());
    const std::string info =
        std::string("romname=") + kBatteryRomName + "\nromsize=8Mbit (No header)\n";
    dir.Write("first/Battery Fix.dat", "name=Battery Fix\n" + info);
    dir.Write("second/Label.dat", "name=Label\n" + info);
    for (const std::string& command :
         {"add-rom " + ShellQuote(rom), "install " + ShellQuote(first) + " " + ShellQuote(second),
          "add-set 'Battery + Label' " + ShellQuote(first) + " " + ShellQuote(second)}) {
      std::string output;
      EXPECT_EQ(RunTool(command + " --db " + ShellQuote(database), &output), 0) << output;
    }
  }

  // brindle-tool play --set in this world's home and runtime folder.
  DisplayedPlay Play(const XServer& x) const {
    const ScopedEnv homes[] = {{"HOME", home.c_str()},
                               {"XDG_RUNTIME_DIR", runtime.c_str()},
                               {"XDG_CONFIG_HOME", nullptr},
                               {"MEDNAFEN_HOME", nullptr}};
    return PlayOnDisplay(x, std::vector<std::string>{"--set", "Battery + Label"}, database, "");
  }

  // The set's save is beside its first patch, and nothing else of the play is left.
  void ExpectPlayed(const DisplayedPlay& play) const {
    const std::string& output = play.output;
    EXPECT_EQ(play.status, 0) << output;
    EXPECT_EQ(output.find("Error!\n"), std::string::npos) << output;
    EXPECT_EQ(SavedBytes(dir.File("first/Battery + Label.srm")), kPatchedThenLabelledSave)
        << output;
    EXPECT_FALSE(PathExists(home + "/.mednafen/pgconfig/Battery + Label.snes.cfg"));
    EXPECT_FALSE(PathExists(dir.File("brindle.play")));
    std::string left;
    RunCommand("find " + ShellQuote(runtime) + " -mindepth 1", &left);
    EXPECT_EQ(left, "");
  }
};

bool Installed(const char* file) {
  if (::access(file, R_OK) == 0)
    return true;
  if (RealEmulatorsRequired())
    ADD_FAILURE() << file << " is not installed: scripts/deps.sh --emulators installs it";
  return false;
}

}  // namespace

// RetroArch finds the set's patches by the names of its series, an IPS and a BPS patch alike;
// Mednafen is given one IPS patch with the records of both.
TEST(RealEmulator, RetroArchAndMednafenPlayAPatchSetInOrderWithItsSaveBesideTheFirstPatch) {
  if (!Installed(kRetroArch) || !Installed(kCore) || !Installed(kMednafen))
    GTEST_SKIP() << "needs retroarch, libretro-bsnes-mercury-balanced and mednafen";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  const std::string retroArch = std::string("Emulator=retroarch\r\nRetroArch=") + kRetroArch +
                                "\r\nRetroArchCore=" + kCore + "\r\n";
  const std::string mednafen = std::string("Emulator=mednafen\r\nMednafen=") + kMednafen + "\r\n";
  for (const auto& [vars, bpsFirst] :
       {std::pair{retroArch, false}, std::pair{retroArch, true}, std::pair{mednafen, false}}) {
    SCOPED_TRACE(vars + (bpsFirst ? "BPS + IPS" : "IPS + IPS"));
    const SetWorld w(vars, bpsFirst);
    w.ExpectPlayed(w.Play(x));
  }
}
