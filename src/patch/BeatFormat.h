#pragma once

#include <string>
#include <string_view>

#include "patch/CPatchCursor.h"
#include "patch/PatchSummary.h"

// What BPS and UPS share: a 4-byte signature, the source and target sizes as numbers, and the
// CRC-32s of the source, the target and the patch in the last 12 bytes.

/// Checks the signature and the patch's own CRC-32, fills in the sizes and checksums, and leaves
/// `cursor` after the sizes, ending where the checksums begin.
bool ReadBeatHeader(std::string_view bytes, std::string_view signature, PatchSummary& summary,
                    CPatchCursor& cursor, std::string& error);
/// Reads a number; `what` names what it belongs to in the text of what is wrong.
bool ReadBeatNumber(CPatchCursor& cursor, uint64_t& value, const char* what, std::string& error);
