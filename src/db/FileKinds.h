#pragma once

#include <string>

// Which files Brindle installs, by the extension of their names in any letter case.

/// A SNES ROM image: .smc, .sfc, .fig or .swc.
bool IsRomFileName(const std::string& path);
/// An archive that may hold ROMs: a .zip or .7z file, or a ROM image compressed alone
/// ("Game.sfc.gz").
bool IsRomArchiveFileName(const std::string& path);
/// A patch: .ips, .bps or .ups.
bool IsPatchFileName(const std::string& path);
