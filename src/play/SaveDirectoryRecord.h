#pragma once

#include <optional>
#include <string>

/// The places where the emulator looks for a patch, one field for each way its configuration
/// file can name them. A field that is empty (optional without a value) leaves its lines alone.
struct SaveDirectoryRecord {
  /// "SaveDirectory = " lines, as ZSNES 1.42 and older write them.
  std::string SaveDirectory;
  /// SRAMPath="..." lines of ZSNES 1.51, decoded.
  std::optional<std::string> SRAMPath;
  /// IPSPath="..." lines of later versions, decoded; only lines with a value are ever touched.
  std::optional<std::string> IPSPath;
};
