#include "prompt/CTerminalPrompt.h"

#include <cctype>
#include <string>

BoxAnswer CTerminalPrompt::Ask(const BoxRequest& request) {
  ++m_count;
  std::fprintf(m_out, "%s\n%s\n", request.title.c_str(), request.text.c_str());
  if (request.buttons == BoxButtons::Ok) {
    std::fflush(m_out);
    return BoxAnswer::Ok;
  }
  for (;;) {
    std::fprintf(m_out, "[y/n] ");
    std::fflush(m_out);
    if (m_in == nullptr)
      return BoxAnswer::No;
    std::string answer;
    int c;
    while ((c = std::fgetc(m_in)) != EOF && c != '\n')
      answer += static_cast<char>(c);
    if (c == EOF && answer.empty()) {
      std::fprintf(m_out, "\n");
      return BoxAnswer::No;
    }
    if (!answer.empty() && std::tolower(static_cast<unsigned char>(answer[0])) == 'y') {
      return BoxAnswer::Yes;
    }
    if (!answer.empty() && std::tolower(static_cast<unsigned char>(answer[0])) == 'n') {
      return BoxAnswer::No;
    }
  }
}
