// The whole play sequence with real files and a real (fake) emulator process.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "gtest/gtest.h"
#include "play/CPatchPlayer.h"
#include "play/PlayWorld.h"
#include "support/Fixtures.h"

namespace {

const char kNotStarted[] =
    "Error: Could not create ZSNES process.\n\t\t\t\nCheck ZSNES Configuration to make sure the "
    "emulator is correctly configured.";

}  // namespace

TEST(PlayPatch, RunsTheEmulatorOnTheRenamedRomAndPutsEverythingBack) {
  PlayWorld w;
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_TRUE(w.prompt.boxes.empty()) << w.prompt.Texts()[0];
  EXPECT_EQ(ReadFileBytes(w.record), "argc=1\narg=" + w.playName + "\ncwd=" + w.dir.Path() +
                                         "/zsnes dir\nplay=yes\nrom=no\njournal=yes\n" +
                                         w.ConfigDuringPlay());
  w.ExpectPutBack();
  // The next play remembers the emulator's own value again, not the patch folder.
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  w.ExpectPutBack();
}

TEST(PlayPatch, ProgramWordsAndOddNames) {
  PlayWorld w;
  // A program setting that is not one existing file is split into words.
  w.db.ZExecutable = "/bin/sh \"" + w.emulator + "\"";
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(ReadFileBytes(w.record).rfind("argc=1\narg=" + w.playName + "\n", 0), 0u);
  w.ExpectPutBack();

  // A patch file name without any "." is its own base name.
  w.db.ZExecutable = w.emulator;
  w.db.GetPatch(0)->Filename = w.dir.Write("my patches/Game v2", "PATCHEOF");
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_NE(ReadFileBytes(w.record).find("arg=" + w.dir.Path() + "/my roms/Game v2.smc\n"),
            std::string::npos);
  EXPECT_FALSE(PathExists(w.dir.File("my roms/Game v2.smc")));

  // A ROM that already carries the patch's base name is played under its own name.
  w.db.GetPatch(0)->Filename = w.dir.Write("my patches/game.ips", "PATCHEOF");
  ASSERT_TRUE(RenameNoReplace(w.romFile, w.dir.File("my roms/game.smc")));
  w.db.GetRom(0)->Filename = w.dir.File("my roms/game.smc");
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_NE(ReadFileBytes(w.record).find("play=yes\n"), std::string::npos);
  EXPECT_TRUE(PathExists(w.dir.File("my roms/game.smc")));
  EXPECT_FALSE(PathExists(w.journal));
  EXPECT_TRUE(w.prompt.boxes.empty());
}

TEST(PlayPatch, MissingEmulatorIsReportedAndEverythingPutBack) {
  PlayWorld w;
  w.db.ZExecutable = w.dir.File("zsnes dir/not there");
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text, kNotStarted);
  EXPECT_EQ(w.prompt.boxes[0].title, "Error!");
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::Error);
  w.ExpectPutBack();

  // An emulator folder that does not exist cannot be started in either.
  w.db.ZExecutable = w.emulator;
  w.db.ZSNES = w.dir.File("gone/");
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(w.prompt.boxes.back().text, kNotStarted);
  EXPECT_FALSE(PathExists(w.record));
  w.ExpectPutBack();
}

TEST(PlayPatch, AnEmulatorEndedByASignalIsAFailedPlayOnceAllIsPutBack) {
  for (const char* signal : {"KILL", "ABRT"}) {
    PlayWorld w(std::string("kill -") + signal + " $$\n");
    EXPECT_EQ(w.db.PlayPatch(0), 0);
    const std::string number = signal[0] == 'K' ? "9" : "6";
    EXPECT_EQ(w.prompt.Texts(), std::vector<std::string>{"Error: ZSNES ended abnormally (signal " +
                                                         number + ", SIG" + signal + ")."});
    w.ExpectPutBack();
  }
  // An exit status of its own is the emulator's affair.
  PlayWorld w("exit 3\n");
  EXPECT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_TRUE(w.prompt.boxes.empty());
}

TEST(PlayPatch, AnExistingPlayNameIsNeverReplaced) {
  PlayWorld w;
  w.dir.Write("my roms/Game (fixed).smc", "someone else's file");
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  ASSERT_EQ(w.prompt.Texts(),
            std::vector<std::string>{"Error: Error RP00A: Could not rename ROM file."});
  EXPECT_FALSE(PathExists(w.record));
  EXPECT_EQ(ReadFileBytes(w.playName), "someone else's file");
  EXPECT_EQ(ReadFileBytes(w.romFile), std::string(1024, 'R'));
  EXPECT_EQ(ReadFileBytes(w.config), w.configBytes);
  EXPECT_FALSE(PathExists(w.journal));
}

TEST(PlayPatch, AFileAppearingUnderTheRecordedNameSurvives) {
  PlayWorld w;
  w.WriteEmulator("zsnes dir/zsnes w", "echo intruder > \"$(dirname \"$last\")/game.fig\"\n");
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{"Error: Error RP00A: Could not re-rename ROM file."});
  EXPECT_EQ(ReadFileBytes(w.romFile), "intruder\n");
  EXPECT_EQ(ReadFileBytes(w.playName), std::string(1024, 'R'));
  EXPECT_EQ(ReadFileBytes(w.config), w.configBytes);
  // The journal stays so that the ROM can still be put back; until then no play starts.
  EXPECT_TRUE(PathExists(w.journal));
  w.db.IgnoreHash = true;  // the intruder is not the ROM
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.back().text,
            "Error: An earlier play of a patch has not been finished: " + w.journal +
                " still exists.\n\nStart Brindle again so that it can put back what that play "
                "changed, then play this patch.");

  ASSERT_TRUE(w.db.RecoverInterruptedPlay());
  EXPECT_EQ(w.prompt.boxes.back().title, "Brindle");
  EXPECT_EQ(w.prompt.boxes.back().icon, BoxIcon::Information);
  EXPECT_NE(w.prompt.boxes.back().text.find(
                "both \"" + w.playName + "\" and \"" + w.romFile + "\" exist. If \"" + w.playName +
                "\" is your ROM, rename it to \"" + w.romFile + "\" by hand."),
            std::string::npos)
      << w.prompt.boxes.back().text;
  EXPECT_FALSE(PathExists(w.journal));
  EXPECT_EQ(ReadFileBytes(w.playName), std::string(1024, 'R'));
  EXPECT_FALSE(w.db.RecoverInterruptedPlay());
}

TEST(PlayPatch, DigestMismatchAsksFirst) {
  PlayWorld w;
  w.db.GetRom(0)->RomDigest = std::string(32, '0');
  const std::string warning =
      "Warning:\n\n" + w.romFile +
      "\n\nThe MD5 digest of this file is not consistent with the value stored in the ROM "
      "database!\t\t\t\nIt is recommended that you reinstall this ROM, after ensuring that it "
      "is still valid.\n\t\t\t\nDo you want to continue applying the patch to this ROM?";
  w.prompt.answers = {BoxAnswer::No};
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text, warning);
  EXPECT_EQ(w.prompt.boxes[0].title, "Warning!");
  EXPECT_EQ(w.prompt.boxes[0].icon, BoxIcon::Warning);
  EXPECT_EQ(w.prompt.boxes[0].buttons, BoxButtons::YesNo);
  EXPECT_FALSE(PathExists(w.record));
  w.ExpectPutBack();

  w.prompt.answers = {BoxAnswer::Yes};
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(w.prompt.boxes.size(), 2u);
  EXPECT_TRUE(PathExists(w.record));
  EXPECT_EQ(w.db.GetRom(0)->RomDigest, std::string(32, '0'));
  w.ExpectPutBack();

  // An upper-case digest is a different digest.
  std::string upper = Md5Of(w.romFile);
  for (char& c : upper)
    c = static_cast<char>(std::toupper(c));
  w.db.GetRom(0)->RomDigest = upper;
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.size(), 3u);

  w.db.IgnoreHash = true;
  ::unlink(w.record.c_str());
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(w.prompt.boxes.size(), 3u);
  EXPECT_TRUE(PathExists(w.record));
}

TEST(PlayPatch, StopsEarlyWithItsMessages) {
  PlayWorld w;
  ASSERT_EQ(w.db.PlayPatch(1), 0);
  ASSERT_EQ(w.db.PlayPatch(-1), 0);
  EXPECT_EQ(w.prompt.Texts(),
            (std::vector<std::string>{"Error: Specified patch index out of bounds.",
                                      "Error: Specified patch index out of bounds."}));

  // (Another size: with only the header bit different, the ROM would be found.)
  w.db.GetPatch(0)->RomSize = "16Mbit No header";
  w.db.GetPatch(0)->SizeWord = 16;
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.back().text,
            "Error: The ROM \"Game (16Mbit No header)\" was not found in the database.\n\nYou must "
            "install this ROM in order to play \"Game Fixed\".");
  w.db.GetPatch(0)->SizeWord = 264;

  ASSERT_EQ(::unlink(w.romFile.c_str()), 0);
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.back().text,
            "Error: " + w.romFile +
                "\n\nThe ROM file could not be found.\n\t\t\t\nIf this file no longer exists, "
                "you will have to reinstall the \"GAME (8Mbit)\" ROM\nin order to play \"Game "
                "Fixed\".");
  w.dir.Write("my roms/game.fig", std::string(1024, 'R'));

  w.db.ZSNES.clear();
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.back().text, "Error: ZSNES installation directory not configured.");

  // A line break would add a line of its own to the emulator's configuration.
  w.db.ZSNES = w.zsnesDir;
  const std::string odd = w.dir.Path() + "/odd\nSaveDirectory = /x/";
  w.db.GetPatch(0)->Filename = odd + "/Game.ips";
  TempDir::WriteTo(odd + "/Game.ips", "PATCHEOF");
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.back().text,
            "Error: The patch folder \"" + odd +
                "/\" cannot be written into the ZSNES configuration file \"" + w.config +
                "\": ZSNES cannot read a folder name with a line break from it.\n\nMove the patch "
                "to another folder to play it.");
  w.db.GetPatch(0)->Filename = w.dir.Write("my patches/Game\r.ips", "PATCHEOF");
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.size(), 7u);
  EXPECT_FALSE(PathExists(w.record));
  w.ExpectPutBack();
}

TEST(PlayPatch, FindsTheRomByNameRules) {
  PlayWorld w;
  const auto addRom = [&](const std::string& name, int32_t size, const std::string& forced) {
    auto rom = std::make_unique<RomRecord>();
    rom->RomName = name;
    rom->SizeWord = size;
    rom->ForcedName = forced;
    rom->UseForcedName = !forced.empty();
    w.db.AppendRom(std::move(rom));
    return w.db.GetRom(w.db.GetRomCount() - 1);
  };
  const RomRecord* game = w.db.GetRom(0);
  const RomRecord* earth = addRom("EARTH BOUND", 288, "");
  const RomRecord* earthAgain = addRom("Earth Bound", 288, "");
  const RomRecord* headerless = addRom("MOTHER (J)", 32, "");
  const RomRecord* forced = addRom("INTERNAL", 264, "My Hack (v1)");

  w.db.IgnoreParens = true;
  EXPECT_EQ(w.db.FindRom("earth bound (J)", 288), earth);
  EXPECT_EQ(w.db.FindRom("EARTH BOUND", 32), nullptr);
  EXPECT_EQ(w.db.FindRom("mother", 32), headerless);
  EXPECT_EQ(w.db.FindRom("MOTHER", 288), nullptr);
  EXPECT_EQ(w.db.FindRom("INTERNAL", 264), nullptr);
  // The forced name is taken as it stands, without the parentheses rule.
  EXPECT_EQ(w.db.FindRom("my hack (v1)", 264), nullptr);
  EXPECT_EQ(w.db.FindRom("My Hack", 264), nullptr);
  EXPECT_EQ(w.db.FindRom("GAME", 264), game);

  w.db.IgnoreParens = false;
  EXPECT_EQ(w.db.FindRom("EARTH BOUND (J)", 288), nullptr);
  EXPECT_EQ(w.db.FindRom("earth bound", 288), earth);
  EXPECT_NE(earthAgain, nullptr);
  EXPECT_EQ(w.db.FindRom("mother", 32), nullptr);
  EXPECT_EQ(w.db.FindRom("MOTHER (j)", 32), headerless);
  EXPECT_EQ(w.db.FindRom("my hack (v1)", 264), forced);

  // A play finds its ROM under the forced name only.
  w.db.GetRom(0)->ForcedName = "Forced Game";
  w.db.GetRom(0)->UseForcedName = true;
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.boxes.back().text.rfind("Error: The ROM \"Game (8Mbit)\" was not found", 0),
            0u);
  w.db.GetPatch(0)->RomName = "forced game";
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(w.prompt.boxes.size(), 1u);
  w.ExpectPutBack();
}

TEST(PlayPatch, AConfigurationThatCannotBePutBackStaysInTheJournal) {
  PlayWorld w;
  const std::string away = w.config + ".away";
  w.WriteEmulator("zsnes dir/zsnes w",
                  "mv " + ShellQuote(w.config) + " " + ShellQuote(away) + "\n");
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text.rfind("Error: Could not open ZSNES configuration file.", 0), 0u);
  EXPECT_TRUE(PathExists(w.romFile));
  ASSERT_TRUE(PathExists(w.journal));

  ASSERT_TRUE(RenameNoReplace(away, w.config));
  // Only what the play could not put back is left to the recovery.
  ASSERT_TRUE(w.db.RecoverInterruptedPlay());
  EXPECT_EQ(w.prompt.boxes.back().text,
            "Brindle was interrupted while a patch was playing, before it could put things "
            "back.\n\nThe emulator's save directory in \"" +
                w.config + "\" was set back to \"/home/me/saves\".");
  w.ExpectPutBack();
}

TEST(PlayPatch, AutoPatchSwitchedOffAsksBeforeAnythingChanges) {
  PlayWorld w;
  std::string bytes = Replaced(ReadFixture("zsnes/zsnesw-1.51.cfg"), "\nAutoPatch=1\r\n",
                               "\nAutoPatch = 0 ; off\r\n");
  w.UseZsnesModel("zsnesw.cfg", bytes);
  const BoxRequest question{
      "ZSNES will not apply the patch: IPS auto-patching is switched off in its configuration "
      "(AutoPatch=0).\n\nDo you want to play without the patch?",
      "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
  const auto expectQuestion = [&](const BoxRequest& box) {
    EXPECT_EQ(box.text, question.text);
    EXPECT_EQ(box.title, question.title);
    EXPECT_EQ(box.icon, question.icon);
    EXPECT_EQ(box.buttons, question.buttons);
  };

  w.prompt.answers = {BoxAnswer::No};
  ASSERT_EQ(w.db.PlayPatch(0), 0);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  expectQuestion(w.prompt.boxes[0]);
  EXPECT_FALSE(PathExists(w.record));
  w.ExpectPutBack();

  w.prompt.answers = {BoxAnswer::Yes};
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  ASSERT_EQ(w.prompt.boxes.size(), 2u);
  expectQuestion(w.prompt.boxes[1]);
  EXPECT_EQ(ReadFileBytes(w.record), "config=zsnesw.cfg\nlineends=CRLF\nrom=" + w.playName +
                                         "\nsave=" + w.patchFolder + "\nautopatch=off\n");
  EXPECT_EQ(ReadFileBytes(w.config), bytes);

  // A later line switching it back on is the one the emulator keeps.
  bytes = Replaced(bytes, "; - EOF -", "AutoPatch=1\r\n; - EOF -");
  w.UseZsnesModel("zsnesw.cfg", bytes);
  ::unlink(w.record.c_str());
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(w.prompt.boxes.size(), 2u);
  EXPECT_EQ(ReadFileBytes(w.record), w.ModelApplied("CRLF"));
  w.ExpectPutBack();
}

TEST(PlayPatch, TheJournalIsAClaimOnlyOnePlayGets) {
  PlayWorld w;
  CPatchPlayer first(w.db);
  ASSERT_TRUE(first.Check(0));
  CPatchPlayer second(w.db);
  ASSERT_TRUE(second.Check(0));
  ASSERT_TRUE(first.Prepare());
  const std::string during = ReadFileBytes(w.config);
  const std::string journal = ReadFileBytes(w.journal);
  // The second one checked before the first claimed the journal: it gets no further, and
  // changes nothing of the first one's play.
  EXPECT_FALSE(second.Prepare());
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{
                "Error: An earlier play of a patch has not been finished: " + w.journal +
                " still exists.\n\nStart Brindle again so that it can put "
                "back what that play changed, then play this patch."});
  EXPECT_EQ(ReadFileBytes(w.config), during);
  EXPECT_EQ(ReadFileBytes(w.journal), journal);
  EXPECT_TRUE(PathExists(w.playName));
  ASSERT_TRUE(first.PutBack());
  w.ExpectPutBack();
}
