#include "platform/CSafeFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FileSystem.h"
#include "platform/Path.h"

CSafeFileWrite::~CSafeFileWrite() {
  Discard();
}

bool CSafeFileWrite::Fail(const std::string& what) {
  m_error = what + ": " + std::strerror(errno);
  Discard();
  return false;
}

void CSafeFileWrite::Discard() {
  if (m_fd < 0)
    return;
  ::unlink(m_temp.c_str());
  ::close(m_fd);
  m_fd = -1;
}

bool CSafeFileWrite::Begin(const std::string& path) {
  m_target = ResolveLinks(path);
  // Renaming over a file needs only the folder's permission: a file its user has made read-only
  // must refuse the new contents as writing into it would.
  if (::faccessat(AT_FDCWD, m_target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
    return Fail("cannot write " + m_target);
  m_fd = CreateTempFileBeside(m_target, m_temp);
  if (m_fd < 0)
    return Fail("cannot create a file in " + DirectoryOf(m_target));
  return true;
}

bool CSafeFileWrite::Append(std::string_view bytes) {
  if (m_fd < 0)
    return false;
  const off_t start = m_written;
  while (!bytes.empty()) {
    const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
    if (n < 0 && errno != EINTR)
      return Fail("cannot write " + m_temp);
    if (n > 0) {
      bytes.remove_prefix(static_cast<size_t>(n));
      m_written += n;
    }
  }
  // The disk starts on these bytes while the next are made, leaving less for Commit's flush
  // to wait for; where the system cannot, the flush does it all.
  (void)::sync_file_range(m_fd, start, m_written - start, SYNC_FILE_RANGE_WRITE);
  return true;
}

bool CSafeFileWrite::Commit() {
  if (m_fd < 0)
    return false;
  struct stat old {};
  if (::stat(m_target.c_str(), &old) == 0) {
    if (::fchmod(m_fd, old.st_mode & 07777) != 0)
      return Fail("cannot set permissions");
    // Keeping the owner only works for root; for everybody else the file is theirs anyway.
    if (::geteuid() == 0)
      (void)!::fchown(m_fd, old.st_uid, old.st_gid);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(m_fd, 0666 & ~mask) != 0)
      return Fail("cannot set permissions");
  }
  if (::fsync(m_fd) != 0)
    return Fail("cannot flush " + m_temp);
  // Renamed while still open and locked, so that nobody takes it for litter meanwhile.
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0)
    return Fail("cannot replace " + m_target);
  ::close(m_fd);
  m_fd = -1;
  // Make the rename itself durable.
  SyncFolder(DirectoryOf(m_target));
  return true;
}
