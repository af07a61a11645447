// The play sequence, step by step.
#include "play/CPatchPlayer.h"

#include <unistd.h>

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

  m_journalPath = PlayJournalPath();
  if (!m_journalPath.empty() && PathExists(m_journalPath)) {
    ReportError("An earlier play of a patch has not been finished: " + m_journalPath +
                " still exists.\n\nStart Brindle again so that it can put back what that play "
                "changed, then play this patch.");
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

bool CPatchPlayer::CheckPatchName() {
  m_patchLink.clear();
  m_linkMade = false;
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

bool CPatchPlayer::Prepare() {
  // The newer forms are remembered afresh for every play, so that what this play puts back (and
  // what its journal records) is only what this play replaced.
  m_savedDirectories.SRAMPath.reset();
  m_savedDirectories.IPSPath.reset();
  if (!SetSaveDirectory(m_patchFolder))
    return false;

  m_journal.RomFile = m_rom->Filename;
  m_journal.PlayName = m_playName;
  m_journal.ConfigFile = m_db.ZConfig;
  m_journal.SaveDirectory = m_savedDirectories.SaveDirectory;
  m_journal.SRAMPath = m_savedDirectories.SRAMPath;
  m_journal.IPSPath = m_savedDirectories.IPSPath;
  m_journal.PatchLink.reset();
  if (!m_patchLink.empty())
    m_journal.PatchLink = m_patchLink;
  // While this process or its emulator runs, the play is not over: a start of Brindle (or
  // brindle-tool recover) meanwhile must leave it alone.
  m_journal.Player = GetProcessStamp(::getpid());
  if (!m_journalPath.empty()) {
    std::string error;
    if (!m_journal.Write(m_journalPath, &error)) {
      ReportError("Could not write " + m_journalPath + " (" + error +
                  "), which lets Brindle put the ROM's name back after a crash. The patch was "
                  "not played.");
      RestoreSaveDirectory();
      return false;
    }
  }

  if (!m_patchLink.empty()) {
    // A bare file name: the link leads to the patch beside it, wherever the folder goes.
    std::string error;
    if (!CreateSymbolicLink(m_patch->Filename.substr(m_patchFolder.size()), m_patchLink, &error)) {
      ReportError("Could not create \"" + m_patchLink + "\" (" + error +
                  "), under which ZSNES would find the patch. The patch was not played.");
      UndoPrepare();
      return false;
    }
    m_linkMade = true;
  }

  if (m_rename && !RenameNoReplace(m_rom->Filename, m_playName)) {
    ReportError("Error RP00A: Could not rename ROM file.");
    UndoPrepare();
    return false;
  }
  return true;
}

void CPatchPlayer::UndoPrepare() {
  const bool unlinked = RemovePatchLink();
  if (RestoreSaveDirectory() && unlinked) {
    if (!m_journalPath.empty())
      CPlayJournal::Remove(m_journalPath);
  } else if (!m_journalPath.empty()) {
    // The ROM never moved; what is left is for the next start to put back.
    m_journal.PlayName = m_journal.RomFile;
    LeaveToNextStart();
  }
}

bool CPatchPlayer::RemovePatchLink() {
  if (!m_linkMade)
    return true;
  // Whatever took the link's place meanwhile is not ours to remove.
  if (IsSymbolicLink(m_patchLink) && !RemoveFile(m_patchLink))
    return false;
  m_linkMade = false;
  m_journal.PatchLink.reset();
  return true;
}

void CPatchPlayer::Run() {
  std::vector<std::string> command = SplitProgramText(m_db.ZExecutable);
  command.push_back(m_playName);
  const pid_t emulator = StartProcess(command, m_db.ZSNES);
  if (emulator > 0) {
    if (!m_journalPath.empty()) {
      m_journal.Emulator = GetProcessStamp(emulator);
      m_journal.Write(m_journalPath);
    }
    WaitForProcess(emulator);
  } else {
    ReportError(
        "Could not create ZSNES process.\n\t\t\t\nCheck ZSNES Configuration to make sure the "
        "emulator is correctly configured.");
  }
}

bool CPatchPlayer::PutBack() {
  const bool restored = RestoreSaveDirectory();
  const bool unlinked = RemovePatchLink();

  // Never onto an existing file: whatever appeared under the recorded name meanwhile survives.
  // Whatever could not be put back stays in the journal for the next start to try again.
  const bool renamedBack = !m_rename || RenameNoReplace(m_playName, m_rom->Filename);
  if (!m_journalPath.empty()) {
    if (restored && renamedBack && unlinked)
      CPlayJournal::Remove(m_journalPath);
    else
      LeaveToNextStart();
  }
  if (!renamedBack) {
    ReportError("Error RP00A: Could not re-rename ROM file.");
    return false;
  }
  return true;
}

void CPatchPlayer::LeaveToNextStart() {
  m_journal.Player.reset();
  m_journal.Emulator.reset();
  m_journal.Write(m_journalPath);
}
