#pragma once

#include <optional>
#include <string>

#include "play/CRunFolderEmulator.h"

/// Mednafen. It applies "<ROM file name>.ips" from beside the ROM, so the play's folder holds
/// two links named after the patch, to the ROM and to the patch; a per-game settings file, made
/// for the run and removed after it, points its save folders at the patch's folder and names
/// the save after the ROM file alone.
class CMednafenEmulator final : public CRunFolderEmulator {
 public:
  explicit CMednafenEmulator(CPatchDB& db) : CRunFolderEmulator(db) {}

  const char* Name() const override { return "Mednafen"; }
  EmulatorKind Kind() const override { return EmulatorKind::Mednafen; }
  bool Check(const PlayRequest& request) override;
  bool Prepare(PlayJournalFile& journal) override;
  PlayCommand Command() const override;
  PutBackResult PutBack(PlayJournalFile& journal) override { return ClearUp(journal); }

  /// The per-game settings file's bytes; nullopt when the folder cannot be written in it.
  static std::optional<std::string> GameSettings(const std::optional<std::string>& saveFolder);
  /// Whether a per-game settings file's bytes are one that Brindle made.
  static bool IsMadeByBrindle(const std::string& bytes);
  /// Mednafen's own folder: $MEDNAFEN_HOME, or ".mednafen" in the home folder.
  static std::string MednafenHome();

 private:
  /// An IPS patch from the ROM file to the result, the only form Mednafen reads.
  std::optional<ServedPatch> MakeServedPatch(const CheckedPatch& checked) const override;

  PlayRequest m_request;
  std::string m_romName;       // the link to the ROM, named after the patch
  std::string m_gameFile;      // the per-game settings file
  std::string m_gameSettings;  // its bytes
};
