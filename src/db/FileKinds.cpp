#include "db/FileKinds.h"

#include <algorithm>
#include <initializer_list>

#include "parser/TextUtil.h"
#include "patch/PatchFormat.h"

namespace {

bool HasExtension(const std::string& path, std::initializer_list<const char*> extensions) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
    return false;
  const std::string extension = AsciiLowerCopy(path.substr(dot));
  return std::any_of(extensions.begin(), extensions.end(),
                     [&extension](const char* e) { return extension == e; });
}

}  // namespace

bool IsRomFileName(const std::string& path) {
  return HasExtension(path, {".smc", ".sfc", ".fig", ".swc"});
}

bool IsRomArchiveFileName(const std::string& path) {
  if (HasExtension(path, {".gz"}))
    return IsRomFileName(path.substr(0, path.size() - 3));
  return HasExtension(path, {".zip", ".7z"});
}

bool IsPatchFileName(const std::string& path) {
  return PatchFormatFromPath(path).has_value();
}
