#include "parser/TextUtil.h"

#include <cstring>

bool IsAsciiText(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

std::string AsciiLowerCopy(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    c = AsciiToLower(c);
  return lower;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i]))
      return false;
  }
  return true;
}

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
}  // namespace

std::string_view TrimmedBlanks(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin]))
    ++begin;
  while (end > begin && IsBlank(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

std::string TrimBlanks(std::string_view text) {
  return std::string(TrimmedBlanks(text));
}

std::string TrimTrailingBlanks(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1]))
    --end;
  return std::string(text.substr(0, end));
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size())
    return false;
  for (size_t i = 0; i + part.size() <= text.size(); ++i) {
    if ((part.empty() || AsciiToLower(text[i]) == AsciiToLower(part[0])) &&
        EqualsNoCase(text.substr(i, part.size()), part)) {
      return true;
    }
  }
  return false;
}

int32_t LeadingInteger(std::string_view text) {
  // White space and digits as the C locale has them, whatever locale the program runs in.
  const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  size_t i = 0;
  while (i < text.size() && isSpace(text[i]))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1)
      value = int64_t{INT32_MAX} + 1;
  }
  if (negative)
    value = -value;
  if (value > INT32_MAX)
    value = INT32_MAX;
  return static_cast<int32_t>(value);
}

std::string_view NextLine(std::string_view text, size_t& pos) {
  size_t end = pos;
  if (pos < text.size()) {
    // The line ends at its first line feed or carriage return, whichever comes first; memchr
    // finds them many bytes at a time, which counts in a database of a hundred thousand lines.
    const char* start = text.data() + pos;
    const auto* feed = static_cast<const char*>(std::memchr(start, '\n', text.size() - pos));
    end = feed != nullptr ? static_cast<size_t>(feed - text.data()) : text.size();
    if (const auto* ret = static_cast<const char*>(std::memchr(start, '\r', end - pos)))
      end = static_cast<size_t>(ret - text.data());
  }
  const std::string_view line = text.substr(pos, end - pos);
  if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
    pos = end + 2;
  else
    pos = end + 1;
  return line;
}

size_t ByteOrderMarkLength(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}
