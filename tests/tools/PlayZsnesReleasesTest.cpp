// Plays through brindle-tool against the configuration files the ZSNES releases really write,
// with a model of the emulator that looks for the patch the way ZSNES does.
#include <string>

#include "gtest/gtest.h"
#include "play/PlayWorld.h"
#include "support/Fixtures.h"

namespace {

std::string Fixture(const std::string& name) {
  return ReadFixture("zsnes/" + name);
}

std::string PlayCommand(const PlayWorld& w, const std::string& database) {
  return ShellQuote(BRINDLE_TOOL_PATH) + " play " + ShellQuote(w.patchFolder + "Game (fixed).ips") +
         " --db " + ShellQuote(database) + " </dev/null";
}

struct Release {
  std::string configName, bytes, lineEnds;
};

}  // namespace

TEST(PlayZsnesReleases, TheModelAppliesThePlayedPatchAndTheFileComesBack) {
  const std::string windows151 = Fixture("zsnesw-1.51.cfg");
  const Release releases[] = {
      {"zsnesw.cfg", Fixture("zsnesw-1.42.cfg"), "CRLF"},
      {"zsnesw.cfg", windows151, "CRLF"},
      {"zsnesl.cfg", Fixture("zsnesl-1.51.cfg"), "LF"},
      // A save folder set in the Windows emulator, in its own escaped form.
      {"zsnesw.cfg",
       Replaced(windows151, "\r\nSRAMPath=\"\"\r\n",
                "\r\nSRAMPath=\"D:\\\\SNES\\\\Saves\\\\\"\r\n"),
       "CRLF"},
  };
  for (const Release& release : releases) {
    SCOPED_TRACE(release.bytes.substr(release.bytes.find("\nSRAMPath") + 1, 40));
    PlayWorld w;
    w.UseZsnesModel(release.configName, release.bytes);
    const std::string database = w.dir.File("brindle.dat");
    ASSERT_TRUE(w.db.Save(database));
    // The second play must find what the first one put back.
    for (int play = 0; play < 2; ++play) {
      ::unlink(w.record.c_str());
      std::string output;
      ASSERT_EQ(RunCommand(PlayCommand(w, database), &output, true), 0) << output;
      EXPECT_EQ(output, "");
      EXPECT_EQ(ReadFileBytes(w.record), w.ModelApplied(release.lineEnds));
      EXPECT_EQ(ReadFileBytes(w.config), release.bytes);
      EXPECT_EQ(ReadFileBytes(w.romFile), std::string(1024, 'R'));
      EXPECT_FALSE(PathExists(w.playName));
      EXPECT_FALSE(PathExists(w.journal));
    }
  }
}

TEST(PlayZsnesReleases, AnIpsPathIsPointedAtThePatchToo) {
  // A later emulator looks in IPSPath before anything else, here at a stale copy of the patch.
  PlayWorld w;
  const std::string stale = w.dir.Path() + "/stale patches/";
  w.dir.Write("stale patches/Game (fixed).ips", "STALE");
  const std::string bytes = Replaced(Fixture("zsnesl-1.51.cfg"), "\nSRAMPath=\"\"\n",
                                     "\nSRAMPath=\"\"\nIPSPath=\"" + stale + "\"\n");
  w.UseZsnesModel("zsnesl.cfg", bytes);
  const std::string database = w.dir.File("brindle.dat");
  ASSERT_TRUE(w.db.Save(database));
  std::string output;
  ASSERT_EQ(RunCommand(PlayCommand(w, database), &output, true), 0) << output;
  EXPECT_EQ(ReadFileBytes(w.record), w.ModelApplied("LF"));
  EXPECT_EQ(ReadFileBytes(w.config), bytes);
}

TEST(PlayZsnesReleases, AKilledPlayPutsBackTheNewerFormInItsOwnForm) {
  PlayWorld w;
  const std::string bytes =
      Replaced(Fixture("zsnesl-1.51.cfg"), "\nSRAMPath=\"\"\n",
               "\nSRAMPath=\"/home/me/.zsnes/saves\\\\\"\nIPSPath=\"/home/me/ips \\\"new\\\"/\"\n");
  w.UseZsnesModel("zsnesl.cfg", bytes);
  // The shell-script emulator kills Brindle while it waits, as a crash would.
  w.record = w.dir.File("record.txt");
  w.db.ZExecutable = w.WriteEmulator("zsnes dir/zsnes l", "kill -9 $PPID\n");
  const std::string database = w.dir.File("brindle.dat");
  ASSERT_TRUE(w.db.Save(database));
  EXPECT_NE(RunCommand(PlayCommand(w, database)), 0);

  const std::string during =
      Replaced(Replaced(bytes, "SRAMPath=\"/home/me/.zsnes/saves\\\\\"",
                        "SRAMPath=\"" + w.patchFolder + "\""),
               "IPSPath=\"/home/me/ips \\\"new\\\"/\"", "IPSPath=\"" + w.patchFolder + "\"");
  const std::string record = ReadFileBytes(w.record);
  const size_t seen = record.find("config:\n");
  ASSERT_NE(seen, std::string::npos) << record;
  EXPECT_EQ(record.substr(seen + 8), during);
  EXPECT_EQ(ReadFileBytes(w.config), during);
  ASSERT_TRUE(PathExists(w.journal));
  EXPECT_TRUE(PathExists(w.playName));
  w.WaitUntilThePlayHasEnded();

  std::string output;
  ASSERT_EQ(
      RunCommand(ShellQuote(BRINDLE_TOOL_PATH) + " recover --db " + ShellQuote(database), &output),
      0);
  EXPECT_NE(output.find("\nThe emulator configuration file \"" + w.config +
                        "\" has these lines back:\nSRAMPath=\"/home/me/.zsnes/saves\\\\\"\n"
                        "IPSPath=\"/home/me/ips \\\"new\\\"/\"\n"),
            std::string::npos)
      << output;
  EXPECT_EQ(ReadFileBytes(w.config), bytes);
  EXPECT_EQ(ReadFileBytes(w.romFile), std::string(1024, 'R'));
  EXPECT_FALSE(PathExists(w.journal));
}

TEST(PlayZsnesReleases, RecoveryNamesTheNewerFormLinesToSetByHand) {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.SetDatabasePath(dir.File("brindle.dat"));
  const std::string missing = dir.File("zsnesl.cfg");
  dir.Write("brindle.play", "[brindle play journal]\nRomFile=/r.fig\nPlayName=/r.fig\nConfigFile=" +
                                missing + "\nSaveDirectory=\nSRAMPath=D:\\\\Saves\\\\\n");
  ASSERT_TRUE(db.RecoverInterruptedPlay());
  EXPECT_NE(prompt.boxes.back().text.find(
                "The emulator configuration file \"" + missing +
                "\" could not be rewritten (No such file or directory). Set these lines back by "
                "hand:\nSRAMPath=\"D:\\\\Saves\\\\\""),
            std::string::npos)
      << prompt.boxes.back().text;
}

TEST(PlayZsnesReleases, APatchNamedInCapitalsIsFoundThroughALinkForThePlay) {
  PlayWorld w;
  w.UseZsnesModel("zsnesl.cfg", Fixture("zsnesl-1.51.cfg"));
  ::unlink((w.patchFolder + "Game (fixed).ips").c_str());
  w.dir.Write("my patches/Game.IPS", "PATCHEOF");
  w.db.GetPatch(0)->Filename = w.patchFolder + "Game.IPS";
  const auto listing = [&w] {
    std::string names;
    RunCommand("ls -A " + ShellQuote(w.patchFolder), &names);
    return names;
  };
  const std::string before = listing();

  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_TRUE(w.prompt.boxes.empty());
  EXPECT_NE(ReadFileBytes(w.record).find("\napply=" + w.patchFolder + "Game.ips\n"),
            std::string::npos)
      << ReadFileBytes(w.record);
  EXPECT_EQ(listing(), before);
  EXPECT_FALSE(PathExists(w.journal));

  // A file of that name that is not the patch is never replaced: the user is asked first, and
  // No changes nothing at all.
  w.dir.Write("my patches/Game.ips", "ANOTHER PATCH");
  ::unlink(w.record.c_str());
  const std::string config = ReadFileBytes(w.config);
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text,
            "ZSNES looks for the patch as \"Game.ips\" and will not find \"Game.IPS\", so the game "
            "would start without the patch.\n\nDo you want to play without the patch?");
  EXPECT_EQ(w.prompt.boxes[0].title, "Warning!");
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::Warning);
  EXPECT_EQ(w.prompt.boxes[0].buttons, BoxButtons::YesNo);
  EXPECT_FALSE(PathExists(w.record));
  EXPECT_EQ(ReadFileBytes(w.config), config);
  // Yes plays on, and the file is still the user's afterwards.
  w.prompt.answers.push_back(BoxAnswer::Yes);
  EXPECT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(ReadFileBytes(w.patchFolder + "Game.ips"), "ANOTHER PATCH");
  EXPECT_FALSE(IsSymbolicLink(w.patchFolder + "Game.ips"));
}

TEST(PlayZsnesReleases, EveryCharacterOfThePatchFolderReachesTheModelAsItIs) {
  PlayWorld w;
  w.UseZsnesModel("zsnesl.cfg", Fixture("zsnesl-1.51.cfg"));
  w.patchFolder = w.dir.Path() + "/tab\t\"quoted\" it's \\ ;x=y/";
  TempDir::WriteTo(w.patchFolder + "Game (fixed).ips", "PATCHEOF");
  w.db.GetPatch(0)->Filename = w.patchFolder + "Game (fixed).ips";
  const std::string database = w.dir.File("brindle.dat");
  ASSERT_TRUE(w.db.Save(database));
  std::string output;
  ASSERT_EQ(RunCommand(PlayCommand(w, database), &output, true), 0) << output;
  EXPECT_EQ(ReadFileBytes(w.record), w.ModelApplied("LF"));
  EXPECT_EQ(ReadFileBytes(w.config), Fixture("zsnesl-1.51.cfg"));
}

TEST(PlayZsnesReleases, TheModelReadsItsConfigurationAsZsnesDoes) {
  TempDir dir;
  const std::string rom = dir.Write("roms/game.smc", "ROM");
  const std::string home = dir.Path() + "/home/";
  const std::string passwd = dir.Write(
      "passwd", "me:x:" + std::to_string(::getuid()) + ":0::" + dir.Path() + "/home:/bin/sh\n");
  // The save folder the model finds for a configuration in the password database's home, while
  // $HOME names another folder.
  const auto saveFolder = [&](const std::string& bytes) {
    TempDir::WriteTo(home + ".zsnes/zsnesl.cfg", bytes);
    dir.Write("elsewhere/.zsnes/zsnesl.cfg", "SRAMPath=\"/from $HOME/\"\n");
    ::unlink(dir.File("record.txt").c_str());
    RunCommand("cd " + ShellQuote(dir.Path()) + " && HOME=" + ShellQuote(dir.File("elsewhere")) +
               " ZSNES_MODEL_PASSWD=" + ShellQuote(passwd) + " ZSNES_MODEL_RECORD=record.txt " +
               ShellQuote(ZSNES_MODEL_PATH) + " " + ShellQuote(rom));
    const std::string record = ReadFileBytes(dir.File("record.txt"));
    const size_t save = record.find("\nsave=");
    return save == std::string::npos
               ? record
               : record.substr(save + 6, record.find('\n', save + 1) - save - 6);
  };
  EXPECT_EQ(saveFolder("SRAMPath=\"\"\n"), home + ".zsnes/");
  EXPECT_EQ(saveFolder("SRAMPath=\"/a\\\tb\\\"c\\'d\\\\e/\"\n"), "/a\tb\"c'd\\e/");
  // "\t" is not a tab to the emulator, a bare value is no value, and a blank ends one.
  EXPECT_EQ(saveFolder("SRAMPath=\"/tab\\tdir/\"\n"), "/tabtdir/");
  EXPECT_EQ(saveFolder("SRAMPath=/bare/\n"), home + ".zsnes/");
  EXPECT_EQ(saveFolder(" SRAMPath = \"/a b/\" trailing ; \"note\n"), "/a b/");
  EXPECT_EQ(saveFolder("SRAMPath=\"/first/\"\nSRAMPath=\nsrampath=\"/case/\"\n"), "/first/");
}
