// The play sequence, step by step.
#include "play/CPatchPlayer.h"

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Process.h"

namespace {

// The play name becomes an argument of the emulator, which keeps it in its configuration file (a
// line break would add a line of its own there). The patch folder's line breaks are for the
// configuration file to judge, by its form.
bool CanPassToEmulator(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

int CPatchDB::PlayPatch(int index) {
  return CPatchPlayer(*this).PlayPatch(index);
}

bool CPatchDB::RecoverInterruptedPlay() {
  return CPatchPlayer(*this).RecoverInterruptedPlay();
}

void CPatchDB::RemoveLitter() const {
  if (!m_databasePath.empty()) {
    RemoveStaleTempFiles(m_databasePath);
    RemoveStaleTempFiles(CPlayJournal::PathFor(m_databasePath));
  }
  if (!ZConfig.empty())
    RemoveStaleTempFiles(ZConfig);
}

int CPatchPlayer::PlayPatch(int index) {
  if (!Check(index) || !Prepare())
    return 0;
  Run();
  return PutBack() ? 1 : 0;
}

bool CPatchPlayer::RomFileExists(const RomRecord& rom) const {
  CFile file;
  return file.Open(rom.Filename, CFile::Mode::Read);
}

bool CPatchPlayer::CheckRomDigest(const RomRecord& rom) {
  if (m_db.IgnoreHash)
    return true;
  CFile file;
  file.Open(rom.Filename, CFile::Mode::Read);
  if (m_db.GetFileHash(file) == rom.RomDigest)
    return true;
  const BoxRequest warning{
      "Warning:\n\n" + rom.Filename +
          "\n\nThe MD5 digest of this file is not consistent with the value stored in the ROM "
          "database!\t\t\t\nIt is recommended that you reinstall this ROM, after ensuring that it "
          "is still valid.\n\t\t\t\nDo you want to continue applying the patch to this ROM?",
      "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
  return m_db.Prompt().Ask(warning) == BoxAnswer::Yes;
}

std::string CPatchPlayer::PlayJournalPath() const {
  const std::string& database = m_db.DatabasePath();
  return database.empty() ? std::string() : CPlayJournal::PathFor(database);
}

bool CPatchPlayer::Check(int index) {
  m_patch = m_db.GetPatch(index);
  if (m_patch == nullptr) {
    ReportError("Specified patch index out of bounds.");
    return false;
  }
  const PatchRecord& patch = *m_patch;
  m_rom = m_db.FindRom(patch.RomName, patch.SizeWord);
  if (m_rom == nullptr) {
    ReportError("The ROM \"" + patch.RomName + " (" + patch.RomSize +
                ")\" was not found in the database.\n\nYou must install this ROM in order to "
                "play \"" +
                patch.PatchName + "\".");
    return false;
  }
  const RomRecord& rom = *m_rom;
  if (!RomFileExists(rom)) {
    ReportError(rom.Filename +
                "\n\nThe ROM file could not be found.\n\t\t\t\nIf this file no longer exists, you "
                "will have to reinstall the \"" +
                rom.RomName + " (" + rom.RomSize + ")\" ROM\nin order to play \"" +
                patch.PatchName + "\".");
    return false;
  }
  if (!CheckRomDigest(rom))
    return false;

  m_patchFolder = FolderOf(patch.Filename);
  m_playName = FolderOf(rom.Filename) + BaseName(patch.Filename) + ".smc";
  if (m_patchFolder.find('\0') != std::string::npos || !CanPassToEmulator(m_playName)) {
    ReportError("The patch file name contains characters that cannot be passed to the emulator.");
    return false;
  }
  // A ROM that already carries the patch's base name is played as it is.
  m_rename = !IsSameFile(rom.Filename, m_playName);

  // Asked before any question; the claim itself is made when the journal is created.
  m_journalPath = PlayJournalPath();
  if (!m_journalPath.empty() && PathExists(m_journalPath)) {
    ReportUnfinishedPlay();
    return false;
  }

  if (!CheckPatchName())
    return false;

  if (IsAutoPatchOff()) {
    const BoxRequest question{
        "ZSNES will not apply the patch: IPS auto-patching is switched off in its configuration "
        "(AutoPatch=0).\n\nDo you want to play without the patch?",
        "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
    if (m_db.Prompt().Ask(question) != BoxAnswer::Yes)
      return false;
  }
  return true;
}

void CPatchPlayer::ReportUnfinishedPlay() {
  ReportError("An earlier play of a patch has not been finished: " + m_journalPath +
              " still exists.\n\nStart Brindle again so that it can put back what that play "
              "changed, then play this patch.");
}

bool CPatchPlayer::CheckPatchName() {
  m_patchLink.clear();
  const std::string& file = m_patch->Filename;
  const std::string name = file.substr(m_patchFolder.size());
  const std::string wanted = BaseName(file) + ".ips";
  if (name == wanted)
    return true;
  const std::string link = m_patchFolder + wanted;
  // Already there as the patch itself (a link of the user's own, say): nothing to make.
  if (IsSameFile(link, file))
    return true;
  if (!PathExists(link) && CanCreateFilesIn(m_patchFolder)) {
    m_patchLink = link;
    return true;
  }
  const BoxRequest question{"ZSNES looks for the patch as \"" + wanted + "\" and will not find \"" +
                                name +
                                "\", so the game would start without the patch.\n\nDo you want "
                                "to play without the patch?",
                            "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
  return m_db.Prompt().Ask(question) == BoxAnswer::Yes;
}
