// Plays through brindle-tool with Debian's own RetroArch (bsnes-mercury) and Mednafen on an X
// server of the test's own, with a game that writes its battery RAM: the save file tells both
// that the patch was applied and where the emulator saved. Each run has a home folder and a
// runtime folder of its own, so the user's own emulator settings are never touched.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/ArchivePath.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "support/ArchiveWriter.h"
#include "support/BatteryRom.h"
#include "support/PatchBuilder.h"
#include "support/RealEmulator.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/XServer.h"

namespace {

// The parent of a process (from /proc), or 0 once it is gone.
pid_t ParentOf(pid_t pid) {
  const std::string stat = ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
  const size_t end = stat.rfind(')');  // "PID (NAME) STATE PPID ..."
  return end == std::string::npos ? 0 : std::atoi(stat.c_str() + end + 4);
}

constexpr char kRetroArch[] = "/usr/bin/retroarch";
constexpr char kCore[] = "/usr/lib/x86_64-linux-gnu/libretro/bsnes_mercury_balanced_libretro.so";
// Brindle's settings for RetroArch, and RetroArch's own without a screen, sound or input.
const std::string kRetroArchSettings = std::string("Emulator=retroarch\r\nRetroArch=") +
                                       kRetroArch + "\r\nRetroArchCore=" + kCore + "\r\n";
constexpr char kNullDrivers[] =
    "video_driver = \"null\"\naudio_driver = \"null\"\ninput_driver = \"null\"\n";
constexpr char kMednafen[] = "/usr/games/mednafen";

// The folder's names and the bytes of the files in it, for a before-and-after comparison.
std::string Snapshot(const std::string& folder) {
  std::string out;
  RunCommand("cd " + ShellQuote(folder) +
                 " && find . | LC_ALL=C sort && find . -type f | LC_ALL=C sort | xargs -r "
                 "-d '\\n' md5sum",
             &out);
  return out;
}

// The ROM as an IPS patch makes it (records only, as the battery patch has).
std::string ApplyIps(std::string rom, const std::string& ips) {
  size_t at = 5;
  const auto byte = [&ips](size_t i) { return static_cast<uint8_t>(ips[i]); };
  while (ips.compare(at, 3, "EOF") != 0) {
    const size_t offset = byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
    const size_t size = byte(at + 3) << 8 | byte(at + 4);
    rom.replace(offset, size, ips, at + 5, size);
    at += 5 + size;
  }
  return rom;
}

// The patch as it comes: the battery IPS patch; a BPS patch made from the ROM the IPS patch
// makes; the IPS patch with a comment after its end; a BPS patch made for the ROM without the
// copier header that the installed ROM file has.
enum class Form { Ips, Bps, CommentedIps, HeaderlessBps };

struct World {
  TempDir dir;
  std::string home, runtime, database, rom, ips, romsBefore, toolRuntime;

  // `archive`: the ROM is kept in an archive of that name.
  explicit World(const std::string& vars, Form form = Form::Ips, const std::string& archive = "") {
    home = dir.Path() + "/home";
    runtime = dir.Path() + "/runtime";
    ::mkdir(home.c_str(), 0700);
    ::mkdir(runtime.c_str(), 0700);
    database = dir.Write("brindle.dat", "[vars]\r\n" + vars);
    const bool headered = form == Form::HeaderlessBps;
    rom = dir.Write("roms/Battery.sfc",
                    (headered ? std::string(512, '\0') : std::string()) + MakeBatteryRom());
    if (!archive.empty()) {
      ::unlink(rom.c_str());
      rom = dir.File("roms/" + archive);
      EXPECT_TRUE(WriteArchive(rom, IsGzipFileName(archive) ? ArchiveKind::Gzip : ArchiveKind::Zip,
                               {{"Battery #1.sfc", MakeBatteryRom()}}));
    }
    toolRuntime = dir.Path() + "/tool runtime";
    ::mkdir(toolRuntime.c_str(), 0700);
    std::string output;
    EXPECT_EQ(Admin("add-rom " + ShellQuote(rom) + " --db " + ShellQuote(database), &output), 0)
        << output;
    const std::string bps =
        MakeBps(MakeBatteryRom(), ApplyIps(MakeBatteryRom(), MakeBatteryPatch()));
    ips = form == Form::Bps || headered
              ? dir.Write("my patches/Battery Fix.bps", bps)
              : dir.Write("my patches/Battery Fix.ips",
                          form == Form::CommentedIps
                              ? MakeBatteryPatch() + "Patched for the tests, 2026"
                              : MakeBatteryPatch());
    dir.Write("my patches/Battery Fix.dat", std::string("name=Battery Fix\nromname=") +
                                                kBatteryRomName + "\nromsize=8Mbit" +
                                                (headered ? "\n" : " (No header)\n"));
    EXPECT_EQ(Admin("install " + ShellQuote(ips) + " --db " + ShellQuote(database), &output), 0)
        << output;
    romsBefore = Snapshot(dir.File("roms"));
  }

  // brindle-tool with `arguments`, in a runtime folder of its own: a Brindle window of someone
  // else's elsewhere on this machine would have it refuse to write the database.
  int Admin(const std::string& arguments, std::string* output) const {
    return RunCommand("XDG_RUNTIME_DIR=" + ShellQuote(toolRuntime) + " " +
                          ShellQuote(BRINDLE_TOOL_PATH) + " " + arguments + " </dev/null",
                      output, true);
  }

  // brindle-tool with `arguments` in this world's home and runtime folder.
  int Tool(const std::string& arguments, std::string* output) const {
    return RunCommand("env -u XDG_CONFIG_HOME -u MEDNAFEN_HOME HOME=" + ShellQuote(home) +
                          " XDG_RUNTIME_DIR=" + ShellQuote(runtime) + " " +
                          ShellQuote(BRINDLE_TOOL_PATH) + " " + arguments + " </dev/null",
                      output, true);
  }

  // Plays on `x` in this world's home and runtime folder for a moment, then ends the emulator
  // with `signal` (and brindle-tool first when `killPlayer`). brindle-tool's exit status, or -1.
  int Play(const XServer& x, int signal = SIGTERM, bool killPlayer = false,
           std::string* output = nullptr) const {
    const ScopedEnv homes[] = {{"HOME", home.c_str()},
                               {"XDG_RUNTIME_DIR", runtime.c_str()},
                               {"XDG_CONFIG_HOME", nullptr},
                               {"MEDNAFEN_HOME", nullptr}};
    std::vector<pid_t> ended;
    const DisplayedPlay play = PlayOnDisplay(x, ips, database, "", [&](pid_t emulator) {
      if (const pid_t tool = ParentOf(emulator); killPlayer && tool > 1 && tool != ::getpid())
        ::kill(tool, signal);
      ::kill(emulator, signal);
      ended.push_back(emulator);
    });
    // A killed emulator is gone once its new parent has waited for it.
    for (const pid_t emulator : ended) {
      for (int i = 0; i < 500 && ::kill(emulator, 0) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (output)
      *output = play.output;
    return play.status;
  }

  std::string Save() const { return SavedBytes(dir.File("my patches/Battery Fix.srm")); }

  // Nothing of the play is left: no journal, no run folder, the ROM's folder as before.
  void ExpectNothingLeft() const {
    EXPECT_FALSE(PathExists(dir.File("brindle.play")));
    EXPECT_EQ(Snapshot(runtime), ".\n");
    EXPECT_EQ(Snapshot(dir.File("roms")), romsBefore);
  }
};

bool Installed(const char* file, const char* what) {
  if (::access(file, R_OK) == 0)
    return true;
  if (RealEmulatorsRequired())
    ADD_FAILURE() << what << " is not installed: scripts/deps.sh --emulators installs it";
  return false;
}

}  // namespace

TEST(RealEmulator, RetroArchAppliesThePatchAndSavesInThePatchFolder) {
  if (!Installed(kRetroArch, "RetroArch") || !Installed(kCore, "libretro-bsnes-mercury-balanced"))
    GTEST_SKIP() << "needs retroarch and libretro-bsnes-mercury-balanced";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  World w(kRetroArchSettings);
  const std::string config = w.home + "/.config/retroarch/retroarch.cfg";
  const std::string configBytes =
      kNullDrivers + ("savefile_directory = \"" + w.home + "/saves\"\n");
  TempDir::WriteTo(config, configBytes);

  std::string output;
  EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
  EXPECT_EQ(output.find("Error"), std::string::npos) << output;
  EXPECT_EQ(w.Save(), kPatchedSave) << output;
  EXPECT_EQ(ReadFileBytes(config), configBytes);
  EXPECT_FALSE(PathExists(w.home + "/saves"));
  w.ExpectNothingLeft();
}

TEST(RealEmulator, ZippedRomsPlayWithRetroArchAndMednafenAndStayAsTheyAre) {
  if (!Installed(kRetroArch, "RetroArch") || !Installed(kCore, "libretro-bsnes-mercury-balanced") ||
      !Installed(kMednafen, "Mednafen"))
    GTEST_SKIP() << "needs retroarch, libretro-bsnes-mercury-balanced and mednafen";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  const std::string mednafen = std::string("Emulator=mednafen\r\nMednafen=") + kMednafen + "\r\n";
  for (const auto& [vars, archive] :
       {std::pair{kRetroArchSettings, "Battery Set.zip"},
        std::pair{kRetroArchSettings, "Battery.sfc.gz"}, std::pair{mednafen, "Battery Set.zip"}}) {
    SCOPED_TRACE(vars + archive);
    World w(vars, Form::Ips, archive);
    TempDir::WriteTo(w.home + "/.config/retroarch/retroarch.cfg", kNullDrivers);
    std::string output;
    EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
    EXPECT_EQ(output.find("Error!\n"), std::string::npos) << output;
    EXPECT_EQ(w.Save(), kPatchedSave) << output;
    w.ExpectNothingLeft();
  }
}

TEST(RealEmulator, RetroArchAppliesABpsPatchCheckedAgainstItsRom) {
  if (!Installed(kRetroArch, "RetroArch") || !Installed(kCore, "libretro-bsnes-mercury-balanced"))
    GTEST_SKIP() << "needs retroarch and libretro-bsnes-mercury-balanced";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  World w(kRetroArchSettings, Form::Bps);
  TempDir::WriteTo(w.home + "/.config/retroarch/retroarch.cfg", kNullDrivers);
  std::string output;
  EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
  EXPECT_EQ(output.find("Error"), std::string::npos) << output;
  EXPECT_EQ(w.Save(), kPatchedSave) << output;
  w.ExpectNothingLeft();
}

// RetroArch applies nothing of an IPS patch with a comment after its end, and a BPS patch made
// for the ROM without its copier header to the whole file: each is given a BPS patch of
// Brindle's making instead, and the user's files stay as they are.
TEST(RealEmulator, RetroArchIsGivenAPatchItAppliesForACommentedIpsAndAHeaderedRom) {
  if (!Installed(kRetroArch, "RetroArch") || !Installed(kCore, "libretro-bsnes-mercury-balanced"))
    GTEST_SKIP() << "needs retroarch and libretro-bsnes-mercury-balanced";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  for (const Form form : {Form::CommentedIps, Form::HeaderlessBps}) {
    World w(kRetroArchSettings, form);
    TempDir::WriteTo(w.home + "/.config/retroarch/retroarch.cfg", kNullDrivers);
    const std::string patches = Snapshot(w.dir.File("my patches"));
    std::string output;
    EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
    EXPECT_EQ(output.find("Error"), std::string::npos) << output;
    EXPECT_EQ(w.Save(), kPatchedSave) << output;
    ::unlink(w.dir.File("my patches/Battery Fix.srm").c_str());
    EXPECT_EQ(Snapshot(w.dir.File("my patches")), patches);
    w.ExpectNothingLeft();
  }
}

TEST(RealEmulator, RetroArchAsTheOtherEmulatorLoadsIpsAndBpsPatchesBesideALinkNamedAfterThem) {
  if (!Installed(kRetroArch, "RetroArch") || !Installed(kCore, "libretro-bsnes-mercury-balanced"))
    GTEST_SKIP() << "needs retroarch and libretro-bsnes-mercury-balanced";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  // Brindle knows nothing of RetroArch here but the command; RetroArch's own settings keep the
  // saves beside the game it is given.
  const std::string settings = std::string("Emulator=other\r\nOtherCommand=") + kRetroArch +
                               " -L " + kCore + " %ROM%\r\nOtherFormats=";
  // An IPS and a BPS patch as they are; then an IPS patch for an emulator said to load BPS
  // alone, given a BPS patch of Brindle's making beside it.
  for (const auto& [bps, formats] :
       {std::pair(false, "ips,bps"), std::pair(true, "ips,bps"), std::pair(false, "bps")}) {
    World w(settings + formats + "\r\n", bps ? Form::Bps : Form::Ips);
    TempDir::WriteTo(w.home + "/.config/retroarch/retroarch.cfg",
                     kNullDrivers + std::string("savefiles_in_content_dir = \"true\"\n"
                                                "sort_savefiles_enable = \"false\"\n"
                                                "sort_savefiles_by_content_enable = \"false\"\n"));
    const std::string patches = w.dir.File("my patches");
    std::string output;
    EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
    EXPECT_EQ(output.find("Error"), std::string::npos) << output;
    EXPECT_EQ(w.Save(), kPatchedSave) << output;
    // The link is gone: the patch folder holds the patch, its information and the save.
    std::string names;
    RunCommand("LC_ALL=C ls -A " + ShellQuote(patches), &names);
    EXPECT_EQ(names, bps ? "Battery Fix.bps\nBattery Fix.dat\nBattery Fix.srm\n"
                         : "Battery Fix.dat\nBattery Fix.ips\nBattery Fix.srm\n");
    w.ExpectNothingLeft();
  }
}

TEST(RealEmulator, ARetroArchKilledMidGameIsAFailedPlayWithEverythingPutBack) {
  if (!Installed(kRetroArch, "RetroArch") || !Installed(kCore, "libretro-bsnes-mercury-balanced"))
    GTEST_SKIP() << "needs retroarch and libretro-bsnes-mercury-balanced";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  World w(kRetroArchSettings);
  TempDir::WriteTo(w.home + "/.config/retroarch/retroarch.cfg", kNullDrivers);
  std::string output;
  EXPECT_EQ(w.Play(x, SIGKILL, false, &output), 1) << output;
  EXPECT_NE(output.find("Error: RetroArch ended abnormally (signal 9, SIGKILL).\n"),
            std::string::npos)
      << output;
  w.ExpectNothingLeft();
}

TEST(RealEmulator, MednafenAppliesThePatchAndSavesInThePatchFolder) {
  if (!Installed(kMednafen, "Mednafen"))
    GTEST_SKIP() << "needs mednafen";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  World w(std::string("Emulator=mednafen\r\nMednafen=") + kMednafen + "\r\n");

  // The first run writes Mednafen's own settings file; the second must leave it as it was.
  std::string output;
  EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
  EXPECT_EQ(w.Save(), kPatchedSave) << output;
  const std::string settings = ReadFileBytes(w.home + "/.mednafen/mednafen.cfg");
  EXPECT_NE(settings.find("\nfilesys.path_sav sav\n"), std::string::npos);
  ::unlink(w.dir.File("my patches/Battery Fix.srm").c_str());
  EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
  EXPECT_EQ(w.Save(), kPatchedSave) << output;
  EXPECT_EQ(ReadFileBytes(w.home + "/.mednafen/mednafen.cfg"), settings);
  EXPECT_EQ(Snapshot(w.home + "/.mednafen/pgconfig"), ".\n");
  w.ExpectNothingLeft();

  // A per-game file of the user's own stops the play before anything changes.
  TempDir::WriteTo(w.home + "/.mednafen/pgconfig/Battery Fix.snes.cfg", "snes.xscale 2\n");
  std::string refused;
  EXPECT_EQ(w.Tool("play " + ShellQuote(w.ips) + " --db " + ShellQuote(w.database), &refused), 1);
  EXPECT_NE(refused.find("Mednafen already has a per-game settings file"), std::string::npos)
      << refused;
}

// Mednafen reads IPS patches alone: a BPS patch made for the ROM without the copier header that
// the installed file has is given to it as an IPS patch of Brindle's making.
TEST(RealEmulator, MednafenIsGivenAnIpsPatchForABpsPatchMadeWithoutTheHeader) {
  if (!Installed(kMednafen, "Mednafen"))
    GTEST_SKIP() << "needs mednafen";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  World w(std::string("Emulator=mednafen\r\nMednafen=") + kMednafen + "\r\n", Form::HeaderlessBps);
  std::string output;
  EXPECT_EQ(w.Play(x, SIGTERM, false, &output), 0) << output;
  EXPECT_EQ(w.Save(), kPatchedSave) << output;
  w.ExpectNothingLeft();
}

TEST(RealEmulator, AKilledMednafenPlayIsClearedUpByRecover) {
  if (!Installed(kMednafen, "Mednafen"))
    GTEST_SKIP() << "needs mednafen";
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";
  World w(std::string("Emulator=mednafen\r\nMednafen=") + kMednafen + "\r\n");

  EXPECT_EQ(w.Play(x, SIGKILL, true), 128 + SIGKILL);
  const std::string gameFile = w.home + "/.mednafen/pgconfig/Battery Fix.snes.cfg";
  EXPECT_TRUE(PathExists(gameFile));
  std::string output;
  EXPECT_EQ(w.Admin("recover --db " + ShellQuote(w.database), &output), 0);
  EXPECT_NE(output.find("The file \"" + gameFile + "\", made for the play, was removed.\n"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("The folder \"" + w.runtime + "/brindle-play-"), std::string::npos)
      << output;
  EXPECT_FALSE(PathExists(gameFile));
  w.ExpectNothingLeft();
}
