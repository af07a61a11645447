#include "platform/Flatpak.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <tuple>

#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Path.h"

namespace {

std::string EnvironmentOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? WithoutTrailingSlashes(value) : fallback;
}

// Where a path really is, every link on the way followed; the path itself when it cannot be
// followed (it is not there).
std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

bool IsBelow(const std::string& path, const std::string& folder) {
  if (folder == "/")
    return true;
  return path.compare(0, folder.size(), folder) == 0 &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

// The "filesystems" value of a key file's [Context] group, split at ";".
std::vector<std::string> ContextFilesystems(const std::string& bytes) {
  std::vector<std::string> entries;
  bool inContext = false;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos)
      end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inContext = line == "[Context]";
    } else if (inContext && line.compare(0, 12, "filesystems=") == 0) {
      const std::string value = line.substr(12);
      for (size_t at = 0; at <= value.size();) {
        size_t semi = value.find(';', at);
        if (semi == std::string::npos)
          semi = value.size();
        if (semi > at)
          entries.push_back(value.substr(at, semi - at));
        at = semi + 1;
      }
    }
  }
  return entries;
}

// An entry without its ":ro", ":rw" or ":create".
std::string WithoutMode(const std::string& entry) {
  const size_t colon = entry.rfind(':');
  if (colon == std::string::npos)
    return entry;
  const std::string mode = entry.substr(colon + 1);
  return mode == "ro" || mode == "rw" || mode == "create" ? entry.substr(0, colon) : entry;
}

// A folder the user's ~/.config/user-dirs.dirs names (XDG_DOWNLOAD_DIR="$HOME/Downloads"), as
// the sandbox's own lookup finds it; `fallback` under the home folder when it names none.
std::string UserDirectory(const std::string& key, const char* fallback, const std::string& home) {
  std::string bytes;
  const std::string file = EnvironmentOr("XDG_CONFIG_HOME", home + "/.config") + "/user-dirs.dirs";
  if (ReadWholeFile(file, bytes, nullptr, CFile::Mode::Read, 1 << 16)) {
    const std::string start = key + "=\"";
    for (size_t at = bytes.find(start); at != std::string::npos; at = bytes.find(start, at + 1)) {
      if (at != 0 && bytes[at - 1] != '\n')
        continue;
      const size_t from = at + start.size();
      const size_t to = bytes.find('"', from);
      if (to == std::string::npos)
        break;
      std::string folder = bytes.substr(from, to - from);
      if (folder.compare(0, 5, "$HOME") == 0)
        folder = home + folder.substr(5);
      if (!folder.empty() && folder[0] == '/')
        return WithoutTrailingSlashes(folder);
    }
  }
  return home + "/" + fallback;
}

// The folders of the XDG base and user directories.
std::optional<std::string> XdgUserFolder(const std::string& name, const std::string& home) {
  static const std::tuple<const char*, const char*, const char*> kFolders[] = {
      {"xdg-desktop", "XDG_DESKTOP_DIR", "Desktop"},
      {"xdg-documents", "XDG_DOCUMENTS_DIR", "Documents"},
      {"xdg-download", "XDG_DOWNLOAD_DIR", "Downloads"},
      {"xdg-music", "XDG_MUSIC_DIR", "Music"},
      {"xdg-pictures", "XDG_PICTURES_DIR", "Pictures"},
      {"xdg-public-share", "XDG_PUBLICSHARE_DIR", "Public"},
      {"xdg-templates", "XDG_TEMPLATES_DIR", "Templates"},
      {"xdg-videos", "XDG_VIDEOS_DIR", "Videos"}};
  for (const auto& [entry, key, fallback] : kFolders) {
    if (name == entry)
      return UserDirectory(key, fallback, home);
  }
  if (name == "xdg-config")
    return EnvironmentOr("XDG_CONFIG_HOME", home + "/.config");
  if (name == "xdg-data")
    return EnvironmentOr("XDG_DATA_HOME", home + "/.local/share");
  if (name == "xdg-cache")
    return EnvironmentOr("XDG_CACHE_HOME", home + "/.cache");
  return std::nullopt;
}

// The folder an entry opens; "/" for host, which excludes the folders checked below.
std::optional<std::string> EntryFolder(const std::string& entry, const std::string& home) {
  if (entry == "host")
    return std::string("/");
  if (entry == "home" || entry == "~")
    return home;
  if (entry.compare(0, 2, "~/") == 0)
    return home + entry.substr(1);
  if (entry.compare(0, 5, "home/") == 0)
    return home + entry.substr(4);
  if (!entry.empty() && entry[0] == '/')
    return WithoutTrailingSlashes(entry);
  const size_t slash = entry.find('/');
  const std::string head = entry.substr(0, slash);
  const std::string tail = slash == std::string::npos ? "" : entry.substr(slash);
  if (head == "xdg-run")
    return EnvironmentOr("XDG_RUNTIME_DIR", "/run/user") + tail;
  if (const auto folder = XdgUserFolder(head, home))
    return *folder + tail;
  return std::nullopt;
}

// What "host" leaves out: the sandbox has folders of its own there (its /tmp among them), and
// of /run only /run/media is the host's.
bool HostShares(const std::string& path) {
  for (const char* own : {"/app", "/bin", "/boot", "/dev", "/etc", "/lib", "/lib32", "/lib64",
                          "/proc", "/root", "/sbin", "/sys", "/tmp", "/usr", "/var"}) {
    if (IsBelow(path, own))
      return false;
  }
  return !IsBelow(path, "/run") || IsBelow(path, "/run/media");
}

}  // namespace

std::vector<std::string> FlatpakInstallations() {
  const std::string home = GetHomeFolder();
  const std::string data = EnvironmentOr("XDG_DATA_HOME", home + "/.local/share");
  return {EnvironmentOr("FLATPAK_USER_DIR", data + "/flatpak"),
          EnvironmentOr("FLATPAK_SYSTEM_DIR", "/var/lib/flatpak")};
}

std::string FindFlatpakLauncher(const std::string& appId) {
  for (const std::string& installation : FlatpakInstallations()) {
    const std::string launcher = installation + "/exports/bin/" + appId;
    if (GetPathKind(launcher) == PathKind::File)
      return launcher;
  }
  return std::string();
}

std::string FlatpakAppOfCommand(const std::vector<std::string>& words) {
  if (words.empty())
    return std::string();
  const std::string& program = words[0];
  for (const std::string& installation : FlatpakInstallations()) {
    const std::string exports = installation + "/exports/bin/";
    if (program.compare(0, exports.size(), exports) == 0 &&
        program.find('/', exports.size()) == std::string::npos) {
      return program.substr(exports.size());
    }
  }
  if (program.substr(FolderOf(program).size()) != "flatpak" || words.size() < 2 ||
      words[1] != "run") {
    return std::string();
  }
  // The first word after "run" that is not an option is the app.
  for (size_t i = 2; i < words.size(); ++i) {
    if (words[i].empty() || words[i][0] != '-')
      return words[i].substr(0, words[i].find('/'));
  }
  return std::string();
}

std::optional<std::vector<std::string>> FlatpakFilesystems(const std::string& appId) {
  const std::vector<std::string> installations = FlatpakInstallations();
  std::optional<std::vector<std::string>> entries;
  for (const std::string& installation : installations) {
    std::string bytes;
    if (ReadWholeFile(installation + "/app/" + appId + "/current/active/metadata", bytes, nullptr,
                      CFile::Mode::Read, 1 << 20)) {
      entries = ContextFilesystems(bytes);
      break;
    }
  }
  if (!entries)
    return std::nullopt;
  // The system's overrides first, then the user's, which come last and so win.
  for (auto installation = installations.rbegin(); installation != installations.rend();
       ++installation) {
    std::string bytes;
    if (!ReadWholeFile(*installation + "/overrides/" + appId, bytes, nullptr, CFile::Mode::Read,
                       1 << 20))
      continue;
    for (const std::string& entry : ContextFilesystems(bytes)) {
      const bool removes = entry[0] == '!';
      const std::string name = WithoutMode(removes ? entry.substr(1) : entry);
      std::erase_if(*entries, [&name](const std::string& e) { return WithoutMode(e) == name; });
      if (!removes)
        entries->push_back(entry);
    }
  }
  return entries;
}

FlatpakAccess FlatpakAccessTo(const std::vector<std::string>& filesystems, const std::string& appId,
                              const std::string& given, const std::string& home) {
  // The sandbox is given the real folders: a link into the home folder from elsewhere does not
  // take it there.
  const std::string path = RealPath(given);
  if (IsBelow(path, RealPath(home + "/.var/app/" + appId)))
    return FlatpakAccess::ReadWrite;
  FlatpakAccess access = FlatpakAccess::None;
  for (const std::string& entry : filesystems) {
    if (entry.empty() || entry[0] == '!')
      continue;
    const std::string name = WithoutMode(entry);
    const auto folder = EntryFolder(name, home);
    if (!folder)
      continue;
    const bool opens = name == "host" ? HostShares(path) || IsBelow(path, RealPath(home))
                                      : IsBelow(path, RealPath(*folder));
    if (opens) {
      const bool readOnly = entry.size() > 3 && entry.compare(entry.size() - 3, 3, ":ro") == 0;
      access = std::max(access, readOnly ? FlatpakAccess::Read : FlatpakAccess::ReadWrite);
    }
  }
  return access;
}
