// The player ended at every moment of a play that matters to a crash, then recovery as the next
// start runs it: nothing changed, or everything put back.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gtest/gtest.h"
#include "platform/CDatabaseLock.h"
#include "platform/Folders.h"
#include "play/CPatchPlayer.h"
#include "play/PlayWorld.h"

namespace {

// What is played: the world's patch; the patch named GAME.IPS, so that a link is made; or the
// set "GAME" of the world's patch and a second one, for which one IPS patch is made.
enum class Played { Patch, Capitals, Set };

void ArrangePatch(PlayWorld& w, Played played) {
  if (played == Played::Capitals) {
    w.dir.Write("my patches/GAME.IPS", "PATCHEOF");
    w.db.GetPatch(0)->Filename = w.patchFolder + "GAME.IPS";
  } else if (played == Played::Set) {
    auto second = std::make_unique<PatchRecord>(*w.db.GetPatch(0));
    second->Filename =
        w.dir.Write("more patches/Second.ips", std::string("PATCH\0\0\x10\0\x01XEOF", 14));
    w.db.AppendPatch(std::move(second));
    ASSERT_TRUE(w.db.AddPatchSet("GAME", {w.db.GetPatch(0)->Filename, w.db.GetPatch(1)->Filename}));
  }
}

int Play(CPatchPlayer& player, Played played) {
  return played == Played::Set ? player.PlayPatchSet(0) : player.PlayPatch(0);
}

int CountMoments(Played played) {
  PlayWorld w;
  ArrangePatch(w, played);
  int moments = 0;
  CPatchPlayer player(w.db);
  player.SetMomentHook([&moments] { ++moments; });
  EXPECT_EQ(Play(player, played), 1) << testing::PrintToString(w.prompt.Texts());
  return moments;
}

}  // namespace

TEST(PlayCrash, AKillAtAnyMomentIsPutBackByTheNextStart) {
  for (const Played played : {Played::Patch, Played::Capitals, Played::Set}) {
    const int moments = CountMoments(played);
    // The claim, the values, the link (or the set's patch), the rename, the emulator recorded
    // and started, and each step put back.
    ASSERT_EQ(moments, played == Played::Patch ? 9 : 12);
    for (int moment = 0; moment < moments; ++moment) {
      SCOPED_TRACE("played " + std::to_string(static_cast<int>(played)) + ", moment " +
                   std::to_string(moment));
      PlayWorld w;
      ArrangePatch(w, played);
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        CDatabaseLock lock(w.db.DatabasePath());
        if (lock.Acquire("brindle-tool play", true, 0) != CDatabaseLock::Result::Acquired)
          ::_exit(2);
        int reached = 0;
        CPatchPlayer player(w.db);
        player.SetMomentHook([&reached, moment] {
          if (reached++ == moment)
            ::_exit(0);
        });
        Play(player, played);
        ::_exit(1);
      }
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      // The lock went with the player, even while its emulator waits to be let go or runs.
      CDatabaseLock lock(w.db.DatabasePath());
      EXPECT_EQ(lock.Acquire("brindle-tool recover", false, 0), CDatabaseLock::Result::Acquired);
      w.WaitUntilThePlayHasEnded();

      ScriptedPrompt prompt;
      CPatchDB next(prompt);
      next.SetDatabasePath(w.db.DatabasePath());
      next.ZConfig = w.config;
      next.RemoveLitter();
      next.RecoverInterruptedPlay();
      w.ExpectPutBack();
      EXPECT_FALSE(PathExists(w.dir.File("my roms/GAME.smc")));
      EXPECT_FALSE(PathExists(w.patchFolder + "GAME.ips"));
      for (const std::string& name : ListFolder(w.dir.File("zsnes dir")))
        EXPECT_EQ(name.find("zsnesw.cfg."), std::string::npos) << name;  // no temporary file
    }
  }
}

TEST(PlayCrash, APlayStillRunningIsDescribedByWhatItChanged) {
  // A run-folder play (RetroArch, Mednafen): no ROM renamed, no configuration rewritten.
  PlayWorld w;
  const pid_t emulator = StartProcess({"sleep", "30"}, w.dir.Path());
  ASSERT_GT(emulator, 0);
  CPlayJournal journal;
  ASSERT_TRUE(journal.Create(w.journal));
  ASSERT_TRUE(journal.Append(JournalStep::Folder(w.dir.File("run"), "Game.sfc")));
  ASSERT_TRUE(journal.Append(JournalStep::File(w.dir.File("pgconfig/Game.snes.cfg"))));
  ASSERT_TRUE(journal.Append(JournalStep::Emulator(*GetProcessStamp(emulator))));
  EXPECT_TRUE(w.db.RecoverInterruptedPlay());
  ::kill(emulator, SIGKILL);
  WaitForProcess(emulator);
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{
                "A patch is still being played: the emulator, or the Brindle that started it, is "
                "still running. Until it ends, the run folder made for it stays and the settings "
                "file made for it stays.\n\nBrindle will put everything back at its next start "
                "after the emulator has ended."});
  EXPECT_TRUE(PathExists(w.journal));
}
