// Plays through the other emulator with a stand-in started by the user's command: the link to
// the ROM named after the patch beside it, the names put into the command, and the refusals
// that leave everything as it was.
#include <gtest/gtest.h>

#include "db/EmulatorPresets.h"
#include "patch/PatchApply.h"
#include "patch/PatchReader.h"
#include "platform/Flatpak.h"
#include "play/PlayWorld.h"
#include "support/ArchiveWriter.h"
#include "support/PatchBuilder.h"

namespace {

struct OtherWorld : PlayWorld {
  std::string link;  // the ROM under the patch's name, beside the patch

  OtherWorld() {
    // The stand-in also records where the game it was given leads.
    emulator =
        WriteEmulator("zsnes dir/zsnes w", "readlink \"$last\" >> " + ShellQuote(record) + "\n");
    link = patchFolder + "Game (fixed).fig";
    db.Emulator = "other";
    db.OtherCommand = QuoteCommandWord(emulator) + " --patch=%PATCH% %PATCHDIR% %BASENAME% %ROM%";
  }

  std::string Folder() const { return ListFolder(patchFolder); }

  static std::string ListFolder(const std::string& folder) {
    std::string out;
    RunCommand("ls -A " + ShellQuote(folder), &out);
    return out;
  }
};

}  // namespace

TEST(OtherEmulatorPlay, GetsTheRomAsALinkNamedAfterThePatchBesideItThatGoesAfterwards) {
  OtherWorld w;
  w.dir.Write("my patches/Game (fixed).srm", "save");
  ASSERT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  EXPECT_TRUE(w.prompt.boxes.empty());
  const std::string record = ReadFileBytes(w.record);
  EXPECT_EQ(record.substr(0, record.find("config:")),
            "argc=4\narg=--patch=" + w.patchFolder +
                "Game (fixed).ips\narg=" + w.patchFolder.substr(0, w.patchFolder.size() - 1) +
                "\narg=Game (fixed)\narg=" + w.link +
                "\ncwd=" + w.patchFolder.substr(0, w.patchFolder.size() - 1) +
                "\nplay=yes\nrom=yes\njournal=yes\n");
  EXPECT_EQ(record.substr(record.size() - w.romFile.size() - 1), w.romFile + "\n");
  EXPECT_EQ(w.Folder(), "Game (fixed).ips\nGame (fixed).srm\n");
  EXPECT_FALSE(PathExists(w.journal));

  // A patch whose extension is not in small letters gets a link under the name the emulator
  // looks for, which goes too.
  ::rename((w.patchFolder + "Game (fixed).ips").c_str(),
           (w.patchFolder + "Game (fixed).IPS").c_str());
  w.db.GetPatch(0)->Filename = w.patchFolder + "Game (fixed).IPS";
  w.db.OtherCommand = QuoteCommandWord(w.emulator) + " %ROM%";
  w.dir.Write("my patches/extra", "");
  ASSERT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  EXPECT_NE(ReadFileBytes(w.record).find("arg=" + w.link + "\n"), std::string::npos);
  EXPECT_EQ(w.Folder(), "Game (fixed).IPS\nGame (fixed).srm\nextra\n");

  // A link left by a play cut short goes at the next start, and the user is told what it was.
  ASSERT_TRUE(CreateSymbolicLink(w.romFile, w.link));
  CPlayJournal journal;
  ASSERT_TRUE(journal.Create(w.journal));
  ASSERT_TRUE(journal.Append(JournalStep::Link(w.link, w.romFile)));
  w.prompt.boxes.clear();
  EXPECT_TRUE(w.db.RecoverInterruptedPlay());
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_NE(w.prompt.boxes[0].text.find("The link \"" + w.link +
                                        "\", through which the emulator was given the ROM, was "
                                        "removed."),
            std::string::npos)
      << w.prompt.boxes[0].text;
  EXPECT_FALSE(PathExists(w.link));
}

TEST(OtherEmulatorPlay, ARomKeptInAnArchiveIsUnpackedForThePlayAndTheLinkLeadsToIt) {
  OtherWorld w;
  const std::string zip = w.dir.File("Set #1.zip");
  ASSERT_TRUE(WriteArchive(zip, ArchiveKind::Zip, {{"In #2.sfc", ReadFileBytes(w.romFile)}}));
  w.db.GetRom(0)->Filename = zip + "#In #2.sfc";
  ASSERT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  const std::string record = ReadFileBytes(w.record);
  EXPECT_NE(record.find("arg=" + w.patchFolder + "Game (fixed).sfc\n"), std::string::npos)
      << record;
  // The link led to the unpacked copy in the play's own folder, which is gone with it.
  const std::string copy = record.substr(record.rfind('\n', record.size() - 2) + 1);
  EXPECT_NE(copy.find("/Game (fixed).sfc\n"), std::string::npos) << record;
  EXPECT_EQ(copy.rfind(w.dir.Path(), 0), std::string::npos) << copy;
  EXPECT_FALSE(PathExists(copy.substr(0, copy.size() - 1)));
  EXPECT_EQ(w.Folder(), "Game (fixed).ips\n");
  EXPECT_FALSE(PathExists(w.journal));
}

TEST(OtherEmulatorPlay, RefusesBeforeAnythingChangesAndSaysWhy) {
  OtherWorld w;
  const std::string before = w.Folder();
  const auto refused = [&w, &before](const std::string& expected) {
    w.prompt.boxes.clear();
    EXPECT_EQ(w.db.PlayPatch(0), 0);
    ASSERT_EQ(w.prompt.boxes.size(), 1u);
    EXPECT_NE(w.prompt.boxes[0].text.find(expected), std::string::npos) << w.prompt.boxes[0].text;
    EXPECT_FALSE(PathExists(w.record));
    EXPECT_FALSE(PathExists(w.journal));
  };

  w.db.OtherCommand = QuoteCommandWord(w.emulator) + " %PATCH%";
  refused(
      "The other emulator's command has no %ROM%, which stands for the game Brindle hands "
      "it.\n\nAdd %ROM% to the command in Options, on the emulator page.");
  w.db.OtherCommand = QuoteCommandWord(w.emulator) + " \"%ROM%";
  refused("The other emulator's command cannot be run: a \" is not closed.");
  w.db.OtherCommand = QuoteCommandWord(w.emulator) + " %ROM%";

  // A file under the link's name is the user's: it stays as it is.
  w.dir.Write("my patches/Game (fixed).fig", "mine");
  refused("Brindle gives the emulator the game and the patch as \"" + w.link +
          "\", and a file of that name is already there.");
  EXPECT_EQ(ReadFileBytes(w.link), "mine");
  ::unlink(w.link.c_str());

  // A patch of another format the emulator loads, under the same name.
  w.db.OtherFormats = "ips,bps";
  w.dir.Write("my patches/Game (fixed).bps", "BPS1");
  refused("Beside the patch is \"" + w.patchFolder + "Game (fixed).bps\"");
  ::unlink((w.patchFolder + "Game (fixed).bps").c_str());

  // A format the emulator does not load, with none it loads that Brindle could make instead:
  // refused, naming those that play it.
  w.db.OtherFormats = "ups";
  refused(
      "zsnes w cannot apply the patch \"" + w.patchFolder +
      "Game (fixed).ips\": it applies UPS patches only.\n\nZSNES or RetroArch or Mednafen can "
      "play IPS patches: choose one of them in Options, on the emulator page.\n\nIf it does apply "
      "them, check \"IPS\" beside \"Patches:\" in Options, on the emulator page.");

  // A format it does not load is given to it as a patch of the same effect, made beside the
  // user's for the play.
  w.db.OtherFormats = "bps";
  w.db.OtherCommand = QuoteCommandWord(w.emulator) + " %PATCH% %ROM%";
  EXPECT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  EXPECT_NE(ReadFileBytes(w.record).find("arg=" + w.patchFolder +
                                         "Game (fixed).bps\narg=" + w.link + "\n"),
            std::string::npos);
  EXPECT_EQ(w.Folder(), before);
}

TEST(OtherEmulatorPlay, AFlatpakIsOnlyStartedOnFilesItsSandboxMayRead) {
  OtherWorld w;
  const std::string user = w.dir.Path() + "/flatpak user";
  ScopedEnv userDir("FLATPAK_USER_DIR", user.c_str());
  ScopedEnv systemDir("FLATPAK_SYSTEM_DIR", (w.dir.Path() + "/flatpak system").c_str());
  ScopedEnv home("HOME", w.dir.Path().c_str());
  const std::string app = "com.snes9x.Snes9x";
  const std::string launcher =
      w.dir.Write("flatpak user/exports/bin/" + app, ReadFileBytes(w.emulator));
  ::chmod(launcher.c_str(), 0755);
  const std::string metadata = "flatpak user/app/" + app + "/current/active/metadata";
  w.dir.Write(metadata, "[Application]\nname=" + app +
                            "\n\n[Context]\nfilesystems=xdg-download;"
                            "~/my roms:ro;\n");
  w.db.OtherCommand = QuoteCommandWord(launcher) + " %ROM%";
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].text,
            "Error: " + app + " runs as a Flatpak, whose sandbox may not read \"" +
                w.patchFolder.substr(0, w.patchFolder.size() - 1) +
                "\". It may read: xdg-download, ~/my roms:ro.\n\nKeep the patch and the ROM in a "
                "folder it can read, such as your home folder, or let it read this one with\n\n"
                "flatpak override --user --filesystem='" +
                w.patchFolder.substr(0, w.patchFolder.size() - 1) + "' " + app +
                "\n\nThe patch was not played.");
  EXPECT_FALSE(PathExists(w.record));

  // The user's override lets it read the patches too; only reading them, the game could not
  // save, which the user is asked about.
  w.dir.Write("flatpak user/overrides/" + app, "[Context]\nfilesystems=~/my patches:ro;\n");
  w.prompt.boxes.clear();
  EXPECT_EQ(w.db.PlayPatch(0), 0);
  ASSERT_EQ(w.prompt.boxes.size(), 1u);
  EXPECT_EQ(w.prompt.boxes[0].buttons, BoxButtons::YesNo);
  EXPECT_NE(w.prompt.boxes[0].text.find("may read the patch's folder"), std::string::npos);
  EXPECT_FALSE(PathExists(w.record));
  w.prompt.answers = {BoxAnswer::Yes};
  EXPECT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  w.dir.Write("flatpak user/overrides/" + app, "[Context]\nfilesystems=~/my patches;\n");
  w.prompt.boxes.clear();
  EXPECT_EQ(w.db.PlayPatch(0), 1) << ::testing::PrintToString(w.prompt.Texts());
  EXPECT_TRUE(w.prompt.boxes.empty());
  EXPECT_EQ(FlatpakAppOfCommand({"/usr/bin/flatpak", "run", "--branch=stable", app, "%ROM%"}), app);
  EXPECT_EQ(FlatpakAppOfCommand({launcher + "x/y"}), "");
}

TEST(OtherEmulatorPlay, SandboxRulesForTheFoldersFlatpakShares) {
  const std::string home = "/home/me";
  const auto mayRead = [&home](const std::vector<std::string>& fs, const std::string& path) {
    return FlatpakAccessTo(fs, "org.x.Emu", path, home) != FlatpakAccess::None;
  };
  EXPECT_EQ(FlatpakAccessTo({"home:ro", "~/Games"}, "x", "/home/me/Games/a", home),
            FlatpakAccess::ReadWrite);
  EXPECT_EQ(FlatpakAccessTo({"home:ro"}, "x", "/home/me/Games/a", home), FlatpakAccess::Read);
  EXPECT_TRUE(mayRead({"home"}, "/home/me/Games/a.sfc"));
  EXPECT_FALSE(mayRead({"home"}, "/home/meow/a.sfc"));
  EXPECT_FALSE(mayRead({"home:ro"}, "/tmp/a.sfc"));
  EXPECT_TRUE(mayRead({}, "/home/me/.var/app/org.x.Emu/data/a.sfc"));
  // host is everything but the sandbox's own folders: not /tmp, nor /run but /run/media.
  EXPECT_TRUE(mayRead({"host"}, "/mnt/games/a.sfc"));
  EXPECT_TRUE(mayRead({"host"}, "/run/media/me/USB/a.sfc"));
  EXPECT_FALSE(mayRead({"host"}, "/tmp/a.sfc"));
  EXPECT_FALSE(mayRead({"host"}, "/run/user/1000/a.sfc"));
  TempDir config;
  ScopedEnv configHome("XDG_CONFIG_HOME", config.Path().c_str());
  EXPECT_TRUE(mayRead({"/media", "xdg-download/roms"}, "/home/me/Downloads/roms/a.sfc"));
  config.Write("user-dirs.dirs",
               "# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR=\"$HOME/"
               "Telechargements\"\n");
  EXPECT_TRUE(mayRead({"xdg-download"}, "/home/me/Telechargements/a.sfc"));
  EXPECT_FALSE(mayRead({"xdg-download"}, "/home/me/Downloads/a.sfc"));
  EXPECT_FALSE(mayRead({"xdg-download/roms"}, "/home/me/Downloads/a.sfc"));
  EXPECT_TRUE(mayRead({"/media"}, "/media/disk/a.sfc"));
  EXPECT_FALSE(mayRead({"!home"}, "/home/me/a.sfc"));
}

// A patch set is given as one patch of what the whole set makes, beside its first patch: BPS
// where the emulator loads BPS, otherwise IPS.
TEST(OtherEmulatorPlay, GetsAPatchSetAsOnePatchOfItsResultNamedAfterTheSet) {
  OtherWorld w;
  w.dir.Write("my patches/Game (fixed).ips", IpsPatch(IpsRecord(16, "AB")));
  auto second = std::make_unique<PatchRecord>(*w.db.GetPatch(0));
  second->Filename = w.dir.Write("more/Second.ips", IpsPatch(IpsRecord(17, "C")));
  w.db.AppendPatch(std::move(second));
  ASSERT_TRUE(
      w.db.AddPatchSet("Game Set", {w.db.GetPatch(0)->Filename, w.dir.File("more/Second.ips")}));
  w.WriteEmulator("zsnes dir/zsnes w", "cp \"$1\" " + ShellQuote(w.dir.File("served")) + "\n");
  std::string result(1024, 'R');
  result.replace(16, 2, "AC");
  for (const auto& [formats, served] :
       {std::pair{"", "Game Set.ips"}, std::pair{"ips,bps", "Game Set.bps"}}) {
    w.db.OtherFormats = formats;
    w.db.OtherCommand = QuoteCommandWord(w.emulator) + " %PATCH% %ROM%";
    ASSERT_EQ(w.db.PlayPatchSet(0), 1) << ::testing::PrintToString(w.prompt.Texts());
    EXPECT_NE(ReadFileBytes(w.record).find("arg=" + w.patchFolder + served +
                                           "\narg=" + w.patchFolder + "Game Set.fig\n"),
              std::string::npos)
        << ReadFileBytes(w.record);
    std::string made(1024, 'R'), error;
    PatchSummary summary;
    EXPECT_TRUE(ApplyPatch(ReadFileBytes(w.dir.File("served")), PatchFormatOfFile(served), made,
                           summary, error))
        << error;
    EXPECT_EQ(made, result);
    EXPECT_EQ(w.Folder(), "Game (fixed).ips\n");
  }
}
