#include "platform/InstalledPrograms.h"

#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> LibretroFolders() {
  std::vector<std::string> folders;
  for (const char* pattern : {"/usr/lib/libretro", "/usr/lib/*/libretro", "/usr/local/lib/libretro",
                              "/usr/local/lib/*/libretro"}) {
    glob_t found{};
    if (::glob(pattern, GLOB_ONLYDIR, nullptr, &found) == 0) {
      for (size_t i = 0; i < found.gl_pathc; ++i)
        folders.emplace_back(found.gl_pathv[i]);
    }
    ::globfree(&found);
  }
  return folders;
}

}  // namespace

std::string FindProgram(const std::string& name, const std::vector<std::string>& moreFolders) {
  std::vector<std::string> folders;
  const char* path = std::getenv("PATH");
  for (std::string rest = path ? path : ""; !rest.empty();) {
    const size_t colon = rest.find(':');
    const std::string folder = rest.substr(0, colon);
    // An empty entry is the current folder, which a desktop program has no business searching.
    if (!folder.empty() && folder[0] == '/')
      folders.push_back(folder);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
  }
  folders.insert(folders.end(), moreFolders.begin(), moreFolders.end());
  for (const std::string& folder : folders) {
    const std::string candidate = folder + (folder.back() == '/' ? "" : "/") + name;
    if (IsExecutableFile(candidate))
      return candidate;
  }
  return std::string();
}

std::vector<std::string> FindLibretroCores(const std::vector<std::string>& fileNames) {
  const std::vector<std::string> folders = LibretroFolders();
  std::vector<std::string> cores;
  for (const std::string& name : fileNames) {
    for (const std::string& folder : folders) {
      struct stat info {};
      const std::string path = folder + "/" + name;
      if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        cores.push_back(path);
        break;
      }
    }
  }
  return cores;
}
