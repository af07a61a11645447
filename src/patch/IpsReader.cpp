// IPS: "PATCH", then records of a 3-byte offset and a 2-byte size followed by that many bytes
// (or, for size 0, a 2-byte count and the one byte to repeat), then "EOF" and, optionally, the
// 3-byte size to cut the result to.
#include <algorithm>

#include "patch/CPatchCursor.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"

namespace {

constexpr uint32_t kEndMarker = 0x454f46;  // "EOF" where an offset would stand

}  // namespace

bool ReadIpsPatch(std::string_view bytes, PatchSummary& summary, std::string& error) {
  summary = PatchSummary{};
  summary.format = PatchFormat::Ips;
  CPatchCursor cursor(bytes, 5, bytes.size());
  for (;;) {
    const size_t start = cursor.Position();
    uint32_t offset = 0;
    if (!cursor.ReadBigEndian(3, offset)) {
      error = cursor.AtEnd() ? "the file ends without the end marker \"EOF\""
                             : "the file ends inside the record" + AtByte(start);
      return false;
    }
    if (offset == kEndMarker)
      break;
    uint32_t size = 0;
    uint64_t written = 0;
    bool whole = cursor.ReadBigEndian(2, size);
    if (whole && size == 0) {
      // A run: the count, then the byte it repeats.
      uint32_t count = 0;
      whole = cursor.ReadBigEndian(2, count) && cursor.Skip(1);
      if (whole && count == 0) {
        error = "the run-length record" + AtByte(start) + " repeats its byte 0 times";
        return false;
      }
      written = count;
    } else if (whole) {
      whole = cursor.Skip(size);
      written = size;
    }
    if (!whole) {
      error = "the file ends inside the record" + AtByte(start);
      return false;
    }
    ++summary.records;
    summary.reach = std::max<uint64_t>(summary.reach, offset + written);
  }
  // After the end marker there may be the size to cut the result to, and nothing else.
  if (cursor.Left() == 3) {
    uint32_t size = 0;
    cursor.ReadBigEndian(3, size);
    summary.truncateTo = size;
  } else if (!cursor.AtEnd()) {
    error = "the end marker \"EOF\" is followed by " + ByteCount(cursor.Left()) +
            ", where only a 3-byte size may stand";
    return false;
  }
  return true;
}
