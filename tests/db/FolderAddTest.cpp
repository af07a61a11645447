#include "db/CFolderAdd.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

// Twelve ROMs in three folders, every third a copy of the one before it, and a patch each.
std::string MakeTree(const TempDir& dir) {
  const std::string tree = dir.File("tree");
  for (int i = 0; i < 12; ++i) {
    const std::string folder = tree + "/f" + std::to_string(i % 3);
    std::filesystem::create_directories(folder);
    const std::string name = "GAME " + std::to_string(i - (i % 3 == 2 ? 1 : 0));
    EXPECT_TRUE(MakeRomImage(folder + "/rom" + std::to_string(i) + ".smc", 1048576, 65472, name));
    TempDir::WriteTo(folder + "/p" + std::to_string(i) + ".ips", "PATCHEOF");
    TempDir::WriteTo(folder + "/p" + std::to_string(i) + ".dat",
                     "name=P" + std::to_string(i) + "\nromname=" + name + "\nromsize=8Mbit\n");
  }
  return tree;
}

}  // namespace

TEST(FolderAdd, AddsInTheOrderFoundWhateverTheNumberOfThreads) {
  TempDir dir;
  const std::string tree = MakeTree(dir);
  std::string first;
  for (int threads : {1, 3}) {
    ScriptedPrompt prompt;
    CPatchDB db(prompt);
    db.LoadBytes("[roms]\r\nOLD|8Mbit|/old.smc|0123\r\n");
    CFolderAdd work(db, threads);
    work.Run({tree});
    work.MergeInto(db);
    EXPECT_EQ(work.Result().romsAdded, 8);
    EXPECT_EQ(work.Result().patchesAdded, 12);
    EXPECT_EQ(work.Result().refused.size(), 4u);
    EXPECT_EQ(db.GetRom(0)->RomName, "OLD");
    EXPECT_EQ(db.GetRom(1)->Filename, tree + "/f0/rom0.smc");
    if (first.empty())
      first = db.Serialize();
    else
      EXPECT_EQ(db.Serialize(), first) << "with " << threads << " threads";
    EXPECT_TRUE(prompt.boxes.empty());
  }
}

TEST(FolderAdd, CancelKeepsWhatWasAddedBefore) {
  TempDir dir;
  const std::string tree = MakeTree(dir);
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  CFolderAdd work(db, 2);
  work.Run({tree}, [&work](const FolderAddProgress& progress) {
    if (!progress.scanning && progress.filesDone == 5)
      work.Cancel();
  });
  const FolderAddResult& result = work.Result();
  EXPECT_TRUE(result.cancelled);
  EXPECT_FALSE(result.Complete());
  // Found in name order: p0.ips, p3.ips, p6.ips, p9.ips, rom0.smc.
  EXPECT_EQ(result.patchesAdded, 4);
  EXPECT_EQ(result.romsAdded, 1);
  EXPECT_EQ(db.GetRomCount() + db.GetPatchCount(), 0);
  work.MergeInto(db);
  EXPECT_EQ(db.GetPatchCount(), 4);
  EXPECT_EQ(db.GetRomCount(), 1);
  EXPECT_EQ(FolderAddSummaryHead(result),
            "Cancelled after 5 of 24 files. What was added before stays added.\n"
            "Added: 1 ROM, 4 patches.\nAlready in the database: 0 ROMs, 0 patches.\n");
}
