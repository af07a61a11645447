#include "support/RomImage.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

bool MakeRomImage(const std::string& path, int64_t length, int64_t offset,
                  const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return false;
  const bool sized = ::ftruncate(fd, static_cast<off_t>(length)) == 0;
  if (::close(fd) != 0 || !sized)
    return false;
  if (bytes.empty() || offset >= length)
    return true;
  const int64_t count = std::min<int64_t>(static_cast<int64_t>(bytes.size()), length - offset);
  return WriteBytesAt(path, offset, bytes.substr(0, static_cast<size_t>(count)));
}

bool WriteBytesAt(const std::string& path, int64_t offset, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) ==
                       static_cast<ssize_t>(bytes.size());
  return ::close(fd) == 0 && written;
}
