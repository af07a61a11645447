#include "platform/FileTypeRegistry.h"

namespace {

// One file type: its class with the icon and the command that opens it, then the extension
// that names the class.
void RegisterFileType(FileTypeRegistry& registry, const std::string& extension,
                      const std::string& className, const std::string& description,
                      const std::string& executablePath, int iconIndex) {
  registry.SetKey(className, description);
  registry.SetKey(className + "\\DefaultIcon", executablePath + "," + std::to_string(iconIndex));
  registry.SetKey(className + "\\shell", "open");
  registry.SetKey(className + "\\shell\\open", std::nullopt);
  registry.SetKey(className + "\\shell\\open\\command", executablePath + " \"%1\"");
  registry.SetKey(extension, className);
}

}  // namespace

void RegisterFileTypes(FileTypeRegistry& registry, const std::string& executablePath,
                       int iconIndex) {
  RegisterFileType(registry, ".ips", "ips_patch", "SNES Game Patch", executablePath, iconIndex);
  RegisterFileType(registry, ".bps", "bps_patch", "SNES Game Patch (BPS)", executablePath,
                   iconIndex);
  RegisterFileType(registry, ".ups", "ups_patch", "SNES Game Patch (UPS)", executablePath,
                   iconIndex);
  registry.Finish();
}
