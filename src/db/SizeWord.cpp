#include "db/SizeWord.h"

std::string FormatSizeText(int32_t sizeWord, const char* noHeaderSuffix) {
  return std::to_string(Megabits(sizeWord)) + "Mbit" + (HasHeader(sizeWord) ? "" : noHeaderSuffix);
}
