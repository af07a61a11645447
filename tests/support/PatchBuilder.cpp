#include "support/PatchBuilder.h"

#include <algorithm>

#include "patch/Crc32.h"

namespace {

std::string BigEndian(uint32_t value, int count) {
  std::string out;
  for (int i = count - 1; i >= 0; --i)
    out += static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}

std::string LittleEndian32(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xff);
  return out;
}

std::string Copy(int action, uint64_t length, int64_t step) {
  const uint64_t distance = static_cast<uint64_t>(step < 0 ? -step : step);
  return BeatNumber(((length - 1) << 2) | static_cast<uint64_t>(action)) +
         BeatNumber((distance << 1) | (step < 0 ? 1 : 0));
}

}  // namespace

std::string IpsRecord(uint32_t offset, const std::string& data) {
  return BigEndian(offset, 3) + BigEndian(static_cast<uint32_t>(data.size()), 2) + data;
}

std::string IpsRun(uint32_t offset, uint16_t count, char byte) {
  return BigEndian(offset, 3) + BigEndian(0, 2) + BigEndian(count, 2) + byte;
}

std::string IpsPatch(const std::string& records, const std::string& afterEnd) {
  return "PATCH" + records + "EOF" + afterEnd;
}

std::string BeatNumber(uint64_t value) {
  std::string out;
  for (;;) {
    const uint8_t low = value & 0x7f;
    value >>= 7;
    if (value == 0)
      return out + static_cast<char>(0x80 | low);
    out += static_cast<char>(low);
    --value;
  }
}

std::string WithBeatChecksums(const std::string& body, uint32_t sourceCrc, uint32_t targetCrc) {
  const std::string withSizes = body + LittleEndian32(sourceCrc) + LittleEndian32(targetCrc);
  return withSizes + LittleEndian32(Crc32(withSizes));
}

std::string BpsHead(uint64_t sourceSize, uint64_t targetSize, const std::string& metadata) {
  return "BPS1" + BeatNumber(sourceSize) + BeatNumber(targetSize) + BeatNumber(metadata.size()) +
         metadata;
}

std::string BpsSourceRead(uint64_t length) {
  return BeatNumber((length - 1) << 2);
}

std::string BpsTargetRead(const std::string& bytes) {
  return BeatNumber(((bytes.size() - 1) << 2) | 1) + bytes;
}

std::string BpsSourceCopy(uint64_t length, int64_t step) {
  return Copy(2, length, step);
}

std::string BpsTargetCopy(uint64_t length, int64_t step) {
  return Copy(3, length, step);
}

std::string MakeBps(const std::string& source, const std::string& target) {
  std::string body = BpsHead(source.size(), target.size());
  // Runs of bytes equal to the source's at the same place are read from it, the rest from the
  // patch.
  for (size_t at = 0; at < target.size();) {
    const auto same = [&](size_t i) { return i < source.size() && source[i] == target[i]; };
    const bool fromSource = same(at);
    size_t end = at;
    while (end < target.size() && same(end) == fromSource)
      ++end;
    body += fromSource ? BpsSourceRead(end - at) : BpsTargetRead(target.substr(at, end - at));
    at = end;
  }
  return WithBeatChecksums(body, Crc32(source), Crc32(target));
}

std::string MakeUps(const std::string& source, const std::string& target) {
  std::string body = "UPS1" + BeatNumber(source.size()) + BeatNumber(target.size());
  const size_t size = std::max(source.size(), target.size());
  const auto at = [](const std::string& s, size_t i) { return i < s.size() ? s[i] : '\0'; };
  size_t last = 0;  // where the next block's skip counts from
  for (size_t i = 0; i < size;) {
    if (at(source, i) == at(target, i)) {
      ++i;
      continue;
    }
    body += BeatNumber(i - last);
    while (i < size && at(source, i) != at(target, i)) {
      body += static_cast<char>(at(source, i) ^ at(target, i));
      ++i;
    }
    body += '\0';
    last = ++i;
  }
  return WithBeatChecksums(body, Crc32(source), Crc32(target));
}
