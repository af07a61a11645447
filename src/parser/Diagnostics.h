#pragma once

#include <string>

#include "parser/LineContext.h"
#include "parser/UserPrompt.h"

/// "Error: " + message, titled "Error!", error icon.
void ReportError(UserPrompt& prompt, const std::string& message);
/// "On line N:\n<line>\n<message>", titled "Error!", error icon.
void ReportLineError(UserPrompt& prompt, const LineContext& context, const std::string& message);
/// The same text as ReportLineError, titled "Warning!", warning icon.
void ReportLineWarning(UserPrompt& prompt, const LineContext& context, const std::string& message);
/// A plain box: OK, no icon, the application's title.
void ShowPlainMessage(UserPrompt& prompt, const std::string& text);
