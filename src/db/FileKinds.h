#pragma once

#include <string>

// Which files Brindle installs, by the extension of their names in any letter case.

/// A SNES ROM image: .smc, .sfc, .fig or .swc.
bool IsRomFileName(const std::string& path);
/// A patch: .ips, .bps or .ups.
bool IsPatchFileName(const std::string& path);
