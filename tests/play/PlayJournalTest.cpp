#include "play/CPlayJournal.h"

#include "gtest/gtest.h"
#include "support/TempDir.h"

TEST(PlayJournal, KeepsAnyPathAndRefusesDamagedFiles) {
  CPlayJournal journal;
  journal.RomFile = "/roms/odd\nname \\n\\.fig";
  journal.PlayName = "/roms/Game (fixed).smc";
  journal.ConfigFile = "/z/zsnesw.cfg";
  journal.SaveDirectory = "";
  TempDir dir;
  const std::string path = CPlayJournal::PathFor(dir.File("brindle.dat"));
  EXPECT_EQ(path, dir.File("brindle.play"));
  EXPECT_EQ(CPlayJournal::PathFor("brindle.dat"), "brindle.play");
  ASSERT_TRUE(journal.Write(path));

  CPlayJournal back;
  ASSERT_TRUE(back.Read(path));
  EXPECT_EQ(back.RomFile, journal.RomFile);
  EXPECT_EQ(back.PlayName, journal.PlayName);
  EXPECT_EQ(back.ConfigFile, journal.ConfigFile);
  EXPECT_EQ(back.SaveDirectory, "");

  const std::string bytes = journal.Serialize();
  EXPECT_FALSE(CPlayJournal().Parse(bytes.substr(0, bytes.find("SaveDirectory"))));
  EXPECT_FALSE(CPlayJournal().Parse("RomFile=/a\nPlayName=/b\nConfigFile=/c\nSaveDirectory=\n"));
  EXPECT_FALSE(CPlayJournal().Parse(""));

  EXPECT_TRUE(CPlayJournal::Remove(path));
  EXPECT_TRUE(CPlayJournal::Remove(path));
  EXPECT_FALSE(CPlayJournal().Read(path));
}

TEST(PlayJournal, NewerFormValuesAndProcessesAreOptional) {
  CPlayJournal journal;
  journal.RomFile = "/r.fig";
  journal.PlayName = "/p.smc";
  journal.ConfigFile = "/z/zsnesl.cfg";
  journal.SRAMPath = "";
  journal.IPSPath = "D:\\ips\\";
  journal.Player = ProcessStamp{4194304, 18446744073709551615ull};
  journal.Emulator = ProcessStamp{2, 0};
  CPlayJournal back;
  ASSERT_TRUE(back.Parse(journal.Serialize()));
  EXPECT_EQ(back.SRAMPath, std::optional<std::string>(""));
  EXPECT_EQ(back.IPSPath, std::optional<std::string>("D:\\ips\\"));
  EXPECT_EQ(back.Player, journal.Player);
  EXPECT_EQ(back.Emulator, journal.Emulator);
  // A journal without them (as older builds wrote it) still reads.
  const std::string older =
      "[brindle play journal]\nRomFile=/a\nPlayName=/b\nConfigFile=/c\nSaveDirectory=/d\n";
  ASSERT_TRUE(back.Parse(older));
  EXPECT_EQ(back.SaveDirectory, "/d");
  EXPECT_FALSE(back.SRAMPath);
  EXPECT_FALSE(back.IPSPath);
  EXPECT_FALSE(back.Player);
  EXPECT_FALSE(back.Emulator);
  // A damaged process is a damaged journal: it must not pass for a play that has ended.
  for (const char* stamp :
       {"12", "12 x", "0 5", "-3 5", "12 5 7", "99999999999 5", "12 99999999999999999999"}) {
    EXPECT_FALSE(back.Parse(older + "Emulator=" + stamp + "\n")) << stamp;
  }
}
