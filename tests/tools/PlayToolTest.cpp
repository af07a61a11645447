// brindle-tool play: the play sequence in a process of its own, and what a killed play leaves
// for the next start to put back.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "gtest/gtest.h"
#include "play/CPlayJournal.h"
#include "play/PlayWorld.h"

namespace {

std::string Tool(const std::string& arguments) {
  return ShellQuote(BRINDLE_TOOL_PATH) + " " + arguments;
}

// Writes the world's database as Brindle saves it.
std::string SaveDatabase(PlayWorld& w) {
  const std::string path = w.dir.File("brindle.dat");
  EXPECT_TRUE(w.db.Save(path));
  return path;
}

// Starts brindle-tool play on the world's patch in a process group of its own, so that it and
// its emulator can die together, as they would at a power cut.
pid_t StartPlayer(PlayWorld& w, const std::string& database,
                  const std::string& patch = "Game (fixed).ips") {
  const std::string path = w.patchFolder + patch;
  const pid_t player = ::fork();
  if (player == 0) {
    ::setpgid(0, 0);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::execl(BRINDLE_TOOL_PATH, BRINDLE_TOOL_PATH, "play", path.c_str(), "--db", database.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (player > 0)
    ::setpgid(player, player);
  return player;
}

// Whatever happens in a test, no player or emulator outlives it.
struct GroupKiller {
  pid_t group;
  ~GroupKiller() { ::kill(-group, SIGKILL); }
};

bool WaitFor(const std::string& path) {
  for (int i = 0; i < 2000 && !PathExists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return PathExists(path);
}

}  // namespace

TEST(PlayTool, PlaysAnInstalledPatchAndNeverWritesTheDatabase) {
  PlayWorld w;
  w.db.GetRom(0)->RomDigest = std::string(32, 'f');
  const std::string database = SaveDatabase(w);
  const std::string before = ReadFileBytes(database);
  struct stat info {};
  ASSERT_EQ(::stat(database.c_str(), &info), 0);
  const auto modified = info.st_mtim;

  // A relative path finds the patch; the question is answered on stdin.
  std::string output;
  const std::string play = "cd " + ShellQuote(w.dir.Path()) + " && " +
                           Tool("play 'my patches/Game (fixed).ips' --db brindle.dat");
  EXPECT_EQ(RunCommand("echo y | (" + play + ")", &output), 0) << output;
  EXPECT_EQ(output.rfind("Warning!\nWarning:\n\n" + w.romFile + "\n\nThe MD5 digest", 0), 0u)
      << output;
  EXPECT_NE(ReadFileBytes(w.record).find("arg=" + w.playName + "\n"), std::string::npos);
  w.ExpectPutBack();

  ::unlink(w.record.c_str());
  EXPECT_EQ(RunCommand("echo n | (" + play + ")", &output), 1);
  EXPECT_FALSE(PathExists(w.record));
  // The other spellings install accepts name the same patch.
  for (const char* spelling : {"./my patches/Game (fixed).ips", "my patches//Game (fixed).ips"}) {
    EXPECT_EQ(RunCommand("cd " + ShellQuote(w.dir.Path()) + " && echo n | " +
                             Tool("play " + ShellQuote(spelling) + " --db brindle.dat"),
                         &output),
              1)
        << spelling;
    EXPECT_EQ(output.rfind("Warning!\nWarning:", 0), 0u) << output;
  }
  // Another letter case names another file.
  EXPECT_EQ(RunCommand(Tool("play " + ShellQuote(w.patchFolder + "GAME (FIXED).IPS") + " --db " +
                            ShellQuote(database)) +
                           " </dev/null",
                       &output, true),
            2);
  EXPECT_NE(output.find("no installed patch has the path"), std::string::npos);
  EXPECT_EQ(RunCommand(Tool("play --db " + ShellQuote(database)), &output, true), 2);

  EXPECT_EQ(ReadFileBytes(database), before);
  ASSERT_EQ(::stat(database.c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, modified.tv_sec);
  EXPECT_EQ(info.st_mtim.tv_nsec, modified.tv_nsec);
}

TEST(PlayTool, AKilledPlayIsPutBackAtTheNextStart) {
  PlayWorld w;
  const std::string started = w.dir.File("started");
  w.WriteEmulator("zsnes dir/zsnes w", ": > " + ShellQuote(started) + "\nsleep 60\n");
  const std::string database = SaveDatabase(w);
  const pid_t player = StartPlayer(w, database);
  ASSERT_GT(player, 0);
  GroupKiller killer{player};
  ASSERT_TRUE(WaitFor(started));
  ASSERT_EQ(::kill(-player, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(player, &status, 0), player);
  ASSERT_TRUE(WIFSIGNALED(status));
  w.WaitUntilThePlayHasEnded();

  // What the crash left: the ROM under the play name, the patch folder as save directory.
  EXPECT_FALSE(PathExists(w.romFile));
  EXPECT_TRUE(PathExists(w.playName));
  EXPECT_NE(ReadFileBytes(w.config).find("SaveDirectory = " + w.patchFolder + "\n"),
            std::string::npos);
  ASSERT_TRUE(PathExists(w.journal));

  ScriptedPrompt prompt;
  CPatchDB next(prompt);
  ASSERT_EQ(next.Load(database), 0);
  ASSERT_TRUE(next.RecoverInterruptedPlay());
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].title, "Brindle");
  EXPECT_EQ(prompt.boxes[0].icon, BoxIcon::Information);
  EXPECT_EQ(prompt.boxes[0].buttons, BoxButtons::Ok);
  EXPECT_EQ(prompt.boxes[0].text,
            "Brindle was interrupted while a patch was playing, before it could put things "
            "back.\n\nThe ROM file \"" +
                w.playName + "\" was renamed back to \"" + w.romFile +
                "\".\nThe emulator's save directory in \"" + w.config +
                "\" was set back to \"/home/me/saves\".");
  w.ExpectPutBack();

  // Nothing left to do the second time.
  EXPECT_FALSE(next.RecoverInterruptedPlay());
  std::string output;
  EXPECT_EQ(RunCommand(Tool("recover --db " + ShellQuote(database)), &output), 0);
  EXPECT_EQ(output, "No interrupted play to recover.\n");
}

TEST(PlayTool, AKilledPlayOfACapitalisedPatchLosesItsLinkAtTheNextStart) {
  PlayWorld w;
  const std::string started = w.dir.File("started");
  w.WriteEmulator("zsnes dir/zsnes w", ": > " + ShellQuote(started) + "\nsleep 60\n");
  w.dir.Write("my patches/GAME.IPS", "PATCHEOF");
  w.db.GetPatch(0)->Filename = w.patchFolder + "GAME.IPS";
  const std::string link = w.patchFolder + "GAME.ips";
  const std::string database = SaveDatabase(w);
  const pid_t player = StartPlayer(w, database, "GAME.IPS");
  ASSERT_GT(player, 0);
  GroupKiller killer{player};
  ASSERT_TRUE(WaitFor(started));
  EXPECT_TRUE(IsSymbolicLink(link));
  ASSERT_EQ(::kill(-player, SIGKILL), 0);
  ASSERT_EQ(::waitpid(player, nullptr, 0), player);
  w.WaitUntilThePlayHasEnded();

  std::string output;
  EXPECT_EQ(RunCommand(Tool("recover --db " + ShellQuote(database)), &output), 0);
  EXPECT_NE(output.find("\nThe link \"" + link +
                        "\", through which the emulator found the patch, was removed.\n"),
            std::string::npos)
      << output;
  EXPECT_FALSE(PathExists(link));
  EXPECT_EQ(ReadFileBytes(w.patchFolder + "GAME.IPS"), "PATCHEOF");
  EXPECT_EQ(ReadFileBytes(w.romFile), std::string(1024, 'R'));
}

TEST(PlayTool, APlayThatStillRunsIsLeftAloneUntilItsEmulatorHasEnded) {
  PlayWorld w;
  const std::string started = w.dir.File("started");
  const std::string release = w.dir.File("release");
  w.WriteEmulator("zsnes dir/zsnes w", ": > " + ShellQuote(started) + "\nwhile [ ! -e " +
                                           ShellQuote(release) + " ]; do sleep 0.05; done\n");
  const std::string database = SaveDatabase(w);
  const pid_t player = StartPlayer(w, database);
  ASSERT_GT(player, 0);
  GroupKiller killer{player};
  ASSERT_TRUE(WaitFor(started));
  const std::string during = ReadFileBytes(w.config);
  const std::string stillPlaying =
      "A patch is still being played: the emulator, or the Brindle that started it, is still "
      "running. Until it ends, its ROM keeps the patch's name and the emulator saves into the "
      "patch's folder.\n\nBrindle will put everything back at its next start after the emulator "
      "has ended.";
  const auto expectUntouched = [&] {
    EXPECT_TRUE(PathExists(w.playName));
    EXPECT_FALSE(PathExists(w.romFile));
    EXPECT_EQ(ReadFileBytes(w.config), during);
    EXPECT_TRUE(PathExists(w.journal));
  };

  // The player waits for its emulator, holding the database: neither a recovery nor a second
  // play gets in, and nobody waits for it.
  std::string output;
  EXPECT_EQ(RunCommand(Tool("recover --db " + ShellQuote(database) + " 2>&1"), &output), 1);
  EXPECT_EQ(output, "brindle-tool: " + database +
                        " is in use by another command that is still running (brindle-tool "
                        "play, process " +
                        std::to_string(player) +
                        "); nothing was changed. Try again when it has ended.\n");
  EXPECT_EQ(RunCommand(Tool("play " + ShellQuote(w.patchFolder + "Game (fixed).ips") + " --db " +
                            ShellQuote(database) + " 2>&1 </dev/null"),
                       &output),
            1);
  EXPECT_NE(output.find("is in use by another command that is still running"), std::string::npos);
  expectUntouched();

  // The player is killed; its emulator plays on.
  ASSERT_EQ(::kill(player, SIGKILL), 0);
  ASSERT_EQ(::waitpid(player, nullptr, 0), player);
  ScriptedPrompt prompt;
  CPatchDB next(prompt);
  ASSERT_EQ(next.Load(database), 0);
  EXPECT_TRUE(next.RecoverInterruptedPlay());
  EXPECT_EQ(prompt.Texts(), std::vector<std::string>{stillPlaying});
  expectUntouched();

  // Once the emulator has ended, everything is put back.
  CPlayJournal journal;
  ASSERT_TRUE(journal.Read(w.journal));
  ASSERT_TRUE(journal.Emulator());
  TempDir::WriteTo(release, "");
  w.WaitUntilThePlayHasEnded();
  prompt.boxes.clear();
  EXPECT_TRUE(next.RecoverInterruptedPlay());
  ASSERT_EQ(prompt.boxes.size(), 1u);
  EXPECT_EQ(prompt.boxes[0].text.rfind("Brindle was interrupted while a patch was playing", 0), 0u);
  w.ExpectPutBack();
}

TEST(PlayTool, RecoveryExplainsWhatMustBeDoneByHand) {
  PlayWorld w;
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.SetDatabasePath(w.dir.File("brindle.dat"));
  const auto recover = [&](const std::string& journal) {
    w.dir.Write("brindle.play", journal);
    EXPECT_TRUE(db.RecoverInterruptedPlay());
    EXPECT_FALSE(PathExists(w.journal));
    return prompt.boxes.back().text;
  };
  const std::string gone = w.dir.File("gone.smc");
  const std::string lost = w.dir.File("lost.fig");
  const std::string missingConfig = w.dir.File("missing.cfg");
  std::string text = recover("[brindle play journal]\nRomFile=" + lost + "\nPlayName=" + gone +
                             "\nConfigFile=" + missingConfig + "\nSaveDirectory=/saves\n");
  EXPECT_NE(text.find("The ROM file was found neither as \"" + gone + "\" nor as \"" + lost +
                      "\". If you moved it, rename it to \"" + lost + "\" by hand.\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("The emulator configuration file \"" + missingConfig +
                      "\" could not be rewritten (No such file or directory). Set its line "
                      "\"SaveDirectory = /saves\" back by hand."),
            std::string::npos)
      << text;

  // The crash came after the ROM got its name back: only the configuration is put back.
  text = recover("[brindle play journal]\nRomFile=" + w.romFile + "\nPlayName=" + w.playName +
                 "\nConfigFile=" + w.config + "\nSaveDirectory=/old saves\n");
  EXPECT_NE(text.find("The ROM file \"" + w.romFile + "\" already had its name back.\n"),
            std::string::npos);
  EXPECT_NE(ReadFileBytes(w.config).find("\nSaveDirectory = /old saves\n"), std::string::npos);

  text = recover("not a journal\n");
  EXPECT_NE(text.find("Its record of that play, \"" + w.journal + "\", could not be read."),
            std::string::npos);
}
