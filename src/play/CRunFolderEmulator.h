#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/CPatchDB.h"
#include "play/CEmulator.h"

/// Makes a private folder for one play under the user's runtime folder, recorded in the journal
/// with the names that will be made in it before it is made. Empty after a message.
std::string MakeJournaledRunFolder(CPatchDB& db, PlayJournalFile& journal,
                                   const std::vector<std::string>& names);
/// Writes the bytes of a ROM kept in an archive, unpacked and unpatched as the play's checks read
/// them (`CheckedPatch::rom`), to `path`, a new file in the play's private folder. False after a
/// message.
bool WriteUnpackedRom(CPatchDB& db, const std::string& romBytes, const std::string& path);

/// An emulator that is handed the ROM (and what it needs besides) through names in a private
/// folder of the play's own, so that nothing of the user's is renamed: the names there are the
/// patch's, which the emulator gives its saves.
class CRunFolderEmulator : public CEmulator {
 protected:
  explicit CRunFolderEmulator(CPatchDB& db) : m_db(db) {}

  /// A patch of Brindle's making, given to the emulator in place of the user's file.
  struct ServedPatch {
    PatchType type = PatchType::Ips;
    std::string bytes;
  };
  /// A patch in a form the emulator applies correctly that turns the ROM file into the checked
  /// result; none when the emulator's forms cannot say it.
  virtual std::optional<ServedPatch> MakeServedPatch(const CheckedPatch& checked) const = 0;
  /// Keeps, in m_served, the patch the emulator is given in place of the user's file, when the
  /// emulator would not apply that file correctly as it is; for a patch set, always one IPS
  /// patch of the whole set. False after a message when none can be made.
  bool ChooseServedPatch(const PlayRequest& request);

  /// Makes the play's folder, recorded in the journal with the names that will be made in it
  /// before it is made.
  bool MakeRunFolder(PlayJournalFile& journal, const std::vector<std::string>& names);
  /// A symbolic link `name` in the play's folder leading to `target`.
  bool MakeLink(const std::string& name, const std::string& target);
  /// The ROM under `name` in the play's folder: a link to its file, or for a ROM kept in an
  /// archive an unpacked copy.
  bool MakeRomEntry(const std::string& name, const PlayRequest& request);
  /// A file `name` with `bytes` in the play's folder.
  bool MakeRunFile(const std::string& name, const std::string& bytes);
  /// A file `path` outside the play's folder, which must not be there yet; recorded in the
  /// journal, with the digest of its bytes, before it is made.
  bool MakeFile(PlayJournalFile& journal, const std::string& path, const std::string& bytes);
  /// Removes everything the play made, the last first, as far as the journal records it.
  PutBackResult ClearUp(PlayJournalFile& journal);

  std::string RunPath(const std::string& name) const { return m_runFolder + "/" + name; }
  void ReportError(const std::string& message) const { m_db.ReportError(message); }

  CPatchDB& m_db;
  std::string m_runFolder;
  std::optional<ServedPatch> m_served;
};
