// The patch reader: any bytes, read as any of the three formats, are read without harm and never
// beyond their end, and what a well-formed patch is found to hold fits the bytes it came from.
// The first byte picks the format; with its bit 2 set, the patch's own CRC-32 is put right first,
// so that BPS and UPS inputs get past that check to their actions and blocks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "patch/Crc32.h"
#include "patch/PatchReader.h"

namespace {

std::string Describe(const PatchSummary& s) {
  return std::string(PatchFormatName(s.format)) + " records=" + std::to_string(s.records) +
         " reach=" + std::to_string(s.reach) + " source=" + std::to_string(s.sourceSize) +
         " target=" + std::to_string(s.targetSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const PatchFormat format = static_cast<PatchFormat>(data[0] % 3);
  const bool fixChecksum = (data[0] & 4) != 0;
  size_t length = size - 1;
  // A copy of exactly the patch's length, so that a read past its end is caught.
  std::unique_ptr<char[]> bytes(new char[length == 0 ? 1 : length]);
  std::memcpy(bytes.get(), data + 1, length);
  if (fixChecksum && length >= 4) {
    const uint32_t crc = Crc32(std::string_view(bytes.get(), length - 4));
    for (int i = 0; i < 4; ++i)
      bytes[length - 4 + static_cast<size_t>(i)] = static_cast<char>((crc >> (8 * i)) & 0xff);
  }
  const std::string_view patch(bytes.get(), length);

  PatchSummary summary;
  std::string error;
  const bool read = ReadPatch(patch, format, summary, error);
  PatchSummary again;
  std::string againError;
  Require(ReadPatch(patch, format, again, againError) == read && againError == error,
          "reading the same bytes twice gives the same answer", [&] { return error; });
  if (!read) {
    Require(!error.empty(), "a refused patch says what is wrong", [] { return std::string(); });
    return 0;
  }
  Require(summary.format == format, "a patch reads as the format asked for",
          [&] { return Describe(summary); });
  Require(summary.records <= length, "every record takes at least a byte",
          [&] { return Describe(summary); });
  switch (format) {
    case PatchFormat::Ips:
      Require(summary.reach <= 0xffffff + 0xffff, "an IPS record reaches at most 16 MiB + 64 KiB",
              [&] { return Describe(summary); });
      break;
    case PatchFormat::Bps:
      Require(summary.reach == summary.targetSize, "a BPS patch writes its whole target",
              [&] { return Describe(summary); });
      break;
    case PatchFormat::Ups:
      Require(summary.reach <= std::max(summary.sourceSize, summary.targetSize),
              "a UPS patch stays within the larger of its sizes",
              [&] { return Describe(summary); });
      break;
  }
  return 0;
}
