#include "platform/Path.h"

#include <unistd.h>

#include "gtest/gtest.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

TEST(Path, TakesPathsApartAtTheLastSlash) {
  EXPECT_EQ(FolderOf("/p/my hacks/Game (v1.1).ips"), "/p/my hacks/");
  EXPECT_EQ(FolderOf("game.ips"), "");
  EXPECT_EQ(DirectoryOf("/p/brindle.dat"), "/p");
  EXPECT_EQ(DirectoryOf("/brindle.dat"), "/");
  EXPECT_EQ(DirectoryOf("brindle.dat"), ".");
  // Only the last extension goes; a dot in a folder name is not an extension.
  EXPECT_EQ(BaseName("/p/my.hacks/Game (v1.1).ips"), "Game (v1.1)");
  EXPECT_EQ(BaseName("/p/my.hacks/README"), "README");
  EXPECT_EQ(BaseName("/p/.ips"), "");
}

TEST(Path, MakesRelativePathsAbsoluteWithoutResolvingDots) {
  EXPECT_EQ(MakeAbsolute("a/../b.ips", "/home/u"), "/home/u/a/../b.ips");
  EXPECT_EQ(MakeAbsolute("b.ips", "/"), "/b.ips");
  EXPECT_EQ(MakeAbsolute("/p/b.ips", "/home/u"), "/p/b.ips");
  EXPECT_EQ(MakeAbsolute("b.ips", ""), "b.ips");
  EXPECT_EQ(MakeAbsolute("b.ips"), CurrentFolder() + "/b.ips");
}

TEST(Path, NormalizesTheWaysOfWritingOneFile) {
  TempDir dir;
  dir.Write("other/deep/x", "");
  const std::string rom = dir.Write("other/rom.smc", "real");
  dir.Write("top/rom.smc", "lexical");
  ASSERT_EQ(::symlink(dir.File("other/deep").c_str(), dir.File("top/link").c_str()), 0);
  ASSERT_EQ(::symlink("rom.smc", dir.File("other/alias.smc").c_str()), 0);

  EXPECT_EQ(NormalizePath(dir.Path() + "/./patches//GAME.IPS"), dir.Path() + "/patches/GAME.IPS");
  EXPECT_EQ(NormalizePath("patches//GAME.IPS"), CurrentFolder() + "/patches/GAME.IPS");
  // ".." goes where the disk leads, as opening the file would: past a link, not back over it.
  const std::string real = NormalizePath(dir.Path() + "/top/link/../rom.smc");
  EXPECT_TRUE(IsSameFile(real, rom)) << real;
  EXPECT_EQ(ReadFileBytes(real), "real");
  // The file's own name stays, even when it is a link.
  const std::string alias = NormalizePath(dir.Path() + "/top/../other/alias.smc");
  EXPECT_EQ(alias.substr(alias.rfind('/')), "/alias.smc");
  EXPECT_TRUE(IsSymbolicLink(alias));
  EXPECT_EQ(NormalizePath("/"), "/");
}
