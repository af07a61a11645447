#pragma once

#include <string>

#include "db/CPatchDB.h"
#include "play/PatchForms.h"

/// Checks, before a play changes anything, that the patch file still reads as the patch it was
/// installed as and, for BPS and UPS, that the ROM file is the one the patch was made for (its
/// CRC-32 is the patch's source CRC-32, with or without a copier header); then applies it in
/// memory to the ROM file's bytes and checks the result. False after a message through the
/// database's prompt.
/// `headerFlip`: the IPS patch was made for the ROM with a copier header where the file has none,
/// or the other way round (the patch's size word says which); its offsets are moved to fit.
bool CheckPatchForRom(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom,
                      CheckedPatch& checked, bool headerFlip = false);

/// Which patch of a set is applied, for the messages.
struct SetStep {
  std::string setName;
  size_t index = 0;  // from 0
  size_t count = 0;
};

/// The ROM's bytes, from its file or its archive; false after a message.
bool ReadRomForPlay(CPatchDB& db, const RomRecord& rom, std::string& bytes);
/// CheckPatchForRom for bytes already in `checked.rom`: the ROM file's, or for a patch of a set
/// what the patches before it made of them (`step` says which patch of which set it is).
bool ApplyPatchInMemory(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom,
                        CheckedPatch& checked, bool headerFlip, const SetStep* step);

/// The largest ROM file a patch is applied to in memory: far beyond any SNES game.
inline constexpr int64_t kMaxPatchedRomBytes = 32 << 20;
