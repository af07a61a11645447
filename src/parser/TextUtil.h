#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Byte-text helpers shared by the readers. Letter case is ASCII only: the files are 8-bit text in
// no particular encoding, so bytes above 127 are compared as they are.

inline char AsciiToLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
/// Whether every byte of the text is ASCII.
bool IsAsciiText(std::string_view text);
std::string AsciiLowerCopy(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
/// The text without the blanks and tabs at either end, as a view of the same bytes.
std::string_view TrimmedBlanks(std::string_view text);
/// Removes blanks and tabs at both ends.
std::string TrimBlanks(std::string_view text);
/// Removes blanks and tabs at the end.
std::string TrimTrailingBlanks(std::string_view text);
bool Contains(std::string_view text, std::string_view part);
/// Contains, ignoring ASCII letter case.
bool ContainsNoCase(std::string_view text, std::string_view part);
/// The leading decimal number of a text as atoi reads it (white space, an optional sign, digits;
/// 0 without digits), but held at the ends of the 32-bit range instead of overflowing.
int32_t LeadingInteger(std::string_view text);
/// The line that starts at `pos`, without its end, and moves `pos` past that end. A line ends at
/// LF, or at CR (which takes a directly following LF with it). Call while `pos` is below the
/// text's size: text after the last line end is one more line, an empty end is none.
std::string_view NextLine(std::string_view text, size_t& pos);
/// The length of the UTF-8 byte-order mark that some editors put at the start of a text file
/// (3), or 0 without one: where reading starts.
size_t ByteOrderMarkLength(std::string_view text);
