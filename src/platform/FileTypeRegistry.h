#pragma once

#include <optional>
#include <string>

/// Receives the file-type registration as a series of "create this key and set its default
/// value" writes, the way the shell's registry takes them. A backend turns them into whatever
/// the desktop understands. Failures are silent: registration is a convenience.
class FileTypeRegistry {
 public:
  virtual ~FileTypeRegistry() = default;
  /// Creates (or opens) `key`, a path of names separated by "\", and sets its default value
  /// when one is given.
  virtual void SetKey(const std::string& key, const std::optional<std::string>& value) = 0;
  /// Called once after the last key of a registration.
  virtual void Finish() {}
};

/// Registers the ".ips" file type for the program at `executablePath` with the icon at
/// `iconIndex` among the program's icons, then ".bps" and ".ups" the same way.
void RegisterFileTypes(FileTypeRegistry& registry, const std::string& executablePath,
                       int iconIndex);
