#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "db/CDatabaseWriter.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

TEST(DatabaseWriter, WritesInOrderTheLastWinsAndAFailureIsToldWithItsReason) {
  TempDir dir;
  const std::string path = dir.File("data/brindle.dat");  // its folder does not exist yet
  std::atomic<int> failures = 0;
  CDatabaseWriter writer(path, [&failures] { ++failures; });

  writer.Write(1, "first");
  writer.Wait();
  EXPECT_EQ(failures, 1);
  EXPECT_EQ(writer.Written(), 0u);
  const std::string error = writer.TakeError();
  EXPECT_NE(error.find(": No such file or directory"), std::string::npos) << error;
  EXPECT_EQ(writer.TakeError(), "");  // told once

  // The next write holds every change, the failed one's too; of many asked for at once, the
  // file ends with the last.
  std::filesystem::create_directory(dir.File("data"));
  for (uint64_t generation = 2; generation <= 50; ++generation)
    writer.Write(generation, "generation " + std::to_string(generation));
  writer.Wait();
  EXPECT_EQ(writer.Written(), 50u);
  EXPECT_EQ(ReadFileBytes(path), "generation 50");
  EXPECT_EQ(failures, 1);

  // Ending the writer finishes what was asked for.
  {
    CDatabaseWriter last(path, {});
    last.Write(51, "at the end");
  }
  EXPECT_EQ(ReadFileBytes(path), "at the end");
}
