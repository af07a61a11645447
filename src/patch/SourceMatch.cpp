#include "patch/SourceMatch.h"

#include <algorithm>
#include <vector>

#include "patch/Crc32.h"
#include "platform/ArchivePath.h"
#include "platform/CArchiveReader.h"
#include "platform/CFile.h"

namespace {

// A member of an archive is read whole to be compared; no ROM comes near this.
constexpr int64_t kLargestSource = 64 * 1024 * 1024;

}  // namespace

SourceMatch MatchPatchSource(const std::string& romPath, const PatchSummary& patch,
                             std::string* error) {
  if (const auto member = SplitArchivePath(romPath)) {
    std::string bytes;
    if (!CArchiveReader::ReadMember(member->archive, member->member, kLargestSource, bytes,
                                    error)) {
      return SourceMatch::Unreadable;
    }
    return MatchPatchSourceBytes(bytes, patch);
  }
  CFile file;
  if (!file.Open(romPath, CFile::Mode::Read, error))
    return SourceMatch::Unreadable;
  const int64_t length = file.Length();
  if (length < 0) {
    if (error)
      *error = "its length cannot be told";
    return SourceMatch::Unreadable;
  }
  const uint64_t size = static_cast<uint64_t>(length);
  const bool headered = patch.sourceSize <= UINT64_MAX - kCopierHeaderBytes &&
                        size == patch.sourceSize + kCopierHeaderBytes;
  if (size != patch.sourceSize && !headered)
    return SourceMatch::Other;

  const int64_t start = headered ? kCopierHeaderBytes : 0;
  uint32_t crc = 0;
  std::vector<char> buffer(1 << 20);
  int64_t left = length - start;
  if (!file.Seek(start))
    left = -1;
  while (left > 0) {
    const int64_t got = file.Read(buffer.data(), std::min<int64_t>(left, buffer.size()));
    if (got <= 0)
      break;
    crc = Crc32Update(crc, std::string_view(buffer.data(), static_cast<size_t>(got)));
    left -= got;
  }
  if (left != 0) {
    if (error)
      *error = "it could not be read to its end";
    return SourceMatch::Unreadable;
  }
  if (crc != patch.sourceCrc)
    return SourceMatch::Other;
  return headered ? SourceMatch::SameWithoutHeader : SourceMatch::Same;
}

SourceMatch MatchPatchSourceBytes(std::string_view rom, const PatchSummary& patch) {
  if (rom.size() == patch.sourceSize && Crc32(rom) == patch.sourceCrc)
    return SourceMatch::Same;
  if (rom.size() >= kCopierHeaderBytes && rom.size() - kCopierHeaderBytes == patch.sourceSize &&
      Crc32(rom.substr(kCopierHeaderBytes)) == patch.sourceCrc) {
    return SourceMatch::SameWithoutHeader;
  }
  return SourceMatch::Other;
}
