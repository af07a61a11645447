// ROMs kept in .zip, .7z and .gz archives: identified from the member's bytes as they are
// unpacked, exactly as the same bytes in a file of their own would be.
#include "db/ArchivedRoms.h"

#include <algorithm>
#include <memory>

#include "db/CPatchDB.h"
#include "db/FileKinds.h"
#include "db/RomImage.h"
#include "md5/MD5.h"
#include "platform/CArchiveReader.h"
#include "platform/CFile.h"

namespace {

constexpr size_t kChunk = 256 * 1024;

// Feeds the current member to `take` chunk by chunk; false when the archive could not be read
// or the member reached `limit` bytes. `length` is what was read.
template <typename Take>
bool StreamMember(CArchiveReader& reader, int64_t limit, int64_t& length, Take take) {
  const auto chunk = std::make_unique_for_overwrite<unsigned char[]>(kChunk);
  length = 0;
  for (;;) {
    const int64_t got = reader.Read(chunk.get(), kChunk);
    if (got <= 0)
      return got == 0;
    length += got;
    if (length >= limit)
      return false;
    take(chunk.get(), static_cast<size_t>(got));
  }
}

}  // namespace

std::string ArchiveRefusal(const std::string& path, const std::string& reason) {
  return "Cannot add ROM to database:\n" + path + "\n\n" + reason;
}

std::string UnreadableArchive(const std::string& path, const std::string& error) {
  return ArchiveRefusal(path, "The archive could not be read (" + error + ").");
}

std::string EncryptedArchive(const std::string& path) {
  return ArchiveRefusal(path,
                        "The ROM is in an encrypted archive, which Brindle cannot read. Unpack "
                        "it, or pack it again without a password.");
}

std::string IdentifyArchiveMember(CArchiveReader& reader, const CArchiveReader::Member& member,
                                  const std::string& path, RomRecord& rom) {
  if (member.encrypted)
    return EncryptedArchive(path);
  MD5 digest;
  std::string start;
  int64_t length = 0;
  const bool read = StreamMember(
      reader, kTooLargeRomLength, length, [&](const unsigned char* bytes, size_t count) {
        if (start.size() < kRomNameEnd) {
          const size_t keep = std::min(count, static_cast<size_t>(kRomNameEnd) - start.size());
          start.append(reinterpret_cast<const char*>(bytes), keep);
        }
        digest.update(bytes, static_cast<uint32_t>(count));
      });
  if (!read && length >= kTooLargeRomLength)
    return "The ROM file is too large to be a SNES ROM image.";
  if (!read)
    return UnreadableArchive(path, reader.Error());
  digest.finalize();
  RomRecord identified;
  SizeRomRecord(length, identified);
  const size_t offset = static_cast<size_t>(RomNameOffset(length));
  identified.RomName = offset < start.size() ? RomNameFromBytes(start.substr(offset)) : "";
  identified.Filename = path;
  identified.RomDigest = digest.hex_digest();
  rom = std::move(identified);
  return {};
}

std::string ReadArchivedRom(const ArchiveMemberPath& where, const std::string& path,
                            RomRecord& rom) {
  CArchiveReader reader;
  if (CFile file; !file.Open(where.archive, CFile::Mode::Read))
    return "Could not open ROM file.";
  CArchiveReader::Member member;
  if (!reader.Open(where.archive) || !reader.Find(where.member, member)) {
    if (!reader.Error().empty())
      return UnreadableArchive(path, reader.Error());
    return ArchiveRefusal(path, "The archive holds no file named \"" + where.member + "\".");
  }
  return IdentifyArchiveMember(reader, member, path, rom);
}

std::string ArchivedFileHash(const ArchiveMemberPath& where) {
  CArchiveReader reader;
  CArchiveReader::Member member;
  if (!reader.Open(where.archive) || !reader.Find(where.member, member) || member.encrypted)
    return CPatchDB::kInvalidFileHashText;
  MD5 digest;
  int64_t length = 0;
  // No size limit here: a digest of what is there, as for a file of its own.
  if (!StreamMember(reader, INT64_MAX, length, [&](const unsigned char* bytes, size_t count) {
        digest.update(bytes, static_cast<uint32_t>(count));
      })) {
    return CPatchDB::kInvalidFileHashText;
  }
  digest.finalize();
  return digest.hex_digest();
}

std::vector<CPatchDB::RomRead> IdentifyArchiveRoms(const std::string& path) {
  std::vector<CPatchDB::RomRead> roms;
  if (CFile file; !file.Open(path, CFile::Mode::Read)) {
    roms.push_back({"Could not open ROM file.", {}});
    return roms;
  }
  CArchiveReader reader;
  CArchiveReader::Member member;
  const bool gzip = IsGzipFileName(path);
  const bool open = reader.Open(path);
  while (open && reader.Next(member)) {
    // A .gz file holds one file, whatever its name; other archives may hold anything.
    if (!member.regular || (!gzip && !IsRomFileName(member.name)))
      continue;
    CPatchDB::RomRead read;
    const std::string memberPath = JoinArchivePath(path, member.name);
    read.error = IdentifyArchiveMember(reader, member, memberPath, read.rom);
    read.rom.Filename = memberPath;
    roms.push_back(std::move(read));
  }
  if (!reader.Error().empty())
    roms.push_back({UnreadableArchive(path, reader.Error()), {}});
  else if (roms.empty())
    roms.push_back({ArchiveRefusal(path,
                                   "The archive holds no SNES ROM image (a file ending in .smc, "
                                   ".sfc, .fig or .swc)."),
                    {}});
  return roms;
}

bool ArchiveMemberExists(const ArchiveMemberPath& where) {
  CArchiveReader reader;
  CArchiveReader::Member member;
  return reader.Open(where.archive) && reader.Find(where.member, member);
}
