#include "play/CEmulatorConfig.h"

#include <algorithm>

#include "parser/TextUtil.h"
#include "platform/FileSystem.h"

namespace {

// One blank on each side of "=": "SaveDirectory=x" is a different setting to the emulator's
// reader, so it is deliberately not matched.
constexpr const char* kSaveDirectoryText = "SaveDirectory = ";

// No emulator writes a configuration anywhere near this size; anything larger is not one.
constexpr int64_t kMaxConfigSize = 16 * 1024 * 1024;

// The lines Brindle writes folders into in the 1.51 form. A folder may contain the text
// "SaveDirectory = " itself; such a line must stay the line it is, not turn into the old form.
bool IsQuotedPathLine(const std::string& line) {
  const std::string key = CEmulatorConfig::KeyOf(line);
  return key == CEmulatorConfig::kSRAMPathKey || key == CEmulatorConfig::kIPSPathKey;
}

// A "SaveDirectory = " after a ";" is inside a comment, which the emulator never reads: turning
// it into a setting, or putting its text back into the real line, would change the user's save
// directory for good.
size_t SaveDirectoryAt(const std::string& line) {
  const size_t key = line.find(kSaveDirectoryText);
  if (key == std::string::npos || key > line.find(';') || IsQuotedPathLine(line))
    return std::string::npos;
  return key;
}

// Where the value after a line's first "=" lies: a quoted string with its quotes (up to the end
// of the line when it is not closed), or bare text up to a ";" comment without blanks around it.
std::pair<size_t, size_t> QuotedValueAt(const std::string& line) {
  size_t begin = line.find_first_not_of(" \t", line.find('=') + 1);
  if (begin == std::string::npos)
    return {line.size(), line.size()};
  if (line[begin] == '"') {
    for (size_t i = begin + 1; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size())
        ++i;
      else if (line[i] == '"')
        return {begin, i + 1};
    }
    return {begin, line.size()};
  }
  size_t end = std::min(line.find(';', begin), line.size());
  while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t'))
    --end;
  return {begin, end};
}

}  // namespace

bool CEmulatorConfig::Read(const std::string& path, std::string* error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, error, CFile::Mode::ReadWrite, kMaxConfigSize)) {
    Parse(std::string());
    return false;
  }
  Parse(bytes);
  return true;
}

void CEmulatorConfig::Parse(const std::string& bytes) {
  m_bytes = bytes;
  m_original = bytes;
  MarkLines();
}

void CEmulatorConfig::MarkLines() {
  m_lines.clear();
  size_t start = 0;
  while (start < m_bytes.size()) {
    size_t end = m_bytes.find('\n', start);
    if (end == std::string::npos) {
      m_lines.push_back({start, m_bytes.size()});
      break;
    }
    const size_t next = end + 1;
    if (end > start && m_bytes[end - 1] == '\r')
      --end;
    m_lines.push_back({start, end});
    start = next;
  }
}

std::vector<std::string> CEmulatorConfig::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(m_lines.size());
  for (const Span& line : m_lines)
    lines.push_back(m_bytes.substr(line.begin, line.end - line.begin));
  return lines;
}

std::vector<CEmulatorConfig::Span> CEmulatorConfig::ValueSpans(const std::string& key) const {
  std::vector<Span> spans;
  for (const Span& span : m_lines) {
    const std::string line = m_bytes.substr(span.begin, span.end - span.begin);
    if (key == kSaveDirectoryKey) {
      const size_t at = SaveDirectoryAt(line);
      if (at == std::string::npos)
        continue;
      const size_t value =
          line.find_first_not_of(" \t", at + std::string(kSaveDirectoryText).size());
      spans.push_back({span.begin + (value == std::string::npos ? line.size() : value), span.end});
      continue;
    }
    if (KeyOf(line) != key)
      continue;
    const auto [begin, end] = QuotedValueAt(line);
    // An empty IPSPath is the emulator's own choice of folder: it is never touched.
    if (key == kIPSPathKey && DecodeValue(line.substr(begin, end - begin)).empty())
      continue;
    spans.push_back({span.begin + begin, span.begin + end});
  }
  return spans;
}

void CEmulatorConfig::Replace(const std::vector<Span>& spans, const std::string& raw) {
  // From the end, so that the earlier spans keep their places.
  for (auto span = spans.rbegin(); span != spans.rend(); ++span)
    m_bytes.replace(span->begin, span->end - span->begin, raw);
  if (!spans.empty())
    MarkLines();
}

std::vector<ConfigValue> CEmulatorConfig::ValuesToReplace() const {
  std::vector<ConfigValue> values;
  for (const char* key : {kSaveDirectoryKey, kSRAMPathKey, kIPSPathKey}) {
    const std::vector<Span> spans = ValueSpans(key);
    if (!spans.empty()) {
      const Span& last = spans.back();
      values.push_back({key, m_bytes.substr(last.begin, last.end - last.begin)});
    }
  }
  return values;
}

void CEmulatorConfig::PointAt(const std::string& directory) {
  Replace(ValueSpans(kSaveDirectoryKey), directory);
  Replace(ValueSpans(kSRAMPathKey), EncodeQuoted(directory));
  Replace(ValueSpans(kIPSPathKey), EncodeQuoted(directory));
}

std::vector<ConfigValue> CEmulatorConfig::PutBack(const std::vector<ConfigValue>& values) {
  std::vector<ConfigValue> replaced;
  for (const ConfigValue& value : values) {
    const std::vector<Span> spans = ValueSpans(value.key);
    if (spans.empty())
      continue;
    replaced.push_back(
        {value.key, m_bytes.substr(spans.back().begin, spans.back().end - spans.back().begin)});
    Replace(spans, value.raw);
  }
  return replaced;
}

bool CEmulatorConfig::HasStrayCarriageReturn() const {
  for (const char* key : {kSaveDirectoryKey, kSRAMPathKey, kIPSPathKey}) {
    for (const Span& span : ValueSpans(key)) {
      if (m_bytes.find('\r', span.begin) < span.end)
        return true;
    }
  }
  return false;
}

bool CEmulatorConfig::AutoPatchOff() const {
  bool off = false;
  for (const std::string& line : Lines()) {
    if (KeyOf(line) != "AutoPatch")
      continue;
    const std::string value = DecodeValue(line.substr(line.find('=') + 1));
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

bool CEmulatorConfig::Write(const std::string& path, std::string* error) const {
  return WriteFileSafely(path, m_bytes, error);
}
