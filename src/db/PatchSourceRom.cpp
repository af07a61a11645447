// Finding the installed ROM that a BPS or UPS patch was made for, by the CRC-32 it carries.
#include "db/CPatchDB.h"
#include "patch/SourceMatch.h"

const RomRecord* CPatchDB::FindPatchSourceRom(const PatchSummary& patch) const {
  if (!patch.HasSource())
    return nullptr;
  const RomRecord* withoutHeader = nullptr;
  for (const auto& rom : m_roms) {
    const SourceMatch match = MatchPatchSource(rom->Filename, patch);
    if (match == SourceMatch::Same)
      return rom.get();
    if (match == SourceMatch::SameWithoutHeader && withoutHeader == nullptr)
      withoutHeader = rom.get();
  }
  return withoutHeader;
}
