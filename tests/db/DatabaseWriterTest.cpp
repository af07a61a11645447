#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>

#include "db/CDatabaseWriter.h"
#include "db/CPatchDB.h"
#include "platform/FileSystem.h"
#include "support/ScriptedPrompt.h"
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

TEST(DatabaseWriter, AFileHandedOnInPiecesIsWrittenWholeAndAFailedMakerLeavesTheOldOne) {
  TempDir dir;
  const std::string path = dir.File("brindle.dat");
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  for (int i = 0; i < 5000; ++i) {  // a file of several pieces
    auto patch = std::make_unique<PatchRecord>();
    patch->PatchName = "Patch " + std::to_string(i);
    patch->Description = std::string(300, 'd');
    patch->Filename = "/p/" + std::to_string(i) + ".ips";
    db.AppendPatch(std::move(patch));
  }
  int pieces = 0;
  CDatabaseWriter writer(path, {});
  writer.WriteInPieces(1, [&](const CDatabaseWriter::PieceSink& sink) {
    db.Serialize([&](std::string&& piece) {
      ++pieces;
      sink(std::move(piece));
    });
  });
  writer.Wait();
  EXPECT_GT(pieces, 1);
  EXPECT_EQ(writer.Written(), 1u);
  EXPECT_EQ(ReadFileBytes(path), db.Serialize());

  // A maker that fails part way leaves the file as it was, and nothing half made beside it.
  EXPECT_THROW(writer.WriteInPieces(2,
                                    [](const CDatabaseWriter::PieceSink& sink) {
                                      sink("half a file");
                                      throw std::runtime_error("out of memory");
                                    }),
               std::runtime_error);
  writer.Wait();
  EXPECT_EQ(writer.Written(), 1u);
  EXPECT_EQ(writer.TakeError(), "");
  EXPECT_EQ(ReadFileBytes(path), db.Serialize());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}
