#include "platform/Path.h"

#include "platform/Folders.h"

#include <unistd.h>

#include <climits>
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
