#include <gtest/gtest.h>

#include <filesystem>

#include "db/CPatchDB.h"
#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

constexpr int64_t kNameOffset = 65472;
const char kHead[] = "Error: Cannot add ROM to database:\n";
const char kSameFile[] = "The specified file already exists in the database.";
const char kCopy[] = "The specified file is a copy of another file already in the database.";
const char kSameNameAndSize[] =
    "The specified ROM has the same name and size as another file in the database.";

// A 1 MiB unheadered ROM named `name` whose bytes differ by `variant`.
std::string MakeRom(const TempDir& dir, const std::string& file, const std::string& name,
                    char variant, bool header = false) {
  const std::string path = dir.File(file);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const int64_t base = header ? 512 : 0;
  EXPECT_TRUE(MakeRomImage(path, base + 1048576, base + kNameOffset, name));
  EXPECT_TRUE(WriteBytesAt(path, base + 100, std::string(1, variant)));
  return path;
}

std::unique_ptr<RomRecord> Record(const std::string& name, const std::string& file,
                                  const std::string& digest, int32_t sizeWord) {
  auto rom = std::make_unique<RomRecord>();
  rom->RomName = name;
  rom->Filename = file;
  rom->RomDigest = digest;
  rom->SizeWord = sizeWord;
  return rom;
}

TEST(AddRemove, AddRomAppendsAnIdentifiedRecord) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const std::string first = MakeRom(dir, "a/First.smc", "FIRST GAME", 'a');
  const std::string second = MakeRom(dir, "b/Second.smc", "SECOND GAME", 'b', true);
  ASSERT_TRUE(db.AddRom(first));
  ASSERT_TRUE(db.AddRom(second));
  ASSERT_EQ(db.GetRomCount(), 2);
  const RomRecord* rom = db.GetRom(1);
  EXPECT_EQ(rom->RomName, "SECOND GAME");
  EXPECT_EQ(rom->Filename, second);
  EXPECT_EQ(rom->SizeWord, 256 + 8);
  EXPECT_EQ(rom->RomSize, "8Mbit ");
  EXPECT_EQ(rom->RomDigest, db.GetFileHash(second));
  EXPECT_EQ(db.GetRom(0)->Filename, first);
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(AddRemove, AddRomRefusesDuplicatesWithTheirReasons) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const std::string rom = MakeRom(dir, "rom.smc", "EARTH BOUND", 'x');
  ASSERT_TRUE(db.AddRom(rom));

  const auto refused = [&](const std::string& path, const std::string& reason) {
    prompt.boxes.clear();
    EXPECT_FALSE(db.AddRom(path));
    ASSERT_EQ(prompt.boxes.size(), 1u);
    EXPECT_EQ(prompt.boxes[0].text, kHead + path + "\n\n" + reason);
    EXPECT_EQ(prompt.boxes[0].title, "Error!");
    EXPECT_EQ(prompt.boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(db.GetRomCount(), 1);
  };
  refused(rom, kSameFile);
  // A name that differs only in letter case is another path: the digest catches it.
  const std::string upper = dir.File("ROM.SMC");
  std::filesystem::copy_file(rom, upper);
  refused(upper, kCopy);
  std::filesystem::create_directories(dir.File("other"));
  std::filesystem::copy_file(rom, dir.File("other/rom.smc"));
  refused(dir.File("other/rom.smc"), kCopy);
  refused(MakeRom(dir, "redump.smc", "EARTH BOUND", 'y'), kSameNameAndSize);

  // With a copier header the size word differs, and so do the bytes: accepted.
  prompt.boxes.clear();
  EXPECT_TRUE(db.AddRom(MakeRom(dir, "headered.smc", "EARTH BOUND", 'x', true)));
  EXPECT_EQ(db.GetRomCount(), 2);
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(AddRemove, AddRomRefusesFilesItCannotUseAndKeepsTheList) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const auto refused = [&](const std::string& path, const std::string& text) {
    prompt.boxes.clear();
    EXPECT_FALSE(db.AddRom(path));
    EXPECT_EQ(prompt.Texts(), std::vector<std::string>{text});
    EXPECT_EQ(db.GetRomCount(), 0);
  };
  refused(dir.File("missing.smc"), "Error: Could not open ROM file.\nNo such file or directory");
  refused(dir.Path(), "Error: Could not open ROM file.\nIs a directory");

  // brindle.dat could not store these paths (it trims blanks and tabs around its columns); the
  // files exist and are fine otherwise.
  for (const std::string name : {"a|b.smc", "line\nbreak.smc", "cr\r.smc", "blank.smc ", "tab\t"}) {
    const std::string path = MakeRom(dir, name, "GAME", 'a');
    refused(path, kHead + path + "\n\n" +
                      "The file name contains characters that the database cannot store.");
  }
  std::string leading = " ";
  leading += MakeRom(dir, "fine.smc", "GAME", 'a');
  refused(leading, kHead + leading + "\n\n" +
                       "The file name contains characters that the database cannot store.");

  // The next start would read a record without a name as damaged and drop it.
  for (const std::string& name : {std::string(), std::string(" \t "), std::string("\r\n\n \r")}) {
    const std::string path = MakeRom(dir, "nameless" + std::to_string(name.size()), name, 'a');
    refused(path, kHead + path + "\n\n" +
                      "The ROM's internal name is empty, so the database cannot keep it.");
  }

  const std::string huge = dir.File("huge.smc");
  ASSERT_TRUE(MakeRomImage(huge, 33554432 + 512));
  refused(huge, "Error: The ROM file is too large to be a SNES ROM image.");
  if (std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled")) {
    refused("/sys/kernel/mm/transparent_hugepage/enabled", "Error: Could not read ROM file.");
  }
}

TEST(AddRemove, CanAddRomTestsEachRecordInOrderAndSkipsTheGivenIndex) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.AppendRom(Record("GAME", "/r/0.smc", "d0", 8));          // same name and size
  db.AppendRom(Record("OTHER", "/r/new.smc", "d1", 8));       // same path
  db.AppendRom(Record("GAME", "/r/2.smc", "dnew", 8 | 256));  // same digest and name
  const auto reasonFor = [&](const RomRecord& rom, int skip) -> std::string {
    prompt.boxes.clear();
    if (db.CanAddRom(rom, skip))
      return "accepted";
    EXPECT_EQ(prompt.boxes.size(), 1u);
    return prompt.boxes.back().text.substr(std::string(kHead).size() + rom.Filename.size() + 2);
  };
  const auto candidate = Record("GAME", "/r/new.smc", "dnew", 8);
  // The first record decides, although a later one fails an earlier test.
  EXPECT_EQ(reasonFor(*candidate, -1), kSameNameAndSize);
  EXPECT_EQ(reasonFor(*candidate, 0), kSameFile);
  // Within one record the digest test comes before the name test.
  const auto sameAsLast = Record("GAME", "/r/x.smc", "dnew", 8 | 256);
  EXPECT_EQ(reasonFor(*sameAsLast, -1), kCopy);
  EXPECT_EQ(reasonFor(*sameAsLast, 2), "accepted");
  // Names compare exactly: letter case and parentheses count, the forced name does not.
  db.GetRom(0)->ForcedName = "game";
  db.GetRom(0)->UseForcedName = true;
  EXPECT_EQ(reasonFor(*Record("game", "/r/y.smc", "dy", 8), 1), "accepted");
  EXPECT_EQ(reasonFor(*Record("GAME (J)", "/r/y.smc", "dy", 8), 1), "accepted");
  EXPECT_EQ(reasonFor(*Record("GAME", "/R/0.smc", "dy", 24), -1), "accepted");
}

TEST(AddRemove, PatchesAreFoundAndRefusedByTheExactPath) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (const char* path : {"/p/One.ips", "/p/Two.ips"}) {
    auto patch = std::make_unique<PatchRecord>();
    patch->Filename = path;
    db.AppendPatch(std::move(patch));
  }
  EXPECT_EQ(db.FindPatch("/p/Two.ips"), 1);
  EXPECT_EQ(db.FindPatch("/p/Two.ips "), -1);
  // Linux file names are case-sensitive: another letter case is another file.
  EXPECT_EQ(db.FindPatch("/P/TWO.IPS"), -1);

  PatchRecord candidate;
  candidate.Filename = "/p/One.ips";
  EXPECT_FALSE(db.CanAddPatch(candidate, -1));
  EXPECT_EQ(prompt.Texts(),
            std::vector<std::string>{"Error: Cannot add patch to database:\n/p/One.ips\n\n"
                                     "The specified patch file already exists in the database."});
  prompt.boxes.clear();
  EXPECT_TRUE(db.CanAddPatch(candidate, 0));
  candidate.Filename = "/P/one.IPS";
  EXPECT_TRUE(db.CanAddPatch(candidate, -1));
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(AddRemove, RemovalByIndexClosesTheGapAndIgnoresBadIndices) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (int i = 0; i < 3; ++i) {
    db.AppendRom(Record("ROM" + std::to_string(i), "/r/" + std::to_string(i), "d", 8));
    auto patch = std::make_unique<PatchRecord>();
    patch->Filename = "/p/" + std::to_string(i) + ".ips";
    db.AppendPatch(std::move(patch));
  }
  for (const int bad : {-1, 3}) {
    db.RemoveRom(bad);
    db.RemovePatch(bad);
    EXPECT_EQ(db.GetRom(bad), nullptr);
    EXPECT_EQ(db.GetPatch(bad), nullptr);
  }
  EXPECT_EQ(db.GetRomCount(), 3);
  EXPECT_EQ(db.GetPatchCount(), 3);

  const RomRecord* secondRom = db.GetRom(1);
  const PatchRecord* secondPatch = db.GetPatch(1);
  db.RemoveRom(0);
  db.RemovePatch(0);
  EXPECT_EQ(db.GetRom(0), secondRom);
  EXPECT_EQ(secondRom->RomName, "ROM1");
  EXPECT_EQ(db.GetPatch(0), secondPatch);
  EXPECT_EQ(db.FindPatch("/p/1.ips"), 0);
  db.RemoveRom(1);
  EXPECT_EQ(db.GetRomCount(), 1);
  EXPECT_EQ(db.GetRom(0)->RomName, "ROM1");
  EXPECT_EQ(db.GetRom(1), nullptr);
  EXPECT_TRUE(prompt.boxes.empty());
}

}  // namespace
