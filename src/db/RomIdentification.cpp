#include <algorithm>
#include <memory>

#include "db/ArchivedRoms.h"
#include "db/CPatchDB.h"
#include "db/RomImage.h"
#include "db/SizeWord.h"
#include "md5/MD5.h"
#include "parser/TextUtil.h"

namespace {

constexpr int64_t kMebibyte = 1048576;
constexpr int64_t kCopierHeaderLength = 512;
constexpr int64_t kNameOffset = 0xFFC0;  // within the ROM data
constexpr int64_t kNameLength = 21;
// Big enough that the digest runs at full speed, small enough that a file of any size needs no
// more memory than this.
constexpr int64_t kHashChunk = kMebibyte;

bool HasCopierHeader(int64_t length) {
  return (length - kCopierHeaderLength) % kMebibyte == 0;
}

}  // namespace

int64_t RomNameOffset(int64_t length) {
  // The low-20-bit test is the copier header rule in another form; it agrees for every length.
  return ((length - kCopierHeaderLength) & (kMebibyte - 1)) == 0 ? kNameOffset + kCopierHeaderLength
                                                                 : kNameOffset;
}

std::string RomNameFromBytes(std::string_view bytes) {
  bytes = bytes.substr(0, kNameLength);
  std::string name(bytes.substr(0, bytes.find('\0')));
  const size_t last = name.find_last_not_of(' ');
  name.erase(last == std::string::npos ? 0 : last + 1);
  return name;
}

bool SizeRomRecord(int64_t length, RomRecord& rom) {
  int32_t sizeWord = 0;
  int64_t dataLength = length;
  if (HasCopierHeader(length)) {
    sizeWord |= kHeaderFlag;
    dataLength -= kCopierHeaderLength;
  }
  const int64_t megabits = 8 * (dataLength / kMebibyte);
  // 256 megabits or more would spill into the header flag; and a size of three digits does not
  // survive brindle.dat, whose reader takes only the first two (104Mbit would come back as 10).
  // No SNES ROM comes near either: the largest are 64 megabits.
  if (megabits > 99)
    return false;
  sizeWord |= static_cast<int32_t>(megabits);

  rom.ForcedName.clear();
  rom.UseForcedName = false;
  rom.SizeWord = sizeWord;
  // This form keeps the blank before the empty header text: "32Mbit " for a headered ROM.
  rom.RomSize =
      std::to_string(Megabits(sizeWord)) + "Mbit " + (HasHeader(sizeWord) ? "" : "(No header)");
  return true;
}

std::string CPatchDB::GetRomName(CFile& file) {
  if (!file.IsOpen())
    return kInvalidRomNameText;
  const int64_t length = file.Length();
  const int64_t offset = RomNameOffset(length);
  char bytes[kNameLength];
  int64_t count = file.Seek(offset) ? file.Read(bytes, kNameLength) : -1;
  // A file that ends inside the name (or cannot be read there) yields the bytes that exist.
  if (count < 0)
    count = 0;
  return RomNameFromBytes(std::string_view(bytes, static_cast<size_t>(count)));
}

std::string CPatchDB::GetFileHash(CFile& file) {
  if (!file.IsOpen())
    return kInvalidFileHashText;
  const int64_t length = file.Length();
  if (length < 0 || !file.Seek(0))
    return kInvalidFileHashText;
  const int64_t chunkLength = std::clamp<int64_t>(length, 1, kHashChunk);
  const auto chunk =
      std::make_unique_for_overwrite<unsigned char[]>(static_cast<size_t>(chunkLength));
  MD5 digest;
  for (int64_t left = length; left > 0;) {
    const int64_t want = std::min(left, chunkLength);
    // A file that shrank or failed to read must not pass for the digest of what was read.
    if (file.Read(chunk.get(), want) != want)
      return kInvalidFileHashText;
    digest.update(chunk.get(), static_cast<uint32_t>(want));
    left -= want;
  }
  digest.finalize();
  return digest.hex_digest();
}

std::string CPatchDB::GetFileHash(const std::string& path) {
  if (const auto member = SplitArchivePath(path))
    return ArchivedFileHash(*member);
  CFile file;
  if (!file.Open(path, CFile::Mode::Read))
    return kInvalidFileHashText;
  return GetFileHash(file);
}

std::string CPatchDB::StripParens(const std::string& name) {
  const size_t open = name.find('(');
  if (open == std::string::npos)
    return name;
  const size_t close = name.rfind(')');
  std::string stripped = name;
  if (close != std::string::npos && close > open) {
    stripped.erase(open, close - open + 1);
  } else {
    stripped.erase(open);
  }
  return TrimTrailingBlanks(stripped);
}

bool CPatchDB::IdentifyRom(CFile& file, const std::string& path, RomRecord& rom) {
  RomRecord identified;
  if (!SizeRomRecord(file.Length(), identified))
    return false;
  identified.RomName = GetRomName(file);
  identified.Filename = path;
  identified.RomDigest = GetFileHash(file);
  rom = std::move(identified);
  return true;
}
