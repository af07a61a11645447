#pragma once

#include <sys/types.h>

#include <string>

/// The lock that belongs to a database file: an advisory lock on "<file>.lock" beside it, held
/// by everything that writes the file (the window for its lifetime, the commands that add, play
/// or recover). The holder writes who it is into the lock file, so that whoever waits can say
/// who holds it. The kernel drops the lock when the process ends.
class CDatabaseLock final {
 public:
  enum class Result { Acquired, Held, Failed };
  /// What the window writes as its name; commands write their own command line.
  static constexpr const char* kWindow = "window";

  explicit CDatabaseLock(const std::string& databasePath);
  ~CDatabaseLock();
  CDatabaseLock(const CDatabaseLock&) = delete;
  CDatabaseLock& operator=(const CDatabaseLock&) = delete;

  /// Takes the lock as `who`. While a command holds it, waits up to `waitMs` milliseconds for it
  /// to end; a window is never waited for, since it holds the lock until it closes.
  Result Acquire(const std::string& who, int waitMs);

  /// After Held: who holds the lock, as it wrote itself ("window", or a command), and its process
  /// id (0 when it has not written them yet). After Failed: why.
  const std::string& Holder() const { return m_holder; }
  pid_t HolderPid() const { return m_holderPid; }
  bool HeldByWindow() const { return m_holder == kWindow; }
  const std::string& Error() const { return m_error; }
  const std::string& LockPath() const { return m_path; }

 private:
  void ReadHolder();

  std::string m_path;
  int m_fd = -1;
  std::string m_holder;
  pid_t m_holderPid = 0;
  std::string m_error;
};
