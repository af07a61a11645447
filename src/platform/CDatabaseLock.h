#pragma once

#include <sys/types.h>

#include <string>

/// The lock that belongs to a database file: an advisory lock on "<file>.lock" beside it, held
/// by everything that writes the file (the window for its lifetime, the commands that add, play
/// or recover). The holder writes who it is into the lock file, so that whoever waits can say
/// who holds it ("<pid> <L or S> <who>": L for a holder that keeps it long). The kernel drops
/// the lock when the process ends.
class CDatabaseLock final {
 public:
  enum class Result { Acquired, Held, Failed };
  /// What the window writes as its name; commands write their own command line.
  static constexpr const char* kWindow = "window";

  explicit CDatabaseLock(const std::string& databasePath);
  ~CDatabaseLock();
  CDatabaseLock(const CDatabaseLock&) = delete;
  CDatabaseLock& operator=(const CDatabaseLock&) = delete;

  /// Takes the lock as `who`; `lasting` when it is held for long (a window, a play), so that
  /// nobody waits for it. While a short holder has it, waits up to `waitMs` milliseconds.
  Result Acquire(const std::string& who, bool lasting, int waitMs);

  /// After Held: who holds the lock, as it wrote itself ("window", or a command), and its process
  /// id (0 when it has not written them yet). After Failed: why.
  const std::string& Holder() const { return m_holder; }
  pid_t HolderPid() const { return m_holderPid; }
  bool HeldByWindow() const { return m_holder == kWindow; }
  bool HeldForLong() const { return m_holderLasting; }
  const std::string& Error() const { return m_error; }
  const std::string& LockPath() const { return m_path; }

 private:
  void ReadHolder();

  std::string m_path;
  int m_fd = -1;
  std::string m_holder;
  pid_t m_holderPid = 0;
  bool m_holderLasting = false;
  std::string m_error;
};
