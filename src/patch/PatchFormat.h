#pragma once

#include <optional>
#include <string>
#include <string_view>

/// The patch formats Brindle installs and plays.
enum class PatchFormat { Ips, Bps, Ups };

/// "IPS", "BPS" or "UPS".
const char* PatchFormatName(PatchFormat format);
/// The format a file name's extension says, in any letter case; none for other extensions.
std::optional<PatchFormat> PatchFormatFromPath(const std::string& path);
/// The format whose signature the bytes begin with; none when they begin with no known one.
std::optional<PatchFormat> PatchFormatFromBytes(std::string_view bytes);
