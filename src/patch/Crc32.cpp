#include "patch/Crc32.h"

#include <zlib.h>

uint32_t Crc32Update(uint32_t crc, std::string_view bytes) {
  return static_cast<uint32_t>(
      crc32_z(crc, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

uint32_t Crc32(std::string_view bytes) {
  return Crc32Update(0, bytes);
}
