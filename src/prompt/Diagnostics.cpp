#include "prompt/Diagnostics.h"

namespace {

std::string FormatLineMessage(const LineContext& context, const std::string& message) {
  return "On line " + std::to_string(context.number) + ":\n" + context.text + "\n" + message;
}

}  // namespace

void ReportError(UserPrompt& prompt, const std::string& message) {
  prompt.Ask({"Error: " + message, "Error!", BoxIcon::Error, BoxButtons::Ok});
}

void ReportLineError(UserPrompt& prompt, const LineContext& context, const std::string& message) {
  prompt.Ask({FormatLineMessage(context, message), "Error!", BoxIcon::Error, BoxButtons::Ok});
}

void ReportLineWarning(UserPrompt& prompt, const LineContext& context, const std::string& message) {
  prompt.Ask({FormatLineMessage(context, message), "Warning!", BoxIcon::Warning, BoxButtons::Ok});
}

void ShowPlainMessage(UserPrompt& prompt, const std::string& text) {
  prompt.Ask({text, kAppTitle, BoxIcon::None, BoxButtons::Ok});
}
