// ZSNES's part of a play: the ROM renamed to the patch's base name, the save directory rewritten.
#include "play/CZsnesEmulator.h"

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

bool CZsnesEmulator::Check(const PlayRequest& request) {
  m_patch = request.patch;
  m_rom = request.rom;
  m_patchFolder = request.patchFolder;
  m_playName = FolderOf(m_rom->Filename) + request.baseName + ".smc";
  if (m_patchFolder.find('\0') != std::string::npos || !CanPassToEmulator(m_playName)) {
    ReportError("The patch file name contains characters that cannot be passed to the emulator.");
    return false;
  }
  // A ROM that already carries the patch's base name is played as it is.
  m_rename = !IsSameFile(m_rom->Filename, m_playName);

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

bool CZsnesEmulator::CheckPatchName() {
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

bool CZsnesEmulator::Prepare(PlayJournalFile& file) {
  // The newer forms are remembered afresh for every play, so that what this play puts back (and
  // what its journal records) is only what this play replaced.
  m_savedDirectories.SRAMPath.reset();
  m_savedDirectories.IPSPath.reset();
  if (!SetSaveDirectory(m_patchFolder))
    return false;
  m_configSet = true;

  CPlayJournal& journal = file.journal;
  journal.PlayName = m_playName;
  journal.ConfigFile = m_db.ZConfig;
  journal.SaveDirectory = m_savedDirectories.SaveDirectory;
  journal.SRAMPath = m_savedDirectories.SRAMPath;
  journal.IPSPath = m_savedDirectories.IPSPath;
  journal.PatchLink.reset();
  if (!m_patchLink.empty())
    journal.PatchLink = m_patchLink;
  if (std::string error; !file.Write(&error)) {
    ReportError("Could not write " + file.path + " (" + error +
                "), which lets Brindle put the ROM's name back after a crash. The patch was "
                "not played.");
    return false;
  }

  if (!m_patchLink.empty()) {
    // A bare file name: the link leads to the patch beside it, wherever the folder goes.
    std::string error;
    if (!CreateSymbolicLink(m_patch->Filename.substr(m_patchFolder.size()), m_patchLink, &error)) {
      ReportError("Could not create \"" + m_patchLink + "\" (" + error +
                  "), under which ZSNES would find the patch. The patch was not played.");
      return false;
    }
    m_linkMade = true;
  }

  if (m_rename) {
    if (!RenameNoReplace(m_rom->Filename, m_playName)) {
      ReportError("Error RP00A: Could not rename ROM file.");
      return false;
    }
    m_renamed = true;
  }
  return true;
}

PlayCommand CZsnesEmulator::Command() const {
  PlayCommand command{SplitProgramText(m_db.ZExecutable), m_db.ZSNES};
  command.words.push_back(m_playName);
  return command;
}

bool CZsnesEmulator::RemovePatchLink(CPlayJournal& journal) {
  if (!m_linkMade)
    return true;
  // Whatever took the link's place meanwhile is not ours to remove.
  if (IsSymbolicLink(m_patchLink) && !RemoveFile(m_patchLink))
    return false;
  m_linkMade = false;
  journal.PatchLink.reset();
  return true;
}

PutBackResult CZsnesEmulator::PutBack(PlayJournalFile& file) {
  const bool restored = !m_configSet || RestoreSaveDirectory();
  const bool unlinked = RemovePatchLink(file.journal);

  // Never onto an existing file: whatever appeared under the recorded name meanwhile survives.
  // Whatever could not be put back stays in the journal for the next start to try again.
  const bool renamedBack = !m_renamed || RenameNoReplace(m_playName, m_rom->Filename);
  if (!m_renamed)
    file.journal.PlayName = file.journal.RomFile;  // the ROM never moved
  if (!renamedBack) {
    ReportError("Error RP00A: Could not re-rename ROM file.");
    return PutBackResult::RomLost;
  }
  m_renamed = false;
  return restored && unlinked ? PutBackResult::Clean : PutBackResult::Left;
}
