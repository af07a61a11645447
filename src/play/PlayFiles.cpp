#include "play/PlayFiles.h"

#include <random>

#include "md5/MD5.h"
#include "platform/ArchivePath.h"
#include "platform/CInstanceLock.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Path.h"
#include "platform/PlayFolders.h"

std::string NewRunFolderName(std::string* error) {
  const std::string runtime = UserRuntimeFolder("brindle");
  if (runtime.empty()) {
    if (error)
      *error = "there is no folder of this user's own to make it in";
    return std::string();
  }
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  std::string name = runtime + "/brindle-play-";
  for (int i = 0; i < 8; ++i)
    name += kLetters[random() % (sizeof kLetters - 1)];
  return name;
}

std::string DigestOfBytes(const std::string& bytes) {
  return MD5(reinterpret_cast<const unsigned char*>(bytes.data()),
             static_cast<uint32_t>(bytes.size()))
      .hex_digest();
}

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names)
    text += (text.empty() ? "" : "/") + name;
  return text;
}

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < text.size()) {
    const size_t slash = text.find('/', start);
    const size_t end = slash == std::string::npos ? text.size() : slash;
    // A name is never empty, ".." or "." here: such a part of a damaged journal is skipped.
    const std::string name = text.substr(start, end - start);
    if (!name.empty() && name != "." && name != "..")
      names.push_back(name);
    start = end + 1;
  }
  return names;
}

ClearResult ClearRunFolder(const std::string& folder, const std::vector<std::string>& names,
                           std::string* what) {
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    // A folder in its place is not something the play made.
    if (GetPathKind(path) == PathKind::Folder && !IsSymbolicLink(path))
      continue;
    if (!RemoveFile(path, what))
      return ClearResult::Failed;
  }
  bool notEmpty = false;
  if (RemoveEmptyFolder(folder, what, &notEmpty))
    return ClearResult::Done;
  return notEmpty ? ClearResult::Kept : ClearResult::Failed;
}

ClearResult RemoveMadeFile(const std::string& path, const std::string& digest, std::string* what) {
  if (!PathExists(path))
    return ClearResult::Done;
  if (!digest.empty()) {
    std::string bytes;
    // What a play makes is a few lines: anything much larger is not what it made.
    constexpr int64_t kMadeFileLimit = 1 << 20;
    if (IsSymbolicLink(path) ||
        !ReadWholeFile(path, bytes, nullptr, CFile::Mode::Read, kMadeFileLimit) ||
        DigestOfBytes(bytes) != digest) {
      return ClearResult::Kept;
    }
  }
  return RemoveFile(path, what) ? ClearResult::Done : ClearResult::Failed;
}

std::string GameExtension(const std::string& romPath) {
  // A ROM kept in an archive is given to the emulator unpacked: the member's extension.
  const auto member = SplitArchivePath(romPath);
  const std::string& path = member ? member->member : romPath;
  const std::string name = path.substr(FolderOf(path).size());
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? ".sfc" : name.substr(dot);
}

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}
