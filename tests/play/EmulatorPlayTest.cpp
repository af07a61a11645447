// Plays through RetroArch and Mednafen with stand-ins that record what they were given: the
// command line, the play's folder, the files made for the run, and that all of it goes again.
#include <sys/stat.h>

#include <cstdlib>

#include "gtest/gtest.h"
#include "patch/PatchApply.h"
#include "play/CMednafenEmulator.h"
#include "play/CRetroArchEmulator.h"
#include "play/PlayFiles.h"
#include "play/PlayWorld.h"
#include "support/PatchBuilder.h"
#include "support/ScopedEnv.h"

namespace {

// A stand-in emulator: its arguments, its folder's names and where each leads, and the
// appended configuration or per-game file it was given.
constexpr char kRecorder[] =
    "#!/bin/sh\n{\n"
    "  for a in \"$@\"; do echo \"arg=$a\"; done\n"
    "  echo \"cwd=$(pwd)\"\n"
    "  for f in \"$(pwd)\"/*; do echo \"entry=${f##*/} -> $(readlink \"$f\")\"; done\n"
    "  for a in \"$@\"; do case \"$a\" in --appendconfig=*) cat \"${a#--appendconfig=}\";; "
    "esac; done\n"
    "  [ -f \"$GAME_FILE\" ] && cat \"$GAME_FILE\"\n"
    "  for f in *.bps *.ips; do [ -f \"$f\" ] && [ ! -L \"$f\" ] && cp \"$f\" \"$RECORD.patch\"; "
    "done\n"
    "} > \"$RECORD\"\n";

struct EmulatorWorld : PlayWorld {
  std::string runtime = dir.Path() + "/runtime";
  std::string mednafenHome = dir.Path() + "/mednafen home";
  std::string gameFile = mednafenHome + "/pgconfig/Game (fixed).snes.cfg";
  ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", runtime.c_str()};
  ScopedEnv mednafenEnv{"MEDNAFEN_HOME", mednafenHome.c_str()};
  ScopedEnv recordEnv{"RECORD", record.c_str()};
  ScopedEnv gameFileEnv{"GAME_FILE", gameFile.c_str()};
  std::string recorder = dir.Write("bin/emulator", kRecorder);

  EmulatorWorld() {
    ::mkdir(runtime.c_str(), 0700);
    ::chmod(recorder.c_str(), 0755);
    db.RetroArch = recorder;
    db.RetroArchCore = dir.Write("cores/bsnes_mercury_balanced_libretro.so", "core");
    db.Mednafen = recorder;
  }

  // The play's folder as the stand-in saw it.
  std::string RunFolder() const {
    const std::string recorded = ReadFileBytes(record);
    const size_t at = recorded.find("cwd=") + 4;
    return recorded.substr(at, recorded.find('\n', at) - at);
  }

  // Nothing of the play is left, and nothing of ZSNES's was touched.
  void ExpectCleared() const {
    std::string left;
    RunCommand("ls -A " + ShellQuote(runtime), &left);
    EXPECT_EQ(left, "");
    EXPECT_FALSE(PathExists(gameFile));
    EXPECT_FALSE(PathExists(journal));
    EXPECT_EQ(ReadFileBytes(romFile), std::string(1024, 'R'));
    EXPECT_EQ(ReadFileBytes(config), configBytes);
  }
};

}  // namespace

TEST(EmulatorPlay, RetroArchIsGivenThePatchALinkNamedAfterItAndItsSaveFolders) {
  EmulatorWorld w;
  w.db.Emulator = "retroarch";
  ASSERT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  EXPECT_TRUE(w.prompt.boxes.empty());
  const std::string run = w.RunFolder();
  EXPECT_EQ(run.rfind(w.runtime + "/brindle-play-", 0), 0u) << run;
  EXPECT_EQ(ReadFileBytes(w.record),
            "arg=-L\narg=" + w.db.RetroArchCore + "\narg=--ips\narg=" + w.patchFolder +
                "Game (fixed).ips\narg=--appendconfig=" + run + "/brindle.cfg\narg=" + run +
                "/Game (fixed).fig\ncwd=" + run + "\nentry=Game (fixed).fig -> " + w.romFile +
                "\nentry=brindle.cfg -> \n"
                "savefile_directory = \"" +
                w.dir.Path() + "/my patches\"\nsavestate_directory = \"" + w.dir.Path() +
                "/my patches\"\nsavefiles_in_content_dir = \"false\"\n"
                "savestates_in_content_dir = \"false\"\nsort_savefiles_enable = \"false\"\n"
                "sort_savestates_enable = \"false\"\nsort_savefiles_by_content_enable = \"false\"\n"
                "sort_savestates_by_content_enable = \"false\"\nconfig_save_on_exit = \"false\"\n"
                "history_list_enable = \"false\"\n");
  w.ExpectCleared();

  // Saves left where RetroArch keeps them: no folder lines at all.
  w.db.UseSaveDir = true;
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_EQ(ReadFileBytes(w.record).find("_directory"), std::string::npos);
  w.ExpectCleared();
}

// A patch set: one patch per step under the names of RetroArch's series and no patch flag; a
// step it would not apply as it is (a comment after the end) is a BPS patch of Brindle's making.
TEST(EmulatorPlay, RetroArchIsGivenAPatchSetUnderTheNamesOfItsSeries) {
  EmulatorWorld w;
  w.db.Emulator = "retroarch";
  auto second = std::make_unique<PatchRecord>(*w.db.GetPatch(0));
  second->Filename = w.dir.Write("more/Second.ips", IpsPatch(IpsRecord(16, "fixed"), "Made"));
  w.db.AppendPatch(std::move(second));
  ASSERT_TRUE(
      w.db.AddPatchSet("Game Set", {w.db.GetPatch(0)->Filename, w.dir.File("more/Second.ips")}));
  ASSERT_EQ(w.db.PlayPatchSet(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  const std::string run = w.RunFolder();
  const std::string recorded = ReadFileBytes(w.record);
  EXPECT_EQ(recorded.substr(0, recorded.find("savefile_directory")),
            "arg=-L\narg=" + w.db.RetroArchCore + "\narg=--appendconfig=" + run +
                "/brindle.cfg\narg=" + run + "/Game Set.fig\ncwd=" + run +
                "\nentry=Game Set.bps1 -> \nentry=Game Set.fig -> " + w.romFile +
                "\nentry=Game Set.ips -> " + w.patchFolder +
                "Game (fixed).ips\nentry=brindle.cfg -> \n");
  EXPECT_NE(recorded.find("savefile_directory = \"" + w.dir.Path() + "/my patches\"\n"),
            std::string::npos);
  w.ExpectCleared();
}

TEST(EmulatorPlay, RetroArchRefusesAFolderItsSettingsCannotHoldBeforeAnythingChanges) {
  EXPECT_EQ(CRetroArchEmulator::QuoteValue("/a b/c'd#e"), "\"/a b/c'd#e\"");
  EXPECT_FALSE(CRetroArchEmulator::QuoteValue("/a\"b"));
  EXPECT_FALSE(CRetroArchEmulator::QuoteValue("/a\nb"));

  EmulatorWorld w;
  w.db.Emulator = "retroarch";
  const std::string folder = w.dir.Path() + "/say \"hi\"/";
  w.dir.Write("say \"hi\"/Game (fixed).ips", "PATCHEOF");
  w.db.GetPatch(0)->Filename = folder + "Game (fixed).ips";
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{
                "Error: RetroArch cannot save into the folder \"" + folder +
                "\": its settings have no way to write a folder name with a double quote or a "
                "line break. The patch was not played."});
  EXPECT_FALSE(PathExists(w.record));
  w.ExpectCleared();

  // A patch set's failure names the set; a patch played after it is a patch again.
  auto second = std::make_unique<PatchRecord>(*w.db.GetPatch(0));
  second->Filename = w.dir.Write("say \"hi\"/Second.ips", "PATCHEOF");
  w.db.AppendPatch(std::move(second));
  ASSERT_TRUE(w.db.AddPatchSet("Game Set", {folder + "Game (fixed).ips", folder + "Second.ips"}));
  w.prompt.boxes.clear();
  EXPECT_EQ(w.db.PlayPatchSet(0), 0);
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  const std::vector<std::string> texts = w.prompt.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].substr(texts[0].size() - 41), "line break. The patch set was not played.");
  EXPECT_EQ(texts[1].substr(texts[1].size() - 37), "line break. The patch was not played.");
}

TEST(EmulatorPlay, MednafenFindsThePatchBesideALinkAndReadsAPerGameFileMadeForTheRun) {
  EmulatorWorld w;
  w.db.Emulator = "mednafen";
  ASSERT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  const std::string run = w.RunFolder();
  EXPECT_EQ(ReadFileBytes(w.record),
            "arg=" + run + "/Game (fixed).sfc\ncwd=" + run + "\nentry=Game (fixed).sfc -> " +
                w.romFile + "\nentry=Game (fixed).sfc.ips -> " + w.patchFolder +
                "Game (fixed).ips\n"
                "; Made by Brindle for one play of a patch; removed when it ends.\n"
                "filesys.path_sav " +
                w.dir.Path() + "/my patches\nfilesys.path_state " + w.dir.Path() +
                "/my patches\nfilesys.fname_sav %f.%x\n");
  w.ExpectCleared();

  // One that an earlier play left is Brindle's own and makes way; the user's own stops the play.
  w.db.UseSaveDir = true;
  TempDir::WriteTo(w.gameFile, *CMednafenEmulator::GameSettings(std::string("/old")));
  ASSERT_EQ(w.db.PlayPatch(0), 1);
  EXPECT_NE(ReadFileBytes(w.record).find("removed when it ends.\nfilesys.fname_sav %f.%x\n"),
            std::string::npos);
  w.ExpectCleared();

  TempDir::WriteTo(w.gameFile, "snes.xscale 3\n");
  ::unlink(w.record.c_str());
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.Texts().back(),
            "Error: Mednafen already has a per-game settings file \"" + w.gameFile +
                "\", which Brindle did not make. Brindle does not replace it, so the patch was "
                "not played.\n\nMove that file elsewhere to play this patch with Mednafen.");
  EXPECT_EQ(ReadFileBytes(w.gameFile), "snes.xscale 3\n");
  EXPECT_FALSE(PathExists(w.record));
}

TEST(EmulatorPlay, EachEmulatorIsGivenAPatchItAppliesCorrectlyOrNamesOneThatDoes) {
  EmulatorWorld w;
  const std::string rom(1024, 'R');
  std::string fixed = rom;
  fixed.replace(16, 5, "fixed");
  const std::string served = w.record + ".patch";
  // Plays `bytes` as the patch `name` with `emulator`; what the emulator was given.
  const auto play = [&](const char* emulator, const std::string& name, const std::string& bytes) {
    w.db.Emulator = emulator;
    w.db.GetPatch(0)->Filename = w.dir.Write("my patches/" + name, bytes);
    w.prompt.boxes.clear();
    ::unlink(served.c_str());
    ::unlink(w.record.c_str());
    const int played = w.db.PlayPatch(0);
    w.ExpectCleared();
    return played;
  };
  // The patch the emulator was given, applied to the ROM.
  const auto servedResult = [&](PatchFormat format) {
    std::string data = rom;
    PatchSummary summary;
    std::string error;
    EXPECT_TRUE(ApplyPatch(ReadFileBytes(served), format, data, summary, error)) << error;
    EXPECT_EQ(summary.ipsQuirks, 0u);
    return data;
  };

  const std::string bps = MakeBps(rom, fixed);
  EXPECT_EQ(play("", "Game (fixed).BPS", bps), 0);
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{
                "Error: ZSNES cannot apply the patch \"" + w.patchFolder +
                "Game (fixed).BPS\": it applies IPS patches only.\n\nRetroArch or Mednafen can "
                "play BPS patches: choose one of them in Options, on the emulator page."});
  // RetroArch takes it by its own flag; Mednafen is given an IPS patch of the same effect.
  ASSERT_EQ(play("retroarch", "Game (fixed).BPS", bps), 1);
  EXPECT_NE(ReadFileBytes(w.record).find("arg=--bps\narg=" + w.patchFolder + "Game (fixed).BPS\n"),
            std::string::npos);
  ASSERT_EQ(play("mednafen", "Game (fixed).BPS", bps), 1);
  EXPECT_NE(ReadFileBytes(w.record).find("entry=Game (fixed).sfc.ips -> \n"), std::string::npos);
  EXPECT_EQ(servedResult(PatchFormat::Ips), fixed);

  // An IPS patch with a comment after its end: RetroArch is given a BPS patch made by Brindle.
  const std::string commented = IpsPatch(IpsRecord(16, "fixed"), "Made with care");
  ASSERT_EQ(play("retroarch", "Game (fixed).ips", commented), 1);
  const std::string run = w.RunFolder();
  EXPECT_NE(ReadFileBytes(w.record).find("arg=--bps\narg=" + run + "/Game (fixed).bps\n"),
            std::string::npos);
  EXPECT_EQ(servedResult(PatchFormat::Bps), fixed);
  EXPECT_EQ(ReadFileBytes(w.patchFolder + "Game (fixed).ips"), commented);

  // A record at 0x454F46: ZSNES would stop there, so it refuses, naming those that can play it.
  const std::string late = IpsPatch(IpsRecord(0x454f46, "x") + IpsRecord(16, "fixed"));
  EXPECT_EQ(play("", "Game (fixed).ips", late), 0);
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{"Error: ZSNES would not apply the patch \"" + w.patchFolder +
                                     "Game (fixed).ips\" correctly: it has a record at offset "
                                     "0x454F46, whose offset reads as the end marker "
                                     "\"EOF\".\n\nRetroArch or Mednafen can play it: choose "
                                     "one of them in Options, on the emulator page."});
  ASSERT_EQ(play("mednafen", "Game (fixed).ips", late), 1);
  std::string expected = fixed;
  expected.resize(0x454f47, '\0');
  expected[0x454f46] = 'x';
  EXPECT_EQ(servedResult(PatchFormat::Ips), expected);
}

TEST(EmulatorPlay, AnIpsPatchForTheRomWithoutItsHeaderIsMovedBehindTheHeaderTheFileHas) {
  EmulatorWorld w;  // the ROM file: 1024 bytes "R", installed as one with a copier header
  PatchRecord& patch = *w.db.GetPatch(0);
  patch.SizeWord = 8;  // made for the ROM without a header
  patch.RomSize = "8Mbit (No header)";
  w.dir.Write("my patches/Game (fixed).ips", IpsPatch(IpsRecord(16, "fixed")));
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  EXPECT_EQ(w.prompt.Texts(),
            std::vector<std::string>{"Error: ZSNES would not apply the patch \"" + w.patchFolder +
                                     "Game (fixed).ips\" correctly: it was made for the ROM "
                                     "without the copier header this ROM file has.\n\nRetroArch "
                                     "or Mednafen can play it: choose one of them in Options, on "
                                     "the emulator page."});
  w.ExpectCleared();

  w.db.Emulator = "retroarch";
  ASSERT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  std::string data(1024, 'R');
  PatchSummary summary;
  std::string error;
  ASSERT_TRUE(
      ApplyPatch(ReadFileBytes(w.record + ".patch"), PatchFormat::Bps, data, summary, error))
      << error;
  EXPECT_EQ(data, std::string(512 + 16, 'R') + "fixed" + std::string(1024 - 512 - 16 - 5, 'R'));
  w.ExpectCleared();
}

TEST(EmulatorPlay, RecoveryClearsWhatAKilledPlayMadeAndKeepsWhatIsNotItsOwn) {
  EmulatorWorld w;
  const std::string run = w.runtime + "/brindle-play-x";
  const std::string kept = w.runtime + "/brindle-play-y";
  for (const std::string& folder : {run, kept}) {
    ::mkdir(folder.c_str(), 0700);
    ASSERT_EQ(::symlink(w.romFile.c_str(), (folder + "/Game.sfc").c_str()), 0);
  }
  w.dir.Write("runtime/brindle-play-y/Game.srm", "SAVE");
  const std::string settings = *CMednafenEmulator::GameSettings(std::nullopt);
  TempDir::WriteTo(w.gameFile, settings);
  const std::string changed = w.dir.Write("changed.cfg", "user's own\n");

  // As a play killed after its last step had left them, and one whose emulator saved into its
  // folder.
  for (const std::string& folder : {run, kept}) {
    CPlayJournal journal;
    ASSERT_TRUE(journal.Create(w.journal));
    ASSERT_TRUE(journal.Append(JournalStep::Folder(folder, "Game.sfc/brindle.cfg")));
    ASSERT_TRUE(journal.Append(JournalStep::File(w.gameFile, DigestOfBytes(settings))));
    ASSERT_TRUE(journal.Append(JournalStep::File(changed, DigestOfBytes(settings))));
    ASSERT_TRUE(w.db.RecoverInterruptedPlay());
  }
  ASSERT_EQ(w.prompt.boxes.size(), 2u);
  EXPECT_EQ(w.prompt.Texts()[0],
            "Brindle was interrupted while a patch was playing, before it could put things "
            "back.\n\nThe file \"" +
                changed +
                "\", made for the play, was changed since; it was left as it is.\n"
                "The file \"" +
                w.gameFile + "\", made for the play, was removed.\nThe folder \"" + run +
                "\", made for the play, was removed.");
  EXPECT_NE(w.prompt.Texts()[1].find("The folder \"" + kept +
                                     "\", made for the play, holds files the emulator wrote; it "
                                     "was left in place."),
            std::string::npos);
  EXPECT_FALSE(PathExists(run));
  EXPECT_EQ(ReadFileBytes(kept + "/Game.srm"), "SAVE");
  EXPECT_FALSE(PathExists(kept + "/Game.sfc"));
  EXPECT_EQ(ReadFileBytes(changed), "user's own\n");
  EXPECT_FALSE(PathExists(w.journal));
  EXPECT_EQ(ReadFileBytes(w.romFile), std::string(1024, 'R'));
}
