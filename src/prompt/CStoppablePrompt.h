#pragma once

#include <cstdio>

#include "prompt/UserPrompt.h"

/// Passes boxes on to another prompt until Stop: from then on (the program is being ended by a
/// signal) nobody is there to answer, so each box is written to standard error instead and
/// answered as cancelled.
class CStoppablePrompt final : public UserPrompt {
 public:
  explicit CStoppablePrompt(UserPrompt& inner) : m_inner(inner) {}

  void Stop() { m_stopped = true; }
  bool Stopped() const { return m_stopped; }

  BoxAnswer Ask(const BoxRequest& request) override {
    if (!m_stopped)
      return m_inner.Ask(request);
    std::fprintf(stderr, "brindle: %s: %s\n", request.title.c_str(), request.text.c_str());
    return request.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
  }

 private:
  UserPrompt& m_inner;
  bool m_stopped = false;
};
