#include "play/PatchCheck.h"

#include "patch/PatchReader.h"
#include "patch/ReaderText.h"
#include "patch/SourceMatch.h"

namespace {

bool CheckPatchSource(CPatchDB& db, const PatchRecord& patch, const PatchSummary& summary,
                      const RomRecord& rom) {
  std::string error;
  switch (MatchPatchSource(rom.Filename, summary, &error)) {
    case SourceMatch::Same:
      return true;
    case SourceMatch::SameWithoutHeader:
      // The emulator patches the file as it is: the patch's offsets would all be 512 bytes off.
      db.ReportError(rom.Filename + "\n\nThis ROM has a 512-byte copier header, and the patch \"" +
                     patch.PatchName +
                     "\" was made for the ROM without it. The emulator would apply the patch to "
                     "the whole file, header included, and the game would not work.\n\nInstall a "
                     "copy of this ROM without its header to play this patch.");
      return false;
    case SourceMatch::Other:
      db.ReportError(rom.Filename + "\n\nThis ROM is not the one the patch \"" + patch.PatchName +
                     "\" was made for: that ROM has " + ByteCount(summary.sourceSize) +
                     " and the CRC-32 " + CrcText(summary.sourceCrc) + ".");
      return false;
    case SourceMatch::Unreadable:
      break;
  }
  db.ReportError(rom.Filename + "\n\nThe ROM file could not be read (" + error + ").");
  return false;
}

}  // namespace

bool CheckPatchForRom(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom) {
  PatchSummary summary;
  std::string problem;
  if (!ReadPatchFile(patch.Filename, summary, problem)) {
    db.ReportError("The patch \"" + patch.PatchName + "\" cannot be played:\n" + patch.Filename +
                   "\n\n" + problem);
    return false;
  }
  return !summary.HasSource() || CheckPatchSource(db, patch, summary, rom);
}
