#pragma once

#include <cstdint>
#include <string>

// The size word: megabits in bits 0 to 7, the 512-byte copier-header flag in bit 8, -1 for no
// size at all.

inline constexpr int32_t kHeaderFlag = 256;
inline constexpr int32_t kNoSize = -1;

inline int32_t Megabits(int32_t sizeWord) {
  return sizeWord & 0xFF;
}
inline bool HasHeader(int32_t sizeWord) {
  return (sizeWord & kHeaderFlag) != 0;
}

/// "%dMbit%s" with `noHeaderSuffix` when the header flag is clear, nothing when it is set.
std::string FormatSizeText(int32_t sizeWord, const char* noHeaderSuffix);
