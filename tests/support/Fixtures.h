#pragma once

#include <string>

// Files written by other programs, kept under tests/fixtures exactly as those programs wrote them.

/// The bytes of tests/fixtures/`name`. A fixture that is missing or empty fails the running test
/// with its path and gives an empty text.
std::string ReadFixture(const std::string& name);

/// `text` with the first `from` replaced by `to`. When `from` is not in it, the running test
/// fails and `text` comes back unchanged.
std::string Replaced(std::string text, const std::string& from, const std::string& to);
