#include "platform/CDatabaseLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/FileSystem.h"

CDatabaseLock::CDatabaseLock(const std::string& databasePath)
    // Through a link to the database it is still that database's lock.
    : m_path(ResolveLinks(databasePath) + ".lock") {}

CDatabaseLock::~CDatabaseLock() {
  if (m_fd >= 0) {
    // Nobody holds it any more; the lock itself goes with the descriptor.
    (void)!::ftruncate(m_fd, 0);
    ::close(m_fd);
  }
}

CDatabaseLock::Result CDatabaseLock::Acquire(const std::string& who, bool lasting, int waitMs) {
  if (m_fd >= 0)
    return Result::Acquired;
  const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    m_error = std::strerror(errno);
    return Result::Failed;
  }
  for (int waited = 0;; waited += 50) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
      break;
    if (errno == EINTR)
      continue;
    if (errno != EWOULDBLOCK) {
      m_error = std::strerror(errno);
      ::close(fd);
      return Result::Failed;
    }
    m_fd = fd;
    ReadHolder();
    m_fd = -1;
    if (m_holderLasting || waited >= waitMs) {
      ::close(fd);
      return Result::Held;
    }
    ::usleep(50 * 1000);
  }
  const std::string line = std::to_string(::getpid()) + (lasting ? " L " : " S ") + who + "\n";
  if (::ftruncate(fd, 0) != 0 ||
      ::pwrite(fd, line.data(), line.size(), 0) != static_cast<ssize_t>(line.size())) {
    // The lock holds all the same; only the name for others is missing.
  }
  m_fd = fd;
  m_holder.clear();
  m_holderPid = 0;
  m_holderLasting = false;
  return Result::Acquired;
}

void CDatabaseLock::ReadHolder() {
  char buffer[512];
  const ssize_t n = ::pread(m_fd, buffer, sizeof buffer - 1, 0);
  m_holder.clear();
  m_holderPid = 0;
  m_holderLasting = false;
  if (n <= 0)
    return;
  std::string text(buffer, static_cast<size_t>(n));
  text = text.substr(0, text.find('\n'));
  const size_t blank = text.find(' ');
  if (blank == std::string::npos || text.size() < blank + 3 || text[blank + 2] != ' ')
    return;
  m_holderPid = static_cast<pid_t>(std::atol(text.substr(0, blank).c_str()));
  m_holderLasting = text[blank + 1] == 'L';
  m_holder = text.substr(blank + 3);
}
