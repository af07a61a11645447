#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "support/ArchiveWriter.h"
#include "support/RomImage.h"
#include "support/TempDir.h"

namespace {

std::string Tool(const std::string& arguments) {
  return ShellQuote(BRINDLE_TOOL_PATH) + " " + arguments;
}

std::string Md5sumDigest(const std::string& path) {
  std::string line;
  RunCommand("md5sum " + ShellQuote(path), &line);
  return line.substr(0, 32);
}

TEST(RomCommands, Md5PrintsWhatMd5sumPrints) {
  TempDir dir;
  std::mt19937 random(7);
  std::string names;
  for (const size_t length : {0, 1, 63, 64, 65, 1048575, 1048576, 1048577, 3000001}) {
    std::string bytes(length, '\0');
    for (auto& c : bytes)
      c = static_cast<char>(random());
    const std::string name = "file" + std::to_string(length);
    dir.Write(name, bytes);
    names += " " + name;
  }
  // Names md5sum escapes.
  dir.Write("back\\slash", "x");
  dir.Write("line\nfeed", "y");
  names.append(" ").append(ShellQuote("back\\slash"));
  names.append(" ").append(ShellQuote("line\nfeed"));

  const std::string cd = "cd " + ShellQuote(dir.Path()) + " && ";
  std::string ours, theirs;
  ASSERT_EQ(RunCommand(cd + Tool("md5" + names), &ours), 0);
  ASSERT_EQ(RunCommand(cd + "md5sum" + names, &theirs), 0);
  EXPECT_EQ(ours, theirs);

  // A file that cannot be read: a message on standard error, the others still printed.
  std::string both;
  EXPECT_EQ(RunCommand(cd + Tool("md5 missing file0 .") + " 2>&1", &both), 1);
  EXPECT_EQ(both,
            "brindle-tool: cannot open missing: No such file or directory\n"
            "d41d8cd98f00b204e9800998ecf8427e  file0\n"
            "brindle-tool: cannot open .: Is a directory\n");
  EXPECT_EQ(RunCommand(Tool("md5 2>/dev/null")), 2);
}

TEST(RomCommands, IdentifyPrintsTheRecordInstallingWouldFill) {
  TempDir dir;
  const int64_t lengths[] = {4194304, 4194816, 1573376, 524288, 512, 33554432, 100};
  std::string args;
  for (const int64_t length : lengths) {
    const std::string name = std::to_string(length);
    const std::string path = dir.File(name);
    const bool header = (length - 512) % 1048576 == 0;
    ASSERT_TRUE(
        MakeRomImage(path, length, header ? 65984 : 65472, std::string("A NAME  \0 AFTER", 15)));
    args += " " + name;
  }
  std::string out;
  EXPECT_EQ(
      RunCommand("cd " + ShellQuote(dir.Path()) + " && " + Tool("identify" + args) + " 2>&1", &out),
      1);
  const auto digest = [&](int64_t length) {
    return Md5sumDigest(dir.File(std::to_string(length)));
  };
  EXPECT_EQ(out, "32\t32Mbit (No header)\tA NAME\t" + digest(4194304) + "\n" +
                     "288\t32Mbit \tA NAME\t" + digest(4194816) + "\n" +
                     "8\t8Mbit (No header)\tA NAME\t" + digest(1573376) + "\n" +
                     "0\t0Mbit (No header)\tA NAME\t" + digest(524288) + "\n" + "256\t0Mbit \t\t" +
                     digest(512) + "\n" +
                     "brindle-tool: 33554432: The ROM file is too large to be a SNES ROM image.\n" +
                     "0\t0Mbit (No header)\t\t" + digest(100) + "\n");
}

// Past 4 GiB the 32-bit lengths of the digest's input and the 64-bit bit count both matter. The
// file is sparse, with bytes written across the 4 GiB boundary and at its end. Hashing 4 GiB
// takes seconds in an optimised build and minutes in an unoptimised sanitizer build, so only
// optimised builds run it.
TEST(RomCommands, Md5OfAFileLargerThanFourGibibytesAgreesWithMd5sum) {
#ifndef __OPTIMIZE__
  GTEST_SKIP() << "hashing 4 GiB is too slow in an unoptimised build";
#endif
  TempDir dir;
  const std::string path = dir.File("huge.bin");
  const int64_t length = (int64_t{1} << 32) + 1000003;
  if (!MakeRomImage(path, length, 0, "start"))
    GTEST_SKIP() << "no room for a sparse 4 GiB file";
  ASSERT_TRUE(WriteBytesAt(path, (int64_t{1} << 32) - 3, "across the boundary"));
  ASSERT_TRUE(WriteBytesAt(path, length - 4, "end!"));
  // Both digests run at the same time, one on each core.
  const std::string q = ShellQuote(path);
  std::string out;
  const std::string ours = Tool("md5 " + q);
  ASSERT_EQ(RunCommand("(" + ours + " > " + q + ".ours & md5sum " + q + " > " + q +
                           ".theirs; wait) && cat " + q + ".ours " + q + ".theirs",
                       &out),
            0);
  const std::string line = out.substr(0, out.find('\n') + 1);
  EXPECT_EQ(out, line + line);
  EXPECT_EQ(line.size(), 32 + 2 + path.size() + 1);
}

}  // namespace

TEST(RomCommands, IdentifyOfAnArchivedRomPrintsWhatTheBareRomGives) {
  TempDir dir;
  const std::string rom = RomBytes(1048576 + 512, "ZIPPED GAME");
  dir.Write("Game.sfc", rom);
  ASSERT_TRUE(WriteArchive(dir.File("Game (USA).zip"), ArchiveKind::Zip, {{"Game.sfc", rom}}));
  ASSERT_TRUE(WriteArchive(dir.File("Game.sfc.gz"), ArchiveKind::Gzip, {{"x", rom}}));
  const std::string cd = "cd " + ShellQuote(dir.Path()) + " && ";
  std::string bare, archived;
  ASSERT_EQ(RunCommand(cd + Tool("identify Game.sfc"), &bare), 0);
  ASSERT_EQ(RunCommand(cd + Tool("identify 'Game (USA).zip' 'Game (USA).zip#Game.sfc' Game.sfc.gz"),
                       &archived),
            0);
  EXPECT_EQ(archived, bare + bare + bare);
  EXPECT_EQ(bare.substr(0, 23), "264\t8Mbit \tZIPPED GAME\t");
}
