#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "prompt/UserPrompt.h"

/// A UserPrompt for tests: records every box and answers Yes/No questions from a script
/// (No when the script has run out).
class ScriptedPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest& request) override {
    boxes.push_back(request);
    if (onAsk)
      onAsk(request);
    if (request.buttons == BoxButtons::Ok)
      return BoxAnswer::Ok;
    if (answers.empty())
      return BoxAnswer::No;
    const BoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes)
      texts.push_back(box.text);
    return texts;
  }

  std::vector<BoxRequest> boxes;
  std::deque<BoxAnswer> answers;
  /// Runs while each box is up, as events would while a real box waits for its answer.
  std::function<void(const BoxRequest&)> onAsk;
};
