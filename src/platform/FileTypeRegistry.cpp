#include "platform/FileTypeRegistry.h"

void RegisterFileTypes(FileTypeRegistry& registry, const std::string& executablePath,
                       int iconIndex) {
  registry.SetKey("ips_patch", "SNES Game Patch");
  registry.SetKey("ips_patch\\DefaultIcon", executablePath + "," + std::to_string(iconIndex));
  registry.SetKey("ips_patch\\shell", "open");
  registry.SetKey("ips_patch\\shell\\open", std::nullopt);
  registry.SetKey("ips_patch\\shell\\open\\command", executablePath + " \"%1\"");
  registry.SetKey(".ips", "ips_patch");
  registry.Finish();
}
