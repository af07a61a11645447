#include "platform/CFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

CFile::~CFile() {
  Close();
}

CFile::CFile(CFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

CFile& CFile::operator=(CFile&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

bool CFile::Open(const std::string& path, Mode mode, std::string* error) {
  Close();
  // Without O_NONBLOCK, opening a FIFO would wait for a writer for good; the flag is taken off
  // again once the file is known to be a regular one.
  const int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  int fd;
  do {
    fd = ::open(path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (error)
      *error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  const bool known = ::fstat(fd, &info) == 0;
  if (!known || !S_ISREG(info.st_mode)) {
    if (error) {
      *error = !known                  ? std::strerror(errno)
               : S_ISDIR(info.st_mode) ? std::strerror(EISDIR)
                                       : "not a regular file";
    }
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  m_fd = fd;
  return true;
}

void CFile::Close() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
}

int64_t CFile::Length() const {
  if (m_fd < 0)
    return -1;
  struct stat info {};
  if (::fstat(m_fd, &info) != 0)
    return -1;
  return static_cast<int64_t>(info.st_size);
}

bool CFile::Seek(int64_t offset) {
  if (m_fd < 0)
    return false;
  return ::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

int64_t CFile::Read(void* buffer, int64_t size) {
  if (m_fd < 0)
    return -1;
  char* out = static_cast<char*>(buffer);
  int64_t total = 0;
  while (total < size) {
    const ssize_t n = ::read(m_fd, out + total, static_cast<size_t>(size - total));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return -1;
    }
    if (n == 0)
      break;
    total += n;
  }
  return total;
}
