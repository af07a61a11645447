// The window's hold on its database file.
#include "app/CMainDlg.h"

bool CMainDlg::LockDatabase() {
  const std::string path = DatabasePath();
  m_databaseLock = std::make_unique<CDatabaseLock>(path);
  // A command that adds a few entries is done in a moment; a play is not waited for.
  constexpr int kWaitMs = 3000;
  const CDatabaseLock::Result result =
      m_databaseLock->Acquire(CDatabaseLock::kWindow, true, kWaitMs);
  if (result == CDatabaseLock::Result::Acquired)
    return true;
  const CDatabaseLock& lock = *m_databaseLock;
  const std::string process = "process " + std::to_string(lock.HolderPid());
  std::string text;
  if (result == CDatabaseLock::Result::Failed) {
    text = "The database " + path + " cannot be locked (" + lock.LockPath() + ": " + lock.Error() +
           "), so Brindle cannot keep other programs from writing it at the same time.\n\nCheck "
           "that you may write in its folder, then start Brindle again.";
  } else if (lock.HeldByWindow()) {
    text = "The database " + path + " is open in another Brindle window (" + process +
           ").\n\nUse that window, or close it and start Brindle again.";
  } else {
    const std::string holder = lock.Holder().empty() ? "another program" : lock.Holder();
    text = "The database " + path + " is in use by another command that is still running (" +
           holder + ", " + process + ").\n\nStart Brindle again when it has ended.";
  }
  m_prompt.Ask({text, kAppTitle, BoxIcon::Error, BoxButtons::Ok});
  m_databaseLock.reset();
  return false;
}
