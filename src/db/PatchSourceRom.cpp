// Finding the installed ROM that a BPS or UPS patch was made for, by the CRC-32 it carries.
#include "db/CPatchDB.h"
#include "patch/Crc32.h"
#include "patch/PatchApply.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"
#include "patch/SourceMatch.h"
#include "platform/FileSystem.h"

const RomRecord* CPatchDB::FindPatchSourceRom(const PatchSummary& patch) const {
  if (!patch.HasSource())
    return nullptr;
  const RomRecord* withoutHeader = nullptr;
  for (const auto& rom : m_roms) {
    const SourceMatch match = MatchPatchSource(rom->Filename, patch);
    if (match == SourceMatch::Same)
      return rom;
    if (match == SourceMatch::SameWithoutHeader && withoutHeader == nullptr)
      withoutHeader = rom;
  }
  return withoutHeader;
}

std::string CPatchDB::WrongPatchResult(const std::string& bytes, const PatchSummary& patch,
                                       const RomRecord& rom) {
  std::string source;
  if (!ReadWholeFile(rom.Filename, source, nullptr, CFile::Mode::Read, kMaxPatchResultBytes))
    return {};  // it was read a moment ago; a play will say what is wrong with it
  PatchTarget target(source, true);
  PatchSummary summary;
  std::string error;
  if (!ReadPatch(bytes, patch.format, summary, error, &target))
    return {};
  const uint32_t crc = Crc32(target.Result());
  if (crc == summary.targetCrc)
    return {};
  return "Applied to the ROM it was made for (" + rom.Filename +
         "), the patch does not give what it should: the file it makes has the CRC-32 " +
         CrcText(crc) + ", where the patch says " + CrcText(summary.targetCrc) +
         ". No emulator would play it correctly.";
}
