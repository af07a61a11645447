#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "db/CPatchDB.h"
#include "platform/CDatabaseLock.h"
#include "platform/FileSystem.h"
#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

std::string Tool(const std::string& arguments) {
  return ShellQuote(BRINDLE_TOOL_PATH) + " " + arguments;
}

// Runs the tool in `dir` with a runtime folder of its own there: a Brindle window elsewhere on
// this machine is not ours. Standard error is merged into `out`.
int ToolIn(const TempDir& dir, const std::string& arguments, std::string* out) {
  const std::string runtime = dir.File("runtime");
  std::filesystem::create_directories(runtime);
  return RunCommand("cd " + ShellQuote(dir.Path()) + " && XDG_RUNTIME_DIR=" + ShellQuote(runtime) +
                        " " + Tool(arguments),
                    out, true);
}

}  // namespace

TEST(BrindleTool, CheckPrintsEveryBoxAndSetsTheExitStatus) {
  TempDir dir;
  std::string out;
  const std::string clean = dir.Write("clean.dat", "[vars]\r\nTransSpeed=5\r\n[roms]\r\n");
  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(clean)), &out), 0);
  EXPECT_EQ(out, "");

  const std::string bad = dir.Write("bad.dat", "x=1\n[patches]\nName only\n");
  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(bad)), &out), 1);
  EXPECT_EQ(out,
            "Warning!\nOn line 1:\nx=1\nStatement occurs outside of valid section label.\n"
            "Error!\nOn line 3:\nName only\nPatch entry contains errors:\n\n"
            "ERROR P02: Patch filename not specified.\nERROR P03: Target ROM name not specified."
            "\nERROR P04: Target ROM size not specified.\n");

  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(dir.File("missing.dat")) + " 2>/dev/null"), &out),
            2);
  EXPECT_EQ(RunCommand(Tool("check " + ShellQuote(dir.Path()) + " 2>/dev/null"), &out), 2);
}

TEST(BrindleTool, DumpWritesWhatSaveWould) {
  TempDir dir;
  const std::string path =
      dir.Write("brindle.dat",
                "[roms]\nGAME|8Mbit|/r/g.smc|d|Forced\n[patches]\nbroken\n[vars]\nGridLines=yes\n");
  std::string out;
  EXPECT_EQ(RunCommand(Tool("dump " + ShellQuote(path) + " 2>/dev/null"), &out), 0);
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  ASSERT_EQ(db.Load(path), 0);
  EXPECT_EQ(out, db.Serialize());
  EXPECT_NE(out.find("GridLines=1\r\n"), std::string::npos);
  std::string errors;
  RunCommand(Tool("dump " + ShellQuote(path) + " 2>&1 >/dev/null"), &errors);
  EXPECT_EQ(errors.rfind("Error!\nOn line 4:\nbroken\n", 0), 0u);
}

TEST(BrindleTool, AddRomInstallsAsTheWindowDoesAndWritesOnceAtTheEnd) {
  TempDir dir;
  const std::string runtime = dir.File("runtime");
  const auto addRom = [&](const std::string& arguments, std::string* out) {
    return ToolIn(dir, "add-rom " + arguments, out);
  };
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const std::string database = dir.File("brindle.dat");
  ASSERT_TRUE(db.Save(database));
  const auto inode = [&] {
    struct stat info {};
    ::stat(database.c_str(), &info);
    return info.st_ino;
  };
  std::filesystem::create_directory(dir.File("roms"));
  std::vector<std::string> roms;
  for (const std::string name : {"FIRST", "SECOND", "THIRD"}) {
    roms.push_back(dir.File("roms/" + name + ".smc"));
    ASSERT_TRUE(MakeRomImage(roms.back(), 1048576, 65472, name));
  }
  const auto installed = [&] {
    ScriptedPrompt quiet;
    CPatchDB back(quiet);
    EXPECT_EQ(back.Load(database), 0);
    std::vector<std::string> files;
    for (int i = 0; i < back.GetRomCount(); ++i)
      files.push_back(back.GetRom(i)->Filename);
    return files;
  };

  // A relative path is installed as a full one; a refused ROM does not stop the others.
  std::string out;
  EXPECT_EQ(addRom("roms/../roms/FIRST.smc missing.smc --db brindle.dat", &out), 1);
  EXPECT_EQ(out, "Error!\nError: Could not open ROM file.\nNo such file or directory\n");
  EXPECT_EQ(installed(), std::vector<std::string>{roms[0]});
  EXPECT_EQ(addRom("--db brindle.dat " + ShellQuote(roms[1]) + " " + ShellQuote(roms[0]), &out), 1);
  EXPECT_EQ(out, "Error!\nError: Cannot add ROM to database:\n" + roms[0] +
                     "\n\nThe specified file already exists in the database.\n");
  EXPECT_EQ(installed(), (std::vector<std::string>{roms[0], roms[1]}));

  // Nothing added: the file is not written at all.
  const auto before = inode();
  EXPECT_EQ(addRom(ShellQuote(roms[1]) + " --db brindle.dat", &out), 1);
  EXPECT_EQ(inode(), before);

  // While a window has the file open, or a play runs on it, and while the file has lines that
  // writing it would drop, nothing changes.
  {
    CDatabaseLock window(database);
    ASSERT_EQ(window.Acquire(CDatabaseLock::kWindow, true, 0), CDatabaseLock::Result::Acquired);
    EXPECT_EQ(addRom(ShellQuote(roms[2]) + " --db brindle.dat", &out), 1);
    EXPECT_EQ(out,
              "brindle-tool: brindle.dat is open in Brindle's window (process " +
                  std::to_string(::getpid()) +
                  "); nothing was changed. Close the window first (or add the ROMs there): "
                  "it writes all of the database with each change, and would lose the ROMs added "
                  "here.\n");
    EXPECT_EQ(inode(), before);
  }
  {
    CDatabaseLock play(database);
    ASSERT_EQ(play.Acquire("brindle-tool play", true, 0), CDatabaseLock::Result::Acquired);
    EXPECT_EQ(addRom(ShellQuote(roms[2]) + " --db brindle.dat", &out), 1);
    EXPECT_EQ(out,
              "brindle-tool: brindle.dat is in use by another command that is still running "
              "(brindle-tool play, process " +
                  std::to_string(::getpid()) +
                  "); nothing was changed. Try again when it has ended.\n");
    EXPECT_EQ(inode(), before);
  }
  const std::string damaged = dir.Write("damaged.dat", "[roms]\nbroken\n");
  EXPECT_EQ(addRom(ShellQuote(roms[2]) + " --db damaged.dat", &out), 1);
  EXPECT_NE(out.find("damaged.dat has lines Brindle cannot read (shown above); nothing was added"),
            std::string::npos)
      << out;
  EXPECT_EQ(ReadFileBytes(damaged), "[roms]\nbroken\n");

  EXPECT_EQ(addRom(ShellQuote(roms[2]) + " --db brindle.dat", &out), 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(installed().size(), 3u);
  EXPECT_EQ(addRom("--db brindle.dat", &out), 2);
  EXPECT_EQ(addRom(ShellQuote(roms[2]), &out), 2);
  EXPECT_EQ(addRom(ShellQuote(roms[2]) + " --db missing.dat", &out), 2);
  EXPECT_FALSE(PathExists(dir.File("missing.dat")));
}

TEST(BrindleTool, TwoWritersAtOnceKeepEveryRecord) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  ASSERT_TRUE(db.Save(dir.File("brindle.dat")));
  std::filesystem::create_directory(dir.File("roms"));
  constexpr int kRounds = 4;
  // One of each pair runs without a runtime folder (from cron, ssh or su): the database's own
  // lock still keeps them apart, and the second waits for the first.
  for (int round = 0; round < kRounds; ++round) {
    std::string rom[2];
    for (int i = 0; i < 2; ++i) {
      rom[i] = dir.File("roms/ROM" + std::to_string(round * 2 + i) + ".smc");
      ASSERT_TRUE(MakeRomImage(rom[i], 1048576, 65472, "ROM" + std::to_string(round * 2 + i)));
    }
    const std::string both =
        "cd " + ShellQuote(dir.Path()) + " && { XDG_RUNTIME_DIR=" + ShellQuote(dir.Path()) + " " +
        Tool("add-rom " + ShellQuote(rom[0]) + " --db brindle.dat") + "; echo $? > first; } & " +
        "cd " + ShellQuote(dir.Path()) + " && { env -u XDG_RUNTIME_DIR " +
        Tool("add-rom " + ShellQuote(rom[1]) + " --db brindle.dat") + "; echo $? > second; } & " +
        "wait";
    std::string out;
    RunCommand(both, &out, true);
    EXPECT_EQ(out, "");
    EXPECT_EQ(ReadFileBytes(dir.File("first")), "0\n");
    EXPECT_EQ(ReadFileBytes(dir.File("second")), "0\n");
  }
  ASSERT_EQ(db.Load(dir.File("brindle.dat")), 0);
  EXPECT_EQ(db.GetRomCount(), 2 * kRounds);
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(BrindleTool, HelpVersionAndUsage) {
  std::string out;
  EXPECT_EQ(RunCommand(Tool("--help"), &out), 0);
  EXPECT_NE(out.find("check FILE"), std::string::npos);
  EXPECT_EQ(RunCommand(Tool("--version"), &out), 0);
  EXPECT_EQ(out.rfind("brindle-tool ", 0), 0u);
  EXPECT_EQ(RunCommand(Tool(""), &out, true), 2);
  EXPECT_EQ(RunCommand(Tool("frobnicate"), &out, true), 2);
  EXPECT_NE(out.find("unknown command 'frobnicate'"), std::string::npos);
  EXPECT_EQ(RunCommand(Tool("check"), &out, true), 2);
  EXPECT_EQ(RunCommand(Tool("dump a b"), &out, true), 2);
}

TEST(BrindleTool, HelpNamesTheDatabaseOfAPortableOrAnInstalledCopy) {
  TempDir dir;
  const std::string bin = dir.File("bin");
  std::filesystem::create_directories(bin);
  std::filesystem::copy_file(BRINDLE_TOOL_PATH, bin + "/brindle-tool");
  const std::string home = dir.File("home");
  const auto database = [&](const std::string& environment) {
    std::string out;
    RunCommand("env -u XDG_DATA_HOME HOME=" + ShellQuote(home) + " " + environment + " " +
                   ShellQuote(bin + "/brindle-tool") + " --help",
               &out);
    const std::string label = "\nBrindle's database: ";
    const size_t at = out.rfind(label);
    return at == std::string::npos ? out : out.substr(at + label.size());
  };
  // An installed copy: the user's data folder; a relative $XDG_DATA_HOME does not count.
  EXPECT_EQ(database(""), home + "/.local/share/brindle/brindle.dat\n");
  EXPECT_EQ(database("XDG_DATA_HOME=relative/data"), home + "/.local/share/brindle/brindle.dat\n");
  EXPECT_EQ(database("HOME=/ XDG_DATA_HOME=" + ShellQuote(dir.File("my data//"))),
            dir.File("my data/brindle/brindle.dat\n"));
  EXPECT_FALSE(PathExists(home));  // asking makes nothing

  // A portable copy, marked as one or holding its database already, keeps it beside itself.
  for (const char* beside : {"portable.txt", "brindle.dat"}) {
    const std::string file = dir.Write(std::string("bin/") + beside, "");
    EXPECT_EQ(database("XDG_DATA_HOME=" + ShellQuote(dir.File("data"))), bin + "/brindle.dat\n");
    ::unlink(file.c_str());
  }
}

TEST(BrindleTool, InstallLeavesToBrindleWhatWouldNeedItsDialog) {
  TempDir dir;
  const auto install = [&](const std::string& arguments, std::string* out) {
    return ToolIn(dir, "install " + arguments, out);
  };
  const std::string original = "[vars]\r\nTransSpeed=5\r\n";
  const std::string database = dir.Write("brindle.dat", original);
  dir.Write("a.dat", "\xEF\xBB\xBFname=A\nromname=GAME\nromsize=8Mbit\n");  // from Notepad
  dir.Write("a.ips", "PATCHEOF");
  dir.Write("b.ips", "PATCHEOF");
  dir.Write("c.dat", "name=C\nromsize=8Mbit\n");
  dir.Write("c.ips", "PATCHEOF");
  std::string out;
  EXPECT_EQ(install("b.ips --db brindle.dat", &out), 1);
  EXPECT_EQ(out,
            "Brindle\nA patch information file (*.dat) was not found for the specified IPS "
            "file.\nYou will have to enter patch information manually in order to continue.\n"
            "brindle-tool: " +
                dir.File("b.ips") +
                " was not installed: its information "
                "must be entered in Brindle's Patch Information dialog\n");
  EXPECT_EQ(ReadFileBytes(database), original);
  // A broken patch is refused with the reason.
  dir.Write("d.dat", "name=D\nromname=GAME\nromsize=8Mbit\n");
  dir.Write("d.UPS", "UPS1");
  EXPECT_EQ(install("d.UPS --db brindle.dat", &out), 1);
  EXPECT_EQ(out, "Error!\nError: Cannot add patch to database:\n" + dir.File("d.UPS") +
                     "\n\nThe file is not a well-formed UPS patch: the file is too short (4 "
                     "bytes).\n");
  EXPECT_EQ(install("c.ips --db brindle.dat", &out), 1);
  EXPECT_EQ(out.substr(0, out.find("brindle-tool:")),
            "Brindle\nThe patch information file does not give the ROM's name (romname).\nPlease "
            "enter the missing information in order to continue.\n");
  EXPECT_EQ(install("--db brindle.dat ./a.ips", &out), 0);
  EXPECT_EQ(out, "");
  EXPECT_NE(ReadFileBytes(database).find("\r\nA||||" + dir.File("a.ips") + "|GAME|8Mbit|\r\n"),
            std::string::npos);
}

// add-set keeps a later version's section; each refusal names its reason and writes nothing.
TEST(BrindleTool, AddSetChecksItsPatchesAndKeepsWhatItDoesNotKnow) {
  TempDir dir;
  const std::string patches =
      "[patches]\r\n"
      "A|x|1|d|/p/a.ips|EARTH BOUND (J)|24Mbit|\r\n"
      "B|x|1|d|/p/b.bps|earth bound|24Mbit|\r\n"
      "C|x|1|d|/p/c.ips|MOTHER|24Mbit|\r\n"
      "[later]\r\nkept=as is\r\n";
  const std::string db = dir.Write("brindle.dat", patches);
  std::string out;
  std::string stored = patches;
  const auto refused = [&](const std::string& arguments, const std::string& message) {
    EXPECT_EQ(ToolIn(dir, "add-set " + arguments + " --db brindle.dat", &out), 1) << arguments;
    EXPECT_EQ(out, "Error!\nError: " + message + "\n");
    EXPECT_EQ(ReadFileBytes(db), stored);
  };
  refused("'' /p/a.ips /p/b.bps", "A patch set needs a name.");
  refused("../x /p/a.ips /p/b.bps",
          "The patch set name \"../x\" cannot name its save files: it may not begin or end with "
          "a blank, hold \"/\" or \"|\", or be \".\" or \"..\".");
  refused("S /p/a.ips", "A patch set holds 2 to 10 patches.");
  refused("S /p/a.ips /p/z.ips", "\"/p/z.ips\" is not an installed patch.");
  refused("S /p/a.ips /p/a.ips", "\"/p/a.ips\" is named more than once.");
  refused("S /p/a.ips /p/c.ips",
          "The patches of a set must be for one ROM: \"C\" is for MOTHER (24Mbit), \"A\" for "
          "EARTH BOUND (J) (24Mbit).");

  EXPECT_EQ(ToolIn(dir, "add-set 'Hack + Fix' /p/b.bps /p/a.ips --db brindle.dat", &out), 0) << out;
  ScriptedPrompt prompt;
  CPatchDB read(prompt);
  ASSERT_EQ(read.Load(db), 0);
  ASSERT_EQ(read.GetSetCount(), 1);
  EXPECT_EQ(read.GetSet(0)->Patches, (std::vector<std::string>{"/p/b.bps", "/p/a.ips"}));
  EXPECT_EQ(read.GetSet(0)->RomName, "earth bound");
  stored = ReadFileBytes(db);
  EXPECT_NE(stored.find("[later]\r\nkept=as is\r\n"), std::string::npos);
  refused("'Hack + Fix' /p/a.ips /p/b.bps", "There is already a patch set named \"Hack + Fix\".");
}

// remove takes patches and ROMs by their files, and a set by its name, as the window does: the
// sets of a removed patch go with it, and a name it does not know fails without losing the rest.
TEST(BrindleTool, RemoveTakesOutPatchesRomsAndSets) {
  TempDir dir;
  const std::string db =
      dir.Write("brindle.dat",
                "[patches]\r\nA|x|1|d|/p/a.ips|GAME|8Mbit|\r\nB|x|1|d|/p/b.ips|GAME|8Mbit|\r\n"
                "[roms]\r\nGAME|8Mbit|/r/game.zip#Game.sfc|0123456789abcdef0123456789abcdef\r\n"
                "[sets]\r\nSet=S\r\nRomName=GAME\r\n"
                "RomSize=8Mbit\r\nPatch=/p/a.ips\r\nPatch=/p/b.ips\r\n");
  std::string out;
  EXPECT_EQ(ToolIn(dir, "remove /p/a.ips /p/none.ips --db brindle.dat", &out), 1);
  EXPECT_EQ(out,
            "The patch set \"S\" used /p/a.ips and was removed with it.\nbrindle-tool: "
            "/p/none.ips is neither an installed patch nor an installed ROM of brindle.dat\n");
  EXPECT_EQ(ToolIn(dir, "remove --set S --db brindle.dat", &out), 1);
  EXPECT_EQ(out, "brindle-tool: brindle.dat has no patch set named \"S\"\n");
  EXPECT_EQ(ToolIn(dir, "remove /r/game.zip#Game.sfc --db brindle.dat", &out), 0) << out;
  ScriptedPrompt prompt;
  CPatchDB read(prompt);
  ASSERT_EQ(read.Load(db), 0);
  EXPECT_EQ(read.GetSetCount(), 0);
  EXPECT_EQ(read.GetRomCount(), 0);
  ASSERT_EQ(read.GetPatchCount(), 1);
  EXPECT_EQ(std::string(read.GetPatch(0)->Filename), "/p/b.ips");
}
