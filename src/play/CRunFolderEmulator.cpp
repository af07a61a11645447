#include "play/CRunFolderEmulator.h"

#include <cerrno>

#include "platform/ArchivePath.h"
#include "platform/FileSystem.h"
#include "platform/PlayFolders.h"
#include "play/PatchChain.h"
#include "play/PlayFiles.h"

bool CRunFolderEmulator::ChooseServedPatch(const PlayRequest& request) {
  m_served.reset();
  if (request.chain != nullptr) {
    const bool sizeCut = EmulatorApplies(m_db, Kind(), PatchForm::IpsSetsSize);
    if (std::optional<std::string> ips = SetAsOneIps(*request.chain, sizeCut)) {
      m_served = ServedPatch{PatchType::Ips, std::move(*ips)};
      return true;
    }
    ReportError(OneIpsRefusal(Name(), *request.set, *request.chain));
    return false;
  }
  if (request.checked == nullptr || !FirstNotApplied(m_db, Kind(), FormsOf(*request.checked)))
    return true;
  m_served = MakeServedPatch(*request.checked);
  if (m_served)
    return true;
  ReportError(std::string(Name()) + " cannot be given the patch \"" + request.patch->Filename +
              "\" in a form it applies correctly: the patched ROM (" +
              std::to_string(request.checked->result.size()) + " bytes) is too large for it. " +
              m_db.NotPlayed());
  return false;
}

std::string MakeJournaledRunFolder(CPatchDB& db, PlayJournalFile& journal,
                                   const std::vector<std::string>& names) {
  std::string error;
  // A name another folder took meanwhile is tried afresh.
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::string folder = NewRunFolderName(&error);
    if (folder.empty())
      break;
    if (!journal.Journal(JournalStep::Folder(folder, JoinNames(names))))
      return {};
    if (CreatePrivateFolder(folder, &error)) {
      journal.Moment();
      return folder;
    }
    const bool taken = errno == EEXIST;
    journal.NotTaken();
    if (!taken)
      break;
  }
  db.ReportError("Could not create a folder for the play (" + error + "). " + db.NotPlayed());
  return {};
}

bool WriteUnpackedRom(CPatchDB& db, const std::string& romBytes, const std::string& path) {
  std::string error;
  if (!WriteNewFile(path, romBytes, &error)) {
    db.ReportError("Could not create " + Quoted(path) + " (" + error + "). " + db.NotPlayed());
    return false;
  }
  return true;
}

bool CRunFolderEmulator::MakeRunFolder(PlayJournalFile& journal,
                                       const std::vector<std::string>& names) {
  m_runFolder = MakeJournaledRunFolder(m_db, journal, names);
  return !m_runFolder.empty();
}

bool CRunFolderEmulator::MakeRomEntry(const std::string& name, const PlayRequest& request) {
  const std::string& romFilename = request.rom->Filename;
  if (SplitArchivePath(romFilename))
    return WriteUnpackedRom(m_db, request.checked->rom, RunPath(name));
  return MakeLink(name, romFilename);
}

bool CRunFolderEmulator::MakeLink(const std::string& name, const std::string& target) {
  std::string error;
  if (CreateSymbolicLink(target, RunPath(name), &error))
    return true;
  ReportError("Could not create " + Quoted(RunPath(name)) + " (" + error + "). " +
              m_db.NotPlayed());
  return false;
}

bool CRunFolderEmulator::MakeRunFile(const std::string& name, const std::string& bytes) {
  std::string error;
  if (WriteNewFile(RunPath(name), bytes, &error))
    return true;
  ReportError("Could not create " + Quoted(RunPath(name)) + " (" + error + "). " +
              m_db.NotPlayed());
  return false;
}

bool CRunFolderEmulator::MakeFile(PlayJournalFile& journal, const std::string& path,
                                  const std::string& bytes) {
  return journal.MakeFile(path, bytes);
}

PutBackResult CRunFolderEmulator::ClearUp(PlayJournalFile& journal) {
  bool left = false;
  std::vector<JournalStep>& steps = journal.journal.Steps;
  for (size_t i = steps.size(); i-- > 0;) {
    const JournalStep& step = steps[i];
    if (step.undone ||
        (step.kind != JournalStep::Kind::File && step.kind != JournalStep::Kind::Folder)) {
      continue;
    }
    std::string what;
    const bool file = step.kind == JournalStep::Kind::File;
    const ClearResult result = file ? RemoveMadeFile(step.path, step.text, &what)
                                    : ClearRunFolder(step.path, SplitNames(step.text), &what);
    journal.Moment();
    if (result == ClearResult::Kept && file) {
      ReportError("The file " + Quoted(step.path) +
                  ", which Brindle made for the play, was changed meanwhile; it was left as it "
                  "is.");
    } else if (result == ClearResult::Kept) {
      ReportError(std::string(Name()) + " left files in the play's folder " + Quoted(step.path) +
                  "; they were kept there.");
    } else if (result == ClearResult::Failed) {
      ReportError("Could not remove " + Quoted(step.path) + " (" + what +
                  "), which Brindle made for the play. Brindle will try again at its next "
                  "start.");
      left = true;
      continue;
    }
    journal.journal.MarkUndone(i);
  }
  return left ? PutBackResult::Left : PutBackResult::Clean;
}
