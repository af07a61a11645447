#include "patch/BeatFormat.h"

#include "patch/Crc32.h"
#include "patch/ReaderText.h"

namespace {

constexpr size_t kChecksumBytes = 12;

uint32_t LittleEndian32(std::string_view bytes) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;)
    value = (value << 8) | static_cast<uint8_t>(bytes[i]);
  return value;
}

}  // namespace

bool ReadBeatNumber(CPatchCursor& cursor, uint64_t& value, const char* what, std::string& error) {
  const size_t start = cursor.Position();
  switch (cursor.ReadNumber(value)) {
    case CPatchCursor::Number::Read:
      return true;
    case CPatchCursor::Number::Cut:
      error = std::string("the ") + what + AtByte(start) +
              " runs into the checksums at the end of the file";
      return false;
    case CPatchCursor::Number::TooLarge:
      break;
  }
  error = std::string("the ") + what + AtByte(start) + " holds a number too large to be read";
  return false;
}

bool ReadBeatHeader(std::string_view bytes, std::string_view signature, PatchSummary& summary,
                    CPatchCursor& cursor, std::string& error) {
  if (bytes.substr(0, signature.size()) != signature) {
    error = "it does not begin with \"" + std::string(signature) + "\"";
    return false;
  }
  // The signature, two sizes of at least a byte each, and the checksums.
  if (bytes.size() < 4 + 2 + kChecksumBytes) {
    error = "the file is too short (" + ByteCount(bytes.size()) + ")";
    return false;
  }
  const std::string_view checksums = bytes.substr(bytes.size() - kChecksumBytes);
  summary.sourceCrc = LittleEndian32(checksums.substr(0, 4));
  summary.targetCrc = LittleEndian32(checksums.substr(4, 4));
  summary.patchCrc = LittleEndian32(checksums.substr(8, 4));
  // Checked first: a file cut short or damaged anywhere fails here, with the plainest reason.
  const uint32_t actual = Crc32(bytes.substr(0, bytes.size() - 4));
  if (actual != summary.patchCrc) {
    error = "the file is damaged or incomplete: its CRC-32 is " + CrcText(actual) +
            ", where the patch says " + CrcText(summary.patchCrc);
    return false;
  }
  cursor = CPatchCursor(bytes, 4, bytes.size() - kChecksumBytes);
  return ReadBeatNumber(cursor, summary.sourceSize, "source size", error) &&
         ReadBeatNumber(cursor, summary.targetSize, "target size", error);
}
