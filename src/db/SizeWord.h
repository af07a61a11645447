#pragma once

#include <array>
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

/// The ROM sizes the information dialogs offer, in megabits, in the order of their list. The
/// dialogs keep the header flag in a check box of its own.
inline constexpr std::array<int32_t, 13> kRomSizeList = {1,  2,  4,  8,  10, 12, 16,
                                                         20, 24, 28, 32, 48, 64};
/// The list's text at `index`, "1Mbit" to "64Mbit"; empty outside the list.
std::string RomSizeListText(int index);
/// The first list index with the size word's megabits, whatever its header flag; -1 when the list
/// has no such size (as for no size at all).
int RomSizeListIndex(int32_t sizeWord);
/// The size word of a list index and the header check box; kNoSize for an index outside the
/// list.
int32_t SizeWordFromList(int index, bool header);
