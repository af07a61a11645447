#pragma once

#include "db/CPatchDB.h"

/// Checks, before a play changes anything, that the patch file still reads as the patch it was
/// installed as and, for BPS and UPS, that the ROM file is the one the patch was made for (its
/// CRC-32 is the patch's source CRC-32). False after a message through the database's prompt.
bool CheckPatchForRom(CPatchDB& db, const PatchRecord& patch, const RomRecord& rom);
