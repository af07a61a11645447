#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileTypeRegistry.h"

/// Turns the registry writes of a file-type registration into freedesktop.org files: a MIME
/// package, a desktop entry that opens the type, the type's icon and the user's default
/// application for it. Files are only rewritten when their contents change, so registering
/// twice leaves the same files.
class CXdgFileTypeRegistry final : public FileTypeRegistry {
 public:
  /// Maps an icon index of the registration to a PNG file, or "" when there is none.
  using IconSource = std::function<std::string(int index)>;

  /// Empty folders mean the user's own ($XDG_DATA_HOME, $XDG_CONFIG_HOME, or their defaults
  /// under $HOME).
  CXdgFileTypeRegistry(IconSource icons, std::string dataHome = {}, std::string configHome = {});

  void SetKey(const std::string& key, const std::optional<std::string>& value) override;
  void Finish() override;

  const std::string& DataHome() const { return m_dataHome; }
  const std::string& ConfigHome() const { return m_configHome; }

  static constexpr const char* kDesktopId = "brindle.desktop";

 private:
  struct FileType {
    std::string extension;  // ".ips"
    std::string mimeType;   // "application/x-ips-patch"
    std::string iconName;   // "application-x-ips-patch"
    std::string description;
    std::string program;
    int iconIndex = 0;
  };
  /// The types whose extension, class and command were all given, in the order of their
  /// extensions' first writes.
  std::vector<FileType> RegisteredTypes() const;
  bool WriteIfChanged(const std::string& path, const std::string& bytes);
  bool CopyIcon(const std::string& source, const std::string& target);
  bool UpdateDefaultApplication(const std::string& mimeType);

  IconSource m_icons;
  std::string m_dataHome;
  std::string m_configHome;
  std::map<std::string, std::optional<std::string>> m_keys;
  std::vector<std::string> m_extensions;
};

/// The MIME type name a registry class stands for: "ips_patch" gives "application/x-ips-patch".
std::string MimeTypeForClass(const std::string& className);
/// Quotes a program path for the Exec key of a desktop entry when it needs quoting.
std::string DesktopExecQuote(const std::string& path);
