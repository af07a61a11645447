#pragma once

#include <string>
#include <vector>

#include "db/CPatchDB.h"
#include "play/CEmulator.h"

/// Any emulator that loads a patch named after the game from beside it and names its saves after
/// the game, started by a command of the user's: for the play the ROM is given to it through a
/// link named after the patch, made beside the patch, so that it finds the patch and saves under
/// the patch's name in the patch's folder.
class COtherEmulator final : public CEmulator {
 public:
  explicit COtherEmulator(CPatchDB& db);

  /// The command's program ("snes9x-gtk"), or its Flatpak app.
  const char* Name() const override { return m_name.c_str(); }
  EmulatorKind Kind() const override { return EmulatorKind::Other; }
  /// The command, the names the play makes, and what a Flatpak's sandbox may read.
  bool Check(const PlayRequest& request) override;
  /// Makes the patch of Brindle's making or the link to the patch under the name the emulator
  /// looks for, then the link to the ROM, each recorded in the journal first.
  bool Prepare(PlayJournalFile& journal) override;
  /// The command's words with the play's names put in, started in the patch's folder.
  PlayCommand Command() const override;
  /// Removes the links and the patch the play made.
  PutBackResult PutBack(PlayJournalFile& journal) override;

 private:
  bool CheckCommand();
  /// The patch of Brindle's making the emulator is given beside the user's, when it does not
  /// load the user's format: BPS, else IPS. False after a message when none can be made.
  bool ChooseServedPatch();
  bool CheckLinkNames();
  /// A Flatpak must be able to read the patch and the ROM; one that can only read the patch's
  /// folder could not save there (asked).
  bool CheckSandbox();
  /// False after a message, or for an empty target (whose reason was given).
  bool MakeLink(PlayJournalFile& journal, const std::string& link, const std::string& target);
  /// What the ROM's link leads to: the ROM, or its unpacked copy; empty after a message.
  std::string RomForLink(PlayJournalFile& journal);
  void ReportError(const std::string& message) const { m_db.ReportError(message); }

  CPatchDB& m_db;
  std::string m_name;
  std::vector<std::string> m_words;
  PlayRequest m_request;
  std::string m_romLink;     // the ROM under the patch's name; empty when it already has it
  std::string m_patchLink;   // the patch under the name the emulator looks for, when needed
  std::string m_servedPath;  // the patch of Brindle's making, when one is given
  std::string m_servedBytes;
};
