#include "db/RomInfoForm.h"

#include "db/CPatchDB.h"

void ApplyRomInfo(const RomInfoForm& form, RomRecord& rom) {
  rom.ForcedName = form.ForcedName;
  if (!form.ForcedName.empty())
    rom.UseForcedName = form.UseForcedName;
  // The form shows an unreadable file's text in red; storing it would make every later play
  // report a wrong digest for a ROM that may well be fine.
  if (form.RomDigest != CPatchDB::kInvalidFileHashText)
    rom.RomDigest = form.RomDigest;
}
