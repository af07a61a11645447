#include "platform/Path.h"

#include "gtest/gtest.h"

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
