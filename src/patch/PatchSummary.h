#pragma once

#include <cstdint>
#include <optional>

#include "patch/PatchFormat.h"

/// What reading a patch found out about it. IPS carries no sizes or checksums: only its records
/// and how far they reach.
struct PatchSummary {
  PatchFormat format = PatchFormat::Ips;
  /// IPS records, BPS actions or UPS blocks.
  uint64_t records = 0;
  /// One past the last byte of the result the patch writes.
  uint64_t reach = 0;
  /// The size an IPS patch cuts its result to, when it says one after its end marker.
  std::optional<uint64_t> truncateTo;
  /// IPS only: the IpsQuirk bits of the forms found in it.
  unsigned ipsQuirks = 0;

  // BPS and UPS only.
  uint64_t sourceSize = 0;
  uint64_t targetSize = 0;
  uint32_t sourceCrc = 0;
  uint32_t targetCrc = 0;
  uint32_t patchCrc = 0;
  /// BPS only: the length of the metadata text.
  uint64_t metadataSize = 0;

  bool HasSource() const { return format != PatchFormat::Ips; }
};
