#include "play/CEmulatorConfig.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "platform/FileSystem.h"

namespace {

// One blank on each side of "=": "SaveDirectory=x" is a different setting to the emulator's
// reader, so it is deliberately not matched.
constexpr const char* kSaveDirectoryText = "SaveDirectory = ";
// The emulator keeps a quoted folder in a buffer of 1024 bytes and cuts off what does not fit.
constexpr size_t kLongestQuotedFolder = 1023;

// No emulator writes a configuration anywhere near this size; anything larger is not one.
constexpr int64_t kMaxConfigSize = 16 * 1024 * 1024;

// What the emulator's reader (C's isspace) skips before a name or a value.
bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Where the quoted section opened at `open` ends: at the next unescaped quote of the same kind (a
// backslash hides the character after it); npos when there is none.
size_t EndOfQuote(const std::string& text, size_t open) {
  for (size_t i = open + 1; i < text.size(); ++i) {
    if (text[i] == text[open])
      return i;
    if (text[i] == '\\' && ++i == text.size())
      break;
  }
  return std::string::npos;
}

// The first of `stops` from `from` on that is outside quotes, or the end of the text. Either
// quote opens a section up to the next one of its kind; a quote without an end is an ordinary
// character.
size_t FindOutsideQuotes(const std::string& text, size_t from, const std::string& stops) {
  for (size_t i = from; i < text.size(); ++i) {
    if (stops.find(text[i]) != std::string::npos)
      return i;
    if (text[i] == '"' || text[i] == '\'') {
      const size_t end = EndOfQuote(text, i);
      if (end != std::string::npos)
        i = end;
    }
  }
  return text.size();
}

// A line as the emulator reads it: a C string (it ends at a NUL byte) whose ";" outside quotes
// starts a comment.
std::string WithoutComment(const std::string& line) {
  const std::string text = line.substr(0, line.find('\0'));
  return text.substr(0, FindOutsideQuotes(text, 0, ";"));
}

// A name or a value: leading white space skipped, cut at the first blank, tab or line end outside
// quotes.
std::string Token(const std::string& text) {
  size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin]))
    ++begin;
  return text.substr(begin, FindOutsideQuotes(text, begin, " \t\r\n") - begin);
}

struct Statement {
  std::string name, value;
  // The emulator skips a line whose name or value is empty: it sets nothing.
  bool Sets() const { return !name.empty() && !value.empty(); }
};

// The name and the undecoded value of a line; nothing when it has no "=" before its comment.
std::optional<Statement> ReadStatement(const std::string& line) {
  const std::string text = WithoutComment(line);
  const size_t equals = text.find('=');
  if (equals == std::string::npos)
    return std::nullopt;
  return Statement{Token(text.substr(0, equals)), Token(text.substr(equals + 1))};
}

// A quoted string decoded as the emulator does it: the quotes dropped, and a backslash followed
// by any character read as that character. A value not in double quotes reads as empty.
std::string DecodeString(const std::string& value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"')
    return std::string();
  std::string out;
  const size_t end = value.size() - 1;
  for (size_t i = 1; i < end; ++i) {
    // A backslash just before the closing quote escapes nothing: the text ends there.
    if (value[i] == '\\' && ++i == end)
      break;
    out += value[i];
  }
  return out;
}

// The number the emulator stores in a one-byte setting: C's strtoul on a 32-bit machine (digits
// after an optional sign, the largest value on overflow, a negative number wrapped), of which
// the byte keeps the low eight bits.
unsigned ReadByteSetting(const std::string& value) {
  size_t i = 0;
  const bool negative = !value.empty() && value[0] == '-';
  if (!value.empty() && (value[0] == '-' || value[0] == '+'))
    ++i;
  uint64_t number = 0;
  bool overflow = false;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10 + static_cast<uint64_t>(value[i] - '0');
    if (number > UINT32_MAX) {
      overflow = true;
      number = UINT32_MAX;
    }
  }
  uint32_t result = overflow ? UINT32_MAX : static_cast<uint32_t>(number);
  if (negative && !overflow)
    result = 0u - result;
  return result & 0xFF;
}

// The lines Brindle writes folders into in the 1.51 form. A folder may contain the text
// "SaveDirectory = " itself; such a line must stay the line it is, not turn into the old form.
bool IsQuotedPathLine(const std::string& line) {
  const std::string key = CEmulatorConfig::KeyOf(line);
  return key == CEmulatorConfig::kSRAMPathKey || key == CEmulatorConfig::kIPSPathKey;
}

// A "SaveDirectory = " after a ";" is inside a comment, which the emulator never reads: turning
// it into a setting, or putting its text back into the real line, would change the user's save
// directory for good.
bool IsSaveDirectoryLine(const std::string& line) {
  const size_t key = line.find(kSaveDirectoryText);
  return key != std::string::npos && key < line.find(';') && !IsQuotedPathLine(line);
}

// Where the old form's key starts in a line that has it; npos otherwise.
size_t SaveDirectoryAt(const std::string& line) {
  return IsSaveDirectoryLine(line) ? line.find(kSaveDirectoryText) : std::string::npos;
}

// Where the value of a line lies, as the emulator reads it: after the "=" and any white space,
// up to its comment or the first blank outside quotes. None when a quote stands before the value:
// a new value could pair with it, and the line would read otherwise than it was written.
std::optional<std::pair<size_t, size_t>> QuotedValueAt(const std::string& line) {
  const std::string text = WithoutComment(line);
  size_t begin = text.find('=') + 1;
  while (begin < text.size() && IsSpace(text[begin]))
    ++begin;
  if (text.find_first_of("\"'") < begin)
    return std::nullopt;
  return std::make_pair(begin, FindOutsideQuotes(text, begin, " \t\r\n"));
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
    const auto value = QuotedValueAt(line);
    if (!value)
      continue;
    const auto [begin, end] = *value;
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

std::vector<ConfigValue> CEmulatorConfig::ValuesAt(const std::string& key) const {
  std::vector<ConfigValue> values;
  for (const Span& span : ValueSpans(key))
    values.push_back({key, m_bytes.substr(span.begin, span.end - span.begin)});
  return values;
}

std::vector<ConfigValue> CEmulatorConfig::ValuesToReplace() const {
  std::vector<ConfigValue> values;
  for (const char* key : {kSaveDirectoryKey, kSRAMPathKey, kIPSPathKey}) {
    const std::vector<ConfigValue> ofKey = ValuesAt(key);
    values.insert(values.end(), ofKey.begin(), ofKey.end());
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
  for (const char* key : {kSaveDirectoryKey, kSRAMPathKey, kIPSPathKey}) {
    std::vector<std::string> raws;
    for (const ConfigValue& value : values) {
      if (value.key == key)
        raws.push_back(value.raw);
    }
    const std::vector<Span> spans = ValueSpans(key);
    if (raws.empty() || spans.empty())
      continue;
    const std::vector<ConfigValue> before = ValuesAt(key);
    replaced.insert(replaced.end(), before.begin(), before.end());
    if (spans.size() == raws.size()) {
      // The same lines as before: each gets its own value back.
      for (size_t i = spans.size(); i-- > 0;)
        Replace({spans[i]}, raws[i]);
      continue;
    }
    // The emulator has rewritten its lines meanwhile: they all get the value it went by, the
    // last one that set anything.
    std::string effective;
    for (const std::string& raw : raws) {
      if (!raw.empty())
        effective = raw;
    }
    Replace(spans, effective);
  }
  return replaced;
}

bool CEmulatorConfig::HasStrayCarriageReturn() const {
  // A quoted value ends where the emulator's reader ends it; the old form's runs to the line end.
  for (const Span& span : ValueSpans(kSaveDirectoryKey)) {
    if (m_bytes.find('\r', span.begin) < span.end)
      return true;
  }
  return false;
}

bool CEmulatorConfig::AutoPatchOff() const {
  bool off = false;
  for (const std::string& line : Lines()) {
    const auto statement = ReadStatement(line);
    if (statement && statement->Sets() && statement->name == "AutoPatch")
      off = ReadByteSetting(statement->value) == 0;
  }
  return off;
}

CEmulatorConfig::FolderFit CEmulatorConfig::FitFolder(const std::string& folder) const {
  bool saveDirectoryForm = false, quotedForm = false;
  for (const std::string& line : Lines()) {
    saveDirectoryForm = saveDirectoryForm || IsSaveDirectoryLine(line);
    quotedForm = quotedForm || IsQuotedPathLine(line);
  }
  // The old form's value runs to the end of its line. The emulator reads a quoted value from one
  // line, while its own writer puts a line feed into it as it is.
  if ((saveDirectoryForm && folder.find_first_of("\r\n") != std::string::npos) ||
      (quotedForm && folder.find('\n') != std::string::npos)) {
    return FolderFit::LineBreak;
  }
  if (quotedForm && folder.size() > kLongestQuotedFolder)
    return FolderFit::TooLong;
  return FolderFit::Fits;
}

std::string CEmulatorConfig::EncodeQuoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"' || c == '\'' || c == '\t' || c == '\n')
      out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string CEmulatorConfig::DecodeValue(const std::string& text) {
  return DecodeString(Token(WithoutComment(text)));
}

std::string CEmulatorConfig::KeyOf(const std::string& line) {
  const auto statement = ReadStatement(line);
  return statement ? statement->name : std::string();
}

bool CEmulatorConfig::Write(const std::string& path, std::string* error) const {
  return WriteFileSafely(path, m_bytes, error);
}
