#pragma once

#include <memory>
#include <string>

#include "db/EmulatorChoice.h"
#include "play/CEmulator.h"

class CPatchDB;

// The emulators a patch can be played with.

/// The emulator the settings choose.
std::unique_ptr<CEmulator> MakeEmulator(CPatchDB& db);

/// The message for a patch of a format the emulator cannot apply, naming those that can play it.
std::string PatchRefusal(const CPatchDB& db, const CEmulator& emulator,
                         const std::string& patchPath, PatchType type);
/// The message for a patch with a form the emulator would not apply correctly (or, for the other
/// emulator, may not), naming those that can play it.
std::string PatchFormRefusal(const CPatchDB& db, const CEmulator& emulator,
                             const std::string& patchPath, const CheckedPatch& patch,
                             PatchForm form);
