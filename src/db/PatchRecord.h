#pragma once

#include <cstdint>
#include <string>

/// One installed IPS patch. The first eight fields are the columns of a [patches] line.
struct PatchRecord {
  std::string PatchName;
  std::string Author;
  std::string Version;
  std::string Description;
  std::string Filename;  // full path of the .ips file; identifies the patch
  std::string RomName;
  std::string RomSize;  // size text, for display only
  std::string RomDigest;
  int32_t SizeWord = -1;  // the target ROM's size word; used for matching

  bool operator==(const PatchRecord&) const = default;
};
