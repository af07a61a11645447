#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "db/CPatchDB.h"
#include "platform/CDatabaseLock.h"
#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

// brindle-tool add-folder in `dir`, with a runtime folder of its own there (a Brindle window
// elsewhere on this machine is not ours); standard error merged into `out`.
int AddFolder(const TempDir& dir, const std::string& arguments, std::string* out) {
  const std::string runtime = dir.File("runtime");
  std::filesystem::create_directories(runtime);
  return RunCommand("cd " + ShellQuote(dir.Path()) + " && XDG_RUNTIME_DIR=" + ShellQuote(runtime) +
                        " " + ShellQuote(BRINDLE_TOOL_PATH) + " add-folder " + arguments,
                    out, true);
}

std::vector<std::string> Installed(const std::string& database) {
  ScriptedPrompt quiet;
  CPatchDB db(quiet);
  EXPECT_EQ(db.Load(database), 0);
  std::vector<std::string> files;
  for (int i = 0; i < db.GetRomCount(); ++i)
    files.push_back(db.GetRom(i)->RomName + " " + db.GetRom(i)->Filename);
  for (int i = 0; i < db.GetPatchCount(); ++i)
    files.push_back(db.GetPatch(i)->PatchName + " " + db.GetPatch(i)->Filename);
  EXPECT_TRUE(quiet.boxes.empty());
  return files;
}

// The text with every "@" replaced by the tree's path.
std::string InTree(const std::string& tree, std::string text) {
  for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + tree.size()))
    text.replace(at, 1, tree);
  return text;
}

}  // namespace

TEST(AddFolderTool, AddsATreeUnderTheSingleFileRulesWithOneSummary) {
  TempDir dir;
  const std::string tree = dir.File("tree");
  std::filesystem::create_directories(tree + "/roms/sub");
  std::filesystem::create_directories(tree + "/patches");
  ASSERT_TRUE(MakeRomImage(tree + "/roms/Alpha.SMC", 1048576, 65472, "ALPHA"));
  ASSERT_TRUE(MakeRomImage(tree + "/roms/copy.smc", 1048576, 65472, "ALPHA"));
  ASSERT_TRUE(MakeRomImage(tree + "/roms/empty.fig", 1048576));
  ASSERT_TRUE(MakeRomImage(tree + "/roms/sub/beta.sfc", 1048576, 65472, "BETA"));
  dir.Write("tree/patches/good.ips", "PATCHEOF");
  dir.Write("tree/patches/good.dat", "name=Good\r\nromname=ALPHA\r\nromsize=8Mbit No header\r\n");
  dir.Write("tree/patches/lost.ips", "PATCHEOF");
  dir.Write("tree/patches/notes.txt", "not a patch");
  std::filesystem::create_directory_symlink("..", tree + "/patches/back");
  const std::string database =
      dir.Write("brindle.dat", "[roms]\r\nBETA|8Mbit (No header)|" + tree +
                                   "/roms/sub/beta.sfc|0123456789abcdef0123456789abcdef\r\n");

  std::string out;
  EXPECT_EQ(AddFolder(dir, "tree/ --db brindle.dat", &out), 1);
  EXPECT_EQ(out, InTree(tree,
                        "Added: 1 ROM, 1 patch.\n"
                        "Already in the database: 1 ROM, 0 patches.\n"
                        "Patches that need their information: 1.\n"
                        "Refused: 2 files.\n"
                        "Skipped during the search: 1.\n"
                        "\n"
                        "Patches that need their information (add each with Add Patch... to "
                        "enter it):\n"
                        "  @/patches/lost.ips\n"
                        "    A patch information file (*.dat) was not found for the specified "
                        "IPS file.\n"
                        "    You will have to enter patch information manually in order to "
                        "continue.\n"
                        "\n"
                        "Refused:\n"
                        "  @/roms/copy.smc\n"
                        "    Error: Cannot add ROM to database:\n"
                        "    The specified file is a copy of another file already in the "
                        "database.\n"
                        "  @/roms/empty.fig\n"
                        "    Error: Cannot add ROM to database:\n"
                        "    The ROM's internal name is empty, so the database cannot keep it.\n"
                        "\n"
                        "Skipped during the search:\n"
                        "  @/patches/back\n"
                        "    The link leads back to a folder above it, so it was not followed.\n"));
  EXPECT_EQ(Installed(database), (std::vector<std::string>{"BETA " + tree + "/roms/sub/beta.sfc",
                                                           "ALPHA " + tree + "/roms/Alpha.SMC",
                                                           "Good " + tree + "/patches/good.ips"}));

  // Everything there already: success, and the file is not written again.
  struct stat before {};
  ::stat(database.c_str(), &before);
  EXPECT_EQ(AddFolder(dir, "--db brindle.dat tree/roms/sub", &out), 0);
  EXPECT_EQ(out, "Added: 0 ROMs, 0 patches.\nAlready in the database: 1 ROM, 0 patches.\n");
  struct stat after {};
  ::stat(database.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);

  // Misuse, and a window that would write over what is added.
  EXPECT_EQ(AddFolder(dir, "tree/notes --db brindle.dat", &out), 2);
  EXPECT_EQ(out, "brindle-tool: " + tree + "/notes is not a folder\n");
  EXPECT_EQ(AddFolder(dir, "--db brindle.dat", &out), 2);
  CDatabaseLock window(database);
  ASSERT_EQ(window.Acquire(CDatabaseLock::kWindow, true, 0), CDatabaseLock::Result::Acquired);
  EXPECT_EQ(AddFolder(dir, "tree --db brindle.dat", &out), 1);
  EXPECT_EQ(out,
            "brindle-tool: brindle.dat is open in Brindle's window (process " +
                std::to_string(::getpid()) +
                "); nothing was changed. Close the window first (or add the files there): "
                "it writes all of the database with each change, and would lose the files added "
                "here.\n");
}

TEST(AddFolderTool, AControlCharacterInAPathIsShownEscaped) {
  TempDir dir;
  const std::string tree = dir.File("tree");
  std::filesystem::create_directories(tree);
  ASSERT_TRUE(MakeRomImage(tree + "/two\nlines\x1b.smc", 1048576, 65472, "ALPHA"));
  dir.Write("brindle.dat", "[vars]\r\n");
  std::string out;
  EXPECT_EQ(AddFolder(dir, "tree --db brindle.dat", &out), 1);
  EXPECT_EQ(out, InTree(tree,
                        "Added: 0 ROMs, 0 patches.\n"
                        "Already in the database: 0 ROMs, 0 patches.\n"
                        "Refused: 1 file.\n"
                        "\n"
                        "Refused:\n"
                        "  @/two\\nlines\\x1b.smc\n"
                        "    Error: Cannot add ROM to database:\n"
                        "    The file name contains characters that the database cannot store.\n"));
}
