#include "platform/FileSystem.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/CFile.h"
#include "platform/Path.h"

namespace {

// Follows symbolic links so that a link to the file keeps pointing at the new contents.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
      return current;
    std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size() - 1);
    if (n < 0)
      return current;
    std::string next(target.data(), static_cast<size_t>(n));
    if (next.empty() || next[0] != '/')
      next = FolderOf(current) + next;
    current = next;
  }
  return current;
}

bool Fail(std::string* error, const std::string& what) {
  if (error)
    *error = what + ": " + std::strerror(errno);
  return false;
}

// The system's own text for the last failure.
bool FailPlain(std::string* error) {
  if (error)
    *error = std::strerror(errno);
  return false;
}

}  // namespace

bool WriteFileSafely(const std::string& path, const std::string& bytes, std::string* error) {
  const std::string target = ResolveLinks(path);
  const std::string folder = DirectoryOf(target);
  // Renaming over a file needs only the folder's permission: a file its user has made read-only
  // must refuse the new contents as writing into it would.
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
    return Fail(error, "cannot write " + target);
  std::string temp = target + ".XXXXXX";
  std::vector<char> pattern(temp.begin(), temp.end());
  pattern.push_back('\0');
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0)
    return Fail(error, "cannot create a file in " + folder);
  temp.assign(pattern.data());

  bool ok = true;
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (ok && left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      ok = Fail(error, "cannot write " + temp);
    } else {
      data += n;
      left -= static_cast<size_t>(n);
    }
  }
  struct stat old {};
  if (ok && ::stat(target.c_str(), &old) == 0) {
    if (::fchmod(fd, old.st_mode & 07777) != 0)
      ok = Fail(error, "cannot set permissions");
    // Keeping the owner only works for root; for everybody else the file is theirs anyway.
    if (ok && ::geteuid() == 0)
      (void)!::fchown(fd, old.st_uid, old.st_gid);
  } else if (ok) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd, 0666 & ~mask) != 0)
      ok = Fail(error, "cannot set permissions");
  }
  if (ok && ::fsync(fd) != 0)
    ok = Fail(error, "cannot flush " + temp);
  if (::close(fd) != 0 && ok)
    ok = Fail(error, "cannot close " + temp);
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0)
    ok = Fail(error, "cannot replace " + target);
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

bool RenameNoReplace(const std::string& from, const std::string& to, std::string* error) {
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) ==
      0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS)
    return FailPlain(error);
#endif
  // File systems without renameat2 support: a hard link fails when the target exists.
  if (::link(from.c_str(), to.c_str()) != 0)
    return FailPlain(error);
  if (::unlink(from.c_str()) != 0) {
    FailPlain(error);
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

std::string GetExecutablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0)
    return {};
  return std::string(buffer.data(), static_cast<size_t>(n));
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error,
                   CFile::Mode mode) {
  CFile file;
  if (!file.Open(path, mode, error))
    return false;
  bytes.clear();
  if (const int64_t length = file.Length(); length > 0)
    bytes.reserve(static_cast<size_t>(length));
  char chunk[65536];
  for (;;) {
    const int64_t n = file.Read(chunk, sizeof chunk);
    if (n < 0) {
      if (error)
        *error = "read error";
      return false;
    }
    if (n == 0)
      break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  return true;
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool IsMissing(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool CreateSymbolicLink(const std::string& target, const std::string& link, std::string* error) {
  if (::symlink(target.c_str(), link.c_str()) == 0)
    return true;
  return FailPlain(error);
}

bool IsSymbolicLink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool CanCreateFilesIn(const std::string& folder) {
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool RemoveFile(const std::string& path, std::string* error) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT)
    return true;
  return FailPlain(error);
}
