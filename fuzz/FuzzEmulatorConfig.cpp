// The emulator's configuration file as a play rewrites it: pointing its save directory at a patch
// folder and putting the old value back. For any file: no harm, every line that no rewrite rule
// touches comes back byte for byte, and a second play changes nothing more than the first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "play/CEmulatorConfig.h"

namespace {

// The lines a play may rewrite: the old "SaveDirectory = " form anywhere in a line, and the
// SRAMPath and IPSPath keys of the newer form.
bool IsRewritable(const std::string& line) {
  const std::string key = CEmulatorConfig::KeyOf(line);
  return line.find("SaveDirectory = ") != std::string::npos || key == "SRAMPath" ||
         key == "IPSPath";
}

// One play: the save directory set to the patch folder, then the emulator's values put back.
std::string PlayOnce(const std::string& bytes, const std::string& patchFolder) {
  CEmulatorConfig config;
  config.Parse(bytes);
  (void)config.AutoPatchOff();
  SaveDirectoryRecord saved;
  config.ReplaceDirectories({patchFolder, patchFolder, patchFolder}, saved);
  const std::string during = config.Serialize();
  CEmulatorConfig restored;
  restored.Parse(during);
  SaveDirectoryRecord ignored;
  restored.ReplaceDirectories(saved, ignored);
  return restored.Serialize();
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // A patch folder never holds a line break (playing refuses one); any other byte may appear.
  std::string patchFolder = "/home/me/patches/";
  for (size_t i = 0; i < size && i < 8; ++i) {
    if (data[i] != '\n' && data[i] != '\r' && data[i] != '\0')
      patchFolder += static_cast<char>(data[i]);
  }

  CEmulatorConfig original;
  original.Parse(bytes);
  const std::string once = PlayOnce(bytes, patchFolder);
  CEmulatorConfig after;
  after.Parse(once);

  const std::vector<std::string>& before = original.Lines();
  const std::vector<std::string>& now = after.Lines();
  Require(before.size() == now.size(), "a play keeps the number of lines",
          [&] { return Lines(before) + "----\n" + Lines(now); });
  for (size_t i = 0; i < before.size(); ++i) {
    if (!IsRewritable(before[i]))
      Require(before[i] == now[i], "a line no rule rewrites comes back byte for byte",
              [&] { return before[i] + "\n----\n" + now[i]; });
  }
  const std::string twice = PlayOnce(once, patchFolder);
  Require(twice == once, "a second play changes nothing more than the first",
          [&] { return once + "----\n" + twice; });
  return 0;
}
