#pragma once

#include <functional>
#include <string>

#include <vector>
#include "db/CPatchDB.h"

#include "play/CEmulatorConfig.h"
#include "play/CPlayJournal.h"

/// Plays an installed patch: the ROM is found and checked, renamed to the patch's base name, the
/// emulator runs on it with the patch's folder as the place where it looks for patches, and
/// everything is put back. PlayPatch runs the four steps in order; each reports its own failures
/// through the database's prompt. Reads the database's records and settings, changes none of
/// them.
class CPatchPlayer final {
 public:
  explicit CPatchPlayer(CPatchDB& db) : m_db(db) {}

  /// Called at every moment that matters to a crash: after each journal entry and after each
  /// step it records. Tests end the process there.
  void SetMomentHook(std::function<void()> hook) { m_momentHook = std::move(hook); }

  /// 1 when the emulator ran and the ROM has its name back; 0 (after a message, or after the
  /// user said No) otherwise.
  int PlayPatch(int index);

  // The steps of a play.
  /// Finds the patch and its ROM and checks everything a play needs before anything changes:
  /// the ROM file, its digest, names the emulator can take, no unfinished earlier play, and the
  /// emulator's auto-patching (asking the user where they have a say).
  bool Check(int index);
  /// Claims the play journal, then points the emulator at the patch's folder and renames the
  /// ROM, each step recorded in the journal before it is taken. On failure whatever it changed
  /// is put back (or left in the journal for the next start).
  bool Prepare();
  /// Starts the emulator on the renamed ROM in its own folder and waits for it to end. The
  /// emulator is recorded in the journal before it runs the game.
  void Run();
  /// Gives the emulator its own folders back and the ROM its name; the journal goes once
  /// nothing is left for it to put back.
  bool PutBack();

  /// ZSNES looks for the patch as the play name's base with ".ips" in small letters. For a patch
  /// named otherwise ("GAME.IPS") a link of that name is made for the play, where that can be
  /// done without touching a file already there; otherwise the user is asked whether to play
  /// without the patch. False when the answer is No.
  bool CheckPatchName();
  bool RomFileExists(const RomRecord& rom) const;
  /// True when IgnoreHash is set, the digest matches, or the user plays on after the warning.
  bool CheckRomDigest(const RomRecord& rom);
  /// Points every place where the emulator's configuration looks for a patch at `directory`,
  /// changing only those values' bytes, and remembers (and journals) what it replaced. A folder
  /// the file cannot carry is refused before anything changes.
  bool SetSaveDirectory(const std::string& directory);
  /// Writes each remembered value back as it was spelled (and remembers the replaced ones).
  bool RestoreSaveDirectory();
  /// Whether the emulator's configuration switches auto-patching off; false when it cannot be
  /// read (SetSaveDirectory then says why).
  bool IsAutoPatchOff() const;

  /// Puts back what a play cut short by a crash left changed (the ROM's name, the emulator's save
  /// directory), as recorded in the play journal beside the database file, and tells the user in
  /// one box. false when there was no journal.
  bool RecoverInterruptedPlay();
  /// Where the play journal lives; empty when the database path is not known.
  std::string PlayJournalPath() const;

 private:
  /// Reads the emulator's configuration for a rewrite; false after a message.
  bool ReadEmulatorConfig(CEmulatorConfig& config);
  bool WriteEmulatorConfig(const CEmulatorConfig& config);
  /// Records a step in the journal before it is taken; false after a message.
  bool Journal(const JournalStep& step);
  void ReportJournalFailure(const std::string& error);
  void ReportUnfinishedPlay();
  /// Marks the journal's steps of a kind put back.
  void MarkUndone(JournalStep::Kind kind);
  /// Puts back what the play changed, in reverse; the journal goes once nothing is left for it
  /// to put back, and otherwise stays for the next start. False when the ROM is not back.
  bool UndoSteps();
  /// Removes the link made for the play, unless something else has taken its place; false when
  /// it is there and cannot be removed.
  bool RemovePatchLink();
  void ReportError(const std::string& message) const { m_db.ReportError(message); }
  void Moment() const {
    if (m_momentHook)
      m_momentHook();
  }

  CPatchDB& m_db;
  std::function<void()> m_momentHook;
  std::vector<ConfigValue> m_savedDirectories;  // the emulator's own values while a patch plays

  // The play under way, as Check found it.
  const PatchRecord* m_patch = nullptr;
  const RomRecord* m_rom = nullptr;
  std::string m_patchFolder;
  std::string m_playName;
  std::string m_journalPath;
  bool m_rename = false;    // false when the ROM already carries the play name
  std::string m_patchLink;  // the link to make for the play, when one is needed
  CPlayJournal m_journal;
};
