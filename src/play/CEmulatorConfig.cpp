#include "play/CEmulatorConfig.h"

#include <optional>

#include "parser/TextUtil.h"
#include "platform/FileSystem.h"

namespace {

// One blank on each side of "=": "SaveDirectory=x" is a different setting to the emulator's
// reader, so it is deliberately not matched.
constexpr const char* kSaveDirectoryKey = "SaveDirectory = ";
constexpr const char* kSRAMPathKey = "SRAMPath";
constexpr const char* kIPSPathKey = "IPSPath";

// The lines Brindle writes folders into in the 1.51 form. A folder may contain the text
// "SaveDirectory = " itself; such a line must stay the line it is, not turn into the old form.
bool IsQuotedPathLine(const std::string& line) {
  const std::string key = CEmulatorConfig::KeyOf(line);
  return key == kSRAMPathKey || key == kIPSPathKey;
}

// A "SaveDirectory = " after a ";" is inside a comment, which the emulator never reads: turning
// it into a setting, or putting its text back into the real line, would change the user's save
// directory for good.
bool IsSaveDirectoryLine(const std::string& line) {
  const size_t key = line.find(kSaveDirectoryKey);
  return key != std::string::npos && key < line.find(';') && !IsQuotedPathLine(line);
}

// The text after the first "=" of a line that is known to have one.
std::string AfterEquals(const std::string& line) {
  return line.substr(line.find('=') + 1);
}

// Rewrites every line with the key (only those with a value when `onlyWithValue`); the old value
// of the last one goes to `previous`.
bool ReplaceQuoted(std::vector<std::string>& lines, const char* key, const std::string& value,
                   bool onlyWithValue, std::optional<std::string>& previous) {
  bool matched = false;
  for (std::string& line : lines) {
    if (CEmulatorConfig::KeyOf(line) != key)
      continue;
    std::string old = CEmulatorConfig::DecodeValue(AfterEquals(line));
    if (onlyWithValue && old.empty())
      continue;
    previous = std::move(old);
    line = key;
    line += '=';
    line += CEmulatorConfig::EncodeQuoted(value);
    matched = true;
  }
  return matched;
}

}  // namespace

bool CEmulatorConfig::Read(const std::string& path, std::string* error) {
  m_lines.clear();
  std::string bytes;
  if (!ReadWholeFile(path, bytes, error, CFile::Mode::ReadWrite))
    return false;
  Parse(bytes);
  return true;
}

void CEmulatorConfig::Parse(const std::string& bytes) {
  m_lines.clear();
  m_lineEnds = LineEnds::None;
  m_lastLineEnded = bytes.empty() || bytes.back() == '\n';
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) {
      m_lines.push_back(bytes.substr(start));
      break;
    }
    size_t length = end - start;
    const bool crlf = length > 0 && bytes[end - 1] == '\r';
    if (crlf)
      --length;
    const LineEnds ending = crlf ? LineEnds::CRLF : LineEnds::LF;
    if (m_lineEnds == LineEnds::None)
      m_lineEnds = ending;
    else if (m_lineEnds != ending)
      m_lineEnds = LineEnds::Mixed;
    m_lines.push_back(bytes.substr(start, length));
    start = end + 1;
  }
}

bool CEmulatorConfig::ReplaceSaveDirectory(const std::string& directory, std::string* previous) {
  bool matched = false;
  for (std::string& line : m_lines) {
    if (!IsSaveDirectoryLine(line))
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

unsigned CEmulatorConfig::ReplaceDirectories(const SaveDirectoryRecord& values,
                                             SaveDirectoryRecord& previous) {
  unsigned forms = 0;
  if (ReplaceSaveDirectory(values.SaveDirectory, &previous.SaveDirectory))
    forms |= kSaveDirectoryForm;
  if (values.SRAMPath &&
      ReplaceQuoted(m_lines, kSRAMPathKey, *values.SRAMPath, false, previous.SRAMPath)) {
    forms |= kSRAMPathForm;
  }
  // An empty IPSPath sends the emulator to the save directory, which already leads to the patch:
  // it is left empty, and is never emptied either.
  if (values.IPSPath && !values.IPSPath->empty() &&
      ReplaceQuoted(m_lines, kIPSPathKey, *values.IPSPath, true, previous.IPSPath)) {
    forms |= kIPSPathForm;
  }
  return forms;
}

bool CEmulatorConfig::AutoPatchOff() const {
  bool off = false;
  for (const std::string& line : m_lines) {
    if (KeyOf(line) != "AutoPatch")
      continue;
    const std::string value = DecodeValue(AfterEquals(line));
    const size_t digits = value.empty() || (value[0] != '+' && value[0] != '-') ? 0 : 1;
    off = digits < value.size() && value.find_first_not_of('0', digits) == std::string::npos;
  }
  return off;
}

std::string CEmulatorConfig::EncodeQuoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\'':
        out += "\\'";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

std::string CEmulatorConfig::DecodeValue(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos)
    return std::string();
  if (text[begin] != '"')
    return TrimBlanks(text.substr(begin, text.find(';', begin) - begin));
  std::string out;
  for (size_t i = begin + 1; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case '\\':
      case '"':
      case '\'':
        out += text[i];
        break;
      // Not an escape the emulator writes: a hand-typed Windows path keeps its backslash.
      default:
        out += '\\';
        out += text[i];
    }
  }
  return out;
}

std::string CEmulatorConfig::KeyOf(const std::string& line) {
  const size_t equals = line.find('=');
  return equals == std::string::npos ? std::string() : TrimBlanks(line.substr(0, equals));
}

std::string CEmulatorConfig::Serialize() const {
  bool saveDirectoryForm = false;
  bool quotedForm = false;
  for (const std::string& line : m_lines) {
    saveDirectoryForm = saveDirectoryForm || IsSaveDirectoryLine(line);
    quotedForm = quotedForm || IsQuotedPathLine(line);
  }
  // The old emulator reads CR LF; a file of the newer form goes back as the emulator wrote it.
  const bool ownEnds = quotedForm && !saveDirectoryForm && m_lineEnds != LineEnds::Mixed;
  const char* ending = ownEnds && m_lineEnds == LineEnds::LF ? "\n" : "\r\n";
  if (ownEnds && m_lineEnds == LineEnds::None)
    ending = "";

  std::string out;
  size_t size = 0;
  for (const std::string& line : m_lines)
    size += line.size() + 2;
  out.reserve(size);
  for (size_t i = 0; i < m_lines.size(); ++i) {
    out += m_lines[i];
    if (!ownEnds || i + 1 < m_lines.size() || m_lastLineEnded)
      out += ending;
  }
  return out;
}

bool CEmulatorConfig::Write(const std::string& path, std::string* error) const {
  return WriteFileSafely(path, Serialize(), error);
}
