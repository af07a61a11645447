// Putting things back after Brindle died while the emulator ran: the ROM still carries the play
// name and the emulator still saves into the patch's folder.
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "play/CEmulatorConfig.h"
#include "play/CPatchPlayer.h"
#include "play/PlayFiles.h"

namespace {

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// Renames the ROM back when that cannot destroy anything; returns the sentence for the user.
std::string PutRomBack(const CPlayJournal& journal) {
  const std::string& recorded = journal.RomFile;
  const std::string& play = journal.PlayName;
  if (play == recorded || IsSameFile(play, recorded)) {
    return "The ROM file " + Quoted(recorded) + " kept its name.\n";
  }
  const bool playExists = PathExists(play);
  const bool recordedExists = PathExists(recorded);
  if (!playExists && recordedExists) {
    return "The ROM file " + Quoted(recorded) + " already had its name back.\n";
  }
  if (!playExists) {
    return "The ROM file was found neither as " + Quoted(play) + " nor as " + Quoted(recorded) +
           ". If you moved it, rename it to " + Quoted(recorded) + " by hand.\n";
  }
  if (recordedExists) {
    return "The ROM file could not be renamed back because both " + Quoted(play) + " and " +
           Quoted(recorded) + " exist. If " + Quoted(play) + " is your ROM, rename it to " +
           Quoted(recorded) + " by hand.\n";
  }
  if (std::string error; !RenameNoReplace(play, recorded, &error)) {
    return "The ROM file " + Quoted(play) + " could not be renamed back (" + error +
           "). Rename it to " + Quoted(recorded) + " by hand.\n";
  }
  return "The ROM file " + Quoted(play) + " was renamed back to " + Quoted(recorded) + ".\n";
}

// The lines of the given forms as the journal's values make them, one to a line.
std::string LinesOf(const CPlayJournal& journal, unsigned forms) {
  std::string lines;
  if (forms & CEmulatorConfig::kSaveDirectoryForm)
    lines += "SaveDirectory = " + journal.SaveDirectory + "\n";
  if ((forms & CEmulatorConfig::kSRAMPathForm) && journal.SRAMPath)
    lines += "SRAMPath=" + CEmulatorConfig::EncodeQuoted(*journal.SRAMPath) + "\n";
  if ((forms & CEmulatorConfig::kIPSPathForm) && journal.IPSPath)
    lines += "IPSPath=" + CEmulatorConfig::EncodeQuoted(*journal.IPSPath) + "\n";
  return lines;
}

std::string PutSaveDirectoryBack(const CPlayJournal& journal) {
  CEmulatorConfig config;
  std::string error;
  if (config.Read(journal.ConfigFile, &error)) {
    SaveDirectoryRecord previous;
    const unsigned forms = config.ReplaceDirectories(
        {journal.SaveDirectory, journal.SRAMPath, journal.IPSPath}, previous);
    if (forms == 0) {
      return "The emulator configuration file " + Quoted(journal.ConfigFile) +
             " names no save directory; it was left as it was.\n";
    }
    if (config.Write(journal.ConfigFile, &error)) {
      if (forms == CEmulatorConfig::kSaveDirectoryForm) {
        return "The emulator's save directory in " + Quoted(journal.ConfigFile) +
               " was set back to " + Quoted(journal.SaveDirectory) + ".\n";
      }
      return "The emulator configuration file " + Quoted(journal.ConfigFile) +
             " has these lines back:\n" + LinesOf(journal, forms);
    }
  }
  // Only a journal of the newer form says which of its lines that play rewrote.
  if (!journal.SRAMPath && !journal.IPSPath) {
    return "The emulator configuration file " + Quoted(journal.ConfigFile) +
           " could not be rewritten (" + error +
           "). Set its line \"SaveDirectory = " + journal.SaveDirectory + "\" back by hand.\n";
  }
  return "The emulator configuration file " + Quoted(journal.ConfigFile) +
         " could not be rewritten (" + error + "). Set these lines back by hand:\n" +
         LinesOf(journal, CEmulatorConfig::kSRAMPathForm | CEmulatorConfig::kIPSPathForm);
}

// Removes the link a play made for the emulator to find its patch, if it is still a link.
std::string TakeAwayPatchLink(const CPlayJournal& journal) {
  if (!journal.PatchLink || !PathExists(*journal.PatchLink))
    return "";
  const std::string& link = *journal.PatchLink;
  if (!IsSymbolicLink(link))
    return "A file has taken the place of the link " + Quoted(link) + "; it was left as it is.\n";
  if (std::string error; !RemoveFile(link, &error)) {
    return "The link " + Quoted(link) +
           ", through which ZSNES found the patch, could not be "
           "removed (" +
           error + "). Remove it by hand.\n";
  }
  return "The link " + Quoted(link) + ", through which ZSNES found the patch, was removed.\n";
}

// Removes the files the play made outside its folder, and the folder with what it made there.
std::string ClearUpPlayFiles(const CPlayJournal& journal) {
  std::string text;
  for (const CPlayJournal::MadeFile& made : journal.MadeFiles) {
    if (!PathExists(made.path))
      continue;
    std::string what;
    switch (RemoveMadeFile(made, &what)) {
      case ClearResult::Done:
        text += "The file " + Quoted(made.path) + ", made for the play, was removed.\n";
        break;
      case ClearResult::Kept:
        text += "The file " + Quoted(made.path) +
                ", made for the play, was changed since; it was left as it is.\n";
        break;
      case ClearResult::Failed:
        text += "The file " + Quoted(made.path) + ", made for the play, could not be removed (" +
                what + "). Remove it by hand.\n";
        break;
    }
  }
  if (journal.RunFolder && PathExists(*journal.RunFolder)) {
    const std::string& folder = *journal.RunFolder;
    std::string what;
    switch (ClearRunFolder(folder, journal.RunEntries, &what)) {
      case ClearResult::Done:
        text += "The folder " + Quoted(folder) + ", made for the play, was removed.\n";
        break;
      case ClearResult::Kept:
        text += "The folder " + Quoted(folder) +
                ", made for the play, holds files the emulator wrote; it was left in place.\n";
        break;
      case ClearResult::Failed:
        text += "The folder " + Quoted(folder) + ", made for the play, could not be removed (" +
                what + "). Remove it by hand.\n";
        break;
    }
  }
  return text;
}

// Whether the process that plays, or the emulator it started, still runs.
bool IsStillPlaying(const CPlayJournal& journal) {
  return (journal.Player && IsProcessRunning(*journal.Player)) ||
         (journal.Emulator && IsProcessRunning(*journal.Emulator));
}

}  // namespace

bool CPatchPlayer::RecoverInterruptedPlay() {
  const std::string path = PlayJournalPath();
  if (path.empty() || !PathExists(path))
    return false;
  std::string text =
      "Brindle was interrupted while a patch was playing, before it could put things back.\n\n";
  CPlayJournal journal;
  const bool readable = journal.Read(path);
  // Renaming the ROM back under a running emulator, or rewriting its configuration, would spoil
  // the game; that play puts everything back itself when it ends.
  if (readable && IsStillPlaying(journal)) {
    m_db.Prompt().Ask(
        {"A patch is still being played: the emulator, or the Brindle that started it, "
         "is still running. Until it ends, its ROM keeps the patch's name and the "
         "emulator saves into the patch's folder.\n\nBrindle will put everything back "
         "at its next start after the emulator has ended.",
         kAppTitle, BoxIcon::Information, BoxButtons::Ok});
    return true;
  }
  if (readable) {
    text += PutRomBack(journal);
    // Only ZSNES has a configuration file rewritten for the play.
    if (!journal.ConfigFile.empty())
      text += PutSaveDirectoryBack(journal);
    text += TakeAwayPatchLink(journal);
    text += ClearUpPlayFiles(journal);
  } else {
    text += "Its record of that play, " + Quoted(path) +
            ", could not be read. Check that your ROM files have their names and that the "
            "emulator's save directory is the one you want.\n";
  }
  if (std::string error; !CPlayJournal::Remove(path, &error)) {
    text += '\n';
    text += Quoted(path) + " could not be removed (" + error + "). Remove it by hand.\n";
  }
  if (!text.empty() && text.back() == '\n')
    text.pop_back();
  m_db.Prompt().Ask({text, kAppTitle, BoxIcon::Information, BoxButtons::Ok});
  return true;
}
