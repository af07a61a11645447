// The steps of a play that change things: the journal claimed, the emulator's part made and put
// back, the emulator recorded before it runs.
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Process.h"
#include "play/CPatchPlayer.h"

bool CPatchPlayer::Prepare() {
  CPlayJournal& journal = m_journal.journal;
  journal = CPlayJournal();
  journal.Player = GetProcessStamp(::getpid());
  std::string error;
  bool exists = false;
  if (!journal.Create(m_journal.path, &error, &exists)) {
    if (exists)
      ReportUnfinishedPlay();
    else
      m_journal.ReportFailure(error);
    return false;
  }
  m_journal.Moment();
  if (m_emulator->Prepare(m_journal))
    return true;
  Finish(m_emulator->PutBack(m_journal));
  return false;
}

bool CPatchPlayer::Run() {
  const PlayCommand command = m_emulator->Command();
  // The emulator waits until it is in the journal: there is no moment in which it runs the game
  // and a recovery could not know of it.
  HeldProcess emulator = StartHeldProcess(command.words, command.folder);
  if (emulator.pid > 0) {
    const std::optional<ProcessStamp> stamp = GetProcessStamp(emulator.pid);
    if (!stamp) {
      AbandonProcess(emulator);
      ReportError(std::string("Could not identify the ") + m_emulator->Name() +
                  " process that was started, which Brindle notes before the game runs. " +
                  m_db.NotPlayed());
      return false;
    }
    if (!m_journal.Journal(JournalStep::Emulator(*stamp))) {
      AbandonProcess(emulator);  // the journal has said why
      return false;
    }
    if (ReleaseProcess(emulator)) {
      m_journal.Moment();
      const int status = WaitForProcess(emulator.pid);
      // An exit status of its own is the emulator's business (RetroArch, Mednafen and ZSNES all
      // exit with 0 when their window is closed or they are asked to end with SIGTERM); ended
      // by a signal, it crashed or was killed, and the game was cut short.
      if (status != -1 && WIFSIGNALED(status))
        m_endSignal = WTERMSIG(status);
      return true;
    }
  }
  const std::string name = m_emulator->Name();
  ReportError("Could not create " + name + " process.\n\t\t\t\nCheck " + name +
              " Configuration to make sure the emulator is correctly configured.");
  return true;
}

bool CPatchPlayer::PutBack() {
  return Finish(m_emulator->PutBack(m_journal));
}

bool CPatchPlayer::Finish(PutBackResult result) {
  // Whatever could not be put back stays in the journal for the next start to try again.
  if (!m_journal.path.empty()) {
    if (result == PutBackResult::Clean)
      CPlayJournal::Remove(m_journal.path);
    else
      m_journal.journal.MarkEnded();
  }
  if (result == PutBackResult::RomLost) {
    ReportError("Error RP00A: Could not re-rename ROM file.");
    return false;
  }
  return true;
}

void CPatchPlayer::ReportAbnormalEnd() const {
  const char* abbreviation = ::sigabbrev_np(m_endSignal);
  const std::string name =
      abbreviation != nullptr ? std::string("SIG") + abbreviation : std::string("unknown");
  ReportError(std::string(m_emulator->Name()) + " ended abnormally (signal " +
              std::to_string(m_endSignal) + ", " + name + ").");
}
