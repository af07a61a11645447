#pragma once

#include <cstdint>

#include "db/FieldText.h"

/// One installed IPS patch. The first eight fields are the columns of a [patches] line.
struct PatchRecord {
  FieldText PatchName;
  FieldText Author;
  FieldText Version;
  FieldText Description;
  FieldText Filename;  // full path of the .ips file; identifies the patch
  FieldText RomName;
  FieldText RomSize;  // size text, for display only
  FieldText RomDigest;
  int32_t SizeWord = -1;  // the target ROM's size word; used for matching

  bool operator==(const PatchRecord&) const = default;
};
