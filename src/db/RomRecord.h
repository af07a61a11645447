#pragma once

#include <cstdint>

#include "db/FieldText.h"

/// One installed ROM image. The first four fields are the columns of a [roms] line; the forced
/// name is its optional fifth column.
struct RomRecord {
  FieldText RomName;
  FieldText RomSize;  // size text, for display only
  FieldText Filename;
  FieldText RomDigest;
  FieldText ForcedName;
  bool UseForcedName = false;
  int32_t SizeWord = -1;

  bool operator==(const RomRecord&) const = default;
};
