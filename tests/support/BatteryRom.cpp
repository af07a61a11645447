#include "support/BatteryRom.h"

#include <fstream>

namespace {

constexpr size_t kRomSize = 0x100000;  // 8 megabits
constexpr size_t kTable = 0x100;       // where the program reads its eight bytes (bank 0, $8100)
constexpr size_t kHeader = 0x7FC0;
// Where Brindle reads a ROM's internal name; in a LoROM cartridge only data.
constexpr size_t kListedName = 0xFFC0;

// At reset ($8000): sei; clc; xce; sep #$30; ldx #0;
// loop: lda $8100,x; sta $700000,x; inx; cpx #8; bne loop; wait: bra wait.
constexpr unsigned char kProgram[] = {0x78, 0x18, 0xFB, 0xE2, 0x30, 0xA2, 0x00,
                                      0xBD, 0x00, 0x81, 0x9F, 0x00, 0x00, 0x70,
                                      0xE8, 0xE0, 0x08, 0xD0, 0xF4, 0x80, 0xFE};

void Put16(std::string& bytes, size_t at, unsigned value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

}  // namespace

std::string MakeBatteryRom() {
  std::string rom(kRomSize, '\0');
  rom.replace(0, sizeof kProgram, reinterpret_cast<const char*>(kProgram), sizeof kProgram);
  rom.replace(kTable, 8, kUnpatchedSave);
  std::string title = kBatteryRomName;
  title.resize(21, ' ');
  rom.replace(kHeader, title.size(), title);
  rom.replace(kListedName, title.size(), title);
  rom[0x7FD5] = 0x20;          // LoROM
  rom[0x7FD6] = 0x02;          // ROM, RAM and battery
  rom[0x7FD7] = 0x0A;          // 1 MiB of ROM
  rom[0x7FD8] = 0x01;          // 2 KiB of RAM
  rom[0x7FD9] = 0x01;          // North America
  Put16(rom, 0x7FDC, 0xFFFF);  // checksum complement and checksum, counted as FFFF 0000
  Put16(rom, 0x7FDE, 0x0000);
  Put16(rom, 0x7FEA, 0x8000);  // NMI (native), never enabled
  Put16(rom, 0x7FFC, 0x8000);  // reset
  unsigned sum = 0;
  for (const char c : rom)
    sum += static_cast<unsigned char>(c);
  Put16(rom, 0x7FDC, (sum & 0xFFFF) ^ 0xFFFF);
  Put16(rom, 0x7FDE, sum & 0xFFFF);
  return rom;
}

std::string MakeBatteryPatch() {
  // One record: offset (3 bytes, big-endian), length (2 bytes), data.
  std::string patch = "PATCH";
  patch += std::string{0x00, 0x01, 0x00, 0x00, 0x08};
  patch += kPatchedSave;
  return patch + "EOF";
}

std::string MakeBatteryLabelPatch() {
  return std::string("PATCH") + std::string{0x00, 0x01, 0x00, 0x00, 0x03} + "SETEOF";
}

std::string SavedBytes(const std::string& saveFile) {
  std::ifstream in(saveFile, std::ios::binary);
  std::string bytes(8, '\0');
  if (!in.read(bytes.data(), 8))
    return "";
  return bytes;
}
