#pragma once

#include <string>
#include <string_view>

/// Appends a text field of a brindle.dat line. The format has no escape: a "|" or a line break
/// inside a field would shift every later field when the file is read again, so such characters
/// are made harmless ("|" becomes "/", a line break a blank).
void AppendField(std::string& out, std::string_view text);
