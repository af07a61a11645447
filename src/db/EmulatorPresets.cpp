#include "db/EmulatorPresets.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "parser/TextUtil.h"

namespace {

using F = PatchFormat;

}  // namespace

const std::vector<EmulatorPreset>& EmulatorPresets() {
  // Where each fact comes from is listed in the README, under "Other emulators".
  static const std::vector<EmulatorPreset> presets = {
      {"snes9x",
       {"snes9x-gtk", "snes9x"},
       {"com.snes9x.Snes9x"},
       "%ROM%",
       {F::Ips, F::Bps, F::Ups}},
      {"bsnes", {"bsnes"}, {"dev.bsnes.bsnes"}, "%ROM%", {F::Ips, F::Bps}},
      {"Mesen 2",
       {"Mesen", "mesen"},
       {"ca.mesen.Mesen2", "ca.mesen.Mesen"},
       "%ROM%",
       {F::Ips, F::Bps, F::Ups}},
      {"ares", {"ares"}, {"dev.ares.ares"}, "--system \"Super Famicom\" %ROM%", {F::Ips, F::Bps}},
      {"RetroArch (any core)",
       {"retroarch"},
       {"org.libretro.RetroArch"},
       "-L CORE %ROM%",
       {F::Ips, F::Bps, F::Ups}},
  };
  return presets;
}

std::string QuoteCommandWord(const std::string& word) {
  const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("/._-+,:=@%").find(c) != std::string_view::npos;
  });
  if (plain)
    return word;
  std::string quoted = "'";
  for (const char c : word)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string PresetCommand(const EmulatorPreset& preset, const std::string& program,
                          const std::string& core) {
  std::string arguments = preset.arguments;
  if (const size_t at = arguments.find("CORE"); at != std::string::npos)
    arguments.replace(at, 4, QuoteCommandWord(core));
  return QuoteCommandWord(program) + " " + arguments;
}

std::vector<PatchFormat> ParseOtherFormats(const std::string& setting) {
  if (setting.empty())
    return {PatchFormat::Ips};
  std::vector<PatchFormat> formats;
  const std::string lower = AsciiLowerCopy(setting);
  for (const F format : {F::Ips, F::Bps, F::Ups}) {
    if (lower.find(AsciiLowerCopy(PatchFormatName(format))) != std::string::npos)
      formats.push_back(format);
  }
  return formats;
}

std::string OtherFormatsSetting(const std::vector<PatchFormat>& formats) {
  if (formats == std::vector<PatchFormat>{PatchFormat::Ips})
    return std::string();
  std::string setting;
  for (const F format : {F::Ips, F::Bps, F::Ups}) {
    if (std::find(formats.begin(), formats.end(), format) == formats.end())
      continue;
    if (!setting.empty())
      setting += ',';
    setting += AsciiLowerCopy(PatchFormatName(format));
  }
  return setting.empty() ? "none" : setting;
}
