#include "platform/Path.h"

#include "platform/Folders.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <vector>

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const std::string name = path.substr(FolderOf(path).size());
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string CurrentFolder() {
  std::vector<char> buffer(PATH_MAX + 1);
  if (::getcwd(buffer.data(), buffer.size()) == nullptr)
    return std::string();
  return buffer.data();
}

std::string MakeAbsolute(const std::string& path, const std::string& base) {
  if (path.empty() || path[0] == '/' || base.empty())
    return path;
  return base + (base.back() == '/' ? "" : "/") + path;
}

std::string MakeAbsolute(const std::string& path) {
  return path.empty() || path[0] == '/' ? path : MakeAbsolute(path, CurrentFolder());
}

std::string NormalizePath(const std::string& path) {
  const std::string absolute = MakeAbsolute(path);
  std::vector<std::string> names;
  bool up = false;
  size_t start = 0;
  while (start <= absolute.size()) {
    const size_t slash = std::min(absolute.find('/', start), absolute.size());
    const std::string name = absolute.substr(start, slash - start);
    if (!name.empty() && name != ".") {
      names.push_back(name);
      up = up || name == "..";
    }
    start = slash + 1;
  }
  std::string folder;
  for (size_t i = 0; i + 1 < names.size(); ++i)
    folder += "/" + names[i];
  const std::string last = names.empty() ? std::string() : names.back();
  if (!up)
    return folder + "/" + last;
  // The folder as the disk has it; the name itself may be a link of its own and stays.
  const std::string spelled = last == ".." ? folder + "/.." : folder.empty() ? "/" : folder;
  if (char* real = ::realpath(spelled.c_str(), nullptr)) {
    std::string resolved = real;
    std::free(real);
    if (last == "..")
      return resolved;
    return resolved + (resolved == "/" ? "" : "/") + last;
  }
  return std::filesystem::path(absolute).lexically_normal().string();
}

std::string ExpandHome(const std::string& path, const std::string& home) {
  if (path.empty() || path[0] != '~' || (path.size() > 1 && path[1] != '/'))
    return path;
  // The home folder "/" would otherwise give "//name".
  const std::string rest = path.substr(1);
  if (home == "/" && !rest.empty())
    return rest;
  return home + rest;
}

std::string ExpandHome(const std::string& path) {
  return path.empty() || path[0] != '~' ? path : ExpandHome(path, GetHomeFolder());
}

std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}
