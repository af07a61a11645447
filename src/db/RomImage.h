#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "db/RomRecord.h"

// The rules by which a ROM image of a given length is sized and named, shared by the ROM files
// read from the disk and those read out of archives.

/// A ROM image this long or longer is too large for a size word (more than 99 megabits).
inline constexpr int64_t kTooLargeRomLength = 13 * 1048576;
/// The internal name lies before this offset, for every length.
inline constexpr int64_t kRomNameEnd = 0x101C0 + 21;

/// Where the internal name of an image of `length` bytes begins.
int64_t RomNameOffset(int64_t length);
/// The internal name from the bytes at its offset (21 or fewer when the image ends there).
std::string RomNameFromBytes(std::string_view bytes);
/// Sets the size word and size text of an image of `length` bytes and clears the forced name;
/// false, with `rom` untouched, when it is too large.
bool SizeRomRecord(int64_t length, RomRecord& rom);
