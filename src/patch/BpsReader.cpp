// BPS: "BPS1", the source, target and metadata sizes, the metadata, then actions until the last
// 12 bytes, which hold the CRC-32s of the source, the target and the patch before them (least
// significant byte first). Each action copies a run into the target: from the source at the same
// place, from the patch, or from anywhere in the source or the target written so far.
#include "patch/BeatFormat.h"
#include "patch/CPatchCursor.h"
#include "patch/PatchApply.h"
#include "patch/PatchReader.h"
#include "patch/ReaderText.h"

namespace {

enum Action { kSourceRead, kTargetRead, kSourceCopy, kTargetCopy };

// Moves a copy's offset by the signed step a patch gives (its lowest bit is the sign); false when
// it would leave 0 .. `limit`.
bool MoveOffset(uint64_t& offset, uint64_t step, uint64_t limit) {
  const uint64_t distance = step >> 1;
  if (step & 1) {
    if (distance > offset)
      return false;
    offset -= distance;
  } else if (__builtin_add_overflow(offset, distance, &offset)) {
    return false;
  }
  return offset <= limit;
}

}  // namespace

bool ReadBpsPatch(std::string_view bytes, PatchSummary& summary, std::string& error,
                  PatchTarget* apply) {
  summary = PatchSummary{};
  summary.format = PatchFormat::Bps;
  CPatchCursor cursor(bytes, 0, 0);
  if (!ReadBeatHeader(bytes, "BPS1", summary, cursor, error))
    return false;
  if (!ReadBeatNumber(cursor, summary.metadataSize, "metadata size", error))
    return false;
  if (!cursor.Skip(summary.metadataSize)) {
    error = "its metadata (" + ByteCount(summary.metadataSize) +
            ") reaches into the checksums at the end of the file";
    return false;
  }
  if (apply && !apply->Begin(summary, error))
    return false;

  uint64_t written = 0;
  uint64_t sourceOffset = 0;
  uint64_t targetOffset = 0;
  while (!cursor.AtEnd()) {
    const size_t start = cursor.Position();
    uint64_t data = 0;
    if (!ReadBeatNumber(cursor, data, "action", error))
      return false;
    const int action = static_cast<int>(data & 3);
    const uint64_t length = (data >> 2) + 1;
    uint64_t end = 0;
    if (__builtin_add_overflow(written, length, &end) || end > summary.targetSize) {
      error = "the action" + AtByte(start) + " writes past the end of the target (" +
              ByteCount(summary.targetSize) + ")";
      return false;
    }
    if (action == kSourceRead && end > summary.sourceSize) {
      error = "the action" + AtByte(start) + " reads past the end of the source (" +
              ByteCount(summary.sourceSize) + ")";
      return false;
    }
    const size_t dataAt = cursor.Position();
    if (action == kTargetRead && !cursor.Skip(length)) {
      error = "the action" + AtByte(start) + " takes " + ByteCount(length) +
              " from the patch, past the end of its data";
      return false;
    }
    if (action == kSourceCopy || action == kTargetCopy) {
      uint64_t step = 0;
      if (!ReadBeatNumber(cursor, step, "action", error))
        return false;
      const bool fromSource = action == kSourceCopy;
      uint64_t& offset = fromSource ? sourceOffset : targetOffset;
      // A target copy may overlap what it writes, but may only begin in what is written.
      const uint64_t limit = fromSource ? summary.sourceSize : written;
      uint64_t copyEnd = 0;
      if (!MoveOffset(offset, step, limit) ||
          (fromSource ? __builtin_add_overflow(offset, length, &copyEnd) || copyEnd > limit
                      : offset >= limit)) {
        error = "the action" + AtByte(start) + " copies from outside the " +
                (fromSource ? "source" : "part of the target written before it");
        return false;
      }
      if (apply)
        apply->Copy(fromSource, offset, written, length);
      offset += length;
    } else if (apply) {
      if (action == kSourceRead)
        apply->Copy(true, written, written, length);
      else
        apply->Write(written, bytes.substr(dataAt, length));
    }
    written = end;
    ++summary.records;
  }
  if (written < summary.targetSize) {
    error = "its actions leave the last " + ByteCount(summary.targetSize - written) +
            " of the target unwritten";
    return false;
  }
  summary.reach = written;
  return true;
}
