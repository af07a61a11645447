#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// A patch set: installed patches of one ROM, applied in order and played as one entry, with
/// saves of its own (`<SetName>.srm` in the folder of its first patch).
struct PatchSetRecord {
  static constexpr size_t kLeastPatches = 2;
  static constexpr size_t kMostPatches = 10;

  std::string SetName;  // identifies the set; names its saves
  std::string Author;
  std::string Version;
  std::string Description;
  std::string RomName;  // the ROM every one of its patches is for
  std::string RomSize;  // size text, for display only
  std::string RomDigest;
  std::vector<std::string> Patches;  // installed patches' Filenames, in the order applied
  int32_t SizeWord = -1;
  std::vector<std::string> OtherLines;  // fields of a later version, written back as read

  bool operator==(const PatchSetRecord&) const = default;
};
