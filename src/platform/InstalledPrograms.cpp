#include "platform/InstalledPrograms.h"

#include <glob.h>
#include <sys/stat.h>

namespace {

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
