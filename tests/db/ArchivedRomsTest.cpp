#include <gtest/gtest.h>

#include <filesystem>

#include "db/ArchivedRoms.h"
#include "db/CFolderAdd.h"
#include "db/CPatchDB.h"
#include "support/ArchiveWriter.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

const std::string kGame = RomBytes(1048576 + 512, "ARCHIVED GAME  ");
const std::string kOther = RomBytes(2 * 1048576, "OTHER GAME");

RomRecord Bare(const TempDir& dir, const std::string& bytes) {
  RomRecord rom;
  EXPECT_EQ(CPatchDB::ReadRomFile(dir.Write("bare.sfc", bytes), rom), "");
  return rom;
}

void ExpectSame(const CPatchDB::RomRead& read, const RomRecord& bare, const std::string& path) {
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read.rom.Filename, path);
  EXPECT_EQ(read.rom.RomName, bare.RomName);
  EXPECT_EQ(read.rom.RomSize, bare.RomSize);
  EXPECT_EQ(read.rom.SizeWord, bare.SizeWord);
  EXPECT_EQ(read.rom.RomDigest, bare.RomDigest);
}

}  // namespace

TEST(ArchivedRoms, PathsAreCutAtTheFirstHashAfterAnArchiveExtension) {
  const auto split = SplitArchivePath("/r/#1 a.zip.d/Set #2.ZIP#dir/Game #1.sfc");
  ASSERT_TRUE(split);
  EXPECT_EQ(split->archive, "/r/#1 a.zip.d/Set #2.ZIP");
  EXPECT_EQ(split->member, "dir/Game #1.sfc");
  EXPECT_EQ(SplitArchivePath("/r/a.7z#b#c.smc")->member, "b#c.smc");
  EXPECT_EQ(SplitArchivePath("/r/Game.sfc.gz#Game.sfc")->archive, "/r/Game.sfc.gz");
  for (const char* own : {"/r/Game #1.sfc", "/r/a.zip", "/r/a.zip#", "/r/a.zipx#b.sfc"})
    EXPECT_FALSE(SplitArchivePath(own)) << own;
}

TEST(ArchivedRoms, MembersAreIdentifiedAsTheirBytesAloneWouldBe) {
  TempDir dir;
  const RomRecord game = Bare(dir, kGame);
  const RomRecord other = Bare(dir, kOther);

  const std::string zip = dir.File("Set #1.zip");
  ASSERT_TRUE(
      WriteArchive(zip, ArchiveKind::Zip,
                   {{"readme.txt", "hello"}, {"Game.sfc", kGame}, {"sub/O#2.SMC", kOther}}));
  const std::string sevenZip = dir.File("Game.7z");
  ASSERT_TRUE(WriteArchive(sevenZip, ArchiveKind::SevenZip, {{"Game.fig", kGame}}));
  const std::string gzip = dir.File("Game.swc.gz");
  ASSERT_TRUE(WriteArchive(gzip, ArchiveKind::Gzip, {{"ignored", kGame}}));

  auto reads = CPatchDB::ReadRoms(zip);
  ASSERT_EQ(reads.size(), 2u);
  ExpectSame(reads[0], game, zip + "#Game.sfc");
  ExpectSame(reads[1], other, zip + "#sub/O#2.SMC");
  ExpectSame(CPatchDB::ReadRoms(sevenZip).at(0), game, sevenZip + "#Game.fig");
  ExpectSame(CPatchDB::ReadRoms(gzip).at(0), game, gzip + "#Game.swc");
  // One member by its path, and its digest as the play checks it.
  reads = CPatchDB::ReadRoms(zip + "#sub/O#2.SMC");
  ASSERT_EQ(reads.size(), 1u);
  ExpectSame(reads[0], other, zip + "#sub/O#2.SMC");
  EXPECT_EQ(CPatchDB::GetFileHash(gzip + "#Game.swc"), game.RomDigest);
  EXPECT_TRUE(ArchiveMemberExists(*SplitArchivePath(zip + "#Game.sfc")));
  EXPECT_FALSE(ArchiveMemberExists(*SplitArchivePath(zip + "#Gone.sfc")));
  EXPECT_EQ(CPatchDB::GetFileHash(zip + "#Gone.sfc"), CPatchDB::kInvalidFileHashText);

  RomRecord rom;
  EXPECT_EQ(CPatchDB::ReadRomFile(zip + "#Gone.sfc", rom),
            "Cannot add ROM to database:\n" + zip +
                "#Gone.sfc\n\nThe archive holds no file named \"Gone.sfc\".");
  EXPECT_EQ(CPatchDB::ReadRomFile(dir.File("none.zip") + "#a.sfc", rom),
            "Could not open ROM file.");
  // A file of its own whose name reads as a member cannot be told from one.
  const std::string own = dir.Write("own.zip#1.sfc", kGame);
  EXPECT_EQ(CPatchDB::ReadRomFile(own, rom),
            "Cannot add ROM to database:\n" + own +
                "\n\nThe file name contains characters that the database cannot store.");
}

TEST(ArchivedRoms, DamagedEncryptedEmptyAndHugeArchivesAreRefusedWithTheirReason) {
  TempDir dir;
  const std::string head = "Cannot add ROM to database:\n";

  const std::string good = dir.File("good.zip");
  ASSERT_TRUE(WriteArchive(good, ArchiveKind::Zip, {{"Game.sfc", kGame}}));
  std::string bytes = ReadFileBytes(good);
  const std::string damaged = dir.Write("damaged.zip", bytes.substr(0, bytes.size() / 2));
  bytes[bytes.size() / 3] ^= 0x55;
  const std::string corrupt = dir.Write("corrupt.zip", bytes);
  const std::string garbage = dir.Write("garbage.7z", std::string(4096, 'x'));
  const std::string plainGz = dir.Write("plain.sfc.gz", kGame);
  for (const std::string& path : {damaged, corrupt, garbage, plainGz}) {
    SCOPED_TRACE(path);
    const auto reads = CPatchDB::ReadRoms(path);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back().error.rfind(head + path + "\n\nThe archive could not be read (", 0), 0u)
        << reads.back().error;
  }

  const std::string locked = dir.File("locked.zip");
  if (WriteArchive(locked, ArchiveKind::Zip, {{"Game.sfc", kGame}}, "zip:encryption=zipcrypt",
                   "secret")) {
    const auto reads = CPatchDB::ReadRoms(locked);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].error, head + locked +
                                  "#Game.sfc\n\nThe ROM is in an encrypted archive, which Brindle "
                                  "cannot read. Unpack it, or pack it again without a password.");
  } else {
    ADD_FAILURE() << "libarchive cannot write an encrypted zip here";
  }

  const std::string empty = dir.File("docs.zip");
  ASSERT_TRUE(WriteArchive(empty, ArchiveKind::Zip, {{"Game.sfc/readme.txt", "x"}}));
  EXPECT_EQ(CPatchDB::ReadRoms(empty).at(0).error,
            head + empty +
                "\n\nThe archive holds no SNES ROM image (a file ending in .smc, .sfc, .fig or "
                ".swc).");

  // Compressed to almost nothing, but unpacked it would pass any ROM's size: reading stops.
  const std::string bomb = dir.File("bomb.zip");
  ASSERT_TRUE(WriteArchive(bomb, ArchiveKind::Zip, {{"Huge.sfc", std::string(64 << 20, '\0')}}));
  EXPECT_EQ(CPatchDB::ReadRoms(bomb).at(0).error,
            "The ROM file is too large to be a SNES ROM image.");
}

TEST(ArchivedRoms, AddRomAndAddFolderTakeEachRomOfAnArchive) {
  TempDir dir;
  const std::string tree = dir.File("tree");
  std::filesystem::create_directories(tree + "/sub");
  const std::string zip = tree + "/Set.zip";
  ASSERT_TRUE(WriteArchive(zip, ArchiveKind::Zip, {{"Game.sfc", kGame}, {"Other.smc", kOther}}));
  ASSERT_TRUE(WriteArchive(tree + "/sub/Third.sfc.gz", ArchiveKind::Gzip,
                           {{"x", RomBytes(1048576, "THIRD")}}));
  ASSERT_TRUE(WriteArchive(tree + "/sub/Copy.7z", ArchiveKind::SevenZip, {{"Copy.sfc", kGame}}));
  TempDir::WriteTo(tree + "/sub/Broken.7z", "7z not really");
  TempDir::WriteTo(tree + "/sub/manual.gz", "not a ROM archive, not looked at");

  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  CFolderAdd work(db, 2);
  work.Run({tree});
  work.MergeInto(db);
  EXPECT_EQ(work.Result().romsAdded, 3);
  ASSERT_EQ(work.Result().refused.size(), 2u);
  EXPECT_EQ(work.Result().refused[0].path, tree + "/sub/Broken.7z");
  EXPECT_EQ(work.Result().refused[1].messages.at(0),
            "Error: Cannot add ROM to database:\n" + tree +
                "/sub/Copy.7z#Copy.sfc\n\nThe specified file is a copy of another file already "
                "in the database.");
  ASSERT_EQ(db.GetRomCount(), 3);
  EXPECT_EQ(db.GetRom(0)->Filename, zip + "#Game.sfc");
  EXPECT_EQ(db.GetRom(2)->Filename, tree + "/sub/Third.sfc.gz#Third.sfc");

  // Again: the archives are there already and are not read.
  CFolderAdd again(db, 2);
  again.Run({tree});
  EXPECT_EQ(again.Result().romsAdded, 0);
  EXPECT_EQ(again.Result().romsPresent, 2);

  // Adding the archive alone adds what is not there yet, with a message for each refusal.
  CPatchDB single(prompt);
  EXPECT_TRUE(single.AddRom(zip));
  EXPECT_FALSE(single.AddRom(zip));
  EXPECT_EQ(single.GetRomCount(), 2);
  EXPECT_EQ(prompt.boxes.size(), 2u);
}
