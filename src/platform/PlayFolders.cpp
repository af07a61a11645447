#include "platform/PlayFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool Fail(std::string* error) {
  if (error)
    *error = std::strerror(errno);
  return false;
}

}  // namespace

bool CreatePrivateFolder(const std::string& path, std::string* error) {
  if (::mkdir(path.c_str(), 0700) == 0)
    return true;
  return Fail(error);
}

bool RemoveEmptyFolder(const std::string& path, std::string* error, bool* notEmpty) {
  if (notEmpty)
    *notEmpty = false;
  if (::rmdir(path.c_str()) == 0 || errno == ENOENT)
    return true;
  if (notEmpty)
    *notEmpty = errno == ENOTEMPTY || errno == EEXIST;
  return Fail(error);
}

bool WriteNewFile(const std::string& path, const std::string& bytes, std::string* error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0)
    return Fail(error);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      Fail(error);
      ::close(fd);
      ::unlink(path.c_str());
      return false;
    }
    written += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) {
    Fail(error);
    ::unlink(path.c_str());
    return false;
  }
  return true;
}
