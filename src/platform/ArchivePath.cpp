#include "platform/ArchivePath.h"

#include <initializer_list>

#include "parser/TextUtil.h"

namespace {

bool EndsWithExtension(const std::string& text, size_t end,
                       std::initializer_list<const char*> extensions) {
  for (const char* extension : extensions) {
    const size_t length = std::char_traits<char>::length(extension);
    if (end > length && AsciiLowerCopy(text.substr(end - length, length)) == extension &&
        text[end - length - 1] != '/') {
      return true;
    }
  }
  return false;
}

}  // namespace

bool IsArchiveFileName(const std::string& path) {
  return EndsWithExtension(path, path.size(), {".zip", ".7z", ".gz"});
}

bool IsGzipFileName(const std::string& path) {
  return EndsWithExtension(path, path.size(), {".gz"});
}

std::optional<ArchiveMemberPath> SplitArchivePath(const std::string& path) {
  for (size_t hash = path.find('#'); hash != std::string::npos; hash = path.find('#', hash + 1)) {
    if (EndsWithExtension(path, hash, {".zip", ".7z", ".gz"})) {
      if (hash + 1 == path.size())
        return std::nullopt;
      return ArchiveMemberPath{path.substr(0, hash), path.substr(hash + 1)};
    }
  }
  return std::nullopt;
}

std::string JoinArchivePath(const std::string& archive, const std::string& member) {
  return archive + "#" + member;
}
