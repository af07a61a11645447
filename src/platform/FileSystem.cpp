#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

#include "platform/CFile.h"
#include "platform/CSafeFileWrite.h"
#include "platform/Path.h"

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

namespace {

// When this process started, as near as a file's time can tell: a temporary file older than
// this was left by an earlier process.
const timespec kProcessStart = [] {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now;
}();

// Our temporary files carry a mark of their own: a user's "brindle.dat.backup" must never be
// taken for one.
constexpr std::string_view kTempMark = ".brindle-tmp-";
constexpr size_t kTempRandom = 6;  // as mkostemp fills in

bool IsTempSuffix(std::string_view suffix) {
  if (suffix.size() != kTempMark.size() + kTempRandom || !suffix.starts_with(kTempMark))
    return false;
  for (size_t i = kTempMark.size(); i < suffix.size(); ++i) {
    const char c = suffix[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
      return false;
  }
  return true;
}

// The system's own text for the last failure.
bool FailPlain(std::string* error) {
  if (error)
    *error = std::strerror(errno);
  return false;
}

}  // namespace

bool WriteFileSafely(const std::string& path, const std::string& bytes, std::string* error) {
  CSafeFileWrite file;
  if (file.Begin(path) && file.Append(bytes) && file.Commit())
    return true;
  if (error)
    *error = file.Error();
  return false;
}

void SyncFolder(const std::string& folder) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

int CreateTempFileBeside(const std::string& path, std::string& temp) {
  std::string pattern = path + std::string(kTempMark) + std::string(kTempRandom, 'X');
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0)
    return -1;
  temp = pattern;
  // Held until the file is renamed or removed: a file of this name that nobody holds is litter.
  ::flock(fd, LOCK_EX | LOCK_NB);
  return fd;
}

int RemoveStaleTempFiles(const std::string& path) {
  const std::string target = ResolveLinks(path);
  const std::string folder = DirectoryOf(target);
  const std::string name = target.substr(FolderOf(target).size());
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr)
    return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string entryName = entry->d_name;
    if (entryName.compare(0, name.size(), name) != 0 ||
        !IsTempSuffix(entryName.substr(name.size()))) {
      continue;
    }
    const std::string candidate = folder + "/" + entryName;
    const int fd = ::open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
      continue;
    struct stat info {};
    const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                       (info.st_mtim.tv_sec < kProcessStart.tv_sec ||
                        (info.st_mtim.tv_sec == kProcessStart.tv_sec &&
                         info.st_mtim.tv_nsec < kProcessStart.tv_nsec)) &&
                       ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (stale && ::unlink(candidate.c_str()) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
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
                   CFile::Mode mode, int64_t maxSize) {
  CFile file;
  if (!file.Open(path, mode, error))
    return false;
  bytes.clear();
  const int64_t length = file.Length();
  const auto tooLarge = [&] {
    if (error)
      *error = "larger than " + std::to_string(maxSize) + " bytes";
    return false;
  };
  if (maxSize >= 0 && length > maxSize)
    return tooLarge();
  // Read straight into the bytes, then on in pieces: the file may grow while we read it.
  size_t got = 0;
  if (length > 0) {
    bytes.resize(static_cast<size_t>(length));
    while (got < bytes.size()) {
      const int64_t n = file.Read(bytes.data() + got, static_cast<int64_t>(bytes.size() - got));
      if (n <= 0)
        break;
      got += static_cast<size_t>(n);
    }
    bytes.resize(got);
  }
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
    if (maxSize >= 0 && static_cast<int64_t>(bytes.size()) > maxSize)
      return tooLarge();
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

std::string ReadSymbolicLink(const std::string& path) {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size() - 1);
  return n <= 0 ? std::string() : std::string(buffer.data(), static_cast<size_t>(n));
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
