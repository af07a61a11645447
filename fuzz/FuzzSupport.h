#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "prompt/UserPrompt.h"

/// Counts the boxes instead of showing them and answers every question with No.
class CountingPrompt final : public UserPrompt {
 public:
  BoxAnswer Ask(const BoxRequest& request) override {
    ++count;
    last = request.text;
    return request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
  }
  int count = 0;
  std::string last;
};

/// A broken property is a finding: abort, so that libFuzzer keeps the input that broke it.
/// `detail` gives the text to show; it is only called then.
template <typename Detail>
void Require(bool holds, const char* property, const Detail& detail) {
  if (holds)
    return;
  const std::string text = detail();
  std::fprintf(stderr, "Property broken: %s\n", property);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::abort();
}
