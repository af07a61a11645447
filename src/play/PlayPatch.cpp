// Playing a patch: the ROM is found and checked, renamed to the patch's base name, the emulator
// runs on it with the patch's folder as the place where it looks for patches, and everything is
// put back.
#include <unistd.h>

#include "db/CPatchDB.h"
#include "parser/TextUtil.h"
#include "platform/CFile.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "play/CPlayJournal.h"

namespace {

// The file name of a path without its folder and without its last extension; a name without
// any "." is taken whole.
std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The folder of a path, up to and including its last "/".
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The patch folder becomes a line of the emulator's configuration and the play name an argument:
// a line break would add a line of its own to the configuration.
bool CanPassToEmulator(const std::string& text) {
  return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

RomRecord* CPatchDB::FindRom(const std::string& romName, int32_t sizeWord) const {
  const std::string key = IgnoreParens ? StripParens(romName) : romName;
  for (const auto& rom : m_roms) {
    std::string candidate = IgnoreParens ? StripParens(rom->RomName) : rom->RomName;
    if (rom->UseForcedName)
      candidate = rom->ForcedName;
    if (EqualsNoCase(key, candidate) && sizeWord == rom->SizeWord)
      return rom.get();
  }
  return nullptr;
}

bool CPatchDB::RomFileExists(const RomRecord& rom) const {
  CFile file;
  return file.Open(rom.Filename, CFile::Mode::Read);
}

bool CPatchDB::CheckRomDigest(const RomRecord& rom) {
  if (IgnoreHash)
    return true;
  CFile file;
  file.Open(rom.Filename, CFile::Mode::Read);
  if (GetFileHash(file) == rom.RomDigest)
    return true;
  const BoxRequest warning{
      "Warning:\n\n" + rom.Filename +
          "\n\nThe MD5 digest of this file is not consistent with the value stored in the ROM "
          "database!\t\t\t\nIt is recommended that you reinstall this ROM, after ensuring that it "
          "is still valid.\n\t\t\t\nDo you want to continue applying the patch to this ROM?",
      "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
  return Prompt().Ask(warning) == BoxAnswer::Yes;
}

std::string CPatchDB::PlayJournalPath() const {
  return m_databasePath.empty() ? std::string() : CPlayJournal::PathFor(m_databasePath);
}

int CPatchDB::PlayPatch(int index) {
  const PatchRecord* patch = GetPatch(index);
  if (patch == nullptr) {
    ReportError("Specified patch index out of bounds.");
    return 0;
  }
  const RomRecord* rom = FindRom(patch->RomName, patch->SizeWord);
  if (rom == nullptr) {
    ReportError("The ROM \"" + patch->RomName + " (" + patch->RomSize +
                ")\" was not found in the database.\n\nYou must install this ROM in order to "
                "play \"" +
                patch->PatchName + "\".");
    return 0;
  }
  if (!RomFileExists(*rom)) {
    ReportError(rom->Filename +
                "\n\nThe ROM file could not be found.\n\t\t\t\nIf this file no longer exists, you "
                "will have to reinstall the \"" +
                rom->RomName + " (" + rom->RomSize + ")\" ROM\nin order to play \"" +
                patch->PatchName + "\".");
    return 0;
  }
  if (!CheckRomDigest(*rom))
    return 0;

  const std::string patchFolder = FolderOf(patch->Filename);
  const std::string playName = FolderOf(rom->Filename) + BaseName(patch->Filename) + ".smc";
  if (!CanPassToEmulator(patchFolder) || !CanPassToEmulator(playName)) {
    ReportError("The patch file name contains characters that cannot be passed to the emulator.");
    return 0;
  }
  // A ROM that already carries the patch's base name is played as it is.
  const bool rename = !IsSameFile(rom->Filename, playName);

  const std::string journalPath = PlayJournalPath();
  if (!journalPath.empty() && PathExists(journalPath)) {
    ReportError("An earlier play of a patch has not been finished: " + journalPath +
                " still exists.\n\nStart Brindle again so that it can put back what that play "
                "changed, then play this patch.");
    return 0;
  }

  if (IsAutoPatchOff()) {
    const BoxRequest question{
        "ZSNES will not apply the patch: IPS auto-patching is switched off in its configuration "
        "(AutoPatch=0).\n\nDo you want to play without the patch?",
        "Warning!", BoxIcon::Warning, BoxButtons::YesNo};
    if (Prompt().Ask(question) != BoxAnswer::Yes)
      return 0;
  }

  // The newer forms are remembered afresh for every play, so that what this play puts back (and
  // what its journal records) is only what this play replaced.
  m_savedDirectories.SRAMPath.reset();
  m_savedDirectories.IPSPath.reset();
  if (!SetSaveDirectory(patchFolder))
    return 0;

  CPlayJournal journal;
  journal.RomFile = rom->Filename;
  journal.PlayName = playName;
  journal.ConfigFile = ZConfig;
  journal.SaveDirectory = m_savedDirectories.SaveDirectory;
  journal.SRAMPath = m_savedDirectories.SRAMPath;
  journal.IPSPath = m_savedDirectories.IPSPath;
  // While this process or its emulator runs, the play is not over: a start of Brindle (or
  // brindle-tool recover) meanwhile must leave it alone.
  journal.Player = GetProcessStamp(::getpid());
  // What is left for the next start to put back once this play is over.
  const auto leaveToNextStart = [&] {
    journal.Player.reset();
    journal.Emulator.reset();
    journal.Write(journalPath);
  };
  if (!journalPath.empty()) {
    std::string error;
    if (!journal.Write(journalPath, &error)) {
      ReportError("Could not write " + journalPath + " (" + error +
                  "), which lets Brindle put the ROM's name back after a crash. The patch was "
                  "not played.");
      RestoreSaveDirectory();
      return 0;
    }
  }

  if (rename && !RenameNoReplace(rom->Filename, playName)) {
    ReportError("Error RP00A: Could not rename ROM file.");
    if (RestoreSaveDirectory()) {
      if (!journalPath.empty())
        CPlayJournal::Remove(journalPath);
    } else if (!journalPath.empty()) {
      // The ROM never moved; only the configuration is left for the next start to put back.
      journal.PlayName = journal.RomFile;
      leaveToNextStart();
    }
    return 0;
  }

  std::vector<std::string> command = SplitProgramText(ZExecutable);
  command.push_back(playName);
  const pid_t emulator = StartProcess(command, ZSNES);
  if (emulator > 0) {
    if (!journalPath.empty()) {
      journal.Emulator = GetProcessStamp(emulator);
      journal.Write(journalPath);
    }
    WaitForProcess(emulator);
  } else {
    ReportError(
        "Could not create ZSNES process.\n\t\t\t\nCheck ZSNES Configuration to make sure the "
        "emulator is correctly configured.");
  }

  const bool restored = RestoreSaveDirectory();

  // Never onto an existing file: whatever appeared under the recorded name meanwhile survives.
  // Whatever could not be put back stays in the journal for the next start to try again.
  const bool renamedBack = !rename || RenameNoReplace(playName, rom->Filename);
  if (!journalPath.empty()) {
    if (restored && renamedBack)
      CPlayJournal::Remove(journalPath);
    else
      leaveToNextStart();
  }
  if (!renamedBack) {
    ReportError("Error RP00A: Could not re-rename ROM file.");
    return 0;
  }
  return 1;
}
