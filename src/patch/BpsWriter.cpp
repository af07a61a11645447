#include "patch/BpsWriter.h"

#include <cstdint>

#include "patch/Crc32.h"

namespace {

enum Action { kSourceRead = 0, kTargetRead = 1 };
// An unchanged stretch this short costs less carried in the patch than as an action of its own.
constexpr size_t kShortestSourceRead = 4;

void AppendNumber(std::string& out, uint64_t value) {
  for (;;) {
    const uint8_t low = value & 0x7f;
    value >>= 7;
    if (value == 0) {
      out.push_back(static_cast<char>(0x80 | low));
      return;
    }
    out.push_back(static_cast<char>(low));
    --value;
  }
}

void AppendLittleEndian32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

std::string WriteBps(std::string_view source, std::string_view target) {
  std::string out = "BPS1";
  AppendNumber(out, source.size());
  AppendNumber(out, target.size());
  AppendNumber(out, 0);  // no metadata
  const size_t size = target.size();
  const auto same = [&](size_t i) { return i < source.size() && source[i] == target[i]; };
  size_t at = 0;
  while (at < size) {
    size_t end = at;
    while (end < size && same(end))
      ++end;
    if (end - at >= kShortestSourceRead || end == size) {
      if (end > at)
        AppendNumber(out, ((end - at - 1) << 2) | kSourceRead);
      at = end;
      continue;
    }
    // Changed bytes, with the unchanged stretches too short to read from the source.
    end = at;
    for (;;) {
      while (end < size && !same(end))
        ++end;
      size_t equal = end;
      while (equal < size && same(equal) && equal - end < kShortestSourceRead)
        ++equal;
      if (equal == end || equal - end >= kShortestSourceRead || equal == size)
        break;
      end = equal;
    }
    if (end == at)
      end = at + 1;  // a stretch too short to read from the source, before another
    AppendNumber(out, ((end - at - 1) << 2) | kTargetRead);
    out.append(target.substr(at, end - at));
    at = end;
  }
  AppendLittleEndian32(out, Crc32(source));
  AppendLittleEndian32(out, Crc32(target));
  AppendLittleEndian32(out, Crc32(out));
  return out;
}
