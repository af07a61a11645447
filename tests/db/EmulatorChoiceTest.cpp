#include "db/EmulatorChoice.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "db/CPatchDB.h"
#include "db/EmulatorPresets.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

TEST(EmulatorSettings, WrittenAfterTheOthersOnlyWhenSetSoOlderFilesGoBackAsTheyWere) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  const std::string older =
      "[vars]\r\nZSNES=/z/\r\nZSNESVer=zsnesl\r\nZConfig=/c\r\nZExecutable=/z/zsnes\r\n"
      "UseSaveDir=0\r\nIgnoreHash=0\r\nIgnoreParens=1\r\nAllowEdit=0\r\nRegisterAtStartup=1\r\n"
      "AlwaysOpenGUI=0\r\nWindowBackground=%app%/EarthBound.bmp\r\nGridLines=0\r\nFileIcon=1\r\n"
      "Transition=1\r\nTransSpeed=60\r\n";
  db.LoadBytes(older);
  const std::string written = db.Serialize();
  EXPECT_EQ(written.substr(0, older.size() + 2), older + "\r\n");
  EXPECT_EQ(ChosenEmulator(db), EmulatorKind::Zsnes);

  db.LoadBytes(
      "[vars]\r\nmednafen=/usr/games/mednafen\r\nEMULATOR=retroarch\r\n"
      "RetroArchCore=/c.so\r\n");
  EXPECT_TRUE(prompt.boxes.empty());
  const std::string out = db.Serialize();
  EXPECT_NE(out.find("TransSpeed=60\r\nEmulator=retroarch\r\nRetroArchCore=/c.so\r\n"
                     "Mednafen=/usr/games/mednafen\r\n\r\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(ChosenEmulator(db), EmulatorKind::RetroArch);
  EXPECT_FALSE(IsEmulatorSetUp(db));  // no program yet
  db.RetroArch = "retroarch";
  EXPECT_TRUE(IsEmulatorSetUp(db));

  // An emulator this version does not know plays with ZSNES, as an unknown build shows the first.
  for (const char* value : {"", "zsnes", "RetroArch", "snes9x"}) {
    db.Emulator = value;
    EXPECT_EQ(ChosenEmulator(db), EmulatorKind::Zsnes) << value;
  }
}

TEST(EmulatorSettings, ThePageOffersWhatIsInstalledAndKeepsTheOtherEmulatorsSettings) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  InstalledEmulators installed{
      "", "/usr/bin/retroarch", {"/l/balanced.so", "/l/accuracy.so"}, "/usr/games/mednafen", {}};
  // Nothing set up and no ZSNES: the first of the others that is there.
  EmulatorForm form = ReadEmulatorForm(db, installed);
  EXPECT_EQ(form.emulator, EmulatorKind::RetroArch);
  EXPECT_EQ(form.retroArch, "/usr/bin/retroarch");
  EXPECT_EQ(form.retroArchCore, "/l/balanced.so");
  EXPECT_EQ(form.mednafen, "/usr/games/mednafen");
  installed.cores.clear();
  EXPECT_EQ(ReadEmulatorForm(db, installed).emulator, EmulatorKind::Mednafen);
  installed.zsnes = "/usr/games/zsnes";
  EXPECT_EQ(ReadEmulatorForm(db, installed).emulator, EmulatorKind::Zsnes);
  db.ZSNES = "/opt/zsnes/";
  installed.zsnes.clear();
  EXPECT_EQ(ReadEmulatorForm(db, installed).emulator, EmulatorKind::Zsnes);

  // Choosing Mednafen stores its program; RetroArch's settings stay unless they were edited.
  db.RetroArch = "/opt/ra";
  form = ReadEmulatorForm(db, installed);
  EXPECT_EQ(form.retroArch, "/opt/ra");
  form.emulator = EmulatorKind::Mednafen;
  form.retroArch = "/elsewhere";
  ApplyEmulatorForm(form, {false, false, false}, db);
  EXPECT_EQ(db.Emulator, "mednafen");
  EXPECT_EQ(db.Mednafen, "/usr/games/mednafen");
  EXPECT_EQ(db.RetroArch, "/opt/ra");
  EXPECT_EQ(db.ZSNES, "/opt/zsnes/");
  ApplyEmulatorForm(form, {false, true, false}, db);
  EXPECT_EQ(db.RetroArch, "/elsewhere");

  // Back to ZSNES: a value that already meant ZSNES is kept as it was.
  db.Emulator = "";
  form.emulator = EmulatorKind::Zsnes;
  ApplyEmulatorForm(form, {false, false, false}, db);
  EXPECT_EQ(db.Emulator, "");
  db.Emulator = "mednafen";
  ApplyEmulatorForm(form, {false, false, false}, db);
  EXPECT_EQ(db.Emulator, "zsnes");
}

TEST(EmulatorSettings, TheOtherEmulatorsCommandFormatsAndPresetsFoundOnPathOrAsFlatpaks) {
  ScriptedPrompt prompt;
  CPatchDB db(prompt);
  db.LoadBytes(
      "[vars]\r\nOtherFormats=BPS, ips\r\nEmulator=other\r\nOtherCommand=snes9x %ROM%\r\n");
  EXPECT_EQ(ChosenEmulator(db), EmulatorKind::Other);
  EXPECT_TRUE(IsEmulatorSetUp(db));
  EXPECT_NE(db.Serialize().find("Emulator=other\r\nOtherCommand=snes9x %ROM%\r\n"
                                "OtherFormats=BPS, ips\r\n\r\n"),
            std::string::npos);
  EXPECT_EQ(ParseOtherFormats("BPS, ips"), (std::vector{PatchFormat::Ips, PatchFormat::Bps}));
  EXPECT_EQ(ParseOtherFormats(""), std::vector{PatchFormat::Ips});
  EXPECT_EQ(OtherFormatsSetting({PatchFormat::Ips}), "");
  EXPECT_EQ(OtherFormatsSetting({PatchFormat::Ups, PatchFormat::Ips}), "ips,ups");
  EXPECT_EQ(OtherFormatsSetting({}), "none");
  EXPECT_TRUE(ParseOtherFormats("none").empty());

  // Presets are found on PATH first, then as the launchers Flatpak exports (the user's first).
  TempDir dir;
  const auto executable = [&dir](const std::string& name) {
    ::chmod(dir.Write(name, "#!/bin/sh\n").c_str(), 0755);
  };
  executable("bin/bsnes");
  executable("user/exports/bin/com.snes9x.Snes9x");
  executable("system/exports/bin/com.snes9x.Snes9x");
  executable("system/exports/bin/dev.ares.ares");
  ScopedEnv path("PATH", dir.File("bin").c_str());
  ScopedEnv user("FLATPAK_USER_DIR", dir.File("user").c_str());
  ScopedEnv system("FLATPAK_SYSTEM_DIR", dir.File("system").c_str());
  const InstalledEmulators installed = FindInstalledEmulators();
  EXPECT_EQ(installed.presetCommands,
            (std::vector<std::string>{
                QuoteCommandWord(dir.File("user/exports/bin/com.snes9x.Snes9x")) + " %ROM%",
                QuoteCommandWord(dir.File("bin/bsnes")) + " %ROM%", "",
                QuoteCommandWord(dir.File("system/exports/bin/dev.ares.ares")) +
                    " --system \"Super Famicom\" %ROM%",
                ""}));
  EXPECT_EQ(QuoteCommandWord("/a b/it's"), "'/a b/it'\\''s'");

  // A first run with none of ZSNES, RetroArch and Mednafen takes the first preset found.
  CPatchDB fresh(prompt);
  EmulatorForm form = ReadEmulatorForm(fresh, installed);
  EXPECT_EQ(form.emulator, EmulatorKind::Other);
  EXPECT_EQ(form.otherCommand, installed.presetCommands[0]);
  EXPECT_EQ(form.otherFormats, "ips,bps,ups");
  ApplyEmulatorForm(form, {}, fresh);
  EXPECT_EQ(fresh.Emulator, "other");
  EXPECT_EQ(fresh.OtherCommand, installed.presetCommands[0]);
  // Another emulator chosen, an empty command is still offered the preset found.
  fresh.Emulator = "mednafen";
  fresh.OtherCommand.clear();
  form = ReadEmulatorForm(fresh, installed);
  EXPECT_EQ(form.emulator, EmulatorKind::Mednafen);
  EXPECT_EQ(form.otherCommand, installed.presetCommands[0]);
}
