#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "prompt/UserPrompt.h"

/// Passes every box on to another prompt, except while held: then the boxes wait, and Release
/// shows them in the order they came. For work done away from the window's thread, which must
/// not show anything itself. Only messages may come while held; a question is answered No, as
/// nobody is there to say yes.
class CHeldPrompt final : public UserPrompt {
 public:
  explicit CHeldPrompt(UserPrompt& target) : m_target(target) {}

  BoxAnswer Ask(const BoxRequest& request) override {
    if (!m_holding) {
      if (m_beforeBox)
        m_beforeBox();
      return m_target.Ask(request);
    }
    m_held.push_back(request);
    return request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
  }

  /// Runs before each box is passed on (the window shows itself for it, say); none for nothing.
  void SetBeforeBox(std::function<void()> beforeBox) { m_beforeBox = std::move(beforeBox); }

  /// Holds the boxes from now on. Not while another thread may be asking.
  void Hold() { m_holding = true; }
  /// Shows the boxes held, then passes boxes on again. Not while another thread may be asking.
  void Release() {
    m_holding = false;
    for (const BoxRequest& request : std::exchange(m_held, {}))
      m_target.Ask(request);
  }

 private:
  UserPrompt& m_target;
  std::function<void()> m_beforeBox;
  bool m_holding = false;
  std::vector<BoxRequest> m_held;
};
