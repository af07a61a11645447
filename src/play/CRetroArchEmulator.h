#pragma once

#include <optional>
#include <string>
#include <vector>

#include "play/CRunFolderEmulator.h"

/// RetroArch with a SNES core (bsnes-mercury). It is given the patch by path and the ROM through
/// a link named after the patch in the play's folder, so that the save takes the patch's name;
/// a configuration file appended for this run alone points its save folders at the patch's
/// folder.
class CRetroArchEmulator final : public CRunFolderEmulator {
 public:
  explicit CRetroArchEmulator(CPatchDB& db) : CRunFolderEmulator(db) {}

  const char* Name() const override { return "RetroArch"; }
  EmulatorKind Kind() const override { return EmulatorKind::RetroArch; }
  bool Check(const PlayRequest& request) override;
  bool Prepare(PlayJournalFile& journal) override;
  PlayCommand Command() const override;
  PutBackResult PutBack(PlayJournalFile& journal) override { return ClearUp(journal); }

  /// The file appended to RetroArch's configuration for one run: the save folders (when the
  /// saves go with the patch) and the settings that keep everything else where it is. nullopt
  /// when the folder cannot be written in RetroArch's configuration.
  static std::optional<std::string> AppendedConfig(const std::optional<std::string>& saveFolder);
  /// A value as RetroArch's configuration files write it: in double quotes, which it has no way
  /// to escape; nullopt for a value with a double quote or a line break.
  static std::optional<std::string> QuoteValue(const std::string& value);

  static constexpr const char* kConfigName = "brindle.cfg";

 private:
  /// A BPS patch from the ROM file to the result.
  std::optional<ServedPatch> MakeServedPatch(const CheckedPatch& checked) const override;
  std::string PatchName() const;
  /// A patch set's patches, one per step under RetroArch's names for a series: a link to the
  /// user's file, or a BPS patch of Brindle's making where RetroArch would not apply that file
  /// correctly as it is.
  void ChooseSeries(const PatchChain& chain);

  struct SeriesPatch {
    std::string name;  // in the play's folder
    std::string link;  // the user's file it leads to; empty for one of Brindle's making
    std::string bytes;
  };
  std::vector<SeriesPatch> m_series;

  PlayRequest m_request;
  std::string m_contentName;  // the ROM in the play's folder, named after the patch
  std::string m_config;       // the appended configuration's bytes
};
