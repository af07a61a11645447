#include "db/EmulatorChoice.h"

#include "db/CPatchDB.h"
#include "db/EmulatorPresets.h"
#include "platform/Flatpak.h"
#include "platform/InstalledPrograms.h"
#include "platform/Process.h"

namespace {

constexpr const char* kSettingValues[kEmulatorCount] = {"zsnes", "retroarch", "mednafen", "other"};
constexpr const char* kNames[kEmulatorCount] = {"ZSNES", "RetroArch", "Mednafen",
                                                "the other emulator"};

bool Chosen(const bool (&edited)[kEmulatorCount], const EmulatorForm& form, EmulatorKind kind) {
  return form.emulator == kind || edited[static_cast<int>(kind)];
}

}  // namespace

EmulatorKind ChosenEmulator(const CPatchDB& db) {
  for (int i = 0; i < kEmulatorCount; ++i) {
    if (db.Emulator == kSettingValues[i])
      return static_cast<EmulatorKind>(i);
  }
  return EmulatorKind::Zsnes;
}

const char* EmulatorSettingValue(EmulatorKind kind) {
  return kSettingValues[static_cast<int>(kind)];
}

const char* EmulatorName(EmulatorKind kind) {
  return kNames[static_cast<int>(kind)];
}

const char* EmulatorSetUpWords(EmulatorKind kind) {
  switch (kind) {
    case EmulatorKind::RetroArch:
      return "its program and core";
    case EmulatorKind::Mednafen:
      return "its program";
    case EmulatorKind::Other:
      return "its command";
    case EmulatorKind::Zsnes:
      break;
  }
  return "its installation directory";
}

bool IsEmulatorSetUp(const CPatchDB& db) {
  switch (ChosenEmulator(db)) {
    case EmulatorKind::RetroArch:
      return !db.RetroArch.empty() && !db.RetroArchCore.empty();
    case EmulatorKind::Mednafen:
      return !db.Mednafen.empty();
    case EmulatorKind::Other:
      return !db.OtherCommand.empty();
    case EmulatorKind::Zsnes:
      break;
  }
  return !db.ZSNES.empty();
}

EmulatorForm ReadEmulatorForm(const CPatchDB& db, const InstalledEmulators& installed) {
  EmulatorForm form;
  form.emulator = ChosenEmulator(db);
  form.retroArch = db.RetroArch.empty() ? installed.retroArch : db.RetroArch;
  form.retroArchCore = db.RetroArchCore;
  if (form.retroArchCore.empty() && !installed.cores.empty())
    form.retroArchCore = installed.cores.front();
  form.mednafen = db.Mednafen.empty() ? installed.mednafen : db.Mednafen;
  form.otherCommand = db.OtherCommand;
  form.otherFormats = db.OtherFormats;
  // No command yet: the first preset found, with its formats.
  bool presetFound = false;
  const auto& presets = EmulatorPresets();
  for (size_t i = 0;
       form.otherCommand.empty() && i < installed.presetCommands.size() && i < presets.size();
       ++i) {
    if (!installed.presetCommands[i].empty()) {
      form.otherCommand = installed.presetCommands[i];
      form.otherFormats = OtherFormatsSetting(presets[i].formats);
      presetFound = true;
    }
  }
  if (db.Emulator.empty() && db.ZSNES.empty() && installed.zsnes.empty()) {
    if (!installed.retroArch.empty() && !installed.cores.empty())
      form.emulator = EmulatorKind::RetroArch;
    else if (!installed.mednafen.empty())
      form.emulator = EmulatorKind::Mednafen;
    else if (presetFound)
      form.emulator = EmulatorKind::Other;
  }
  return form;
}

void ApplyEmulatorForm(const EmulatorForm& form, const bool (&edited)[kEmulatorCount],
                       CPatchDB& db) {
  // "" and "zsnes" (and any value this version does not know) all choose ZSNES: such a value
  // stays as it was while ZSNES stays chosen.
  if (ChosenEmulator(db) != form.emulator)
    db.Emulator = EmulatorSettingValue(form.emulator);
  if (Chosen(edited, form, EmulatorKind::RetroArch)) {
    db.RetroArch = form.retroArch;
    db.RetroArchCore = form.retroArchCore;
  }
  if (Chosen(edited, form, EmulatorKind::Mednafen))
    db.Mednafen = form.mednafen;
  if (Chosen(edited, form, EmulatorKind::Other)) {
    db.OtherCommand = form.otherCommand;
    db.OtherFormats = form.otherFormats;
  }
}

InstalledEmulators FindInstalledEmulators() {
  InstalledEmulators installed;
  installed.zsnes = FindProgramInPath("zsnes");
  installed.retroArch = FindProgramInPath("retroarch");
  installed.cores =
      FindLibretroCores({"bsnes_mercury_balanced_libretro.so", "bsnes_mercury_accuracy_libretro.so",
                         "bsnes_mercury_performance_libretro.so"});
  installed.mednafen = FindProgramInPath("mednafen");
  for (const EmulatorPreset& preset : EmulatorPresets()) {
    std::string program;
    for (const char* name : preset.programs) {
      if (program.empty())
        program = FindProgramInPath(name);
    }
    const bool onPath = !program.empty();
    for (const char* app : preset.flatpakIds) {
      if (program.empty())
        program = FindFlatpakLauncher(app);
    }
    // A core named without a path is looked for in RetroArch's own core folder, the only one a
    // Flatpak's sandbox sees.
    const std::string core =
        onPath && !installed.cores.empty() ? installed.cores.front() : std::string("snes9x");
    installed.presetCommands.push_back(program.empty() ? std::string()
                                                       : PresetCommand(preset, program, core));
  }
  return installed;
}
