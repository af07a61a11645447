#pragma once

#include <cstdio>

#include "prompt/UserPrompt.h"

/// Shows message boxes on a terminal: the title on one line, then the text. Yes/No questions
/// are answered on `in`; without an answer (end of input) the answer is No.
class CTerminalPrompt final : public UserPrompt {
 public:
  CTerminalPrompt(std::FILE* out, std::FILE* in) : m_out(out), m_in(in) {}
  BoxAnswer Ask(const BoxRequest& request) override;
  int BoxCount() const { return m_count; }

 private:
  std::FILE* m_out;
  std::FILE* m_in;
  int m_count = 0;
};
