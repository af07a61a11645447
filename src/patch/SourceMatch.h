#pragma once

#include <string>
#include <string_view>

#include "patch/PatchSummary.h"

/// How a ROM file stands to the ROM a BPS or UPS patch was made for.
enum class SourceMatch {
  Same,               // the file is that ROM
  SameWithoutHeader,  // the file is that ROM behind a 512-byte copier header
  Other,              // the file is another ROM
  Unreadable,         // the file cannot be read
};

/// Compares a ROM file's (or an archive member's, "archive.zip#member") CRC-32 with the patch's
/// source CRC-32: the whole file's, and, for a file 512 bytes longer than the patch's source, the
/// file's without its first 512 bytes. Only a file of one of those two sizes is read. `error` says
/// why an unreadable file could not be read.
SourceMatch MatchPatchSource(const std::string& romPath, const PatchSummary& patch,
                             std::string* error = nullptr);

/// The same, for a ROM's bytes in memory.
SourceMatch MatchPatchSourceBytes(std::string_view rom, const PatchSummary& patch);

/// The length of a copier header.
inline constexpr size_t kCopierHeaderBytes = 512;
