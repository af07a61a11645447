#pragma once

#include <cstdint>
#include <string_view>

/// The CRC-32 that BPS and UPS patches carry (zlib's).
uint32_t Crc32(std::string_view bytes);
/// Continues `crc` over more bytes.
uint32_t Crc32Update(uint32_t crc, std::string_view bytes);
