#include "platform/CXdgFileTypeRegistry.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "parser/TextUtil.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Process.h"

namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return (value && *value == '/') ? std::string(value) : fallback;
}

std::string Home() {
  const std::string home = GetHomeFolder();
  return home.empty() ? "/tmp" : home;
}

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// Desktop entry values may not hold line breaks.
std::string OneLine(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\n' || c == '\r')
      c = ' ';
  }
  return out;
}

}  // namespace

std::string MimeTypeForClass(const std::string& className) {
  std::string name = AsciiLowerCopy(className);
  for (char& c : name) {
    if (c == '_')
      c = '-';
  }
  return "application/x-" + name;
}

std::string DesktopExecQuote(const std::string& path) {
  bool plain = !path.empty();
  for (char c : path) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',';
    if (!safe)
      plain = false;
  }
  if (plain)
    return path;
  // Inside quotes, ", `, $ and \ take a backslash; the key's own string rules then double
  // every backslash once more.
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$') {
      quoted += "\\\\";
      quoted += c;
    } else if (c == '\\') {
      quoted += "\\\\\\\\";
    } else if (c == '%') {
      quoted += "%%";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

CXdgFileTypeRegistry::CXdgFileTypeRegistry(IconSource icons, std::string dataHome,
                                           std::string configHome)
    : m_icons(std::move(icons)),
      m_dataHome(dataHome.empty() ? EnvOr("XDG_DATA_HOME", Home() + "/.local/share")
                                  : std::move(dataHome)),
      m_configHome(configHome.empty() ? EnvOr("XDG_CONFIG_HOME", Home() + "/.config")
                                      : std::move(configHome)) {}

void CXdgFileTypeRegistry::SetKey(const std::string& key, const std::optional<std::string>& value) {
  if (!key.empty() && key[0] == '.' && key.find('\\') == std::string::npos && !m_keys.count(key))
    m_extensions.push_back(key);
  m_keys[key] = value;
}

std::vector<CXdgFileTypeRegistry::FileType> CXdgFileTypeRegistry::RegisteredTypes() const {
  // Pair each extension key (".ips") with the class it names, then read that class's keys.
  std::vector<FileType> types;
  for (const std::string& extension : m_extensions) {
    const std::optional<std::string>& className = m_keys.at(extension);
    if (!className)
      continue;
    auto get = [&](const std::string& sub) -> std::string {
      auto it = m_keys.find(sub.empty() ? *className : *className + "\\" + sub);
      return (it != m_keys.end() && it->second) ? *it->second : std::string();
    };
    FileType type;
    type.extension = extension;
    type.mimeType = MimeTypeForClass(*className);
    type.iconName = type.mimeType;
    for (char& c : type.iconName) {
      if (c == '/')
        c = '-';
    }
    type.description = get("");
    // The command is the program followed by " \"%1\"".
    type.program = get("shell\\open\\command");
    const std::string placeholder = " \"%1\"";
    if (type.program.size() >= placeholder.size() &&
        type.program.compare(type.program.size() - placeholder.size(), placeholder.size(),
                             placeholder) == 0) {
      type.program.resize(type.program.size() - placeholder.size());
    }
    // The icon: "program,index" picks one of the program's icons.
    const std::string iconValue = get("DefaultIcon");
    const size_t comma = iconValue.rfind(',');
    type.iconIndex = comma == std::string::npos
                         ? 0
                         : LeadingInteger(std::string_view(iconValue).substr(comma + 1));
    if (!type.program.empty())
      types.push_back(std::move(type));
  }
  return types;
}

void CXdgFileTypeRegistry::Finish() {
  const std::vector<FileType> types = RegisteredTypes();
  m_keys.clear();
  m_extensions.clear();
  if (types.empty())
    return;

  bool changed = false;
  std::string mimeTypes;
  for (const FileType& type : types) {
    const std::string package =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        type.mimeType +
        "\">\n"
        "    <comment>" +
        XmlEscape(type.description) +
        "</comment>\n"
        "    <icon name=\"" +
        type.iconName +
        "\"/>\n"
        "    <glob pattern=\"*" +
        XmlEscape(type.extension) +
        "\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    changed |= WriteIfChanged(
        m_dataHome + "/mime/packages/brindle-" + type.iconName.substr(12) + ".xml", package);
    if (m_icons) {
      const std::string icon = m_icons(type.iconIndex);
      if (!icon.empty()) {
        changed |=
            CopyIcon(icon, m_dataHome + "/icons/hicolor/48x48/mimetypes/" + type.iconName + ".png");
      }
    }
    changed |= UpdateDefaultApplication(type.mimeType);
    mimeTypes += type.mimeType + ";";
  }

  // One entry opens every type.
  const std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Brindle\n"
      "GenericName=SNES Patch Manager\n"
      "Comment=Play IPS, BPS and UPS patches for SNES games\n"
      "Exec=" +
      OneLine(DesktopExecQuote(types.front().program)) +
      " %f\n"
      "Icon=brindle\n"
      "Terminal=false\n"
      "Categories=Game;Emulator;\n"
      "MimeType=" +
      mimeTypes + "\n";
  changed |= WriteIfChanged(m_dataHome + "/applications/" + kDesktopId, entry);
  if (m_icons) {
    const std::string appIcon = m_icons(0);
    if (!appIcon.empty())
      changed |= CopyIcon(appIcon, m_dataHome + "/icons/hicolor/48x48/apps/brindle.png");
  }

  // The desktop's caches, when the system has the tools; how they fare does not matter.
  if (changed) {
    RunQuietly({"update-mime-database", m_dataHome + "/mime"});
    RunQuietly({"update-desktop-database", m_dataHome + "/applications"});
  }
}

bool CXdgFileTypeRegistry::WriteIfChanged(const std::string& path, const std::string& bytes) {
  std::string old;
  if (ReadWholeFile(path, old) && old == bytes)
    return false;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  return WriteFileSafely(path, bytes);
}

bool CXdgFileTypeRegistry::CopyIcon(const std::string& source, const std::string& target) {
  std::string bytes;
  if (!ReadWholeFile(source, bytes))
    return false;
  return WriteIfChanged(target, bytes);
}

bool CXdgFileTypeRegistry::UpdateDefaultApplication(const std::string& mimeType) {
  const std::string path = m_configHome + "/mimeapps.list";
  std::string text;
  ReadWholeFile(path, text);
  const std::string line = mimeType + "=" + kDesktopId;

  // Rewrite only our own key inside [Default Applications]; everything else stays as it is.
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos)
      end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  bool inGroup = false;
  bool groupSeen = false;
  bool done = false;
  size_t groupEnd = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string trimmed = TrimBlanks(lines[i]);
    if (!trimmed.empty() && trimmed[0] == '[') {
      inGroup = trimmed == "[Default Applications]";
      if (inGroup) {
        groupSeen = true;
        groupEnd = i + 1;
      }
      continue;
    }
    if (!inGroup)
      continue;
    if (!trimmed.empty())
      groupEnd = i + 1;
    const size_t equals = trimmed.find('=');
    if (equals != std::string::npos && TrimBlanks(trimmed.substr(0, equals)) == mimeType) {
      lines[i] = line;
      done = true;
    }
  }
  if (!done) {
    if (groupSeen) {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(groupEnd), line);
    } else {
      if (!lines.empty() && !TrimBlanks(lines.back()).empty())
        lines.emplace_back();
      lines.emplace_back("[Default Applications]");
      lines.push_back(line);
    }
  }
  std::string out;
  for (const auto& l : lines)
    out += l + "\n";
  return WriteIfChanged(path, out);
}
