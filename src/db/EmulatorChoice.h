#pragma once

#include <string>
#include <vector>

class CPatchDB;

// Which emulator plays the patches (the Emulator setting), and the emulator page's choice of it
// with the settings of RetroArch and Mednafen. ZSNES's own settings are in ZsnesSettings.h.

/// In the order the emulator page lists them.
enum class EmulatorKind { Zsnes = 0, RetroArch = 1, Mednafen = 2 };
inline constexpr int kEmulatorCount = 3;

/// The Emulator setting's value: "retroarch" and "mednafen" choose those; "", "zsnes" and
/// anything unknown choose ZSNES.
EmulatorKind ChosenEmulator(const CPatchDB& db);
/// The value the Emulator setting stores for a kind.
const char* EmulatorSettingValue(EmulatorKind kind);
/// The name messages use.
const char* EmulatorName(EmulatorKind kind);

/// What an emulator needs set up, in words for messages: "its program and core" for RetroArch,
/// "its program" for Mednafen, "its installation directory" for ZSNES.
const char* EmulatorSetUpWords(EmulatorKind kind);

/// Whether the chosen emulator has what it needs to start: for ZSNES an installation
/// directory, for RetroArch its program and core, for Mednafen its program.
bool IsEmulatorSetUp(const CPatchDB& db);

/// What is installed on this system, as far as the emulator page offers it.
struct InstalledEmulators {
  std::string zsnes;
  std::string retroArch;
  std::vector<std::string> cores;  // the bsnes-mercury cores, the balanced one first
  std::string mednafen;
};

/// The emulator page's choice and the RetroArch and Mednafen fields.
struct EmulatorForm {
  EmulatorKind emulator = EmulatorKind::Zsnes;
  std::string retroArch;
  std::string retroArchCore;
  std::string mednafen;
};

/// The settings as the page shows them. Empty fields are filled from what is installed; with
/// nothing set up yet, the first emulator installed of ZSNES, RetroArch (with a core) and
/// Mednafen is chosen.
EmulatorForm ReadEmulatorForm(const CPatchDB& db, const InstalledEmulators& installed);
/// Stores the choice, and the fields of the chosen emulator and of those whose fields the user
/// changed (`edited`, by kind); the other emulators keep their settings.
void ApplyEmulatorForm(const EmulatorForm& form, const bool (&edited)[kEmulatorCount],
                       CPatchDB& db);

/// What this system has installed: zsnes, retroarch and mednafen on PATH (Debian's users have
/// /usr/games, where mednafen is, on theirs), and the bsnes-mercury cores.
InstalledEmulators FindInstalledEmulators();
