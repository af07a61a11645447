#pragma once

#include <cstdint>
#include <string>

/// The line a reader is working on, quoted by the line diagnostics.
struct LineContext {
  int32_t number = 0;
  std::string text;
};

/// The parser's own context: the database file reader stores every line here exactly as read,
/// before trimming, so that errors of [vars] statements quote the line as the user wrote it.
LineContext& ModuleLineContext();
