#include "db/SizeWord.h"

std::string FormatSizeText(int32_t sizeWord, const char* noHeaderSuffix) {
  return std::to_string(Megabits(sizeWord)) + "Mbit" + (HasHeader(sizeWord) ? "" : noHeaderSuffix);
}

std::string RomSizeListText(int index) {
  if (index < 0 || index >= static_cast<int>(kRomSizeList.size()))
    return std::string();
  return std::to_string(kRomSizeList[static_cast<size_t>(index)]) + "Mbit";
}

int RomSizeListIndex(int32_t sizeWord) {
  for (size_t i = 0; i < kRomSizeList.size(); ++i) {
    if (kRomSizeList[i] == Megabits(sizeWord))
      return static_cast<int>(i);
  }
  return -1;
}

int32_t SizeWordFromList(int index, bool header) {
  if (index < 0 || index >= static_cast<int>(kRomSizeList.size()))
    return kNoSize;
  return kRomSizeList[static_cast<size_t>(index)] | (header ? kHeaderFlag : 0);
}
