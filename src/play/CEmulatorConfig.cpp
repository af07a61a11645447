#include "play/CEmulatorConfig.h"

#include <cstring>

#include "platform/CFile.h"
#include "platform/FileSystem.h"

namespace {

// One blank on each side of "=": "SaveDirectory=x" is a different setting to the emulator's
// reader, so it is deliberately not matched.
constexpr const char* kSaveDirectoryKey = "SaveDirectory = ";

}  // namespace

bool CEmulatorConfig::Read(const std::string& path, std::string* error) {
  m_lines.clear();
  CFile file;
  if (!file.Open(path, CFile::Mode::ReadWrite)) {
    if (error)
      *error = std::strerror(file.LastError());
    return false;
  }
  std::string bytes;
  char chunk[65536];
  for (;;) {
    const int64_t n = file.Read(chunk, sizeof chunk);
    if (n < 0) {
      if (error)
        *error = "read error";
      return false;
    }
    if (n == 0)
      break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  Parse(bytes);
  return true;
}

void CEmulatorConfig::Parse(const std::string& bytes) {
  m_lines.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      m_lines.push_back(bytes.substr(start));
      break;
    }
    size_t length = end - start;
    if (length > 0 && bytes[end - 1] == '\r')
      --length;
    m_lines.push_back(bytes.substr(start, length));
    start = end + 1;
  }
}

bool CEmulatorConfig::ReplaceSaveDirectory(const std::string& directory, std::string* previous) {
  bool matched = false;
  for (std::string& line : m_lines) {
    if (line.find(kSaveDirectoryKey) == std::string::npos)
      continue;
    // The key is known to contain "=", so there is always a first one.
    const size_t value = line.find_first_not_of(" \t", line.find('=') + 1);
    if (previous)
      *previous = value == std::string::npos ? std::string() : line.substr(value);
    line = kSaveDirectoryKey + directory;
    matched = true;
  }
  return matched;
}

std::string CEmulatorConfig::Serialize() const {
  std::string out;
  size_t size = 0;
  for (const std::string& line : m_lines)
    size += line.size() + 2;
  out.reserve(size);
  for (const std::string& line : m_lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

bool CEmulatorConfig::Write(const std::string& path, std::string* error) const {
  return WriteFileSafely(path, Serialize(), error);
}
