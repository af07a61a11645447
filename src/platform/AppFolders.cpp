#include "platform/AppFolders.h"

#include <cstdlib>
#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Path.h"

#ifndef BRINDLE_DATA_FROM_BIN
#define BRINDLE_DATA_FROM_BIN "../share/brindle"
#endif

#ifndef BRINDLE_DOC_FROM_BIN
#define BRINDLE_DOC_FROM_BIN "../share/doc/brindle"
#endif

namespace {

std::string Child(const std::string& folder, const std::string& name) {
  const std::string parent = WithoutTrailingSlashes(folder);
  return parent + (parent == "/" ? "" : "/") + name;
}

}  // namespace

std::string GetAppDir() {
  const std::string beside = DirectoryOf(GetExecutablePath());
  // The executable's path has its links resolved, so ".." here is the real parent folder.
  const std::string installed =
      std::filesystem::path(beside + "/" BRINDLE_DATA_FROM_BIN).lexically_normal().string();
  if (GetPathKind(installed) == PathKind::Folder)
    return WithoutTrailingSlashes(installed);
  return beside;
}

std::string GetDatabaseDir() {
  const std::string beside = DirectoryOf(GetExecutablePath());
  // Anything named brindle.dat counts, even one that cannot be read: the window then says what
  // is wrong with it rather than starting afresh somewhere else.
  if (PathExists(beside + "/portable.txt") || PathExists(beside + "/brindle.dat"))
    return beside;
  // A relative $XDG_DATA_HOME is to be ignored, as the base-folder rules say.
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/')
    return Child(data, "brindle");
  // $HOME first, as the base-folder rules have it, then the password database.
  const char* homeVariable = std::getenv("HOME");
  const std::string home =
      homeVariable && homeVariable[0] == '/' ? std::string(homeVariable) : GetHomeFolder();
  if (home.empty())
    return beside;
  return Child(home, ".local/share/brindle");
}

std::string GetUserGuidePath() {
  const std::string beside = DirectoryOf(GetExecutablePath());
  const std::string built = beside + "/doc/index.html";
  if (GetPathKind(built) == PathKind::File)
    return built;
  return std::filesystem::path(beside + "/" BRINDLE_DOC_FROM_BIN "/index.html")
      .lexically_normal()
      .string();
}
