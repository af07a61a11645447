#pragma once

#include <string>

#include "db/RomRecord.h"

/// What the ROM Information form holds when the user confirms it. Texts are bytes.
struct RomInfoForm {
  std::string ForcedName;
  bool UseForcedName = false;
  std::string RomDigest;  // the stored digest, or the one recomputed while the form was open
};

/// Writes the form into the record. An empty forced name leaves the flag as it was; a digest
/// that could not be computed never replaces the stored one. Name, file and size stay.
void ApplyRomInfo(const RomInfoForm& form, RomRecord& rom);
