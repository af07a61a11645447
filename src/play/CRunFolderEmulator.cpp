#include "play/CRunFolderEmulator.h"

#include "platform/FileSystem.h"
#include "platform/PlayFolders.h"
#include "play/PlayFiles.h"

namespace {

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace

bool CRunFolderEmulator::MakeRunFolder(PlayJournalFile& file,
                                       const std::vector<std::string>& entries,
                                       const std::vector<CPlayJournal::MadeFile>& madeFiles) {
  std::string error;
  m_runFolder = CreateRunFolder(&error);
  if (m_runFolder.empty()) {
    ReportError("Could not create a folder for the play (" + error +
                "). The patch was not played.");
    return false;
  }
  file.journal.RunFolder = m_runFolder;
  file.journal.RunEntries = entries;
  file.journal.MadeFiles = madeFiles;
  if (!file.Write(&error)) {
    ReportError("Could not write " + file.path + " (" + error +
                "), which lets Brindle clear up after a crash. The patch was not played.");
    return false;
  }
  return true;
}

bool CRunFolderEmulator::MakeLink(const std::string& name, const std::string& target) {
  std::string error;
  if (CreateSymbolicLink(target, RunPath(name), &error))
    return true;
  ReportError("Could not create " + Quoted(RunPath(name)) + " (" + error +
              "). The patch was not played.");
  return false;
}

bool CRunFolderEmulator::MakeFile(const std::string& path, const std::string& bytes) {
  std::string error;
  if (WriteNewFile(path, bytes, &error))
    return true;
  ReportError("Could not create " + Quoted(path) + " (" + error + "). The patch was not played.");
  return false;
}

PutBackResult CRunFolderEmulator::ClearUp(PlayJournalFile& file) {
  CPlayJournal& journal = file.journal;
  bool left = false;
  std::vector<CPlayJournal::MadeFile> notRemoved;
  for (const CPlayJournal::MadeFile& made : journal.MadeFiles) {
    std::string what;
    switch (RemoveMadeFile(made, &what)) {
      case ClearResult::Done:
        break;
      case ClearResult::Kept:
        ReportError("The file " + Quoted(made.path) +
                    ", which Brindle made for the play, was changed meanwhile; it was left as "
                    "it is.");
        break;
      case ClearResult::Failed:
        ReportError("Could not remove " + Quoted(made.path) + " (" + what +
                    "), which Brindle made for the play. Brindle will try again at its next "
                    "start.");
        notRemoved.push_back(made);
        left = true;
        break;
    }
  }
  journal.MadeFiles = notRemoved;

  bool folderLeft = false;
  if (journal.RunFolder) {
    std::string what;
    switch (ClearRunFolder(*journal.RunFolder, journal.RunEntries, &what)) {
      case ClearResult::Done:
        break;
      case ClearResult::Kept:
        ReportError(std::string(Name()) + " left files in the play's folder " +
                    Quoted(*journal.RunFolder) + "; they were kept there.");
        break;
      case ClearResult::Failed:
        ReportError("Could not remove the play's folder " + Quoted(*journal.RunFolder) + " (" +
                    what + "). Brindle will try again at its next start.");
        folderLeft = true;
        break;
    }
  }
  if (!folderLeft) {
    journal.RunFolder.reset();
    journal.RunEntries.clear();
  }
  return left || folderLeft ? PutBackResult::Left : PutBackResult::Clean;
}
