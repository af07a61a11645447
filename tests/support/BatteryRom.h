#pragma once

#include <string>

// A tiny SNES game for tests with real emulators: a 1 MiB (8 megabit) LoROM cartridge with 2 KiB of
// battery-backed RAM whose program copies eight bytes from a table in the ROM to the start of
// that RAM at reset, then waits forever. An IPS patch changes the table, so the save file an
// emulator writes at exit tells whether the patch was applied.

/// The eight bytes the unpatched game writes to battery RAM.
inline constexpr char kUnpatchedSave[] = "ORIGINAL";
/// The eight bytes the patched game writes instead.
inline constexpr char kPatchedSave[] = "PATCHED!";
/// The internal name in the cartridge header.
inline constexpr char kBatteryRomName[] = "BRINDLE SRAM TEST";

/// The cartridge's bytes (no copier header), with a valid header checksum.
std::string MakeBatteryRom();
/// An IPS patch that turns kUnpatchedSave into kPatchedSave in that cartridge.
std::string MakeBatteryPatch();

/// What the game saves after MakeBatteryPatch and then MakeBatteryLabelPatch, applied in that
/// order; the other order saves kPatchedSave, the label patch alone "SETGINAL".
inline constexpr char kPatchedThenLabelledSave[] = "SETCHED!";
/// An IPS patch that writes "SET" over the first three bytes of the table.
std::string MakeBatteryLabelPatch();

/// The first eight bytes of a save file ("" when it is shorter or missing).
std::string SavedBytes(const std::string& saveFile);
