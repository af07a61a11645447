// The steps of a play that change things, each recorded in the journal before it is taken, and
// their undoing.
#include <unistd.h>

#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "play/CPatchPlayer.h"
#include "play/JournalUndo.h"

bool CPatchPlayer::Journal(const JournalStep& step) {
  std::string error;
  if (m_journal.Append(step, &error)) {
    Moment();
    return true;
  }
  ReportJournalFailure(error);
  return false;
}

void CPatchPlayer::ReportJournalFailure(const std::string& error) {
  ReportError("Could not write " + m_journalPath + " (" + error +
              "), which lets Brindle put the ROM's name back after a crash. The patch was not "
              "played.");
}

void CPatchPlayer::MarkUndone(JournalStep::Kind kind) {
  for (size_t i = 0; i < m_journal.Steps.size(); ++i) {
    if (m_journal.Steps[i].kind == kind && !m_journal.Steps[i].undone)
      m_journal.MarkUndone(i);
  }
}

bool CPatchPlayer::Prepare() {
  // What this play puts back (and what its journal records) is only what this play replaced.
  m_savedDirectories.clear();
  m_journal = CPlayJournal();
  m_journal.Player = GetProcessStamp(::getpid());
  std::string error;
  bool exists = false;
  if (!m_journal.Create(m_journalPath, &error, &exists)) {
    if (exists)
      ReportUnfinishedPlay();
    else
      ReportJournalFailure(error);
    return false;
  }
  Moment();
  if (!SetSaveDirectory(m_patchFolder)) {
    UndoSteps();
    return false;
  }

  if (!m_patchLink.empty()) {
    // A bare file name: the link leads to the patch beside it, wherever the folder goes.
    const std::string target = m_patch->Filename.substr(m_patchFolder.size());
    if (!Journal(JournalStep::Link(m_patchLink, target))) {
      UndoSteps();
      return false;
    }
    if (!CreateSymbolicLink(target, m_patchLink, &error)) {
      m_journal.MarkUndone(m_journal.Steps.size() - 1);  // never made
      ReportError("Could not create \"" + m_patchLink + "\" (" + error +
                  "), under which ZSNES would find the patch. The patch was not played.");
      UndoSteps();
      return false;
    }
    Moment();
  }

  if (m_rename) {
    if (!Journal(JournalStep::Rename(m_rom->Filename, m_playName))) {
      UndoSteps();
      return false;
    }
    if (!RenameNoReplace(m_rom->Filename, m_playName)) {
      m_journal.MarkUndone(m_journal.Steps.size() - 1);  // never renamed
      ReportError("Error RP00A: Could not rename ROM file.");
      UndoSteps();
      return false;
    }
    Moment();
  }
  return true;
}

void CPatchPlayer::Run() {
  std::vector<std::string> command = SplitProgramText(m_db.ZExecutable);
  command.push_back(m_playName);
  // The emulator waits until it is in the journal: there is no moment in which it runs the game
  // and a recovery could not know of it.
  HeldProcess emulator = StartHeldProcess(command, m_db.ZSNES);
  if (emulator.pid > 0) {
    const std::optional<ProcessStamp> stamp = GetProcessStamp(emulator.pid);
    if (!stamp || !Journal(JournalStep::Emulator(*stamp))) {
      AbandonProcess(emulator);
      return;
    }
    if (ReleaseProcess(emulator)) {
      Moment();
      WaitForProcess(emulator.pid);
      return;
    }
  }
  ReportError(
      "Could not create ZSNES process.\n\t\t\t\nCheck ZSNES Configuration to make sure the "
      "emulator is correctly configured.");
}

bool CPatchPlayer::PutBack() {
  return UndoSteps();
}

bool CPatchPlayer::UndoSteps() {
  const auto pending = [this](JournalStep::Kind kind) {
    for (const JournalStep& step : m_journal.Steps) {
      if (step.kind == kind && !step.undone)
        return true;
    }
    return false;
  };
  bool all = true;
  bool renamedBack = true;
  // In the reverse order of the steps. Never onto an existing file: whatever appeared under the
  // recorded name meanwhile survives.
  if (pending(JournalStep::Kind::Rename)) {
    renamedBack = RenameNoReplace(m_playName, m_rom->Filename);
    Moment();
    if (renamedBack)
      MarkUndone(JournalStep::Kind::Rename);
  }
  if (pending(JournalStep::Kind::Link)) {
    const bool removed = RemovePatchLink();
    Moment();
    if (removed)
      MarkUndone(JournalStep::Kind::Link);
    else
      all = false;
  }
  if (pending(JournalStep::Kind::Value)) {
    const bool restored = RestoreSaveDirectory();
    Moment();
    if (restored)
      MarkUndone(JournalStep::Kind::Value);
    else
      all = false;
  }
  // Whatever could not be put back stays in the journal for the next start to try again.
  if (all && renamedBack && !m_journalPath.empty())
    CPlayJournal::Remove(m_journalPath);
  else if (!m_journalPath.empty())
    m_journal.MarkEnded();
  if (!renamedBack) {
    ReportError("Error RP00A: Could not re-rename ROM file.");
    return false;
  }
  return true;
}

bool CPatchPlayer::RemovePatchLink() {
  for (const JournalStep& step : m_journal.Steps) {
    if (step.kind == JournalStep::Kind::Link && !step.undone && !UndoLink(step).done)
      return false;
  }
  return true;
}
