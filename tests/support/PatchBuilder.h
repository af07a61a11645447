#pragma once

#include <cstdint>
#include <string>

// Hand-made patches for the tests, written the way the patching tools write them.

/// An IPS patch: "PATCH", the records as given (each already offset, size and data), "EOF".
std::string IpsPatch(const std::string& records, const std::string& afterEnd = std::string());
/// One IPS record writing `data` at `offset`.
std::string IpsRecord(uint32_t offset, const std::string& data);
/// One run-length IPS record writing `count` times `byte` at `offset`.
std::string IpsRun(uint32_t offset, uint16_t count, char byte);

/// A number as BPS and UPS write them.
std::string BeatNumber(uint64_t value);
/// The three CRC-32s after `body` (which holds everything before them), the patch's own last.
std::string WithBeatChecksums(const std::string& body, uint32_t sourceCrc, uint32_t targetCrc);

/// BPS actions, to string together after BpsHead.
std::string BpsHead(uint64_t sourceSize, uint64_t targetSize, const std::string& metadata = {});
std::string BpsSourceRead(uint64_t length);
std::string BpsTargetRead(const std::string& bytes);
/// `step` is how far the copy's offset moves from where the last copy of its kind ended.
std::string BpsSourceCopy(uint64_t length, int64_t step);
std::string BpsTargetCopy(uint64_t length, int64_t step);

/// A well-formed BPS patch that turns `source` into `target`.
std::string MakeBps(const std::string& source, const std::string& target);
/// A well-formed UPS patch between `source` and `target`.
std::string MakeUps(const std::string& source, const std::string& target);
