#pragma once

#include <cstdint>
#include <string>

/// One installed ROM image. The first four fields are the columns of a [roms] line; the forced
/// name is its optional fifth column.
struct RomRecord {
  std::string RomName;
  std::string RomSize;  // size text, for display only
  std::string Filename;
  std::string RomDigest;
  std::string ForcedName;
  bool UseForcedName = false;
  int32_t SizeWord = -1;

  bool operator==(const RomRecord&) const = default;
};
