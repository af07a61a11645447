#pragma once

#include <string>

/// The single-instance rule: an advisory lock on a file named after the application in the
/// user's runtime folder. The kernel drops the lock when the process ends, so a crash never
/// blocks the next start.
class CInstanceLock final {
 public:
  enum class Result { Acquired, HeldByAnother, Failed };

  /// `folder` empty means $XDG_RUNTIME_DIR, or a per-user folder under /tmp without it. Without
  /// a folder of the user's own, Acquire fails.
  explicit CInstanceLock(std::string name, std::string folder = {});
  ~CInstanceLock();
  CInstanceLock(const CInstanceLock&) = delete;
  CInstanceLock& operator=(const CInstanceLock&) = delete;

  Result Acquire();
  const std::string& LockPath() const { return m_path; }

 private:
  std::string m_path;
  int m_fd = -1;
};

/// The per-user runtime folder: $XDG_RUNTIME_DIR, or /tmp/<name>-<uid> made private; empty when
/// that folder exists and is not the user's own.
std::string UserRuntimeFolder(const std::string& name);
