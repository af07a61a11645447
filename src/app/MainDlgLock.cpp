// The window's hold on its database file, and reading the file.
#include <malloc.h>

#include <system_error>

#include "app/CMainDlg.h"

namespace {

// The C library gives a thread's allocations a heap of their own and widens it a few pages at a
// time as they grow, a system call each time: a large collection took a third longer to read on
// a thread than on the main one. Asking for a wide heap (reserved, used only as it fills) while
// the thread starts takes that away.
constexpr int kLoadingHeapPad = 64 << 20;
constexpr int kHeapPad = 128 << 10;  // the library's own

}  // namespace

void CMainDlg::StartLoading() {
  m_databaseLock = std::make_unique<CDatabaseLock>(DatabasePath());
  auto load = [this] {
    // A command that adds a few entries is done in a moment; a play is not waited for.
    constexpr int kWaitMs = 3000;
    m_lockResult = m_databaseLock->Acquire(CDatabaseLock::kWindow, true, kWaitMs);
    if (m_lockResult == CDatabaseLock::Result::Acquired)
      m_loaded = m_db.Load(DatabasePath());
    mallopt(M_TOP_PAD, kHeapPad);
    // What reading used for a while (its buffer, its tables) goes back to the system.
    malloc_trim(0);
  };
  m_dbPrompt.Hold();
  mallopt(M_TOP_PAD, kLoadingHeapPad);
  try {
    m_loader = std::thread(load);
  } catch (const std::system_error&) {
    load();  // no thread to be had: read it now
  }
}

void CMainDlg::FinishLoading() {
  if (m_loader.joinable())
    m_loader.join();
  m_dbPrompt.Release();
}

bool CMainDlg::LockDatabase() {
  const std::string path = DatabasePath();
  const CDatabaseLock::Result result = m_lockResult;
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
