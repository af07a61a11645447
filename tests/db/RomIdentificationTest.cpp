#include <gtest/gtest.h>

#include <filesystem>

#include "db/CPatchDB.h"
#include "support/RomImage.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

namespace {

constexpr int64_t kPlainNameOffset = 65472;
constexpr int64_t kHeaderedNameOffset = 65984;

// A file readable from an opened descriptor whose reported length is larger than its content:
// the kernel's sysfs files report a whole page.
const char kShortReadFile[] = "/sys/kernel/mm/transparent_hugepage/enabled";

struct Identified {
  bool ok;
  RomRecord rom;
};

Identified Identify(CPatchDB& db, const std::string& path) {
  CFile file;
  EXPECT_TRUE(file.Open(path));
  Identified result{false, {}};
  result.rom.ForcedName = "left over";
  result.rom.UseForcedName = true;
  result.ok = db.IdentifyRom(file, path, result.rom);
  return result;
}

TEST(RomIdentification, SizeWordSizeTextAndNameOffsetFollowTheFileLength) {
  struct Case {
    int64_t length;
    int32_t sizeWord;
    const char* sizeText;
    int64_t nameOffset;
  };
  const Case cases[] = {
      {4194304, 32, "32Mbit (No header)", kPlainNameOffset},
      {4194816, 288, "32Mbit ", kHeaderedNameOffset},
      {1573376, 8, "8Mbit (No header)", kPlainNameOffset},
      {524288, 0, "0Mbit (No header)", kPlainNameOffset},
      {3146240, 280, "24Mbit ", kHeaderedNameOffset},
      {13631487, 96, "96Mbit (No header)", kPlainNameOffset},  // the largest size taken
  };
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::string path = dir.File("rom" + std::to_string(c.length) + ".smc");
    ASSERT_TRUE(MakeRomImage(path, c.length, c.nameOffset, "RIGHT OFFSET"));
    // The other candidate offset holds a decoy that must not be read.
    const int64_t decoy = c.nameOffset == kPlainNameOffset ? kHeaderedNameOffset : kPlainNameOffset;
    ASSERT_TRUE(WriteBytesAt(path, decoy, "DECOY"));
    const Identified got = Identify(db, path);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.rom.SizeWord, c.sizeWord);
    EXPECT_EQ(got.rom.RomSize, c.sizeText);
    EXPECT_EQ(got.rom.RomName, "RIGHT OFFSET");
    EXPECT_EQ(got.rom.Filename, path);
    EXPECT_EQ(got.rom.RomDigest, db.GetFileHash(path));
    EXPECT_EQ(got.rom.ForcedName, "");
    EXPECT_FALSE(got.rom.UseForcedName);
  }

  // Headered files too short to reach the name: the name is empty, never stray memory.
  const std::string tiny = dir.File("tiny.smc");
  ASSERT_TRUE(MakeRomImage(tiny, 512));
  Identified got = Identify(db, tiny);
  EXPECT_EQ(got.rom.SizeWord, 256);
  EXPECT_EQ(got.rom.RomSize, "0Mbit ");
  EXPECT_EQ(got.rom.RomName, "");

  // The size text of an identified ROM reads back to its size word.
  EXPECT_EQ(CPatchDB::ParseRomSize("32Mbit "), 288);
  EXPECT_EQ(CPatchDB::ParseRomSize("8Mbit (No header)"), 8);
}

TEST(RomIdentification, RomDataOfThreeDigitMegabitsIsRefused) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  // 13 MiB is 104 megabits, which brindle.dat would read back as 10; 32 MiB and more would not
  // even fit the size word.
  for (const int64_t length : {int64_t{13631488}, int64_t{13631488 + 512}, int64_t{33554432},
                               int64_t{33554432 + 512}, int64_t{67109376}}) {
    SCOPED_TRACE(length);
    const std::string path = dir.File("big.smc");
    ASSERT_TRUE(MakeRomImage(path, length));
    const Identified got = Identify(db, path);
    EXPECT_FALSE(got.ok);
    EXPECT_EQ(got.rom.ForcedName, "left over");  // untouched
  }
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(RomIdentification, InternalNameEndsAtNulAndLosesOnlyTrailingBlanks) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const auto name = [&](const std::string& bytes, int64_t length = 1048576) {
    const std::string path = dir.File("name.smc");
    EXPECT_TRUE(MakeRomImage(path, length, kPlainNameOffset, bytes));
    CFile file;
    EXPECT_TRUE(file.Open(path));
    return db.GetRomName(file);
  };
  EXPECT_EQ(name("EARTH BOUND          "), "EARTH BOUND");
  EXPECT_EQ(name(std::string("MOTHE\0R2", 8)), "MOTHE");
  EXPECT_EQ(name("  LEADING AND TAB\t   "), "  LEADING AND TAB\t");
  // All 21 bytes are the name when no NUL ends it earlier; the 22nd is not.
  EXPECT_EQ(name("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "ABCDEFGHIJKLMNOPQRSTU");
  // A file that ends inside the name gives the bytes that are there.
  EXPECT_EQ(name("SHORT FILE", kPlainNameOffset + 7), "SHORT F");
  EXPECT_EQ(name("", 100), "");
  EXPECT_EQ(name("", 0), "");
}

TEST(RomIdentification, DigestCoversTheWholeFileAndReportsWhatItCannotRead) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  std::string data(1048576, '\0');
  for (size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<char>(i * 31 % 251);
  const std::string plain = dir.Write("plain.smc", data);
  const std::string headered = dir.Write("headered.smc", std::string(512, '\0') + data);
  std::string out;
  ASSERT_EQ(RunCommand("md5sum " + ShellQuote(plain) + " " + ShellQuote(headered), &out), 0);
  EXPECT_EQ(out, db.GetFileHash(plain) + "  " + plain + "\n" + db.GetFileHash(headered) + "  " +
                     headered + "\n");
  EXPECT_NE(db.GetFileHash(plain), db.GetFileHash(headered));

  // The open-file form reads from the start whatever the position.
  CFile file;
  ASSERT_TRUE(file.Open(plain));
  ASSERT_TRUE(file.Seek(1000));
  EXPECT_EQ(db.GetFileHash(file), db.GetFileHash(plain));

  CFile unopened;
  EXPECT_EQ(db.GetFileHash(unopened),
            "Error in CPatchDB::GetFileHash(CFile*): Invalid file handle.");
  EXPECT_EQ(db.GetRomName(unopened), "Error in CPatchDB::GetRomName(CFile*): Invalid file handle.");
  EXPECT_EQ(db.GetFileHash(dir.File("missing.smc")),
            "Error in CPatchDB::GetFileHash(CFile*): Invalid file handle.");
  EXPECT_EQ(db.GetFileHash(dir.Path()),
            "Error in CPatchDB::GetFileHash(CFile*): Invalid file handle.");
  if (std::filesystem::exists(kShortReadFile)) {
    EXPECT_EQ(db.GetFileHash(kShortReadFile),
              "Error in CPatchDB::GetFileHash(CFile*): Invalid file handle.");
  }
  EXPECT_TRUE(prompt.boxes.empty());
}

TEST(RomIdentification, StripParensRemovesFromFirstOpenToLastClose) {
  EXPECT_EQ(CPatchDB::StripParens("EARTH BOUND (J)"), "EARTH BOUND");
  EXPECT_EQ(CPatchDB::StripParens("NAME (J"), "NAME");
  EXPECT_EQ(CPatchDB::StripParens("(J"), "");
  EXPECT_EQ(CPatchDB::StripParens("NAME)"), "NAME)");
  EXPECT_EQ(CPatchDB::StripParens("NO PARENS  "), "NO PARENS  ");
  EXPECT_EQ(CPatchDB::StripParens("A (x) MIDDLE (y) END"), "A  END");
  EXPECT_EQ(CPatchDB::StripParens("  A  B (x)\t "), "  A  B");
  EXPECT_EQ(CPatchDB::StripParens("A) B (C"), "A) B");
}

}  // namespace
