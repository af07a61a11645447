#pragma once

#include <memory>
#include <string>

#include "db/EmulatorChoice.h"
#include "play/CEmulator.h"

class CPatchDB;

// The emulators a patch can be played with.

/// Whether an emulator applies patches of a type as it loads the game (the other emulator: the
/// formats its settings name).
bool EmulatorApplies(const CPatchDB& db, EmulatorKind kind, PatchType type);

/// The emulator the settings choose.
std::unique_ptr<CEmulator> MakeEmulator(CPatchDB& db);

/// The message for a patch the emulator cannot apply, naming those that can.
std::string PatchRefusal(const CPatchDB& db, const CEmulator& emulator,
                         const std::string& patchPath, PatchType type);
