#pragma once

#include <string>

// The one way the core reaches the user: every error box, warning and question goes through a
// UserPrompt. The window shows them as message boxes, brindle-tool prints them to the terminal and
// the tests script the answers.

enum class BoxIcon { None, Information, Warning, Error };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

struct BoxRequest {
  std::string text;
  std::string title;
  BoxIcon icon = BoxIcon::None;
  BoxButtons buttons = BoxButtons::Ok;
};

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  virtual BoxAnswer Ask(const BoxRequest& request) = 0;
};

/// The caption of the program's plain boxes.
inline constexpr const char* kAppTitle = "Brindle";
