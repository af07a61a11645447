#pragma once

#include <cstdint>
#include <string>

#include "prompt/UserPrompt.h"

// The boxes the core shows for errors and warnings, through the UserPrompt it is given.

/// The line a reader is working on, quoted by the line diagnostics.
struct LineContext {
  int32_t number = 0;
  std::string text;
};

/// "Error: " + message, titled "Error!", error icon.
void ReportError(UserPrompt& prompt, const std::string& message);
/// "On line N:\n<line>\n<message>", titled "Error!", error icon.
void ReportLineError(UserPrompt& prompt, const LineContext& context, const std::string& message);
/// The same text as ReportLineError, titled "Warning!", warning icon.
void ReportLineWarning(UserPrompt& prompt, const LineContext& context, const std::string& message);
/// A plain box: OK, no icon, the application's title.
void ShowPlainMessage(UserPrompt& prompt, const std::string& text);
