#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// IPS: "PATCH", then records of a 3-byte offset and a 2-byte size followed by that many bytes
// (or, for size 0, a 2-byte count and the one byte to repeat), then "EOF" and, optionally, the
// 3-byte size to cut the result to.

/// One record: `size` bytes at `offset`, the patch's `bytes` or, for a run, `fill` repeated.
struct IpsRecord {
  uint32_t offset = 0;
  uint32_t size = 0;
  bool run = false;
  uint8_t fill = 0;
  std::string_view bytes;  // into the patch's bytes; empty for a run
};

/// Forms that the tools which write IPS files produce, and which emulators read differently.
enum IpsQuirk : unsigned {
  kIpsBytesAfterEnd = 1,      // "EOF" followed by bytes that are not a 3-byte size (a comment)
  kIpsEmptyRun = 2,           // a run-length record of count 0, which writes nothing
  kIpsNoEndMarker = 4,        // the file ends after a whole record, without "EOF"
  kIpsRecordAtEndMarker = 8,  // a record at offset 0x454F46, whose offset reads "EOF"
};

/// An IPS file read into its records.
struct IpsContents {
  std::vector<IpsRecord> records;  // in the file's order; runs of count 0 left out
  std::optional<uint32_t> truncateTo;
  unsigned quirks = 0;  // IpsQuirk bits
};

/// The offset that reads as the end marker "EOF".
inline constexpr uint32_t kIpsEndMarker = 0x454f46;
/// One past the last offset an IPS record can name.
inline constexpr uint64_t kIpsOffsetLimit = 1u << 24;

/// Reads an IPS file (`bytes` begins with "PATCH") into its records. Bytes after "EOF" are the
/// records that follow a record at 0x454F46 when they read as whole records up to a proper end,
/// and a comment otherwise. False, with `error` saying what is wrong, for a file that ends inside
/// a record. The records point into `bytes`.
bool ParseIps(std::string_view bytes, IpsContents& ips, std::string& error);

/// Writes the records into `data`, growing it with zero bytes where they reach past its end,
/// then gives it the size to cut to, if there is one.
void ApplyIps(const IpsContents& ips, std::string& data);

/// A well-formed IPS file of the records and the size to cut to. A record at 0x454F46 is moved
/// a byte earlier, taking that byte from `result` (what the patch makes), so that no reader
/// takes it for the end. The records must lie below 16 MiB.
std::string WriteIps(const std::vector<IpsRecord>& records, std::optional<uint32_t> truncateTo,
                     std::string_view result);

/// The records that turn `source` into `target`, each at most 64 KiB, pointing into `target`.
/// Bytes of `target` past the end of `source` are all written.
std::vector<IpsRecord> DiffIps(std::string_view source, std::string_view target);

/// An IPS file that turns `source` into `target`; none when `target` reaches past 16 MiB.
std::optional<std::string> MakeIps(std::string_view source, std::string_view target);
