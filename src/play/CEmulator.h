#pragma once

#include <string>
#include <vector>

#include "db/EmulatorChoice.h"
#include "db/PatchRecord.h"
#include "db/RomRecord.h"
#include "patch/PatchFormat.h"
#include "play/PatchForms.h"
#include "play/PlayJournalFile.h"

struct PatchChain;
struct PatchSetRecord;

/// The kinds of patch file an emulator may apply: the formats the patch reader knows.
using PatchType = PatchFormat;

/// ".bps" and ".ups" (in any letter case) are their types; anything else is played as IPS.
PatchType PatchTypeOf(const std::string& patchPath);
/// "IPS", "BPS", "UPS".
inline const char* PatchTypeName(PatchType type) {
  return PatchFormatName(type);
}

/// What the play found before the emulator's part begins: the patch and its checked ROM, and
/// the names every emulator builds on.
struct PlayRequest {
  const PatchRecord* patch = nullptr;
  const RomRecord* rom = nullptr;
  PatchType type = PatchType::Ips;
  std::string patchFolder;  // the patch's folder, ending with "/"
  std::string baseName;     // the patch's file name without folder and extension
  bool savesWithPatch = true;
  /// The patch applied in memory to the ROM file's bytes, and checked.
  const CheckedPatch* checked = nullptr;
  /// For a patch set: the set and its patches applied in order. `patch` is then its first patch,
  /// `baseName` the set's name and `checked` what the whole set makes of the ROM file.
  const PatchSetRecord* set = nullptr;
  const PatchChain* chain = nullptr;
};

/// A program to start: its words and the folder it starts in.
struct PlayCommand {
  std::vector<std::string> words;
  std::string folder;
};

/// How much of a play an emulator could put back.
enum class PutBackResult {
  Clean,    // everything: the journal can go
  Left,     // something is left in the journal for the next start
  RomLost,  // the ROM could not get its name back; the play did not end well
};

/// The part of a play that depends on the emulator: its checks, what it changes before the run
/// and puts back after it, and the program it starts. The play sequence (CPatchPlayer) does the
/// rest: finding and checking the patch and ROM, the journal, starting and waiting.
class CEmulator {
 public:
  virtual ~CEmulator() = default;

  /// The emulator's name in messages.
  virtual const char* Name() const = 0;
  virtual EmulatorKind Kind() const = 0;
  /// Everything the emulator needs checked before anything changes (reported, or asked); false
  /// stops the play.
  virtual bool Check(const PlayRequest& request) = 0;
  /// Makes the play's changes. Each change outside the play's own folder is recorded in the
  /// journal before it is made. After false (reported), PutBack puts back what was made.
  virtual bool Prepare(PlayJournalFile& journal) = 0;
  virtual PlayCommand Command() const = 0;
  /// Puts back what Prepare made, marking in the journal each step put back.
  virtual PutBackResult PutBack(PlayJournalFile& journal) = 0;
};
