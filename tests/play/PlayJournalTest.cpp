#include "play/CPlayJournal.h"

#include "gtest/gtest.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

TEST(PlayJournal, IsClaimedOnceAndReadsBackEveryStep) {
  TempDir dir;
  const std::string path = CPlayJournal::PathFor(dir.File("brindle.dat"));
  EXPECT_EQ(path, dir.File("brindle.play"));
  EXPECT_EQ(CPlayJournal::PathFor("brindle.dat"), "brindle.play");

  CPlayJournal journal;
  journal.Player = ProcessStamp{4194304, 18446744073709551615ull};
  ASSERT_TRUE(journal.Create(path));
  // Every byte a path or value may hold, tabs and line breaks included.
  const JournalStep steps[] = {
      JournalStep::Value("/z/odd\tname\\n.cfg", "SRAMPath", "\"a\r\n\""),
      JournalStep::Link("/p/GAME.ips", "GAME.IPS"),
      JournalStep::Rename("/roms/odd\nname.fig", "/roms/Game (fixed).smc"),
      JournalStep::File("/m/game.cfg"),
      JournalStep::Emulator(ProcessStamp{2, 0}),
  };
  for (const JournalStep& step : steps)
    ASSERT_TRUE(journal.Append(step));
  ASSERT_TRUE(journal.MarkUndone(1));

  CPlayJournal back;
  ASSERT_TRUE(back.Read(path));
  EXPECT_EQ(back.Player, journal.Player);
  EXPECT_EQ(back.Steps, journal.Steps);
  EXPECT_TRUE(back.Steps[1].undone);
  EXPECT_FALSE(back.Ended);
  EXPECT_EQ(back.Emulator(), (ProcessStamp{2, 0}));
  ASSERT_TRUE(journal.MarkEnded());
  ASSERT_TRUE(back.Read(path));
  EXPECT_TRUE(back.Ended);

  // A second play finds the claim taken, and the first play's journal untouched.
  const std::string bytes = ReadFileBytes(path);
  bool exists = false;
  EXPECT_FALSE(CPlayJournal().Create(path, nullptr, &exists));
  EXPECT_TRUE(exists);
  EXPECT_EQ(ReadFileBytes(path), bytes);

  // A line cut off by a crash was never followed by its step; a damaged line is damage.
  ASSERT_TRUE(back.Parse(bytes + "Rename=/a\t/b"));
  EXPECT_EQ(back.Steps.size(), 5u);
  for (const char* damaged : {"Emulator=12 x\n", "Rename=/a\n", "Value=/a\tb\n", "Undone=9\n",
                              "Player=0 5\n", "Link=/a\t\\q\n", "no equals\n"}) {
    EXPECT_FALSE(back.Parse(bytes + damaged)) << damaged;
  }
  EXPECT_FALSE(back.Parse(""));
  EXPECT_FALSE(back.Parse("[another file]\n"));

  EXPECT_TRUE(CPlayJournal::Remove(path));
  EXPECT_TRUE(CPlayJournal::Remove(path));
  EXPECT_FALSE(CPlayJournal().Read(path));
  // Nothing of the claim's own writing is left beside it.
  EXPECT_EQ(RemoveStaleTempFiles(path), 0);
}

TEST(PlayJournal, TheJournalOfOlderBuildsReadsAsItsSteps) {
  const std::string older =
      "[brindle play journal]\nRomFile=/r.fig\nPlayName=/p.smc\nConfigFile=/z/zsnesl.cfg\n"
      "SaveDirectory=/d\nSRAMPath=D:\\\\ips\\\\\nPatchLink=/p/GAME.ips\nPlayer=7 8\n"
      "Emulator=9 10\n";
  CPlayJournal journal;
  ASSERT_TRUE(journal.Parse(older));
  EXPECT_EQ(journal.Player, (ProcessStamp{7, 8}));
  const std::vector<JournalStep> expected = {
      JournalStep::Value("/z/zsnesl.cfg", "SaveDirectory", "/d"),
      JournalStep::Value("/z/zsnesl.cfg", "SRAMPath", "\"D:\\\\ips\\\\\""),
      JournalStep::Link("/p/GAME.ips", ""),
      JournalStep::Rename("/r.fig", "/p.smc"),
      JournalStep::Emulator(ProcessStamp{9, 10}),
  };
  EXPECT_EQ(journal.Steps, expected);
  EXPECT_FALSE(journal.Parse("[brindle play journal]\nRomFile=/a\nPlayName=/b\nConfigFile=/c\n"));
}
