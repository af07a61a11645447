#pragma once

// A ROM, a patch for it and an emulator installation in temporary folders, for tests of the play
// sequence with real files and a real (fake) emulator process.
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "db/CPatchDB.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "play/CPlayJournal.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

inline std::string Md5Of(const std::string& path) {
  std::string output;
  if (RunCommand("md5sum " + ShellQuote(path), &output) != 0)
    return "";
  return output.substr(0, 32);
}

// A ROM, a patch for it and an emulator installation, each in its own folder with blanks in
// its name. The fake emulator records what it saw while it ran into `record`.
struct PlayWorld {
  TempDir dir;
  ScriptedPrompt prompt;
  CPatchDB db{prompt};
  std::string romFile, playName, patchFolder, zsnesDir, config, configBytes, emulator, record,
      journal;
  // How the model names the configuration it read, and its password database while it is used.
  std::string modelConfig;
  std::unique_ptr<ScopedEnv> modelPasswd;

  explicit PlayWorld(const std::string& emulatorExtra = "") {
    romFile = dir.Write("my roms/game.fig", std::string(1024, 'R'));
    playName = dir.File("my roms/Game (fixed).smc");
    patchFolder = dir.Path() + "/my patches/";
    dir.Write("my patches/Game (fixed).ips", "PATCHEOF");
    zsnesDir = dir.Path() + "/zsnes dir/";
    configBytes = "; ZSNES configuration\n";
    for (int i = 0; i < 400; ++i) {
      configBytes +=
          i == 250 ? "SaveDirectory = /home/me/saves\n" : "Key" + std::to_string(i) + "=x\n";
    }
    config = dir.Write("zsnes dir/zsnesw.cfg", configBytes);
    record = dir.File("record.txt");
    journal = dir.File("brindle.play");
    emulator = WriteEmulator("zsnes dir/zsnes w", emulatorExtra);

    db.SetDatabasePath(dir.File("brindle.dat"));
    db.ZSNES = zsnesDir;
    db.ZConfig = config;
    db.ZExecutable = emulator;
    db.IgnoreHash = false;
    db.IgnoreParens = true;

    auto rom = std::make_unique<RomRecord>();
    rom->RomName = "GAME";
    rom->RomSize = "8Mbit";
    rom->SizeWord = 264;
    rom->Filename = romFile;
    rom->RomDigest = Md5Of(romFile);
    db.AppendRom(std::move(rom));
    auto patch = std::make_unique<PatchRecord>();
    patch->PatchName = "Game Fixed";
    patch->Filename = patchFolder + "Game (fixed).ips";
    patch->RomName = "Game";
    patch->RomSize = "8Mbit";
    patch->SizeWord = 264;
    db.AppendPatch(std::move(patch));
  }

  std::string WriteEmulator(const std::string& name, const std::string& extra) {
    const std::string path = dir.Write(name,
                                       "#!/bin/sh\n{\n"
                                       "  echo \"argc=$#\"\n"
                                       "  for a in \"$@\"; do echo \"arg=$a\"; last=$a; done\n"
                                       "  echo \"cwd=$(pwd)\"\n"
                                       "  [ -e \"$last\" ] && echo play=yes || echo play=no\n"
                                       "  [ -e " +
                                           ShellQuote(romFile) +
                                           " ] && echo rom=yes || echo rom=no\n"
                                           "  [ -e " +
                                           ShellQuote(journal) +
                                           " ] && echo journal=yes || echo journal=no\n"
                                           "  echo config:\n"
                                           "  cat " +
                                           ShellQuote(config) +
                                           "\n"
                                           "} > " +
                                           ShellQuote(record) + "\n" + extra);
    ::chmod(path.c_str(), 0755);
    return path;
  }

  // Puts the model of ZSNES in the shell script's place, with `bytes` as its configuration file
  // `name` where that build looks for it: zsnesw.cfg in the emulator's folder, zsnesl.cfg in
  // the .zsnes folder of a home that the model's password database gives this user.
  void UseZsnesModel(const std::string& name, const std::string& bytes) {
    ::unlink(config.c_str());
    configBytes = bytes;
    if (name == "zsnesl.cfg") {
      config = dir.Write("home/.zsnes/zsnesl.cfg", bytes);
      const std::string passwd = dir.Write(
          "passwd", "me:x:" + std::to_string(::getuid()) + ":0::" + dir.Path() + "/home:/bin/sh\n");
      modelPasswd = std::make_unique<ScopedEnv>("ZSNES_MODEL_PASSWD", passwd.c_str());
      modelConfig = config;
    } else {
      config = dir.Write("zsnes dir/" + name, bytes);
      modelConfig = name;
    }
    db.ZConfig = config;
    db.ZExecutable = ZSNES_MODEL_PATH;
    record = zsnesDir + "zsnes-model.txt";
  }

  // What the model records when it finds the played patch in the patch folder.
  std::string ModelApplied(const std::string& lineEnds) const {
    return "config=" + modelConfig + "\nlineends=" + lineEnds + "\nrom=" + playName +
           "\nsave=" + patchFolder + "\nsearch=" + patchFolder + "\nsearch=" + dir.Path() +
           "/my roms/\napply=" + patchFolder + "Game (fixed).ips\n";
  }

  // The configuration as the emulator saw it: the original with the patch folder as its save
  // directory, nothing else changed.
  std::string ConfigDuringPlay() const {
    std::string expected = configBytes;
    const std::string old = "SaveDirectory = /home/me/saves\n";
    const size_t at = expected.find(old);
    if (at != std::string::npos)
      expected.replace(at, old.size(), "SaveDirectory = " + patchFolder + "\n");
    return "config:\n" + expected;
  }

  // A killed process takes a moment to be gone: waits (some seconds at most) until the
  // processes that the journal names have ended.
  void WaitUntilThePlayHasEnded() const {
    CPlayJournal played;
    if (!played.Read(journal))
      return;
    const auto runs = [](const std::optional<ProcessStamp>& stamp) {
      return stamp && IsProcessRunning(*stamp);
    };
    for (int i = 0; i < 500 && (runs(played.Player) || runs(played.Emulator())); ++i)
      ::usleep(10000);
  }

  // Everything is as it was before the play, byte for byte.
  void ExpectPutBack() const {
    EXPECT_TRUE(PathExists(romFile));
    EXPECT_FALSE(PathExists(playName));
    EXPECT_EQ(ReadFileBytes(romFile), std::string(1024, 'R'));
    EXPECT_EQ(ReadFileBytes(config), configBytes);
    EXPECT_FALSE(PathExists(journal));
  }
};
