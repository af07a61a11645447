#pragma once

#include <string>
#include <vector>

#include "patch/PatchFormat.h"

// The emulators the emulator page knows how to start through a command (the other emulator):
// how each is started on a game, and which patch formats it loads from beside the game. Each
// loads `<game base name>.<format>` from the game's folder and names its saves after the game,
// so a link named after the patch beside the patch gives it both.

struct EmulatorPreset {
  const char* name;                     // as the page lists it
  std::vector<const char*> programs;    // its names on PATH, the usual first
  std::vector<const char*> flatpakIds;  // its Flatpak apps, the first installed one offered
  const char* arguments;                // after the program
  std::vector<PatchFormat> formats;
};

/// snes9x, bsnes, Mesen 2, ares and RetroArch, in the order the page lists them.
const std::vector<EmulatorPreset>& EmulatorPresets();

/// A word as a command needs it written: as it is when a shell would take it so, otherwise in
/// single quotes.
std::string QuoteCommandWord(const std::string& word);

/// The preset's command with `program` (a path, or a launcher) and, for RetroArch, `core` (a
/// path or a core's name) in the place of CORE.
std::string PresetCommand(const EmulatorPreset& preset, const std::string& program,
                          const std::string& core = "snes9x");

/// The formats the OtherFormats setting names ("ips,bps,ups", in any case and order); an empty
/// setting is IPS alone.
std::vector<PatchFormat> ParseOtherFormats(const std::string& setting);
/// The setting for a set of formats: empty for IPS alone, "none" for none.
std::string OtherFormatsSetting(const std::vector<PatchFormat>& formats);
