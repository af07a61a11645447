#include "play/CEmulatorConfig.h"

#include <cstdint>
#include <optional>

#include "platform/FileSystem.h"

namespace {

// One blank on each side of "=": "SaveDirectory=x" is a different setting to the emulator's
// reader, so it is deliberately not matched.
constexpr const char* kSaveDirectoryKey = "SaveDirectory = ";
constexpr const char* kSRAMPathKey = "SRAMPath";
constexpr const char* kIPSPathKey = "IPSPath";
// The emulator keeps a quoted folder in a buffer of 1024 bytes and cuts off what does not fit.
constexpr size_t kLongestQuotedFolder = 1023;

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
  return key == kSRAMPathKey || key == kIPSPathKey;
}

// A "SaveDirectory = " after a ";" is inside a comment, which the emulator never reads: turning
// it into a setting, or putting its text back into the real line, would change the user's save
// directory for good.
bool IsSaveDirectoryLine(const std::string& line) {
  const size_t key = line.find(kSaveDirectoryKey);
  return key != std::string::npos && key < line.find(';') && !IsQuotedPathLine(line);
}

// Rewrites every line with the key (only those with a value when `onlyWithValue`); the value the
// emulator had (from the last line it takes a value from) goes to `previous`.
bool ReplaceQuoted(std::vector<std::string>& lines, const char* key, const std::string& value,
                   bool onlyWithValue, std::optional<std::string>& previous) {
  bool matched = false;
  std::optional<std::string> had;
  for (std::string& line : lines) {
    const auto statement = ReadStatement(line);
    if (!statement || statement->name != key)
      continue;
    std::string old = DecodeString(statement->value);
    if (onlyWithValue && old.empty())
      continue;
    if (statement->Sets())
      had = std::move(old);
    line = key;
    line += '=';
    line += CEmulatorConfig::EncodeQuoted(value);
    matched = true;
  }
  // Lines that set nothing leave the emulator at its default, an empty folder.
  if (matched)
    previous = had.value_or(std::string());
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
    const auto statement = ReadStatement(line);
    if (statement && statement->Sets() && statement->name == "AutoPatch")
      off = ReadByteSetting(statement->value) == 0;
  }
  return off;
}

CEmulatorConfig::FolderFit CEmulatorConfig::FitFolder(const std::string& folder) const {
  bool saveDirectoryForm = false, quotedForm = false;
  for (const std::string& line : m_lines) {
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
