#pragma once

#include <string>
#include <vector>

#include "db/CPatchDB.h"
#include "play/CEmulator.h"
#include "play/CEmulatorConfig.h"

/// ZSNES, in each of its builds: the ROM is renamed to the patch's base name for the length of
/// the run (ZSNES applies a patch of the ROM's own base name), and the save directory in ZSNES's
/// configuration file points at the patch's folder, where it also looks for the patch. A ROM
/// kept in an archive is unpacked under that name into a private folder for the run instead.
class CZsnesEmulator final : public CEmulator {
 public:
  explicit CZsnesEmulator(CPatchDB& db) : m_db(db), m_ownJournal(db) {}

  const char* Name() const override { return "ZSNES"; }
  EmulatorKind Kind() const override { return EmulatorKind::Zsnes; }
  /// Names the emulator can take, and the patch's file name and auto-patching (asking the user
  /// where they have a say).
  bool Check(const PlayRequest& request) override;
  /// Points the emulator at the patch's folder and renames the ROM, each step recorded in the
  /// journal before it is taken.
  bool Prepare(PlayJournalFile& journal) override;
  /// The ZExecutable setting's words and the play name, in the ZSNES folder.
  PlayCommand Command() const override;
  /// Gives the ROM its name back and the emulator its own folders, in reverse.
  PutBackResult PutBack(PlayJournalFile& journal) override;

  /// ZSNES looks for the patch as the play name's base with ".ips" in small letters. For a patch
  /// named otherwise ("GAME.IPS") a link of that name is made for the play, where that can be
  /// done without touching a file already there; otherwise the user is asked whether to play
  /// without the patch. False when the answer is No.
  bool CheckPatchName();
  /// For a patch set: the one IPS patch of the whole set, which must not take the place of a
  /// file already there. False after a message.
  bool CheckSetPatch(const PlayRequest& request);
  /// Points every place where the emulator's configuration looks for a patch at `directory`,
  /// changing only those values' bytes, and remembers (and journals) what it replaced. A folder
  /// the file cannot carry is refused before anything changes.
  bool SetSaveDirectory(const std::string& directory);
  /// Writes each remembered value back as it was spelled (and remembers the replaced ones).
  bool RestoreSaveDirectory();
  /// Whether the emulator's configuration switches auto-patching off; false when it cannot be
  /// read (SetSaveDirectory then says why).
  bool IsAutoPatchOff() const;

 private:
  /// Reads the emulator's configuration for a rewrite; false after a message.
  bool ReadEmulatorConfig(CEmulatorConfig& config);
  bool WriteEmulatorConfig(const CEmulatorConfig& config);
  /// Removes the link made for the play, unless something else has taken its place; false when
  /// it is there and cannot be removed.
  bool RemovePatchLink();
  void ReportError(const std::string& message) const { m_db.ReportError(message); }

  CPatchDB& m_db;
  std::vector<ConfigValue> m_savedDirectories;  // the emulator's own values while a patch plays
  // The play's journal; one in memory when the save directory is set outside a play.
  PlayJournalFile m_ownJournal;
  PlayJournalFile* m_journal = &m_ownJournal;

  // The play under way, as Check found it.
  const PatchRecord* m_patch = nullptr;
  const RomRecord* m_rom = nullptr;
  const CheckedPatch* m_checked = nullptr;  // the ROM's bytes as read for the play
  std::string m_patchFolder;
  std::string m_playName;
  bool m_rename = false;  // false when the ROM already carries the play name
  // A ROM kept in an archive is unpacked under the play name into a folder of the play's own
  // instead of being renamed.
  bool m_unpack = false;
  std::string m_patchLink;  // the link to make for the play, when one is needed
  // A patch set is given as one IPS patch made for the play beside its first patch.
  std::string m_setIps;
  std::string m_setIpsBytes;
};
