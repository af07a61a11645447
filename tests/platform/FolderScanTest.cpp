#include "platform/FolderScan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/TempDir.h"

namespace {

struct Scan {
  std::vector<std::string> found;
  std::vector<std::string> problems;  // "path: reason", with " (missed)" when files went unseen
  bool finished = false;

  explicit Scan(const std::vector<std::string>& roots, size_t stopAfter = SIZE_MAX) {
    FolderScanHandlers on;
    on.wanted = [](const std::string& name) {
      return name.ends_with(".smc") || name.ends_with(".IPS");
    };
    on.found = [this](const std::string& path, int64_t size) {
      found.push_back(path + " " + std::to_string(size));
    };
    on.problem = [this](const std::string& path, const std::string& reason, bool missed) {
      problems.push_back(path + ": " + reason + (missed ? " (missed)" : ""));
    };
    on.cancelled = [this, stopAfter] { return found.size() >= stopAfter; };
    finished = ScanFolders(roots, on);
  }
};

}  // namespace

TEST(FolderScan, VisitsEachFolderOnceInNameOrderAndReportsWhatItSkips) {
  TempDir dir;
  namespace fs = std::filesystem;
  const std::string root = dir.File("root");
  fs::create_directories(root + "/b/deep");
  fs::create_directories(root + "/a");
  dir.Write("root/b/deep/z.smc", "12345");
  dir.Write("root/a/y.smc", "1");
  dir.Write("root/a/notes.txt", "not wanted");
  dir.Write("root/X.IPS", "12");
  fs::create_directory_symlink("b", root + "/c");              // a second way into b
  fs::create_directory_symlink("../..", root + "/b/deep/up");  // back up to root
  fs::create_symlink("loop2.smc", root + "/loop1.smc");
  fs::create_symlink("loop1.smc", root + "/loop2.smc");
  fs::create_symlink("nowhere", root + "/gone.smc");
  fs::create_symlink("nowhere", root + "/gone.txt");  // not wanted: not worth a word
  ASSERT_EQ(::mkfifo((root + "/pipe.smc").c_str(), 0600), 0);

  const Scan scan({root + "/", root + "/a"});
  EXPECT_TRUE(scan.finished);
  EXPECT_EQ(scan.found, (std::vector<std::string>{root + "/X.IPS 2", root + "/a/y.smc 1",
                                                  root + "/b/deep/z.smc 5"}));
  EXPECT_EQ(scan.problems,
            (std::vector<std::string>{
                root + "/b/deep/up: The link leads back to a folder above it, so it was not "
                       "followed.",
                root + "/gone.smc: The link leads to a file that does not exist.",
                root + "/loop1.smc: The link is part of a circle of links that leads nowhere.",
                root + "/loop2.smc: The link is part of a circle of links that leads nowhere.",
                root + "/pipe.smc: The file is not a regular file."}));

  // Stopping leaves the rest unvisited.
  EXPECT_FALSE(Scan({root}, 1).finished);

  // A folder we may not read is reported (its files went unseen); the rest is searched.
  ASSERT_EQ(::chmod((root + "/b").c_str(), 0), 0);
  const std::string unreadable = ": The folder cannot be read: Permission denied. (missed)";
  const auto lockedOut = [&] {
    const Scan locked({root});
    return locked.found.size() == 2 && locked.problems.size() == 6 &&
           locked.problems[0] == root + "/b" + unreadable &&
           locked.problems[1] == root + "/c" + unreadable;
  };
  EXPECT_EQ(AsOrdinaryUser(dir.Path(), [&] { return lockedOut() ? 0 : 1; }), 0);
  ::chmod((root + "/b").c_str(), 0755);
}
