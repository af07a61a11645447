#include "play/PlayJournalFile.h"

#include "db/CPatchDB.h"
#include "platform/PlayFolders.h"
#include "play/PlayFiles.h"

bool PlayJournalFile::Journal(const JournalStep& step) {
  std::string error;
  if (journal.Append(step, &error)) {
    Moment();
    return true;
  }
  ReportFailure(error);
  return false;
}

bool PlayJournalFile::MakeFile(const std::string& file, const std::string& bytes) {
  if (!Journal(JournalStep::File(file, DigestOfBytes(bytes))))
    return false;
  std::string error;
  if (!WriteNewFile(file, bytes, &error)) {
    NotTaken();
    m_db.ReportError("Could not create " + Quoted(file) + " (" + error + "). " + m_db.NotPlayed());
    return false;
  }
  Moment();
  return true;
}

void PlayJournalFile::ReportFailure(const std::string& error) const {
  m_db.ReportError("Could not write " + path + " (" + error +
                   "), which lets Brindle put the ROM's name back after a crash. " +
                   m_db.NotPlayed());
}

void PlayJournalFile::MarkUndone(JournalStep::Kind kind) {
  for (size_t i = 0; i < journal.Steps.size(); ++i) {
    if (journal.Steps[i].kind == kind && !journal.Steps[i].undone)
      journal.MarkUndone(i);
  }
}

bool PlayJournalFile::Pending(JournalStep::Kind kind) const {
  for (const JournalStep& step : journal.Steps) {
    if (step.kind == kind && !step.undone)
      return true;
  }
  return false;
}
