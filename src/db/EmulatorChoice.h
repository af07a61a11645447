#pragma once

#include <string>
#include <vector>

class CPatchDB;

// Which emulator plays the patches (the Emulator setting), and the emulator page's choice of it
// with the settings of RetroArch and Mednafen. ZSNES's own settings are in ZsnesSettings.h.

/// In the order the emulator page lists them. Other is any emulator started by a command of the
/// user's (OtherCommand).
enum class EmulatorKind { Zsnes = 0, RetroArch = 1, Mednafen = 2, Other = 3 };
inline constexpr int kEmulatorCount = 4;

/// The Emulator setting's value: "retroarch", "mednafen" and "other" choose those; "", "zsnes"
/// and anything unknown choose ZSNES.
EmulatorKind ChosenEmulator(const CPatchDB& db);
/// The value the Emulator setting stores for a kind.
const char* EmulatorSettingValue(EmulatorKind kind);
/// The name messages use, within a sentence ("the other emulator" for Other).
const char* EmulatorName(EmulatorKind kind);

/// What an emulator needs set up, in words for messages: "its program and core" for RetroArch,
/// "its program" for Mednafen, "its command" for the other emulator, "its installation directory"
/// for ZSNES.
const char* EmulatorSetUpWords(EmulatorKind kind);

/// Whether the chosen emulator has what it needs to start: for ZSNES an installation
/// directory, for RetroArch its program and core, for Mednafen its program, for the other
/// emulator its command.
bool IsEmulatorSetUp(const CPatchDB& db);

/// What is installed on this system, as far as the emulator page offers it.
struct InstalledEmulators {
  std::string zsnes;
  std::string retroArch;
  std::vector<std::string> cores;  // the bsnes-mercury cores, the balanced one first
  std::string mednafen;
  /// The command of each preset of the other emulator (by index in EmulatorPresets()), filled
  /// from where it was found; empty where it was not.
  std::vector<std::string> presetCommands;
};

/// The emulator page's choice and the RetroArch and Mednafen fields.
struct EmulatorForm {
  EmulatorKind emulator = EmulatorKind::Zsnes;
  std::string retroArch;
  std::string retroArchCore;
  std::string mednafen;
  std::string otherCommand;
  std::string otherFormats;  // as the OtherFormats setting keeps them
};

/// The settings as the page shows them. Empty fields are filled from what is installed (an empty
/// command from the first preset found, with its formats); with nothing set up yet, the first
/// emulator installed of ZSNES, RetroArch (with a core) and Mednafen is chosen, and failing those
/// the other emulator, when a preset was found.
EmulatorForm ReadEmulatorForm(const CPatchDB& db, const InstalledEmulators& installed);
/// Stores the choice, and the fields of the chosen emulator and of those whose fields the user
/// changed (`edited`, by kind); the other emulators keep their settings.
void ApplyEmulatorForm(const EmulatorForm& form, const bool (&edited)[kEmulatorCount],
                       CPatchDB& db);

/// What this system has installed: zsnes, retroarch and mednafen on PATH (Debian's users have
/// /usr/games, where mednafen is, on theirs), the bsnes-mercury cores, and the presets of the
/// other emulator on PATH or as Flatpaks.
InstalledEmulators FindInstalledEmulators();
