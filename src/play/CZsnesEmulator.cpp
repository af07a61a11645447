// ZSNES's part of a play: the ROM renamed to the patch's base name, the save directory rewritten.
#include "play/CZsnesEmulator.h"

#include <unistd.h>

#include "platform/ArchivePath.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Process.h"
#include "play/CRunFolderEmulator.h"
#include "play/JournalUndo.h"
#include "play/PatchChain.h"

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
  m_checked = request.checked;
  m_patchFolder = request.patchFolder;
  m_unpack = SplitArchivePath(m_rom->Filename).has_value();
  // For an unpacked ROM the folder is made (and the play name completed) when it is unpacked.
  m_playName = (m_unpack ? std::string() : FolderOf(m_rom->Filename)) + request.baseName + ".smc";
  if (m_patchFolder.find('\0') != std::string::npos || !CanPassToEmulator(m_playName)) {
    ReportError("The patch file name contains characters that cannot be passed to the emulator.");
    return false;
  }
  // A ROM that already carries the patch's base name is played as it is.
  m_rename = !m_unpack && !IsSameFile(m_rom->Filename, m_playName);

  if (request.chain != nullptr ? !CheckSetPatch(request) : !CheckPatchName())
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

bool CZsnesEmulator::CheckSetPatch(const PlayRequest& request) {
  m_patchLink.clear();
  m_setIps = m_patchFolder + request.baseName + ".ips";
  if (PathExists(m_setIps) || IsSymbolicLink(m_setIps)) {
    ReportError("ZSNES is given the patch set \"" + request.set->SetName +
                "\" as one IPS patch made for the play, \"" + m_setIps +
                "\", beside its first patch, and a file of that name is already there.\n\nRename "
                "or move that file, then play the patch set again.");
    return false;
  }
  if (!CanCreateFilesIn(m_patchFolder)) {
    ReportError("Brindle cannot create \"" + m_setIps +
                "\", the IPS patch ZSNES is given for the patch set \"" + request.set->SetName +
                "\". The patch set was not played.");
    return false;
  }
  // ZSNES applies neither a size after the end marker nor any other format.
  std::optional<std::string> ips = SetAsOneIps(*request.chain, false);
  if (!ips) {
    ReportError(OneIpsRefusal(Name(), *request.set, *request.chain));
    return false;
  }
  m_setIpsBytes = std::move(*ips);
  return true;
}

bool CZsnesEmulator::Prepare(PlayJournalFile& journal) {
  m_journal = &journal;
  // What this play puts back (and what its journal records) is only what this play replaced.
  m_savedDirectories.clear();
  if (!SetSaveDirectory(m_patchFolder))
    return false;
  if (!m_setIps.empty() && !journal.MakeFile(m_setIps, m_setIpsBytes))
    return false;

  if (!m_patchLink.empty()) {
    // A bare file name: the link leads to the patch beside it, wherever the folder goes.
    const std::string target = m_patch->Filename.substr(m_patchFolder.size());
    if (!journal.Journal(JournalStep::Link(m_patchLink, target)))
      return false;
    std::string error;
    if (!CreateSymbolicLink(target, m_patchLink, &error)) {
      journal.NotTaken();
      ReportError("Could not create \"" + m_patchLink + "\" (" + error +
                  "), under which ZSNES would find the patch. " + m_db.NotPlayed());
      return false;
    }
    journal.Moment();
  }

  if (m_unpack) {
    const std::string name = m_playName.substr(FolderOf(m_playName).size());
    const std::string folder = MakeJournaledRunFolder(m_db, journal, {name});
    if (folder.empty())
      return false;
    m_playName = folder + "/" + name;
    return WriteUnpackedRom(m_db, m_checked->rom, m_playName);
  }
  if (m_rename) {
    if (!journal.Journal(JournalStep::Rename(m_rom->Filename, m_playName)))
      return false;
    if (!RenameNoReplace(m_rom->Filename, m_playName)) {
      journal.NotTaken();
      ReportError("Error RP00A: Could not rename ROM file.");
      return false;
    }
    journal.Moment();
  }
  return true;
}

PlayCommand CZsnesEmulator::Command() const {
  PlayCommand command{SplitProgramText(m_db.ZExecutable), m_db.ZSNES};
  command.words.push_back(m_playName);
  return command;
}

PutBackResult CZsnesEmulator::PutBack(PlayJournalFile& journal) {
  m_journal = &journal;
  bool all = true;
  bool renamedBack = true;
  // In the reverse order of the steps. Never onto an existing file: whatever appeared under the
  // recorded name meanwhile survives.
  if (journal.Pending(JournalStep::Kind::Rename)) {
    renamedBack = RenameNoReplace(m_playName, m_rom->Filename);
    journal.Moment();
    if (renamedBack)
      journal.MarkUndone(JournalStep::Kind::Rename);
  }
  for (size_t i = journal.journal.Steps.size(); i-- > 0;) {
    const JournalStep& step = journal.journal.Steps[i];
    if ((step.kind != JournalStep::Kind::Folder && step.kind != JournalStep::Kind::File) ||
        step.undone) {
      continue;
    }
    const UndoResult undone =
        step.kind == JournalStep::Kind::File ? UndoFile(step) : UndoFolder(step);
    journal.Moment();
    if (undone.done)
      journal.journal.MarkUndone(i);
    else
      ReportError(undone.sentence);
    all &= undone.done;
  }
  if (journal.Pending(JournalStep::Kind::Link)) {
    const bool removed = RemovePatchLink();
    journal.Moment();
    if (removed)
      journal.MarkUndone(JournalStep::Kind::Link);
    else
      all = false;
  }
  if (journal.Pending(JournalStep::Kind::Value)) {
    const bool restored = RestoreSaveDirectory();
    journal.Moment();
    if (restored)
      journal.MarkUndone(JournalStep::Kind::Value);
    else
      all = false;
  }
  if (!renamedBack)
    return PutBackResult::RomLost;
  return all ? PutBackResult::Clean : PutBackResult::Left;
}

bool CZsnesEmulator::RemovePatchLink() {
  for (const JournalStep& step : m_journal->journal.Steps) {
    if (step.kind == JournalStep::Kind::Link && !step.undone && !UndoLink(step).done)
      return false;
  }
  return true;
}
