#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "gtest/gtest.h"
#include "platform/CDatabaseLock.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

TEST(FileSystem, OnlyRegularFilesOpenAndNeverWaitOrOverflow) {
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  CFile file;
  std::string error;
  EXPECT_FALSE(file.Open(fifo, CFile::Mode::Read, &error));  // returns at once
  EXPECT_EQ(error, "not a regular file");
  EXPECT_FALSE(file.Open("/dev/zero", CFile::Mode::Read, &error));
  EXPECT_EQ(error, "not a regular file");
  EXPECT_FALSE(file.Open(dir.Path(), CFile::Mode::Read, &error));
  EXPECT_EQ(error, "Is a directory");

  const std::string small = dir.Write("small", "12345");
  std::string bytes;
  EXPECT_TRUE(ReadWholeFile(small, bytes, &error, CFile::Mode::Read, 5));
  EXPECT_EQ(bytes, "12345");
  EXPECT_FALSE(ReadWholeFile(small, bytes, &error, CFile::Mode::Read, 4));
  EXPECT_EQ(error, "larger than 4 bytes");
}

TEST(FileSystem, OnlyOurOwnStaleTemporaryFilesAreRemoved) {
  TempDir dir;
  const std::string target = dir.Write("brindle.dat", "db");
  const auto make = [&](const std::string& name, bool old) {
    const std::string path = dir.Write(name, "left over");
    if (old) {
      const timespec times[2] = {{1000, 0}, {1000, 0}};
      ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    return path;
  };
  const std::string stale = make("brindle.dat.brindle-tmp-Ab3dE9", true);
  const std::string fresh = make("brindle.dat.brindle-tmp-Zz0000", false);  // being written now
  const std::string busy = make("brindle.dat.brindle-tmp-busy00", true);
  // The user's own files, whatever they look like, stay.
  const std::string others[] = {make("brindle.dat.lock", true),
                                make("brindle.dat.backup", true),
                                make("brindle.dat.Ab3dE9", true),
                                make("brindle.dat.brindle-tmp-Ab3dE", true),
                                make("brindle.dat.brindle-tmp-Ab3dE9x", true),
                                make("brindle.dat.brindle-tmp-Ab-dE9", true),
                                make("other.dat.brindle-tmp-Ab3dE9", true)};
  const int held = ::open(busy.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  EXPECT_EQ(RemoveStaleTempFiles(target), 1);
  EXPECT_FALSE(PathExists(stale));
  EXPECT_TRUE(PathExists(fresh));
  EXPECT_TRUE(PathExists(busy));
  for (const std::string& other : others)
    EXPECT_TRUE(PathExists(other)) << other;
  ::close(held);
  EXPECT_EQ(RemoveStaleTempFiles(target), 1);
  EXPECT_EQ(ReadFileBytes(target), "db");
}

TEST(FileSystem, TheDatabaseLockSaysWhoHoldsItAndWaitsOnlyForShortHolders) {
  TempDir dir;
  const std::string database = dir.File("brindle.dat");
  CDatabaseLock contender(database);
  {
    CDatabaseLock window(database);
    ASSERT_EQ(window.Acquire(CDatabaseLock::kWindow, true, 0), CDatabaseLock::Result::Acquired);
    EXPECT_EQ(window.LockPath(), database + ".lock");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(contender.Acquire("brindle-tool add-rom", false, 5000), CDatabaseLock::Result::Held);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(contender.HeldByWindow());
    EXPECT_EQ(contender.HolderPid(), ::getpid());
  }
  auto command = std::make_unique<CDatabaseLock>(database);
  ASSERT_EQ(command->Acquire("brindle-tool install", false, 0), CDatabaseLock::Result::Acquired);
  std::thread release([&command] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    command.reset();
  });
  EXPECT_EQ(contender.Acquire("brindle-tool add-rom", false, 5000),
            CDatabaseLock::Result::Acquired);
  release.join();
  EXPECT_EQ(ReadFileBytes(database + ".lock"),
            std::to_string(::getpid()) + " S brindle-tool add-rom\n");

  // A folder where no lock can be made: refused, with the reason.
  CDatabaseLock nowhere(dir.File("missing/brindle.dat"));
  EXPECT_EQ(nowhere.Acquire(CDatabaseLock::kWindow, true, 0), CDatabaseLock::Result::Failed);
  EXPECT_EQ(nowhere.Error(), "No such file or directory");
}
