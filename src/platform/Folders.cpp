#include "platform/Folders.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace {

// Mount points in the mount table write blanks, tabs, line ends and backslashes as octal escapes.
std::string UnescapeMountField(const std::string& field) {
  std::string text;
  for (size_t i = 0; i < field.size(); ++i) {
    const auto octal = [&](size_t at) { return field[at] >= '0' && field[at] <= '7'; };
    if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

bool IsBelow(const std::string& path, const std::string& folder) {
  if (folder == "/")
    return !path.empty() && path[0] == '/';
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

bool IsNetworkFileSystem(const std::string& type) {
  for (const char* network : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs"}) {
    if (type == network)
      return true;
  }
  return false;
}

}  // namespace

PathKind GetPathKind(const std::string& path) {
  struct stat info {};
  if (path.empty())
    return PathKind::Missing;
  if (::stat(path.c_str(), &info) != 0)
    return errno == EACCES ? PathKind::Unreachable : PathKind::Missing;
  return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::File;
}

bool CreateFolderWithParents(const std::string& path, std::string* error) {
  // One level at a time from the top, so that every missing parent is made on the way down.
  size_t end = 0;
  while (end != std::string::npos) {
    end = path.find('/', end + 1);
    const std::string level = path.substr(0, end);
    if (level.empty() || GetPathKind(level) == PathKind::Folder)
      continue;
    if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) {
      if (error)
        *error = level + ": " + std::strerror(errno);
      return false;
    }
  }
  if (GetPathKind(path) == PathKind::Folder)
    return true;
  if (error)
    *error = path + ": " + std::strerror(ENOTDIR);
  return false;
}

DriveType DriveTypeFromMounts(const std::string& path, const std::string& mountTable) {
  std::istringstream lines(mountTable);
  std::string line, best, bestType;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device, mountPoint, type;
    if (!(fields >> device >> mountPoint >> type))
      continue;
    mountPoint = UnescapeMountField(mountPoint);
    // The deepest mount wins; a later mount on the same point hides an earlier one.
    if (IsBelow(path, mountPoint) && mountPoint.size() >= best.size()) {
      best = mountPoint;
      bestType = type;
    }
  }
  if (IsNetworkFileSystem(bestType))
    return DriveType::Network;
  if (bestType == "iso9660" || bestType == "udf")
    return DriveType::CdRom;
  if (IsBelow(best, "/media") || IsBelow(best, "/run/media"))
    return DriveType::Removable;
  return DriveType::Fixed;
}

DriveType GetDriveType(const std::string& path) {
  std::string table;
  ReadWholeFile("/proc/self/mounts", table);
  return DriveTypeFromMounts(path, table);
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr)
    return names;
  while (const dirent* entry = ::readdir(dir))
    names.emplace_back(entry->d_name);
  ::closedir(dir);
  return names;
}

bool IsFolderCaseInsensitive(const std::string& folder) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (const std::string& name : ListFolder(folder)) {
    std::string other = name;
    for (char& c : other) {
      const unsigned char u = static_cast<unsigned char>(c);
      c = static_cast<char>(std::islower(u) ? std::toupper(u) : std::tolower(u));
    }
    if (other == name)
      continue;
    struct stat mine {
    }, theirs{};
    if (::stat((prefix + name).c_str(), &mine) != 0)
      continue;
    return ::stat((prefix + other).c_str(), &theirs) == 0 && mine.st_ino == theirs.st_ino &&
           mine.st_dev == theirs.st_dev;
  }
  return false;
}

std::string GetHomeFolder() {
  const char* home = std::getenv("HOME");
  std::string folder = home && *home ? home : "";
  if (folder.empty()) {
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
      folder = user->pw_dir;
  }
  return WithoutTrailingSlashes(folder);
}

std::optional<std::string> GetPasswordHomeFolder() {
  const passwd* user = ::getpwuid(::getuid());
  if (user == nullptr || user->pw_dir == nullptr)
    return std::nullopt;
  std::string folder = user->pw_dir;
  while (!folder.empty() && folder.back() == '/')
    folder.pop_back();
  return folder;
}
