#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/EmulatorChoice.h"
#include "patch/PatchSummary.h"

class CPatchDB;

// Which emulator applies which form of patch correctly as it is, as found with the real
// programs (RetroArch 1.14 with bsnes-mercury, Mednafen 1.29, ZSNES's own IPS reader). Where
// the chosen emulator does not, and it is handed the patch through a folder of the play's own,
// it is given a patch of Brindle's making with the same effect instead.

/// A patch read and applied in memory to its ROM's bytes before a play.
struct CheckedPatch {
  PatchSummary summary;
  std::string rom;     // the ROM file's bytes
  std::string result;  // the ROM file as the patch should leave it
  /// Made for the ROM without the copier header the file has, or (`patchHeadered`) with one
  /// the file does not have.
  bool headerMisfit = false;
  bool patchHeadered = false;
  /// The size of the bytes the patch was applied to, as the patch sees them.
  uint64_t appliedTo = 0;
};

enum class PatchForm {
  Ips,                   // a well-formed IPS patch
  IpsBytesAfterEnd,      // bytes after "EOF" that are not a 3-byte size (a comment)
  IpsEmptyRun,           // a run-length record of count 0
  IpsNoEndMarker,        // no "EOF" after the last record
  IpsRecordAtEndMarker,  // a record at offset 0x454F46, whose offset reads "EOF"
  IpsSetsSize,           // a size after "EOF" that is not the size the records leave
  Bps,
  Ups,
  HeaderMisfit,  // made for the ROM without the 512-byte copier header the file has, or with one
};

/// Whether the emulator applies patches of that form correctly as they are. For the other
/// emulator only the formats its settings name are known to be applied, and no other form.
bool EmulatorApplies(const CPatchDB& db, EmulatorKind kind, PatchForm form);
/// Whether the emulator can be given a patch of Brindle's making: RetroArch and Mednafen in a
/// folder of the play's own, the other emulator beside the patch when it loads IPS or BPS.
bool EmulatorTakesServedPatch(const CPatchDB& db, EmulatorKind kind);
/// The form of a well-formed patch of a format.
PatchForm FormatForm(PatchFormat format);
/// Whether the emulator can play a patch of these forms correctly (as it is, or served). `forms`
/// begin with the patch's format, as FormsOf gives them.
bool EmulatorPlays(const CPatchDB& db, EmulatorKind kind, const std::vector<PatchForm>& forms);

/// The forms a checked patch has: its format's first, then each of the others it shows.
std::vector<PatchForm> FormsOf(const CheckedPatch& patch);
/// The first of `forms` the emulator does not apply correctly; none when it applies them all.
std::optional<PatchForm> FirstNotApplied(const CPatchDB& db, EmulatorKind kind,
                                         const std::vector<PatchForm>& forms);

/// What is wrong with a patch of that form for an emulator that does not apply it, as a clause:
/// "it has a run-length record of count 0".
std::string FormClause(PatchForm form, const CheckedPatch& patch);

/// "RetroArch or Mednafen": the emulators that can play a patch of these forms, in the emulator
/// page's order (the other emulator once it has a command).
std::string EmulatorsThatPlay(const CPatchDB& db, const std::vector<PatchForm>& forms);
