// The checks of a patch set's play: its patches found and applied in turn in memory.
#include "platform/Path.h"
#include "play/CPatchPlayer.h"
#include "play/PatchChain.h"

bool CPatchPlayer::CheckSet(int setIndex) {
  const PatchSetRecord* set = m_db.GetSet(setIndex);
  if (set == nullptr) {
    ReportError("Specified patch set index out of bounds.");
    return false;
  }
  m_chain = std::make_unique<PatchChain>();
  PatchChain& chain = *m_chain;
  if (!FindSetPatches(m_db, *set, chain.patches))
    return false;
  // Only RetroArch is given the patches one by one; every other emulator gets one patch made
  // for the play, which the other emulator must be able to load.
  const EmulatorKind kind = m_emulator->Kind();
  if (kind == EmulatorKind::Other && !EmulatorTakesServedPatch(m_db, kind)) {
    ReportError(std::string(m_emulator->Name()) + " cannot play the patch set \"" + set->SetName +
                "\": Brindle gives it a set as one IPS or BPS patch, and it is set to apply "
                "neither.\n\nIf it does apply them, check \"IPS\" or \"BPS\" beside \"Patches:\" "
                "in Options, on the emulator page.");
    return false;
  }
  bool allIps = true;
  for (const PatchRecord* patch : chain.patches)
    allIps &= PatchTypeOf(patch->Filename) == PatchType::Ips;
  bool headerFlip = false;
  if (!FindRomFor(set->RomName, set->SizeWord, set->RomSize, set->SetName, allIps, headerFlip))
    return false;
  if (!ReadCheckedRom(*m_request.rom, chain.whole.rom) ||
      !CheckSetForRom(m_db, *set, *m_request.rom, headerFlip, chain)) {
    return false;
  }
  const PatchRecord& first = *chain.patches.front();
  m_request.patch = &first;
  m_request.type = PatchTypeOf(first.Filename);
  m_request.checked = &chain.whole;
  m_request.set = set;
  m_request.chain = &chain;
  // The set's saves, named after it, go with its first patch.
  m_request.patchFolder = FolderOf(first.Filename);
  m_request.baseName = set->SetName;
  m_request.savesWithPatch = !m_db.UseSaveDir;
  return CheckNoUnfinishedPlay() && m_emulator->Check(m_request);
}
