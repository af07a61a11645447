#pragma once

#include <functional>
#include <memory>
#include <string>

#include "db/CPatchDB.h"
#include "play/CEmulator.h"
#include "play/PatchChain.h"

/// Plays an installed patch: the patch and its ROM are found and checked, the chosen emulator
/// makes what it needs to apply the patch and keep the saves with it, runs, and everything is
/// put back. PlayPatch runs the four steps in order; each reports its own failures through the
/// database's prompt. Reads the database's records and settings, changes none of them.
class CPatchPlayer final {
 public:
  explicit CPatchPlayer(CPatchDB& db);
  ~CPatchPlayer();

  /// Called at every moment that matters to a crash: after each journal entry and after each
  /// step it records. Tests end the process there.
  void SetMomentHook(std::function<void()> hook) { m_journal.momentHook = std::move(hook); }

  /// 1 when the emulator ran and the ROM has its name back; 0 (after a message, or after the
  /// user said No) otherwise.
  int PlayPatch(int index);
  /// PlayPatch for the patch set at an index: its patches applied in order, its saves named
  /// after it in the folder of its first patch.
  int PlayPatchSet(int setIndex);

  // The steps of a play.
  /// Finds the patch and its ROM and checks everything a play needs before anything changes:
  /// a patch the emulator applies, the ROM file, its digest, no unfinished earlier play, and
  /// what the emulator itself needs.
  bool Check(int index);
  /// Check for a patch set: every patch of it installed and applied in turn in memory.
  bool CheckSet(int setIndex);
  /// Claims the play journal, then makes the emulator's preparations, each step recorded in the
  /// journal before it is taken. On failure whatever they changed is put back (or left in the
  /// journal for the next start).
  bool Prepare();
  /// Starts the emulator and waits for it to end. The emulator is recorded in the journal
  /// before it runs the game; false when it could not be, and the emulator was stopped unrun.
  /// An emulator that would not start is reported and counts as run; one ended by a signal
  /// makes the play fail once everything is put back.
  bool Run();
  /// The emulator's part put back; the journal goes once nothing is left for it to put back.
  bool PutBack();

  bool RomFileExists(const RomRecord& rom) const;
  /// Reads the ROM file (or its archive's member) into `bytes` and checks its digest: true when
  /// IgnoreHash is set, the digest of the bytes matches, or the user plays on after the warning.
  /// The play's checks and the emulator then use these bytes; the file is not read again.
  bool ReadCheckedRom(const RomRecord& rom, std::string& bytes);

  /// Puts back what a play cut short by a crash left changed, as recorded in the play journal
  /// beside the database file, and tells the user in one box. false when there was no journal.
  bool RecoverInterruptedPlay();
  /// Where the play journal lives; empty when the database path is not known.
  std::string PlayJournalPath() const;

  CEmulator& Emulator() const { return *m_emulator; }

 private:
  /// The emulator's part, started and put back once Check or CheckSet has passed.
  int PlayChecked();
  /// Finds the ROM of `romName` and `sizeWord` (or, when `mayFlip`, the same game with its
  /// copier header the other way: `headerFlip`) for the patch or set `played`, and checks that
  /// its file is there; false after a message.
  bool FindRomFor(const std::string& romName, int32_t sizeWord, const std::string& romSize,
                  const std::string& played, bool mayFlip, bool& headerFlip);
  /// What the play asks before the emulator's own checks: the journal not claimed.
  bool CheckNoUnfinishedPlay();
  void ReportUnfinishedPlay();
  /// Says that the emulator was ended by a signal: the play failed, though all is put back.
  void ReportAbnormalEnd() const;
  /// Removes the journal when nothing is left, otherwise records that the player is done and
  /// leaves the rest to the next start. False (after a message) when the ROM is not back.
  bool Finish(PutBackResult result);
  void ReportError(const std::string& message) const { m_db.ReportError(message); }

  CPatchDB& m_db;
  std::unique_ptr<CEmulator> m_emulator;
  PlayRequest m_request;
  CheckedPatch m_checked;
  std::unique_ptr<PatchChain> m_chain;  // a patch set's patches, applied in memory
  PlayJournalFile m_journal;
  int m_endSignal = 0;  // the signal that ended the emulator; 0 when it exited
};
