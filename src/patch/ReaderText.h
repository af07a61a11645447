#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Pieces of the readers' texts about what is wrong.

/// " at byte 12": where in the patch a record begins, counted from 0.
inline std::string AtByte(uint64_t position) {
  return " at byte " + std::to_string(position);
}

/// "1 byte", "12 bytes".
inline std::string ByteCount(uint64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

/// A CRC-32 as eight hexadecimal digits, as patching tools show it.
inline std::string CrcText(uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(crc));
  return text;
}
