// Plays through brindle-tool with Debian's own ZSNES 1.51 (zsnes:i386) on an X server of the
// test's own, with a game that writes its battery RAM: the save file tells both that the patch
// was applied and where the emulator saved.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/ArchiveWriter.h"
#include "support/BatteryRom.h"
#include "support/Fixtures.h"
#include "support/RealEmulator.h"
#include "support/TempDir.h"
#include "support/XServer.h"

namespace {

constexpr char kZsnes[] = "/usr/bin/zsnes";
constexpr char kNssWrapper[] = "/usr/lib/i386-linux-gnu/libnss_wrapper.so";

// ZSNES keeps its configuration in the home folder that the password database names. The
// emulator is given a database of its own (nss_wrapper), so that the test never touches the
// user's ~/.zsnes and can run beside other tests.
struct ZsnesHome {
  std::string home, config, executable;

  explicit ZsnesHome(const TempDir& dir) {
    home = dir.Path() + "/home";
    config = home + "/.zsnes/zsnesl.cfg";
    TempDir::WriteTo(config, ReadFixture("zsnes/zsnesl-1.51.cfg"));
    const std::string uid = std::to_string(::getuid()), gid = std::to_string(::getgid());
    const std::string passwd =
        dir.Write("passwd", "player:x:" + uid + ":" + gid + ":Player:" + home + ":/bin/sh\n");
    const std::string group = dir.Write("group", "player:x:" + gid + ":\n");
    executable = std::string("env LD_PRELOAD=") + kNssWrapper + " NSS_WRAPPER_PASSWD=" + passwd +
                 " NSS_WRAPPER_GROUP=" + group + " " + kZsnes;
  }
};

std::string InstalledPatch(const TempDir& dir, const std::string& folder,
                           const std::string& database) {
  const std::string ips = dir.Write(folder + "/Battery Fix.ips", MakeBatteryPatch());
  dir.Write(folder + "/Battery Fix.dat", std::string("name=Battery Fix\nromname=") +
                                             kBatteryRomName + "\nromsize=8Mbit (No header)\n");
  std::string output;
  EXPECT_EQ(RunTool("install " + ShellQuote(ips) + " --db " + ShellQuote(database), &output), 0)
      << output;
  return ips;
}

}  // namespace

TEST(RealEmulator, ZsnesAppliesThePatchAndSavesInThePatchFolder) {
  if (::access(kZsnes, X_OK) != 0 || ::access(kNssWrapper, R_OK) != 0) {
    const char* missing =
        "ZSNES is not installed: scripts/deps.sh --emulators installs zsnes:i386 and "
        "libnss-wrapper:i386";
    if (RealEmulatorsRequired())
      FAIL() << missing;
    GTEST_SKIP() << missing;
  }
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";

  TempDir dir;
  const ZsnesHome zsnes(dir);
  const std::string database = dir.Write(
      "brindle.dat", "[vars]\r\nZSNES=/usr/bin/\r\nZSNESVer=zsnesl\r\nZConfig=" + zsnes.config +
                         "\r\nZExecutable=" + zsnes.executable + "\r\n");
  const std::string rom = dir.Write("roms/Battery.smc", MakeBatteryRom());
  std::string output;
  ASSERT_EQ(RunTool("add-rom " + ShellQuote(rom) + " --db " + ShellQuote(database), &output), 0)
      << output;

  // A tab, a double quote and an apostrophe are each escaped in the emulator's configuration.
  for (const std::string folder : {"patches", "tab\there \"quoted\" it's"}) {
    SCOPED_TRACE(folder);
    const std::string ips = InstalledPatch(dir, folder, database);
    const DisplayedPlay play = PlayOnDisplay(x, ips, database, "^ZSNES$");
    EXPECT_TRUE(play.windowShown) << play.output;
    EXPECT_EQ(play.status, 0) << play.output;
    // The emulator talks on the same terminal; Brindle says nothing.
    EXPECT_EQ(play.output.find("brindle-tool"), std::string::npos) << play.output;
    EXPECT_EQ(play.output.find("Error"), std::string::npos) << play.output;
    EXPECT_EQ(SavedBytes(dir.File(folder + "/Battery Fix.srm")), kPatchedSave);
    EXPECT_EQ(ReadFileBytes(rom), MakeBatteryRom());
    EXPECT_FALSE(PathExists(dir.File("roms/Battery Fix.smc")));
    // The emulator wrote its whole file back at exit; the save folder is empty again.
    EXPECT_NE(ReadFileBytes(zsnes.config).find("\nSRAMPath=\"\"\n"), std::string::npos);
  }
}

// ZSNES is given the ROM unpacked under the patch's name in a folder of the play's own.
TEST(RealEmulator, ZsnesPlaysARomKeptInAZipAndLeavesTheZipAsItWas) {
  if (::access(kZsnes, X_OK) != 0 || ::access(kNssWrapper, R_OK) != 0) {
    if (RealEmulatorsRequired())
      FAIL() << "ZSNES is not installed: scripts/deps.sh --emulators installs it";
    GTEST_SKIP() << "needs zsnes:i386 and libnss-wrapper:i386";
  }
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";

  TempDir dir;
  const ZsnesHome zsnes(dir);
  const std::string database = dir.Write(
      "brindle.dat", "[vars]\r\nZSNES=/usr/bin/\r\nZSNESVer=zsnesl\r\nZConfig=" + zsnes.config +
                         "\r\nZExecutable=" + zsnes.executable + "\r\n");
  ::mkdir(dir.File("roms").c_str(), 0755);
  const std::string zip = dir.File("roms/Battery Set.zip");
  ASSERT_TRUE(WriteArchive(zip, ArchiveKind::Zip, {{"Battery.smc", MakeBatteryRom()}}));
  const std::string zipBytes = ReadFileBytes(zip);
  std::string output;
  ASSERT_EQ(RunTool("add-rom " + ShellQuote(zip) + " --db " + ShellQuote(database), &output), 0)
      << output;
  const std::string ips = InstalledPatch(dir, "patches", database);
  const DisplayedPlay play = PlayOnDisplay(x, ips, database, "^ZSNES$");
  EXPECT_TRUE(play.windowShown) << play.output;
  EXPECT_EQ(play.status, 0) << play.output;
  EXPECT_EQ(play.output.find("Error"), std::string::npos) << play.output;
  EXPECT_EQ(SavedBytes(dir.File("patches/Battery Fix.srm")), kPatchedSave);
  EXPECT_EQ(ReadFileBytes(zip), zipBytes);
  EXPECT_FALSE(PathExists(dir.File("brindle.play")));
}

// ZSNES is given one IPS patch with the records of both patches, beside the first as the set's
// name, for the length of the play; one already there under that name stops the play.
TEST(RealEmulator, ZsnesPlaysAPatchSetInOrderWithItsSaveBesideTheFirstPatch) {
  if (::access(kZsnes, X_OK) != 0 || ::access(kNssWrapper, R_OK) != 0) {
    if (RealEmulatorsRequired())
      FAIL() << "ZSNES is not installed: scripts/deps.sh --emulators installs it";
    GTEST_SKIP() << "needs zsnes:i386 and libnss-wrapper:i386";
  }
  XServer x;
  if (x.display.empty())
    GTEST_SKIP() << "needs Xvfb and xdotool";

  TempDir dir;
  const ZsnesHome zsnes(dir);
  const std::string database = dir.Write(
      "brindle.dat", "[vars]\r\nZSNES=/usr/bin/\r\nZSNESVer=zsnesl\r\nZConfig=" + zsnes.config +
                         "\r\nZExecutable=" + zsnes.executable + "\r\n");
  const std::string rom = dir.Write("roms/Battery.smc", MakeBatteryRom());
  const std::string first = InstalledPatch(dir, "first", database);
  const std::string second = dir.Write("second/Label.ips", MakeBatteryLabelPatch());
  dir.Write("second/Label.dat", std::string("name=Label\nromname=") + kBatteryRomName +
                                    "\nromsize=8Mbit (No header)\n");
  std::string output;
  for (const std::string& command :
       {"add-rom " + ShellQuote(rom), "install " + ShellQuote(second),
        "add-set 'Battery + Label' " + ShellQuote(first) + " " + ShellQuote(second)}) {
    ASSERT_EQ(RunTool(command + " --db " + ShellQuote(database), &output), 0) << output;
  }
  const std::vector<std::string> played{"--set", "Battery + Label"};
  const DisplayedPlay play = PlayOnDisplay(x, played, database, "^ZSNES$");
  EXPECT_TRUE(play.windowShown) << play.output;
  EXPECT_EQ(play.status, 0) << play.output;
  EXPECT_EQ(play.output.find("Error"), std::string::npos) << play.output;
  EXPECT_EQ(SavedBytes(dir.File("first/Battery + Label.srm")), kPatchedThenLabelledSave);
  EXPECT_FALSE(PathExists(dir.File("first/Battery + Label.ips")));
  EXPECT_EQ(ReadFileBytes(rom), MakeBatteryRom());
  EXPECT_FALSE(PathExists(dir.File("brindle.play")));

  dir.Write("first/Battery + Label.ips", "the user's own");
  const DisplayedPlay refused = PlayOnDisplay(x, played, database, "^ZSNES$");
  EXPECT_FALSE(refused.windowShown);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("a file of that name is already there"), std::string::npos)
      << refused.output;
  EXPECT_EQ(ReadFileBytes(dir.File("first/Battery + Label.ips")), "the user's own");
}
