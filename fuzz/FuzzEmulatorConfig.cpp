// The emulator's configuration file as a play rewrites it: pointing its save directory at a patch
// folder and putting the old values back. For any file, whatever its line ends: no harm, a
// rewrite changes nothing but the bytes of the values it means to change, the values come back
// as they were spelled, and a second play changes nothing more than the first.
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

// The line ends of a text, one letter per line: L for LF, C for CR LF, - for none.
std::string LineEnds(const std::string& bytes) {
  std::string ends;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n')
      ends += i > 0 && bytes[i - 1] == '\r' ? 'C' : 'L';
  }
  if (!bytes.empty() && bytes.back() != '\n')
    ends += '-';
  return ends;
}

// Whether `now` is `before` with one stretch of it replaced by `value`.
bool OneStretchBecame(const std::string& before, const std::string& now, const std::string& value) {
  for (size_t at = now.find(value); at != std::string::npos; at = now.find(value, at + 1)) {
    const size_t suffix = now.size() - at - value.size();
    if (at + suffix <= before.size() && before.compare(0, at, now, 0, at) == 0 &&
        before.compare(before.size() - suffix, suffix, now, at + value.size(), suffix) == 0) {
      return true;
    }
  }
  return false;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\n";
  return text;
}

// One play: the save directory set to the patch folder (returned in `during`), then the
// emulator's values put back. A file the play would refuse comes back as it is.
std::string PlayOnce(const std::string& bytes, const std::string& patchFolder, std::string& during,
                     bool& sameValues) {
  CEmulatorConfig config;
  config.Parse(bytes);
  (void)config.AutoPatchOff();
  if (config.HasStrayCarriageReturn()) {
    during = bytes;
    sameValues = true;
    return bytes;
  }
  const std::vector<ConfigValue> saved = config.ValuesToReplace();
  config.PointAt(patchFolder);
  during = config.Serialize();
  // Putting back the values into the file as it was shows whether all lines of a key agreed.
  CEmulatorConfig agreement;
  agreement.Parse(bytes);
  agreement.PutBack(saved);
  sameValues = agreement.Serialize() == bytes;
  CEmulatorConfig restored;
  restored.Parse(during);
  restored.PutBack(saved);
  return restored.Serialize();
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

  std::string during;
  bool sameValues = false;
  const std::string once = PlayOnce(bytes, patchFolder, during, sameValues);
  Require(LineEnds(during) == LineEnds(bytes) && LineEnds(once) == LineEnds(bytes),
          "a play keeps every line end", [&] { return bytes + "\n----\n" + during; });

  CEmulatorConfig original;
  original.Parse(bytes);
  CEmulatorConfig duringPlay;
  duringPlay.Parse(during);
  const std::vector<std::string> before = original.Lines();
  const std::vector<std::string> now = duringPlay.Lines();
  Require(before.size() == now.size(), "a play keeps the number of lines",
          [&] { return Lines(before) + "----\n" + Lines(now); });
  for (size_t i = 0; i < before.size(); ++i) {
    const bool same = before[i] == now[i];
    const bool valueOnly =
        IsRewritable(before[i]) &&
        (OneStretchBecame(before[i], now[i], patchFolder) ||
         OneStretchBecame(before[i], now[i], CEmulatorConfig::EncodeQuoted(patchFolder)));
    Require(same || valueOnly, "a rewrite changes only the bytes of a value",
            [&] { return before[i] + "\n----\n" + now[i]; });
  }
  // Every key whose lines agreed on their value gets it back byte for byte.
  if (sameValues)
    Require(once == bytes, "a play puts the file back as it was", [&] { return once; });
  std::string ignored;
  bool ignoredSame = false;
  const std::string twice = PlayOnce(once, patchFolder, ignored, ignoredSame);
  Require(twice == once, "a second play changes nothing more than the first",
          [&] { return once + "----\n" + twice; });
  return 0;
}
