// The patch reader: any bytes, read as any of the three formats, are read without harm and never
// beyond their end, and what a well-formed patch is found to hold fits the bytes it came from.
// A well-formed patch is also applied in memory, and the patches Brindle would serve in its
// place (an IPS and a BPS from the ROM to the result) must make the same result.
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
#include "patch/BpsWriter.h"
#include "patch/Crc32.h"
#include "patch/IpsPatch.h"
#include "patch/PatchApply.h"
#include "patch/PatchReader.h"

namespace {

std::string Describe(const PatchSummary& s) {
  return std::string(PatchFormatName(s.format)) + " records=" + std::to_string(s.records) +
         " reach=" + std::to_string(s.reach) + " source=" + std::to_string(s.sourceSize) +
         " target=" + std::to_string(s.targetSize);
}

// Small results only, so that each input stays quick.
constexpr uint64_t kMaxApplied = 1 << 20;

void ApplyAndServe(std::string_view patch, PatchFormat format, const PatchSummary& summary) {
  const uint64_t size = summary.HasSource() ? summary.sourceSize : 64;
  if (size > kMaxApplied || summary.targetSize > kMaxApplied || summary.reach > kMaxApplied ||
      summary.truncateTo.value_or(0) > kMaxApplied) {
    return;
  }
  std::string rom(static_cast<size_t>(size), '\0');
  for (size_t i = 0; i < rom.size(); ++i)
    rom[i] = static_cast<char>(i * 7);
  std::string result = rom;
  PatchSummary applied;
  std::string error;
  if (!ApplyPatch(patch, format, result, applied, error)) {
    Require(result == rom, "a refused patch leaves the bytes as they were", [&] { return error; });
    return;
  }
  Require(!summary.HasSource() || result.size() == summary.targetSize,
          "a BPS or UPS result has the target's size", [&] { return Describe(summary); });
  const std::optional<std::string> ips = MakeIps(rom, result);
  Require(ips.has_value(), "an IPS patch can make a small result", [] { return std::string(); });
  std::string again = rom;
  PatchSummary served;
  Require(ApplyPatch(*ips, PatchFormat::Ips, again, served, error) && served.ipsQuirks == 0 &&
              again == result,
          "the served IPS patch is clean and makes the same result", [&] { return error; });
  again = rom;
  Require(
      ApplyPatch(WriteBps(rom, result), PatchFormat::Bps, again, served, error) && again == result,
      "the served BPS patch makes the same result", [&] { return error; });
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
  ApplyAndServe(patch, format, summary);
  return 0;
}
