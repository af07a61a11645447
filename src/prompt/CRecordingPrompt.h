#pragma once

#include <utility>
#include <vector>

#include "prompt/UserPrompt.h"

/// Keeps every box instead of showing it, for work that reports what happened afterwards, all
/// at once. Questions are answered No: nobody is there to say yes.
class CRecordingPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest& request) override {
    m_boxes.push_back(request);
    return request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
  }
  /// The boxes since the last call.
  std::vector<BoxRequest> Take() { return std::exchange(m_boxes, {}); }

 private:
  std::vector<BoxRequest> m_boxes;
};
