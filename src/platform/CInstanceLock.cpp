#include "platform/CInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

std::string UserRuntimeFolder(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime == '/') {
    struct stat info {};
    if (::stat(runtime, &info) == 0 && S_ISDIR(info.st_mode))
      return runtime;
  }
  // Anybody can make this name in /tmp first. A folder another user made, or a link, would let
  // that user hold the lock or answer in our place: it is never used.
  const std::string folder = "/tmp/" + name + "-" + std::to_string(::getuid());
  ::mkdir(folder.c_str(), 0700);
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
    return std::string();
  if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
    return std::string();
  return folder;
}

CInstanceLock::CInstanceLock(std::string name, std::string folder) {
  if (folder.empty())
    folder = UserRuntimeFolder(name);
  if (!folder.empty())
    m_path = folder + "/" + name + ".lock";
}

CInstanceLock::~CInstanceLock() {
  if (m_fd >= 0)
    ::close(m_fd);
}

CInstanceLock::Result CInstanceLock::Acquire() {
  if (m_fd >= 0)
    return Result::Acquired;
  if (m_path.empty())
    return Result::Failed;
  const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0)
    return Result::Failed;
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held ? Result::HeldByAnother : Result::Failed;
  }
  m_fd = fd;
  return Result::Acquired;
}
