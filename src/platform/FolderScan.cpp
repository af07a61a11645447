#include "platform/FolderScan.h"

#include "platform/Path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

namespace {

constexpr char kLinkBackUp[] = "The link leads back to a folder above it, so it was not followed.";
constexpr char kCircleOfLinks[] = "The link is part of a circle of links that leads nowhere.";
constexpr char kLinkToNothing[] = "The link leads to a file that does not exist.";
constexpr char kFileVanished[] = "The file disappeared during the search.";
constexpr char kFolderVanished[] = "The folder disappeared during the search.";
constexpr char kNotRegular[] = "The file is not a regular file.";

std::string Unreadable(int error) {
  return std::string("The folder cannot be read: ") + std::strerror(error) + ".";
}

std::string Unexaminable(int error) {
  return std::string("The file cannot be examined: ") + std::strerror(error) + ".";
}

using FolderId = std::pair<dev_t, ino_t>;

struct Entry {
  std::string name;
  bool folderHint = false;  // what the folder listing said, for a name that is gone by now
  bool operator<(const Entry& other) const { return name < other.name; }
};

struct Frame {
  std::string path;  // without a trailing "/", except the root folder itself
  FolderId id;
  std::vector<Entry> entries;
  size_t next = 0;
};

std::string Join(const std::string& folder, const std::string& name) {
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

class CScan {
 public:
  explicit CScan(const FolderScanHandlers& handlers) : m_on(handlers) {}

  bool Run(const std::vector<std::string>& roots) {
    for (const std::string& root : roots) {
      Enter(WithoutTrailingSlashes(root), true);
      while (!m_stack.empty()) {
        if (m_on.cancelled && m_on.cancelled())
          return false;
        Frame& top = m_stack.back();
        if (top.next == top.entries.size()) {
          m_stack.pop_back();
          continue;
        }
        const Entry entry = top.entries[top.next++];
        Visit(Join(top.path, entry.name), entry);
      }
    }
    return true;
  }

 private:
  void Report(const std::string& path, const std::string& reason, bool missed = false) {
    if (m_on.problem)
      m_on.problem(path, reason, missed);
  }

  bool Wanted(const std::string& name) const { return m_on.wanted && m_on.wanted(name); }

  void Visit(const std::string& path, const Entry& entry) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
      Missed(path, entry, errno);
      return;
    }
    if (S_ISDIR(info.st_mode)) {
      Enter(path, false);
    } else if (Wanted(entry.name)) {
      // Opening a pipe or a device named like a ROM would wait or read forever.
      if (S_ISREG(info.st_mode))
        m_on.found(path, static_cast<int64_t>(info.st_size));
      else
        Report(path, kNotRegular);
    }
  }

  // stat failed: say why where it concerns a file we wanted or a folder we would have entered.
  void Missed(const std::string& path, const Entry& entry, int error) {
    struct stat link {};
    if (error == ELOOP) {
      Report(path, kCircleOfLinks);
    } else if (error == ENOENT && ::lstat(path.c_str(), &link) == 0) {
      if (Wanted(entry.name))
        Report(path, kLinkToNothing);
    } else if (error == ENOENT) {
      if (entry.folderHint)
        Report(path, kFolderVanished);
      else if (Wanted(entry.name))
        Report(path, kFileVanished);
    } else if (entry.folderHint || Wanted(entry.name)) {
      Report(path, Unexaminable(error), true);
    }
  }

  void Enter(const std::string& path, bool root) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      const int error = errno;
      if (error == ENOENT && !root)
        Report(path, kFolderVanished);
      else
        Report(path, Unreadable(error), true);
      return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
      Report(path, Unreadable(errno), true);
      ::close(fd);
      return;
    }
    const FolderId id{info.st_dev, info.st_ino};
    const bool above = std::any_of(m_stack.begin(), m_stack.end(),
                                   [&id](const Frame& frame) { return frame.id == id; });
    if (above || !m_seen.insert(id).second) {
      // A second way into a folder already searched is quietly passed over; a way back up would
      // never end.
      if (above)
        Report(path, kLinkBackUp);
      ::close(fd);
      return;
    }
    Frame frame{path, id, {}, 0};
    if (const int error = List(fd, frame.entries); error != 0) {
      Report(path, Unreadable(error), true);
      return;
    }
    std::sort(frame.entries.begin(), frame.entries.end());
    m_stack.push_back(std::move(frame));
  }

  // Lists and closes the folder; 0 or the error that stopped the listing.
  static int List(int fd, std::vector<Entry>& entries) {
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
      const int error = errno;
      ::close(fd);
      return error;
    }
    int error = 0;
    for (;;) {
      errno = 0;
      const dirent* item = ::readdir(dir);
      if (item == nullptr) {
        error = errno;
        break;
      }
      const std::string name = item->d_name;
      if (name != "." && name != "..")
        entries.push_back({name, item->d_type == DT_DIR});
    }
    ::closedir(dir);
    return error;
  }

  const FolderScanHandlers& m_on;
  std::vector<Frame> m_stack;
  std::set<FolderId> m_seen;
};

}  // namespace

bool ScanFolders(const std::vector<std::string>& roots, const FolderScanHandlers& handlers) {
  return CScan(handlers).Run(roots);
}
