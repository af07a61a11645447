#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/CPatchDB.h"
#include "play/PatchForms.h"

// A patch set played as one entry: its patches applied in memory one after another to the ROM
// file's bytes, each checked against what the ones before it made, before anything changes.

struct PatchChain {
  std::vector<const PatchRecord*> patches;  // in the order they are applied
  std::vector<CheckedPatch> steps;          // each applied to the result of the one before
  CheckedPatch whole;                       // the ROM file's bytes and what the set makes of them
};

/// The installed patches the set names, in its order; false after a message naming the set and
/// the first path that is no longer an installed patch.
bool FindSetPatches(CPatchDB& db, const PatchSetRecord& set,
                    std::vector<const PatchRecord*>& patches);

/// Applies to the ROM file's bytes, read into `chain.whole.rom`, each of `chain.patches` in turn
/// (IPS patches moved to fit the ROM's copier header when `headerFlip`). False after a message
/// naming the patch that stops it and the set.
bool CheckSetForRom(CPatchDB& db, const PatchSetRecord& set, const RomRecord& rom, bool headerFlip,
                    PatchChain& chain);

/// The name under which RetroArch finds the patch at `index` of a series beside a game named
/// `base`: "base.ips" (or .bps, .ups) for the first, then "base.ips1", "base.bps2", ...
std::string SeriesPatchName(const std::string& base, PatchFormat format, size_t index);
/// RetroArch reads a series of at most this many patches.
inline constexpr size_t kMostSeriesPatches = 10;

/// One well-formed IPS patch that makes of the ROM file what the whole set makes: the records of
/// every patch in order where that gives the result, otherwise the result's differences from the
/// ROM. `sizeCut`: whether the emulator applies a size after the end marker, which a result
/// shorter than the ROM needs. None when no such patch gives the result.
std::optional<std::string> SetAsOneIps(const PatchChain& chain, bool sizeCut);
/// The message for an emulator that applies one IPS patch when SetAsOneIps gives none.
std::string OneIpsRefusal(const std::string& emulator, const PatchSetRecord& set,
                          const PatchChain& chain);
