#include "play/PlayFiles.h"

#include "md5/MD5.h"
#include "platform/CInstanceLock.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/PlayFolders.h"

std::string CreateRunFolder(std::string* error) {
  const std::string runtime = UserRuntimeFolder("brindle");
  if (runtime.empty()) {
    if (error)
      *error = "no folder of this user's own to make it in";
    return std::string();
  }
  return CreateUniqueFolder(runtime + "/brindle-play-", error);
}

std::string DigestOfBytes(const std::string& bytes) {
  return MD5(reinterpret_cast<const unsigned char*>(bytes.data()),
             static_cast<uint32_t>(bytes.size()))
      .hex_digest();
}

ClearResult ClearRunFolder(const std::string& folder, const std::vector<std::string>& entries,
                           std::string* what) {
  for (const std::string& entry : entries) {
    const std::string path = folder + "/" + entry;
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

ClearResult RemoveMadeFile(const CPlayJournal::MadeFile& file, std::string* what) {
  if (!PathExists(file.path))
    return ClearResult::Done;
  std::string bytes;
  if (IsSymbolicLink(file.path) || !ReadWholeFile(file.path, bytes) ||
      DigestOfBytes(bytes) != file.digest) {
    if (what)
      *what = "it was changed since";
    return ClearResult::Kept;
  }
  return RemoveFile(file.path, what) ? ClearResult::Done : ClearResult::Failed;
}
