#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "db/CPatchDB.h"
#include "gtest/gtest.h"
#include "platform/FileSystem.h"
#include "play/CEmulatorConfig.h"
#include "play/CZsnesEmulator.h"
#include "support/Fixtures.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

const char kCannotOpen[] =
    "Error: Could not open ZSNES configuration file. Check Brindle's ZSNES installation "
    "configuration to ensure that the path and version information is correct.";

struct Fixture {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db{prompt};
  CZsnesEmulator player{db};
  std::string config;

  explicit Fixture(const std::string& bytes) {
    config = dir.Write("zsnes/zsnesw.cfg", bytes);
    db.ZSNES = dir.Path() + "/zsnes/";
    db.ZConfig = config;
  }
};

ino_t Inode(const std::string& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_ino;
}

}  // namespace

TEST(SaveDirectory, OnlyTheValuesBytesChangeAndComeBack) {
  const std::string bytes =
      "SaveDirectory = /first;x\n"
      "SaveDirectory =    /home/u/saves\t\r\n"
      "; SaveDirectory = comment\n"  // comments stay as they are
      "Other = 1 ;SaveDirectory = comment\n"
      "SaveDirectory=/not/matched\n"
      "Other = 1\rstill line six\n"  // a CR inside a line is the line's
      "last line without end";
  Fixture f(bytes);
  ASSERT_TRUE(f.player.SetSaveDirectory("/patches/"));
  EXPECT_EQ(ReadFileBytes(f.config),
            "SaveDirectory = /patches/\n"
            "SaveDirectory =    /patches/\r\n"
            "; SaveDirectory = comment\n"
            "Other = 1 ;SaveDirectory = comment\n"
            "SaveDirectory=/not/matched\n"
            "Other = 1\rstill line six\n"
            "last line without end");
  // Each line gets its own value back, as it was spelled.
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), bytes);
  // The restore remembered the patch folder in turn.
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_NE(ReadFileBytes(f.config).find("SaveDirectory =    /patches/\r\n"), std::string::npos);
  EXPECT_TRUE(f.prompt.boxes.empty());

  // A file without a matching line is not written at all; the remembered value stays.
  const std::string other = f.dir.Write("other.cfg", "A=1\nB=2\n");
  const ino_t inode = Inode(other);
  f.db.ZConfig = other;
  ASSERT_TRUE(f.player.SetSaveDirectory("/q/"));
  EXPECT_EQ(Inode(other), inode);
  f.db.ZConfig = f.config;
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), bytes);
}

TEST(SaveDirectory, LongFilesAndAnyLineEndsSurviveWhole) {
  std::string bytes;
  for (int i = 0; i < 400; ++i) {
    bytes +=
        i == 321 ? "SaveDirectory = /saves" : "Key" + std::to_string(i) + " = " + std::to_string(i);
    bytes += i % 3 == 0 ? "\r\n" : "\n";
  }
  Fixture f(bytes);
  ASSERT_TRUE(f.player.SetSaveDirectory("/patch folder/"));
  EXPECT_EQ(ReadFileBytes(f.config), Replaced(bytes, "= /saves", "= /patch folder/"));
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), bytes);

  // Lines ended by a lone CR are one line to the emulator: such a file is left alone.
  const std::string loneCr = "A=1\rSaveDirectory = /saves\rB=2\r";
  f.dir.Write("zsnes/zsnesw.cfg", loneCr);
  EXPECT_FALSE(f.player.SetSaveDirectory("/p/"));
  EXPECT_EQ(ReadFileBytes(f.config), loneCr);
  EXPECT_EQ(f.prompt.Texts(),
            std::vector<std::string>{"Error: The ZSNES configuration file \"" + f.config +
                                     "\" has carriage returns that do not end its lines, so "
                                     "ZSNES would read it otherwise than Brindle. It was left "
                                     "as it was."});
}

TEST(SaveDirectory, ErrorsLeaveTheFileAlone) {
  Fixture f("SaveDirectory = /old\n");
  f.db.ZSNES.clear();
  EXPECT_FALSE(f.player.SetSaveDirectory("/p/"));
  f.db.ZSNES = "/z/";
  f.db.ZConfig = f.dir.File("missing.cfg");
  EXPECT_FALSE(f.player.SetSaveDirectory("/p/"));
  EXPECT_FALSE(PathExists(f.db.ZConfig));
  ASSERT_EQ(f.prompt.boxes.size(), 2u);
  EXPECT_EQ(f.prompt.boxes[0].text, "Error: ZSNES installation directory not configured.");
  EXPECT_EQ(f.prompt.boxes[0].title, "Error!");
  EXPECT_EQ(f.prompt.boxes[0].icon, BoxIcon::Error);
  EXPECT_EQ(f.prompt.boxes[1].text, kCannotOpen);

  // A configuration we may not write is not replaced behind the user's back.
  f.db.ZConfig = f.config;
  ASSERT_EQ(::chmod(f.config.c_str(), 0444), 0);
  if (::access(f.config.c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_FALSE(f.player.SetSaveDirectory("/p/"));
    EXPECT_EQ(f.prompt.boxes.back().text, kCannotOpen);
    EXPECT_EQ(ReadFileBytes(f.config), "SaveDirectory = /old\n");
  }
  ASSERT_EQ(::chmod(f.config.c_str(), 0640), 0);

  // A folder where no temporary file can be made: reported, file untouched, value kept.
  ASSERT_EQ(::chmod((f.dir.Path() + "/zsnes").c_str(), 0555), 0);
  if (::access((f.dir.Path() + "/zsnes").c_str(), W_OK) != 0) {
    const size_t before = f.prompt.boxes.size();
    EXPECT_FALSE(f.player.SetSaveDirectory("/p/"));
    ASSERT_EQ(f.prompt.boxes.size(), before + 1);
    EXPECT_EQ(f.prompt.boxes.back().text.rfind(
                  "Error: Could not write ZSNES configuration file \"" + f.config + "\" (", 0),
              0u);
    EXPECT_EQ(ReadFileBytes(f.config), "SaveDirectory = /old\n");
  }
  ASSERT_EQ(::chmod((f.dir.Path() + "/zsnes").c_str(), 0755), 0);

  // The same for everybody, root included: the temporary name would be too long.
  const std::string longName = f.dir.Write(std::string(250, 'c'), "SaveDirectory = /x\n");
  f.db.ZConfig = longName;
  EXPECT_FALSE(f.player.SetSaveDirectory("/p/"));
  EXPECT_EQ(f.prompt.boxes.back().text.rfind(
                "Error: Could not write ZSNES configuration file \"" + longName + "\" (", 0),
            0u);
  EXPECT_EQ(ReadFileBytes(longName), "SaveDirectory = /x\n");
  f.db.ZConfig = f.config;
  ASSERT_TRUE(f.player.SetSaveDirectory("/p/"));
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), "SaveDirectory = /old\n");
}

TEST(SaveDirectory, KeepsPermissionsAndSymbolicLinks) {
  Fixture f("SaveDirectory = /old\n");
  ASSERT_EQ(::chmod(f.config.c_str(), 0640), 0);
  const std::string link = f.dir.File("link.cfg");
  ASSERT_EQ(::symlink(f.config.c_str(), link.c_str()), 0);
  f.db.ZConfig = link;
  ASSERT_TRUE(f.player.SetSaveDirectory("/p/"));
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat(f.config.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFileBytes(f.config), "SaveDirectory = /p/\n");
}

TEST(SaveDirectory, QuotedFormIsWrittenAndReadAsTheEmulatorDoes) {
  const std::string others =
      "; SRAMPath=\"/commented/\"\n"
      "sramPath=\"/other case/\"\n"
      "SRAMPathX=\"/other key/\"\n"
      "ROMPath=\"C:\\\\ZSNES\\\\\"\n"
      "IPSPath=\"\"\n";
  // The emulator's own escapes (a backslash, then the character itself), and "\t", which it
  // reads as "t". Only the value's bytes change, and they come back as they were spelled.
  const std::string original =
      others + "  SRAMPath = \"D:\\\\SNES\\\\Saves\\\\ \\\"q\\\" \\'s\\' \\\t\\t\" ; mine\n" +
      "AutoPatch=1";
  Fixture f(original);
  // Every character that needs an escape, and a folder that looks like the old form's line.
  ASSERT_TRUE(f.player.SetSaveDirectory("/p a/\"x\"\t'y'\\SaveDirectory = z/"));
  EXPECT_EQ(ReadFileBytes(f.config),
            others + "  SRAMPath = \"/p a/\\\"x\\\"\\\t\\'y\\'\\\\SaveDirectory = z/\" ; mine\n" +
                "AutoPatch=1");
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), original);
  EXPECT_TRUE(f.prompt.boxes.empty());

  // What the emulator reads from the text after "=": any escaped character as it is, the value
  // up to a blank outside quotes, nothing from a value that is not a whole quoted string.
  EXPECT_EQ(CEmulatorConfig::DecodeValue(" \"D:\\\\SNES\\\\Saves\\\\\" ; c"), "D:\\SNES\\Saves\\");
  EXPECT_EQ(CEmulatorConfig::DecodeValue("\"a;b\\\"c\\'d\\te\\\tf\\\n\" x"), "a;b\"c'dte\tf\n");
  EXPECT_EQ(CEmulatorConfig::DecodeValue("\"C:\\Games\\x\""), "C:Gamesx");
  EXPECT_EQ(CEmulatorConfig::DecodeValue("  /bare/path  ; comment"), "");
  EXPECT_EQ(CEmulatorConfig::DecodeValue("\"/a/\"junk"), "");
  EXPECT_EQ(CEmulatorConfig::DecodeValue("\"\""), "");
  EXPECT_EQ(CEmulatorConfig::KeyOf(" \tSRAMPath x = \"/a/\""), "SRAMPath");
  EXPECT_EQ(CEmulatorConfig::KeyOf("; SRAMPath=\"/a/\""), "");
}

TEST(SaveDirectory, OnlyLinesTheEmulatorTakesAValueFromAreRemembered) {
  // The same lines get their own values back, byte for byte, whatever the emulator makes of them.
  const std::string bytes = "SRAMPath=\"/kept/\"\nSRAMPath=\nSRAMPath= ;none\n";
  Fixture f(bytes);
  ASSERT_TRUE(f.player.SetSaveDirectory("/p/"));
  EXPECT_EQ(ReadFileBytes(f.config),
            "SRAMPath=\"/p/\"\nSRAMPath=\"/p/\"\nSRAMPath= \"/p/\";none\n");
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), bytes);
  // Lines the emulator wrote anew (it writes each key once) get the value it went by: the last
  // one that set anything; it skips a line without a value.
  ASSERT_TRUE(f.player.SetSaveDirectory("/p/"));
  f.dir.Write("zsnes/zsnesw.cfg", "SRAMPath=\"/p/\"\n");
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), "SRAMPath=\"/kept/\"\n");
  // A value that is not quoted reads as empty to the emulator, and comes back as it was.
  f.dir.Write("zsnes/zsnesw.cfg", "SRAMPath=/bare/\n");
  ASSERT_TRUE(f.player.SetSaveDirectory("/p/"));
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), "SRAMPath=/bare/\n");

  // AutoPatch is a byte set from the number the value starts with.
  for (const auto& [lines, off] : std::vector<std::pair<std::string, bool>>{
           {"AutoPatch=0 x", true},
           {"AutoPatch=256", true},
           {"AutoPatch=nothing", true},
           {"AutoPatch=-255", false},
           {"AutoPatch=99999999999", false},
           {"AutoPatch=0\nAutoPatch=", true},
           {"AutoPatch=0\nAutoPatch=1;", false},
           {"AutoPatch = \"0\"", true},
       }) {
    CEmulatorConfig config;
    config.Parse(lines);
    EXPECT_EQ(config.AutoPatchOff(), off) << lines;
  }
}

TEST(SaveDirectory, AFolderTheFileCannotCarryIsRefusedBeforeAnythingChanges) {
  const std::string oldForm = "SaveDirectory = /old\n";
  const std::string quoted = "SRAMPath=\"/old/\"\n";
  Fixture f(oldForm);
  const std::string breaks[] = {"/a\nb/", "/a\rb/"};
  for (const std::string& folder : breaks) {
    EXPECT_FALSE(f.player.SetSaveDirectory(folder));
    EXPECT_EQ(f.prompt.boxes.back().text,
              "Error: The patch folder \"" + folder +
                  "\" cannot be written into the ZSNES configuration file \"" + f.config +
                  "\": ZSNES cannot read a folder name with a line break from it.\n\nMove the "
                  "patch to another folder to play it.");
    EXPECT_EQ(f.prompt.boxes.back().title, "Error!");
    EXPECT_EQ(ReadFileBytes(f.config), oldForm);
  }

  // The quoted form holds a carriage return, and 1023 bytes at most.
  f.dir.Write("zsnes/zsnesw.cfg", quoted);
  EXPECT_FALSE(f.player.SetSaveDirectory("/a\nb/"));
  const std::string longest = "/" + std::string(1021, 'x') + "/";
  EXPECT_FALSE(f.player.SetSaveDirectory(longest + "y/"));
  EXPECT_EQ(f.prompt.boxes.back().text,
            "Error: The patch folder \"" + longest +
                "y/\" cannot be written into the ZSNES "
                "configuration file \"" +
                f.config +
                "\": ZSNES reads at most 1023 bytes of a folder "
                "name from it.\n\nMove the patch to a folder with a shorter name to play it.");
  EXPECT_EQ(ReadFileBytes(f.config), quoted);
  EXPECT_EQ(f.prompt.boxes.size(), 4u);
  EXPECT_TRUE(f.player.SetSaveDirectory("/a\rb/"));
  EXPECT_TRUE(f.player.SetSaveDirectory(longest));
  EXPECT_EQ(f.prompt.boxes.size(), 4u);
}

TEST(SaveDirectory, BothFormsAndIpsPathAreRewrittenAndRestored) {
  const std::string bytes =
      "SaveDirectory = /old\r\nSRAMPath=/bare ; c\nIPSPath=\"/ips/\"\r\nIPSPath=\"\"\n";
  Fixture f(bytes);
  ASSERT_TRUE(f.player.SetSaveDirectory("/p/"));
  EXPECT_EQ(ReadFileBytes(f.config),
            "SaveDirectory = /p/\r\nSRAMPath=\"/p/\" ; c\nIPSPath=\"/p/\"\r\nIPSPath=\"\"\n");
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), bytes);

  // Each key keeps what was remembered for it until a file has a line of it.
  f.dir.Write("zsnes/zsnesw.cfg", "A=1\r\nIPSPath=\"/i/\"\r\nB=2");
  ASSERT_TRUE(f.player.SetSaveDirectory("/q/"));
  EXPECT_EQ(ReadFileBytes(f.config), "A=1\r\nIPSPath=\"/q/\"\r\nB=2");
  // SRAMPath keeps what the last rewrite of such a line took out: the patch folder.
  f.dir.Write("zsnes/zsnesw.cfg", "SRAMPath=\"/q/\"\nIPSPath=\"/q/\"\n");
  ASSERT_TRUE(f.player.RestoreSaveDirectory());
  EXPECT_EQ(ReadFileBytes(f.config), "SRAMPath=\"/p/\"\nIPSPath=\"/i/\"\n");
  EXPECT_TRUE(f.prompt.boxes.empty());
}
