// UPS: "UPS1", the source and target sizes, then blocks until the last 12 bytes (the CRC-32s of
// the source, the target and the patch before them). A block skips a number of bytes, then XORs
// bytes into the file until a zero byte, which stands for one more byte left as it is.
#include <algorithm>

#include "patch/BeatFormat.h"
#include "patch/PatchApply.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"

bool ReadUpsPatch(std::string_view bytes, PatchSummary& summary, std::string& error,
                  PatchTarget* apply) {
  summary = PatchSummary{};
  summary.format = PatchFormat::Ups;
  CPatchCursor cursor(bytes, 0, 0);
  if (!ReadBeatHeader(bytes, "UPS1", summary, cursor, error))
    return false;
  if (apply && !apply->Begin(summary, error))
    return false;
  // The same patch turns either file into the other: it may change bytes up to the larger size.
  const uint64_t size = std::max(summary.sourceSize, summary.targetSize);
  uint64_t position = 0;
  while (!cursor.AtEnd()) {
    const size_t start = cursor.Position();
    uint64_t skip = 0;
    if (!ReadBeatNumber(cursor, skip, "block", error))
      return false;
    const std::string pastEnd =
        "the block" + AtByte(start) + " reaches past the end of the file (" + ByteCount(size) + ")";
    if (__builtin_add_overflow(position, skip, &position) || position > size) {
      error = pastEnd;
      return false;
    }
    for (uint8_t byte = 1; byte != 0; ++position) {
      if (!cursor.ReadByte(byte)) {
        error = "the block" + AtByte(start) + " runs into the checksums at the end of the file";
        return false;
      }
      if (byte != 0 && position >= size) {
        error = pastEnd;
        return false;
      }
      if (byte != 0)
        summary.reach = position + 1;
      if (byte != 0 && apply)
        apply->Xor(position, byte);
    }
    ++summary.records;
  }
  return true;
}
