#include "patch/PatchFormat.h"

#include "parser/TextUtil.h"
#include "platform/Path.h"

const char* PatchFormatName(PatchFormat format) {
  switch (format) {
    case PatchFormat::Bps:
      return "BPS";
    case PatchFormat::Ups:
      return "UPS";
    case PatchFormat::Ips:
      break;
  }
  return "IPS";
}

std::optional<PatchFormat> PatchFormatFromPath(const std::string& path) {
  const std::string name = path.substr(FolderOf(path).size());
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos)
    return std::nullopt;
  const std::string extension = AsciiLowerCopy(std::string_view(name).substr(dot));
  if (extension == ".ips")
    return PatchFormat::Ips;
  if (extension == ".bps")
    return PatchFormat::Bps;
  if (extension == ".ups")
    return PatchFormat::Ups;
  return std::nullopt;
}

std::optional<PatchFormat> PatchFormatFromBytes(std::string_view bytes) {
  if (bytes.substr(0, 5) == "PATCH")
    return PatchFormat::Ips;
  if (bytes.substr(0, 4) == "BPS1")
    return PatchFormat::Bps;
  if (bytes.substr(0, 4) == "UPS1")
    return PatchFormat::Ups;
  return std::nullopt;
}
