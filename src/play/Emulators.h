#pragma once

#include <memory>
#include <string>

#include "play/CEmulator.h"

class CPatchDB;

// The emulators a patch can be played with, and which one the settings choose.

/// In the order the emulator page lists them.
enum class EmulatorKind { Zsnes = 0, RetroArch = 1, Mednafen = 2 };
inline constexpr int kEmulatorCount = 3;

/// The Emulator setting's value: "retroarch" and "mednafen" choose those; "", "zsnes" and
/// anything unknown choose ZSNES.
EmulatorKind ChosenEmulator(const CPatchDB& db);
/// The value the Emulator setting stores for a kind.
const char* EmulatorSettingValue(EmulatorKind kind);
/// The name messages use.
const char* EmulatorName(EmulatorKind kind);

/// The emulator the settings choose.
std::unique_ptr<CEmulator> MakeEmulator(CPatchDB& db);

/// Whether the chosen emulator has what it needs to start: for ZSNES an installation
/// directory, for RetroArch its program and core, for Mednafen its program.
bool IsEmulatorSetUp(const CPatchDB& db);

/// The message for a patch the emulator cannot apply, naming those that can.
std::string PatchRefusal(const CEmulator& emulator, const std::string& patchPath, PatchType type);
